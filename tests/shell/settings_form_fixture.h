#pragma once
// The settings' tests that need the main form: a form without windows bound to the options, as
// the window binds it, over the registry fixture of the settings' own tests.
#include "settings/settings_fixture.h"
#include "shell/main_form.h"
#include "shell/options_binding.h"

namespace kvn::test {

inline TuningControls TuningOf(MainForm& f) {
  return {f.cacheSizeCombo,      f.secondLevelCacheCheck, f.largeSystemCacheGroup,
          f.kernelInMemoryCheck, f.clearPageFileCheck,    f.opacityTrackBar,
          f.balloonsCheck,       f.adminRightsLabel,      f.unloadDllsCheck};
}

// The Windows tuning's reactions to its options, as the window binds them.
inline OptionReactions TuningReactions(WindowsTuning& tuning) {
  OptionReactions r;
  r.OpacityChanged = [&tuning] { tuning.OnOpacityChange(); };
  r.StayOnTopChanged = [&tuning] { tuning.OnStayOnTopClick(); };
  r.PriorityChanged = [&tuning] { tuning.OnPriorityChange(); };
  r.UnloadDllsChanged = [&tuning] { tuning.OnUnloadDllsClick(); };
  r.StartWithWindowsInEffect = [&tuning](bool on) {
    on ? tuning.WriteRunEntry() : tuning.RemoveRunEntry();
  };
  return r;
}

// A form without windows bound to the options, as the window binds it.
class SettingsTest : public RegistryFixture {
 protected:
  explicit SettingsTest(TuningRelease release = {false, false, true}) : RegistryFixture(release) {
    form.manualAmountTrackBar.SetRange(0, kRamMB);
    tuning.Bind();
    binding.Bind();
  }

  OptionReactions Reactions() {
    OptionReactions r = TuningReactions(tuning);
    // The recovery method's reaction as the recovery has it.
    r.MethodChanged = [this] {
      form.manualAmountTrackBar.SetEnabled(options.method == RecoveryMethod::Manual);
    };
    return r;
  }

  MainForm form;
  WindowsTuning tuning{TuningOf(form), options, registry, Sinks(), release_};
  SettingsStore store{registry, tuning, colors, kRamMB, kProgram, "1.0.0"};
  OptionsBinding binding{form, options, store, Reactions()};
};

}  // namespace kvn::test
