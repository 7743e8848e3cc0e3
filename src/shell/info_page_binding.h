#pragma once
// Puts the release's picture on the "Informations" page. Called once by start-up, before the
// processor logo is chosen.
#include "sysinfo/system_info.h"
#include "sysinfo/windows_release.h"

namespace kvn {

class MainForm;

// Hides every Windows logo, shows the chosen one and lets the pictures of the others go, so that
// only one stays in memory; with no logo chosen every picture goes.
void SelectWindowsLogo(MainForm& form, WindowsLogo logo);

}  // namespace kvn
