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
  r.MethodChanged = [&recovery] { recovery.MethodClick(); };
  r.ManualAmountChanged = [&recovery] { recovery.TrackBar1Change(); };
  r.AlarmPercentChanged = [&monitoring] { monitoring.SpinEdit1Change(); };
  r.PeriodicChanged = [&monitoring] { monitoring.CheckBox5Click(); };
  r.PeriodicMinutesChanged = [&monitoring] { monitoring.SpinEdit2Change(); };
  r.OpacityChanged = [&tuning] { tuning.TrackBar2Change(); };
  r.StayOnTopChanged = [&tuning] { tuning.CheckBox2Click(); };
  r.PriorityChanged = [&tuning] { tuning.CBPrioriteChange(); };
  r.UnloadDllsChanged = [&tuning] { tuning.CDechargeDllMouseUp(); };
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
  method(f.RadioButton1, RecoveryMethod::System);
  method(f.RadioButton2, RecoveryMethod::Manual);
  method(f.RadioButton3, RecoveryMethod::All);
  f.TrackBar1.OnChange = [this, &f, &o] {
    o.manualAmountMB = f.TrackBar1.Position();
    Run(reactions_.ManualAmountChanged);
  };
  f.CNBRepetitions.OnChange = [&f, &o] { o.repetitions = f.CNBRepetitions.ItemIndex() + 1; };
  f.CBPressePapier.OnClick = [&f, &o] { o.clipboard = f.CBPressePapier.Checked(); };
  f.cbxballoon.OnClick = [&f, &o] { o.balloons = f.cbxballoon.Checked(); };
  f.CBDirectSteps.OnClick = [&f, &o] { o.directSteps = f.CBDirectSteps.Checked(); };
  f.CBPurgeStandby.OnClick = [&f, &o] { o.purgeStandby = f.CBPurgeStandby.Checked(); };
  f.SpinEditStandby.OnChange = [&f, &o] { o.purgeStandbyPercent = f.SpinEditStandby.Value(); };
  f.HotKey1.OnChange = [this, &f, &o] {
    o.hotKey = f.HotKey1.HotKey();
    Run(reactions_.HotKeyChanged);
  };
  f.CheckBox3.OnClick = [&f, &o] { o.alarmOn = f.CheckBox3.Checked(); };
  f.SpinEdit1.OnChange = [this, &f, &o] {
    o.alarmPercent = f.SpinEdit1.Value();
    Run(reactions_.AlarmPercentChanged);
  };
  f.CheckBox5.OnClick = [this, &f, &o] {
    o.periodicOn = f.CheckBox5.Checked();
    Run(reactions_.PeriodicChanged);
  };
  f.SpinEdit2.OnChange = [this, &f, &o] {
    o.periodicMinutes = f.SpinEdit2.Value();
    Run(reactions_.PeriodicMinutesChanged);
  };
  f.SpinEdit3.OnChange = [&f, &o] { o.maximumLoad = f.SpinEdit3.Value(); };
  f.CBDefragOnStart.OnClick = [&f, &o] { o.optimiseAtStart = f.CBDefragOnStart.Checked(); };
  f.RadioGroup2.OnClick = [&f, &o] { o.trayMode = f.RadioGroup2.ItemIndex(); };
  f.TrackBar2.OnChange = [this, &f, &o] {
    o.opacity = f.TrackBar2.Position();
    Run(reactions_.OpacityChanged);
  };
  f.CheckBox2.OnClick = [this, &f, &o] {
    o.stayOnTop = f.CheckBox2.Checked();
    Run(reactions_.StayOnTopChanged);
  };
  f.CheckBox1.OnClick = [&f, &o] { o.startWithWindows = f.CheckBox1.Checked(); };
  f.CBPriorite.OnChange = [this, &f, &o] {
    o.priority = f.CBPriorite.ItemIndex();
    Run(reactions_.PriorityChanged);
  };
  f.CDechargeDll.OnClick = [this, &f, &o] {
    o.unloadDlls = f.CDechargeDll.Checked();
    if (!loading_) Run(reactions_.UnloadDllsChanged);
  };
}

void OptionsBinding::LoadSettings() {
  store_.Load(options_);
  if (policies_) policies_->Apply(options_);
  ShowOptions();
  if (policies_) ShowPolicies(form_, *policies_);
  if (options_.periodicOn && options_.periodicMinutes > 0) {
    form_.Timer5.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
    form_.Timer5.SetEnabled(true);
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
  form_.CBPurgeStandby.SetEnabled(held);
  form_.SpinEditStandby.SetEnabled(held);
  form_.CBPurgeStandby.SetHint(held ? MainForm::kPurgeStandbyHint
                                    : MainForm::kPurgeStandbyNoRightsHint);
}

void OptionsBinding::ShowOptions() {
  // A copy: each control's handler records its own option as it goes.
  const Options o = options_;
  MainForm& f = form_;
  loading_ = true;
  f.TrackBar1.SetPosition(o.manualAmountMB);
  f.TrackBar2.SetPosition(o.opacity);
  if (o.method == RecoveryMethod::System) f.RadioButton1.SetChecked(true);
  if (o.method == RecoveryMethod::Manual) f.RadioButton2.SetChecked(true);
  if (o.method == RecoveryMethod::All) f.RadioButton3.SetChecked(true);
  f.HotKey1.SetHotKey(o.hotKey);
  f.CheckBox2.SetChecked(o.stayOnTop);
  f.CheckBox1.SetChecked(o.startWithWindows);
  // Setting a list's item from code runs no handler.
  f.RadioGroup2.SetItemIndex(o.trayMode);
  f.cbxballoon.SetChecked(o.balloons);
  f.CBPressePapier.SetChecked(o.clipboard);
  f.CNBRepetitions.SetItemIndex(o.repetitions - 1);
  f.CBDirectSteps.SetChecked(o.directSteps);
  f.CBPurgeStandby.SetChecked(o.purgeStandby);
  f.SpinEditStandby.SetValue(o.purgeStandbyPercent);
  f.CBPriorite.SetItemIndex(o.priority);
  f.CBDefragOnStart.SetChecked(o.optimiseAtStart);
  f.SpinEdit1.SetValue(o.alarmPercent);
  f.SpinEdit2.SetValue(o.periodicMinutes);
  f.SpinEdit3.SetValue(o.maximumLoad);
  f.CheckBox3.SetChecked(o.alarmOn);
  f.CheckBox5.SetChecked(o.periodicOn);
  f.CDechargeDll.SetChecked(o.unloadDlls);  // read from the system: not written back
  loading_ = false;
}

}  // namespace kvn
