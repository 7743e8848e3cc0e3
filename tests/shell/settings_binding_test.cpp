// The options bound to the main form: what the store loads shows in the controls and runs their
// handlers, and each control records its option.
#include "shell/options_binding.h"

#include <gmock/gmock.h>

#include <functional>

#include "settings_form_fixture.h"

namespace kvn::test {
namespace {

using ::testing::ElementsAre;
using Root = RegistryRoot;
using Type = fake::FakeRegistry::Type;

TEST_F(SettingsTest, TheStoredPeriodicRuleArmsTimer5) {
  registry.SetDword(Root::CurrentUser, kRecover, "Time", 1);
  registry.SetDword(Root::CurrentUser, kRecover, "Time value", 30);
  binding.LoadSettings();
  EXPECT_TRUE(form.periodicTimer.Enabled());
  EXPECT_EQ(form.periodicTimer.Interval(), 1800000u);

  MainForm off;
  Options o;
  fake::FakeRegistry empty;
  WindowsTuning t{TuningOf(off), o, empty, Sinks(), release_};
  SettingsStore s{empty, t, colors, kRamMB, kProgram, "1.0.0"};
  OptionsBinding b{off, o, s, {}};
  b.Bind();
  b.LoadSettings();
  EXPECT_FALSE(off.periodicTimer.Enabled());
}

TEST_F(SettingsTest, LoadedOptionsRunTheirHandlers) {
  registry.SetDword(Root::CurrentUser, kSettings, "StayOnTop", 1);
  registry.SetDword(Root::CurrentUser, kSettings, "Opacite", 70);
  registry.SetDword(Root::CurrentUser, kSettings, "Priority", 3);
  binding.LoadSettings();
  // Topmost and opacity at once; the priority list runs nothing (start-up applies it).
  EXPECT_THAT(events, ElementsAre("alpha 70", "topmost"));
  EXPECT_EQ(form.opacityTrackBar.Hint(), "27%");
  EXPECT_EQ(form.priorityCombo.ItemIndex(), 3);
}

TEST_F(SettingsTest, TheOptionsStartAsTheFormIsDesigned) {
  const Options o;
  const MainForm f;
  EXPECT_EQ(f.systemMethodRadio.Checked(), o.method == RecoveryMethod::System);
  EXPECT_EQ(f.manualAmountTrackBar.Position(), o.manualAmountMB);
  EXPECT_EQ(f.repetitionsCombo.ItemIndex() + 1, o.repetitions);
  EXPECT_EQ(f.clipboardCheck.Checked(), o.clipboard);
  EXPECT_EQ(f.balloonsCheck.Checked(), o.balloons);
  EXPECT_EQ(f.directStepsCheck.Checked(), o.directSteps);
  EXPECT_EQ(f.purgeStandbyCheck.Checked(), o.purgeStandby);
  EXPECT_EQ(f.purgeStandbyEdit.Value(), o.purgeStandbyPercent);
  EXPECT_EQ(f.hotKeyEdit.HotKey(), o.hotKey);
  EXPECT_EQ(f.alarmCheck.Checked(), o.alarmOn);
  EXPECT_EQ(f.alarmLevelEdit.Value(), o.alarmPercent);
  EXPECT_EQ(f.periodicCheck.Checked(), o.periodicOn);
  EXPECT_EQ(f.periodicMinutesEdit.Value(), o.periodicMinutes);
  EXPECT_EQ(f.maximumLoadEdit.Value(), o.maximumLoad);
  EXPECT_EQ(f.optimiseAtStartCheck.Checked(), o.optimiseAtStart);
  EXPECT_EQ(f.trayModeGroup.ItemIndex(), o.trayMode);
  EXPECT_EQ(f.opacityTrackBar.Position(), o.opacity);
  EXPECT_EQ(f.stayOnTopCheck.Checked(), o.stayOnTop);
  EXPECT_EQ(f.startWithWindowsCheck.Checked(), o.startWithWindows);
  EXPECT_EQ(f.priorityCombo.ItemIndex(), o.priority);
  EXPECT_EQ(f.unloadDllsCheck.Checked(), o.unloadDlls);
}

TEST_F(SettingsTest, StoredOptionsShowInTheControlsAsTheyAre) {
  registry.SetDword(Root::CurrentUser, kSettings, "Recover Method", 7);
  registry.SetDword(Root::CurrentUser, kSettings, "CNBR", 9);
  registry.SetDword(Root::CurrentUser, kSettings, "tray", static_cast<std::uint32_t>(-3));
  binding.LoadSettings();
  EXPECT_TRUE(form.systemMethodRadio.Checked());
  EXPECT_FALSE(form.manualAmountTrackBar.Enabled());
  EXPECT_EQ(form.repetitionsCombo.ItemIndex(), -1);
  EXPECT_EQ(form.trayModeGroup.ItemIndex(), -1);
}

// Every option's control records it, whether the user or the code changes it.
TEST_F(SettingsTest, EachControlRecordsItsOption) {
  struct Row {
    const char* control;
    std::function<void(MainForm&)> change;
    std::function<bool(const Options&)> recorded;
  };
  const Row rows[] = {
      {"manualMethodRadio", [](MainForm& f) { f.manualMethodRadio.SetChecked(true); },
       [](const Options& o) { return o.method == RecoveryMethod::Manual; }},
      {"allMethodRadio", [](MainForm& f) { f.allMethodRadio.SetChecked(true); },
       [](const Options& o) { return o.method == RecoveryMethod::All; }},
      {"manualAmountTrackBar", [](MainForm& f) { f.manualAmountTrackBar.SetPosition(300); },
       [](const Options& o) { return o.manualAmountMB == 300; }},
      {"repetitionsCombo", [](MainForm& f) { f.repetitionsCombo.UserSelect(2); },
       [](const Options& o) { return o.repetitions == 3; }},
      {"clipboardCheck", [](MainForm& f) { f.clipboardCheck.SetChecked(true); },
       [](const Options& o) { return o.clipboard; }},
      {"balloonsCheck", [](MainForm& f) { f.balloonsCheck.SetChecked(true); },
       [](const Options& o) { return o.balloons; }},
      {"directStepsCheck", [](MainForm& f) { f.directStepsCheck.SetChecked(true); },
       [](const Options& o) { return o.directSteps; }},
      {"purgeStandbyCheck", [](MainForm& f) { f.purgeStandbyCheck.SetChecked(true); },
       [](const Options& o) { return o.purgeStandby; }},
      {"purgeStandbyEdit", [](MainForm& f) { f.purgeStandbyEdit.StepUp(); },
       [](const Options& o) { return o.purgeStandbyPercent == 55; }},
      {"hotKeyEdit", [](MainForm& f) { f.hotKeyEdit.UserSetHotKey(0xC04B); },
       [](const Options& o) { return o.hotKey == 0xC04B; }},
      {"alarmCheck", [](MainForm& f) { f.alarmCheck.SetChecked(false); },
       [](const Options& o) { return !o.alarmOn; }},
      {"alarmLevelEdit", [](MainForm& f) { f.alarmLevelEdit.SetValue(60); },
       [](const Options& o) { return o.alarmPercent == 60; }},
      {"periodicCheck", [](MainForm& f) { f.periodicCheck.SetChecked(true); },
       [](const Options& o) { return o.periodicOn; }},
      {"periodicMinutesEdit", [](MainForm& f) { f.periodicMinutesEdit.StepUp(); },
       [](const Options& o) { return o.periodicMinutes == 50; }},
      {"maximumLoadEdit", [](MainForm& f) { f.maximumLoadEdit.SetValue(80); },
       [](const Options& o) { return o.maximumLoad == 80; }},
      {"optimiseAtStartCheck", [](MainForm& f) { f.optimiseAtStartCheck.SetChecked(true); },
       [](const Options& o) { return o.optimiseAtStart; }},
      {"trayModeGroup", [](MainForm& f) { f.trayModeGroup.UserSelect(1); },
       [](const Options& o) { return o.trayMode == 1; }},
      {"opacityTrackBar", [](MainForm& f) { f.opacityTrackBar.SetPosition(100); },
       [](const Options& o) { return o.opacity == 100; }},
      {"stayOnTopCheck", [](MainForm& f) { f.stayOnTopCheck.SetChecked(true); },
       [](const Options& o) { return o.stayOnTop; }},
      {"startWithWindowsCheck", [](MainForm& f) { f.startWithWindowsCheck.SetChecked(true); },
       [](const Options& o) { return o.startWithWindows; }},
      {"priorityCombo", [](MainForm& f) { f.priorityCombo.UserSelect(1); },
       [](const Options& o) { return o.priority == 1; }},
      {"unloadDllsCheck", [](MainForm& f) { f.unloadDllsCheck.SetChecked(true); },
       [](const Options& o) { return o.unloadDlls; }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.control);
    EXPECT_FALSE(r.recorded(options));
    r.change(form);
    EXPECT_TRUE(r.recorded(options));
  }
}

}  // namespace
}  // namespace kvn::test
