#include "settings/windows_tuning_win32.h"

#include "base/scope_guard.h"
#include "base/text_win32.h"
#include "sysinfo/windows_release_win32.h"

namespace kvn {

namespace {

OSVERSIONINFOW WindowsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) info = OSVERSIONINFOW{};
  return info;
}

}  // namespace

TuningRelease CurrentTuningRelease() {
  return TuningReleaseOf(CurrentWindowsRelease());
}

bool LacksMachineRights() {
  if (WindowsVersion().dwMajorVersion < 6) return false;  // before Vista every user is trusted
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  ScopeGuard close([token] { CloseHandle(token); });
  // TokenElevation (20) is not in the XP headers the program is built against.
  DWORD elevated = 0;
  DWORD size = 0;
  if (!GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &elevated,
                           sizeof elevated, &size))
    return false;
  return elevated == 0;
}

std::string ProgramFilePath() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return Narrow(std::wstring_view(path, length));
}

void SetWindowOpacity(HWND window, int alpha) {
  using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  auto setLayered = reinterpret_cast<SetLayered>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
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
    SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  };
  sinks.SetAlpha = [window](int alpha) { SetWindowOpacity(window, alpha); };
  sinks.SetPriorityClass = [](std::uint32_t priorityClass) {
    SetPriorityClass(GetCurrentProcess(), priorityClass);  // a refusal leaves the class as it is
  };
  sinks.ShowWarning = [window](const std::string& text) {
    MessageBoxW(window, Widen(text).c_str(), L"Korvane", MB_OK);
  };
  sinks.ProgramPath = [] { return ProgramFilePath(); };
  return sinks;
}

}  // namespace kvn
