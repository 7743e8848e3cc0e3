#include "settings/windows_tuning_win32.h"

#include "base/message_box_win32.h"
#include "base/program_file_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

bool LacksMachineRights(const WindowsRelease& release) {
  // Before Vista every user is trusted.
  if (!release.VersionKnown || release.Version.MajorVersion < 6) return false;
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  // TokenElevation (20) is not in the XP headers the program is built against.
  DWORD elevated = 0;
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), static_cast<TOKEN_INFORMATION_CLASS>(20), &elevated,
                           sizeof elevated, &size))
    return false;
  return elevated == 0;
}

void SetWindowOpacity(HWND window, int alpha) {
  const auto setLayered = User32().SetLayeredWindowAttributes;
  if (!setLayered) return;  // Windows 9x and NT 4: no opacity
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (alpha >= 255) {
    // Fully opaque: an ordinary window draws faster than a layered one.
    SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    return;
  }
  SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  setLayered(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

TuningSinks Win32TuningSinks(HWND window) {
  TuningSinks sinks;
  sinks.SetTopmost = [window](bool on) {
    // Not topmost already: moving it behind the topmost windows does nothing, and the call would
    // still make a round of window position messages at every showing and activation. Topmost
    // goes through each time, which brings the window back above the other topmost ones.
    if (!on && (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return;
    SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  };
  sinks.SetAlpha = [window](int alpha) { SetWindowOpacity(window, alpha); };
  sinks.SetPriorityClass = [](std::uint32_t priorityClass) {
    SetPriorityClass(GetCurrentProcess(), priorityClass);  // a refusal leaves the class as it is
  };
  sinks.ShowWarning = [window](const std::string& text) { ShowMessageBox(window, text, MB_OK); };
  sinks.ProgramPath = [] { return ProgramFilePath(); };
  return sinks;
}

}  // namespace kvn
