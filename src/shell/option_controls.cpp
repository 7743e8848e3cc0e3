#include "shell/option_controls.h"

#include <iterator>

namespace kvn {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

}  // namespace

FormPart PartOf(MainForm& f, OptionControl which) {
  using C = OptionControl;
  switch (which) {
    case C::None:
      break;
    case C::MethodRadios:
      return RadioButtons{&f.systemMethodRadio, &f.manualMethodRadio, &f.allMethodRadio};
    case C::ManualAmountTrackBar:
      return &f.manualAmountTrackBar;
    case C::AlarmCheck:
      return &f.alarmCheck;
    case C::AlarmLevelEdit:
      return &f.alarmLevelEdit;
    case C::PeriodicCheck:
      return &f.periodicCheck;
    case C::PeriodicMinutesEdit:
      return &f.periodicMinutesEdit;
    case C::MaximumLoadEdit:
      return &f.maximumLoadEdit;
    case C::ClipboardCheck:
      return &f.clipboardCheck;
    case C::DirectStepsCheck:
      return &f.directStepsCheck;
    case C::PurgeStandbyCheck:
      return &f.purgeStandbyCheck;
    case C::PurgeStandbyEdit:
      return &f.purgeStandbyEdit;
    case C::RepetitionsCombo:
      return &f.repetitionsCombo;
    case C::WindowsTuningControls:
      return ControlGroup{&f.cacheSizeCombo,        &f.secondLevelCacheCheck,
                          &f.largeSystemCacheGroup, &f.kernelInMemoryCheck,
                          &f.clearPageFileCheck,    &f.unloadDllsCheck};
    case C::TrayModeGroup:
      return &f.trayModeGroup;
    case C::OpacityTrackBar:
      return &f.opacityTrackBar;
    case C::BalloonsCheck:
      return &f.balloonsCheck;
    case C::StayOnTopCheck:
      return &f.stayOnTopCheck;
    case C::StartWithWindowsCheck:
      return &f.startWithWindowsCheck;
    case C::UnloadDllsCheck:
      return &f.unloadDllsCheck;
    case C::HotKeyEdit:
      return &f.hotKeyEdit;
    case C::OptimiseAtStartCheck:
      return &f.optimiseAtStartCheck;
    case C::PriorityCombo:
      return &f.priorityCombo;
    case C::BackgroundSwatch:
      return &f.backgroundSwatch;
    case C::GridSwatch:
      return &f.gridSwatch;
    case C::CpuSwatch:
      return &f.cpuSwatch;
    case C::RamSwatch:
      return &f.ramSwatch;
    case C::AlarmSwatch:
      return &f.alarmSwatch;
    case C::SpeedMenu:
      return &f.speedMenu;
    case C::ShutdownMenu:
      return &f.shutdownMenu;
    case C::NewsButton:
      return &f.newsButton;
  }
  return {};
}

ControlGroup ControlsOf(const FormPart& part) {
  // Every other pointer is a control's.
  return std::visit(Overloaded{[](std::monostate) { return ControlGroup{}; },
                               [](ui::MenuItem*) { return ControlGroup{}; },
                               [](ui::PopupMenu*) { return ControlGroup{}; },
                               [](const RadioButtons& r) {
                                 return ControlGroup{r[0], r[1], r[2]};
                               },
                               [](const ControlGroup& g) { return g; },
                               [](auto* control) { return ControlGroup{control}; }},
                    part);
}

void ShowNumber(const FormPart& part, const OptionRow& row, std::int32_t number) {
  std::visit(
      Overloaded{[number](ui::CheckBox* c) { c->SetChecked(number != 0); },
                 [number](ui::SpinEdit* s) { s->SetValue(number); },
                 [number](ui::TrackBar* t) { t->SetPosition(number); },
                 [number](ui::ComboBox* c) { c->SetItemIndex(number); },
                 [number](ui::RadioGroup* g) { g->SetItemIndex(number); },
                 [number](ui::HotKeyEdit* h) { h->SetHotKey(static_cast<std::uint16_t>(number)); },
                 [&row, number](const RadioButtons& r) {
                   if (number >= row.min && number < row.min + std::ssize(r))
                     r[number - row.min]->SetChecked(true);
                 },
                 [](const auto&) {}},
      part);
}

void OnNumberChange(const FormPart& part, const OptionRow& row,
                    std::function<void(std::optional<std::int32_t>)> changed) {
  std::visit(
      Overloaded{[&](ui::CheckBox* c) { c->OnClick = [c, changed] { changed(c->Checked()); }; },
                 [&](ui::SpinEdit* s) { s->OnChange = [s, changed] { changed(s->Value()); }; },
                 [&](ui::TrackBar* t) { t->OnChange = [t, changed] { changed(t->Position()); }; },
                 [&](ui::ComboBox* c) { c->OnChange = [c, changed] { changed(c->ItemIndex()); }; },
                 [&](ui::RadioGroup* g) { g->OnClick = [g, changed] { changed(g->ItemIndex()); }; },
                 [&](ui::HotKeyEdit* h) { h->OnChange = [h, changed] { changed(h->HotKey()); }; },
                 [&](const RadioButtons& r) {
                   for (std::int32_t i = 0; i < std::ssize(r); ++i)
                     r[i]->OnClick = [b = r[i], number = row.min + i, changed] {
                       changed(b->Checked() ? std::optional(number) : std::nullopt);
                     };
                 },
                 [](const auto&) {}},
      part);
}

void ShowPolicies(MainForm& form, const PolicyLayer& policies) {
  const auto table = PolicyTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool locked = policies.Locks(i);
    const FormPart part = PartOf(form, table[i].control);
    for (ui::Control* control : ControlsOf(part)) {
      if (!control) break;
      if (locked)
        control->Lock(kSetByAdministrator);
      else
        control->Unlock();
    }
    // A menu item has no hint: the whole submenu is greyed.
    if (auto* item = std::get_if<ui::MenuItem*>(&part)) (*item)->Enabled = !locked;
  }
}

}  // namespace kvn
