#pragma once
// The options and the window's controls kept in step. Loading sets the controls from the stored
// options, each running its handler as a user change does; every control's handler records its
// option first, then lets the subsystem react.
#include <functional>

#include "control/monitoring.h"
#include "control/recovery.h"
#include "settings/options.h"
#include "settings/policies.h"
#include "settings/settings_store.h"
#include "shell/main_form.h"

namespace kvn {

// What follows a change of an option, beyond the option itself.
struct OptionReactions {
  std::function<void()> MethodChanged;           // OnSystemMethodClick to OnAllMethodClick
  std::function<void()> ManualAmountChanged;     // OnManualAmountChange
  std::function<void()> AlarmPercentChanged;     // OnAlarmLevelChange
  std::function<void()> PeriodicChanged;         // OnPeriodicClick
  std::function<void()> PeriodicMinutesChanged;  // OnPeriodicMinutesChange
  std::function<void()> OpacityChanged;          // OnOpacityChange
  std::function<void()> StayOnTopChanged;        // OnStayOnTopClick
  std::function<void()> PriorityChanged;         // OnPriorityChange
  std::function<void()> UnloadDllsChanged;       // OnUnloadDllsClick, never while loading
  std::function<void()> HotKeyChanged;           // OnHotKeyChange
  // After a save, when a policy's start with Windows differs from the user's own.
  std::function<void(bool on)> StartWithWindowsInEffect;
};

// The reactions of the recovery, the monitoring and the Windows tuning (the hot key is the
// window's own).
OptionReactions ReactionsOf(Recovery& recovery, Monitoring& monitoring, WindowsTuning& tuning);

class OptionsBinding {
 public:
  OptionsBinding(MainForm& form, Options& options, SettingsStore& store, OptionReactions reactions);
  OptionsBinding(const OptionsBinding&) = delete;
  OptionsBinding& operator=(const OptionsBinding&) = delete;

  // The handlers of every option's control.
  void Bind();
  // The stored options, shown in the controls in the order they were read; the periodic rule
  // armed when it is on; then the chart's colours.
  void LoadSettings();
  // Saves the user's own options: never a value a policy sets.
  void SaveSettings();
  // The administrator's policies, applied over the stored options from the next loading on.
  void UsePolicies(PolicyLayer& policies) { policies_ = &policies; }
  // Windows announced a change of policies: read again, the options and controls follow.
  void PoliciesChanged();
  // The standby cache rule's controls, enabled only where the program holds the privilege its
  // purge needs.
  void ShowPurgePrivilege(bool held);

 private:
  void ShowOptions();

  MainForm& form_;
  Options& options_;
  SettingsStore& store_;
  OptionReactions reactions_;
  PolicyLayer* policies_ = nullptr;
  bool loading_ = false;
};

}  // namespace kvn
