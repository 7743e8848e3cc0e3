#include "shell/options_binding.h"

#include "shell/policy_controls.h"

namespace kvn {

namespace {

constexpr unsigned kMinute = 60000;

void Run(const std::function<void()>& reaction) {
  if (reaction) reaction();
}

}  // namespace

OptionReactions ReactionsOf(Recovery& recovery, Monitoring& monitoring, WindowsTuning& tuning) {
  OptionReactions r;
  r.MethodChanged = [&recovery] { recovery.OnMethodClick(); };
  r.ManualAmountChanged = [&recovery] { recovery.OnManualAmountChange(); };
  r.AlarmPercentChanged = [&monitoring] { monitoring.OnAlarmLevelChange(); };
  r.PeriodicChanged = [&monitoring] { monitoring.OnPeriodicClick(); };
  r.PeriodicMinutesChanged = [&monitoring] { monitoring.OnPeriodicMinutesChange(); };
  r.OpacityChanged = [&tuning] { tuning.OnOpacityChange(); };
  r.StayOnTopChanged = [&tuning] { tuning.OnStayOnTopClick(); };
  r.PriorityChanged = [&tuning] { tuning.OnPriorityChange(); };
  r.UnloadDllsChanged = [&tuning] { tuning.OnUnloadDllsClick(); };
  r.StartWithWindowsInEffect = [&tuning](bool on) {
    if (on)
      tuning.WriteRunEntry();
    else
      tuning.RemoveRunEntry();
  };
  return r;
}

OptionsBinding::OptionsBinding(MainForm& form, Options& options, SettingsStore& store,
                               OptionReactions reactions)
    : form_(form), options_(options), store_(store), reactions_(std::move(reactions)) {}

void OptionsBinding::Bind() {
  MainForm& f = form_;
  Options& o = options_;
  const auto method = [this, &o](ui::RadioButton& button, RecoveryMethod chosen) {
    button.OnClick = [this, &o, &button, chosen] {
      if (button.Checked()) o.method = chosen;
      Run(reactions_.MethodChanged);
    };
  };
  method(f.systemMethodRadio, RecoveryMethod::System);
  method(f.manualMethodRadio, RecoveryMethod::Manual);
  method(f.allMethodRadio, RecoveryMethod::All);
  f.manualAmountTrackBar.OnChange = [this, &f, &o] {
    o.manualAmountMB = f.manualAmountTrackBar.Position();
    Run(reactions_.ManualAmountChanged);
  };
  f.repetitionsCombo.OnChange = [&f, &o] { o.repetitions = f.repetitionsCombo.ItemIndex() + 1; };
  f.clipboardCheck.OnClick = [&f, &o] { o.clipboard = f.clipboardCheck.Checked(); };
  f.balloonsCheck.OnClick = [&f, &o] { o.balloons = f.balloonsCheck.Checked(); };
  f.directStepsCheck.OnClick = [&f, &o] { o.directSteps = f.directStepsCheck.Checked(); };
  f.purgeStandbyCheck.OnClick = [&f, &o] { o.purgeStandby = f.purgeStandbyCheck.Checked(); };
  f.purgeStandbyEdit.OnChange = [&f, &o] { o.purgeStandbyPercent = f.purgeStandbyEdit.Value(); };
  f.hotKeyEdit.OnChange = [this, &f, &o] {
    o.hotKey = f.hotKeyEdit.HotKey();
    Run(reactions_.HotKeyChanged);
  };
  f.alarmCheck.OnClick = [&f, &o] { o.alarmOn = f.alarmCheck.Checked(); };
  f.alarmLevelEdit.OnChange = [this, &f, &o] {
    o.alarmPercent = f.alarmLevelEdit.Value();
    Run(reactions_.AlarmPercentChanged);
  };
  f.periodicCheck.OnClick = [this, &f, &o] {
    o.periodicOn = f.periodicCheck.Checked();
    Run(reactions_.PeriodicChanged);
  };
  f.periodicMinutesEdit.OnChange = [this, &f, &o] {
    o.periodicMinutes = f.periodicMinutesEdit.Value();
    Run(reactions_.PeriodicMinutesChanged);
  };
  f.maximumLoadEdit.OnChange = [&f, &o] { o.maximumLoad = f.maximumLoadEdit.Value(); };
  f.optimiseAtStartCheck.OnClick = [&f, &o] {
    o.optimiseAtStart = f.optimiseAtStartCheck.Checked();
  };
  f.trayModeGroup.OnClick = [&f, &o] { o.trayMode = f.trayModeGroup.ItemIndex(); };
  f.opacityTrackBar.OnChange = [this, &f, &o] {
    o.opacity = f.opacityTrackBar.Position();
    Run(reactions_.OpacityChanged);
  };
  f.stayOnTopCheck.OnClick = [this, &f, &o] {
    o.stayOnTop = f.stayOnTopCheck.Checked();
    Run(reactions_.StayOnTopChanged);
  };
  f.startWithWindowsCheck.OnClick = [&f, &o] {
    o.startWithWindows = f.startWithWindowsCheck.Checked();
  };
  f.priorityCombo.OnChange = [this, &f, &o] {
    o.priority = f.priorityCombo.ItemIndex();
    Run(reactions_.PriorityChanged);
  };
  f.unloadDllsCheck.OnClick = [this, &f, &o] {
    o.unloadDlls = f.unloadDllsCheck.Checked();
    if (!loading_) Run(reactions_.UnloadDllsChanged);
  };
}

void OptionsBinding::LoadSettings() {
  store_.Load(options_);
  if (policies_) policies_->Apply(options_);
  ShowOptions();
  if (policies_) ShowPolicies(form_, *policies_);
  if (options_.periodicOn && options_.periodicMinutes > 0) {
    form_.periodicTimer.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
    form_.periodicTimer.SetEnabled(true);
  }
  store_.LoadColors();
}

void OptionsBinding::SaveSettings() {
  if (!policies_) return store_.Save(options_);
  const Options own = policies_->Own(options_);
  store_.Save(own);
  // The Run entry is what starts the program, not an option: it follows the policy.
  if (own.startWithWindows != options_.startWithWindows && reactions_.StartWithWindowsInEffect)
    reactions_.StartWithWindowsInEffect(options_.startWithWindows);
}

void OptionsBinding::PoliciesChanged() {
  if (!policies_) return;
  policies_->Apply(options_);
  // Controls whose value stays as it was run no handler.
  ShowOptions();
  ShowPolicies(form_, *policies_);
}

void OptionsBinding::ShowPurgePrivilege(bool held) {
  // The option stays as stored: given the rights at the next start, the rule runs again.
  form_.purgeStandbyCheck.SetEnabled(held);
  form_.purgeStandbyEdit.SetEnabled(held);
  form_.purgeStandbyCheck.SetHint(held ? MainForm::kPurgeStandbyHint
                                       : MainForm::kPurgeStandbyNoRightsHint);
}

void OptionsBinding::ShowOptions() {
  // A copy: each control's handler records its own option as it goes.
  const Options o = options_;
  MainForm& f = form_;
  loading_ = true;
  f.manualAmountTrackBar.SetPosition(o.manualAmountMB);
  f.opacityTrackBar.SetPosition(o.opacity);
  if (o.method == RecoveryMethod::System) f.systemMethodRadio.SetChecked(true);
  if (o.method == RecoveryMethod::Manual) f.manualMethodRadio.SetChecked(true);
  if (o.method == RecoveryMethod::All) f.allMethodRadio.SetChecked(true);
  f.hotKeyEdit.SetHotKey(o.hotKey);
  f.stayOnTopCheck.SetChecked(o.stayOnTop);
  f.startWithWindowsCheck.SetChecked(o.startWithWindows);
  // Setting a list's item from code runs no handler.
  f.trayModeGroup.SetItemIndex(o.trayMode);
  f.balloonsCheck.SetChecked(o.balloons);
  f.clipboardCheck.SetChecked(o.clipboard);
  f.repetitionsCombo.SetItemIndex(o.repetitions - 1);
  f.directStepsCheck.SetChecked(o.directSteps);
  f.purgeStandbyCheck.SetChecked(o.purgeStandby);
  f.purgeStandbyEdit.SetValue(o.purgeStandbyPercent);
  f.priorityCombo.SetItemIndex(o.priority);
  f.optimiseAtStartCheck.SetChecked(o.optimiseAtStart);
  f.alarmLevelEdit.SetValue(o.alarmPercent);
  f.periodicMinutesEdit.SetValue(o.periodicMinutes);
  f.maximumLoadEdit.SetValue(o.maximumLoad);
  f.alarmCheck.SetChecked(o.alarmOn);
  f.periodicCheck.SetChecked(o.periodicOn);
  f.unloadDllsCheck.SetChecked(o.unloadDlls);  // read from the system: not written back
  loading_ = false;
}

}  // namespace kvn
