#include "base/privileges_win32.h"

#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

// The adjustment call's answer, and whether the token really holds the privilege (the call
// succeeds without enabling one the token lacks).
bool AdjustPrivilege(const wchar_t* name, bool enable, bool& held) {
  held = false;
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
    return false;
  TOKEN_PRIVILEGES privileges{};
  if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) return false;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  TOKEN_PRIVILEGES previous{};
  DWORD previousSize = sizeof(previous);
  SetLastError(ERROR_SUCCESS);
  const bool adjusted = AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(previous),
                                              &previous, &previousSize) != FALSE;
  held = adjusted && GetLastError() != ERROR_NOT_ALL_ASSIGNED;
  return adjusted;
}

}  // namespace

bool SetProcessPrivilege(const wchar_t* name, bool enable) {
  bool held = false;
  return AdjustPrivilege(name, enable, held);
}

bool EnableHeldPrivilege(const wchar_t* name) {
  bool held = false;
  return AdjustPrivilege(name, true, held) && held;
}

}  // namespace kvn
