#pragma once
// A privilege of the program's own token, enabled for a call that needs it and disabled after.
#include <windows.h>

namespace kvn {

// Opens the program's token (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), looks the privilege up on the
// local system and enables or disables it; true when the adjustment call succeeded.
bool SetProcessPrivilege(const wchar_t* name, bool enable);

// Enables a privilege and says whether the token holds it at all (the adjustment succeeds without
// enabling a privilege the token lacks).
bool EnableHeldPrivilege(const wchar_t* name);

}  // namespace kvn
