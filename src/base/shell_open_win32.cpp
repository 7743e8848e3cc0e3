#include "base/shell_open_win32.h"

#include <shellapi.h>

#include "base/text_win32.h"

namespace kvn {

int StartupShowCommand() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

void OpenWithShell(const std::string& target, const wchar_t* verb, int showCommand, HWND owner) {
  ShellExecuteW(owner, verb, Widen(target).c_str(), nullptr, nullptr, showCommand);
}

}  // namespace kvn
