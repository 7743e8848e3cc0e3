#include "shell/options_binding.h"

#include "shell/option_controls.h"

namespace kvn {

namespace {

constexpr unsigned kMinute = 60000;

void Run(const std::function<void()>& reaction) {
  if (reaction) reaction();
}

// What follows a change of these options; the DLL switch's never while loading, as it is read
// from the system, not written back.
struct Reaction {
  const OptionRow* option;
  std::function<void()> OptionReactions::*reaction;
  bool whileLoading = true;
};
const Reaction kReactions[] = {
    {&kMethodOption, &OptionReactions::MethodChanged},
    {&kManualAmountOption, &OptionReactions::ManualAmountChanged},
    {&kAlarmPercentOption, &OptionReactions::AlarmPercentChanged},
    {&kPeriodicOnOption, &OptionReactions::PeriodicChanged},
    {&kPeriodicMinutesOption, &OptionReactions::PeriodicMinutesChanged},
    {&kOpacityOption, &OptionReactions::OpacityChanged},
    {&kStayOnTopOption, &OptionReactions::StayOnTopChanged},
    {&kPriorityOption, &OptionReactions::PriorityChanged},
    {&kUnloadDllsOption, &OptionReactions::UnloadDllsChanged, false},
    {&kHotKeyOption, &OptionReactions::HotKeyChanged},
};

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
  // The speed menu (control/monitoring.h) and the exclusions' dialog bind their own.
  for (const OptionRow* row : kOptionTable) {
    if (!row->field.set) continue;
    OnNumberChange(PartOf(form_, row->control), *row,
                   [this, row](std::optional<std::int32_t> number) {
                     if (number) row->field.set(options_, *number);
                     for (const Reaction& r : kReactions)
                       if (r.option == row && (r.whileLoading || !loading_))
                         Run(reactions_.*r.reaction);
                   });
  }
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
  loading_ = true;
  for (const OptionRow* row : kOptionTable)
    if (row->field.get) ShowNumber(PartOf(form_, row->control), *row, row->field.get(o));
  loading_ = false;
}

}  // namespace kvn
