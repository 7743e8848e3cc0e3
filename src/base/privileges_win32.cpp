#include "base/privileges_win32.h"

namespace kvn {

EnabledPrivilege::EnabledPrivilege(const wchar_t* name) {
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.put()))
    return;
  TOKEN_PRIVILEGES privileges{};
  if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) return;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  DWORD previousSize = sizeof(previous_);
  SetLastError(ERROR_SUCCESS);
  adjusted_ = AdjustTokenPrivileges(token_.get(), FALSE, &privileges, sizeof(previous_), &previous_,
                                    &previousSize) != FALSE;
  held_ = adjusted_ && GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

EnabledPrivilege::~EnabledPrivilege() {
  // The previous state lists only what the call changed: nothing when it was enabled already.
  if (adjusted_ && previous_.PrivilegeCount > 0)
    AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
}

}  // namespace kvn
