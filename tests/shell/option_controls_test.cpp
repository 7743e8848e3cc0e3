// Every control the option table and the policies name is part of the form: controls placed on it,
// an item of its tray menu, its speed menu. An option's control is of its kind: a check box shows
// a switch, a list an item, anything else a number.
#include "shell/option_controls.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kvn {
namespace {

bool OnForm(const ui::Control* control, const MainForm& form) {
  while (control && control != &form) control = control->Parent();
  return control == &form;
}

TEST(OptionControls, EveryControlNamedIsOfTheFormAndOfItsOptionsKind) {
  MainForm form;
  std::vector<std::pair<OptionControl, const OptionRow*>> named;
  for (const OptionRow* row : kOptionTable) named.emplace_back(row->control, row);
  for (const PolicyValue& v : PolicyTable()) named.emplace_back(v.control, nullptr);
  for (const auto& [control, row] : named) {
    if (control == OptionControl::None) continue;
    SCOPED_TRACE(static_cast<int>(control));
    const FormPart part = PartOf(form, control);
    const ControlGroup controls = ControlsOf(part);
    for (const ui::Control* c : controls) EXPECT_TRUE(!c || OnForm(c, form));
    const auto* item = std::get_if<ui::MenuItem*>(&part);
    EXPECT_TRUE(controls[0] || (item && form.trayMenu.Items.Find((*item)->Name) == *item) ||
                part == FormPart{&form.speedMenu});
    if (!row || !row->field.set || row->type == OptionType::Choice) continue;
    EXPECT_EQ(std::holds_alternative<ui::CheckBox*>(part), row->type == OptionType::Switch);
    EXPECT_EQ(std::holds_alternative<ui::ComboBox*>(part) ||
                  std::holds_alternative<ui::RadioGroup*>(part),
              row->type == OptionType::Item || row->type == OptionType::ItemOfTwo);
  }
}

}  // namespace
}  // namespace kvn
