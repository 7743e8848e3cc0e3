#pragma once
// The window's controls as the policies in force leave them: locked, with the administrator's
// hint, or given back to the user.
#include <string_view>

#include "settings/policies.h"
#include "shell/main_form.h"

namespace kvn {

// The form's control of this name, or null.
ui::Control* FindFormControl(MainForm& form, std::string_view name);
// The tray menu's item of this name, or null.
ui::MenuItem* FindFormMenuItem(MainForm& form, std::string_view name);

// Every control a policy governs follows it: locked when the policy locks it, unlocked otherwise.
void ShowPolicies(MainForm& form, const PolicyLayer& policies);

}  // namespace kvn
