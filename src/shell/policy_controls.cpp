#include "shell/policy_controls.h"

namespace kvn {

namespace {

ui::Control* FindIn(ui::Control& parent, std::string_view name) {
  for (ui::Control* child : parent.Children()) {
    if (child->Name() == name) return child;
    if (ui::Control* found = FindIn(*child, name)) return found;
  }
  return nullptr;
}

template <typename Each>
void ForEachName(std::string_view names, Each each) {
  while (!names.empty()) {
    const std::size_t end = names.find(' ');
    if (end != 0) each(names.substr(0, end));
    if (end == std::string_view::npos) break;
    names.remove_prefix(end + 1);
  }
}

}  // namespace

ui::Control* FindFormControl(MainForm& form, std::string_view name) {
  return FindIn(form, name);
}

ui::MenuItem* FindFormMenuItem(MainForm& form, std::string_view name) {
  return form.trayMenu.Items.Find(std::string(name));
}

void ShowPolicies(MainForm& form, const PolicyLayer& policies) {
  const auto table = PolicyTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const bool locked = policies.Locks(i);
    ForEachName(table[i].controls, [&](std::string_view name) {
      if (ui::Control* control = FindFormControl(form, name)) {
        if (locked)
          control->Lock(kSetByAdministrator);
        else
          control->Unlock();
      } else if (ui::MenuItem* item = FindFormMenuItem(form, name)) {
        item->Enabled = !locked;  // a menu item has no hint: the whole submenu is greyed
      }
    });
  }
}

}  // namespace kvn
