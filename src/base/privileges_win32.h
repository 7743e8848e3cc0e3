#pragma once
// A privilege of the program's own token, enabled for a call that needs it and put back as it
// was afterwards: one the token had enabled already stays enabled (another part of the program,
// or whoever started it, may rely on it).
#include <windows.h>

#include "base/unique_handle_win32.h"

namespace kvn {

class EnabledPrivilege {
 public:
  // Opens the program's token (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), looks the privilege up on
  // the local system and enables it, keeping the state it had.
  explicit EnabledPrivilege(const wchar_t* name);
  ~EnabledPrivilege();
  EnabledPrivilege(const EnabledPrivilege&) = delete;
  EnabledPrivilege& operator=(const EnabledPrivilege&) = delete;

  // The token holds the privilege and it is enabled now (the adjustment call succeeds without
  // enabling a privilege the token lacks).
  bool Held() const { return held_; }

 private:
  KernelHandle token_;
  TOKEN_PRIVILEGES previous_{};
  bool adjusted_ = false;
  bool held_ = false;
};

}  // namespace kvn
