#pragma once
// What the Windows tuning needs of the system beside the registry: the process's rights, and the
// effects on the program's own process and window. The release is the one detected at start-up
// (TuningReleaseOf(CurrentWindowsRelease())).
#include <windows.h>

#include "settings/windows_tuning.h"

namespace kvn {

// Vista and later without elevation: the machine-wide values cannot be changed.
bool LacksMachineRights(const WindowsRelease& release);
// Layered alpha of a window (255 opaque); nothing on releases without layered windows.
void SetWindowOpacity(HWND window, int alpha);
// Topmost state, opacity, priority class and the warning box, for the given main window.
TuningSinks Win32TuningSinks(HWND window);

}  // namespace kvn
