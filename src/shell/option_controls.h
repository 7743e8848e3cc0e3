#pragma once
// The one place where a control of the option table (settings/option_table.h) and of the policies
// becomes the form's member; the options shown in it and read back from it whatever its kind; and
// the window's controls as the policies in force leave them: locked, with the administrator's
// hint, or given back to the user.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>

#include "settings/option_table.h"
#include "settings/policies.h"
#include "shell/main_form.h"

namespace kvn {

// Radio buttons standing for the numbers of the option's range in order.
using RadioButtons = std::array<ui::RadioButton*, 3>;
// Controls governed together, null after the last.
using ControlGroup = std::array<ui::Control*, 6>;
// What an identity stands for on the form: a control by its kind, the radio buttons of one option,
// controls governed together, a control that shows no number, a menu item, a menu.
using FormPart = std::variant<std::monostate, ui::CheckBox*, ui::SpinEdit*, ui::TrackBar*,
                              ui::ComboBox*, ui::RadioGroup*, ui::HotKeyEdit*, RadioButtons,
                              ControlGroup, ui::Control*, ui::MenuItem*, ui::PopupMenu*>;

FormPart PartOf(MainForm& form, OptionControl which);
// Its controls, null after the last (none for a menu).
ControlGroup ControlsOf(const FormPart& part);

// Shows a number of the option's row as a user change would: a check box's or radio button's
// click runs, a list's item runs nothing. A part that shows no number is left alone.
void ShowNumber(const FormPart& part, const OptionRow& row, std::int32_t number);
// Changed runs after every change of the part: with the number it shows, or none when a radio
// button was clicked without being checked.
void OnNumberChange(const FormPart& part, const OptionRow& row,
                    std::function<void(std::optional<std::int32_t>)> changed);

// Every control a policy governs follows it: locked when the policy locks it, unlocked otherwise.
void ShowPolicies(MainForm& form, const PolicyLayer& policies);

}  // namespace kvn
