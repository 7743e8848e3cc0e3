#pragma once
// MapiMail: sends a message through the system's Simple MAPI without showing a window,
// logging on with the default profile (or letting the mail system ask) when no session is open.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/system_functions_win32.h"

namespace kvn {

class MapiMail {
 public:
  // Simple MAPI counts recipients and files in 16 bits of its own: beyond these it refuses.
  static constexpr std::size_t kMaxRecipients = 2730;
  static constexpr std::size_t kMaxFiles = 2730;

  // The system's entry points, looked up by the first send: loading MAPI32.DLL and what it
  // pulls in is no part of start-up.
  MapiMail() = default;
  explicit MapiMail(MapiFunctions mapi) : mapi_(mapi) {}

  std::string Subject;
  std::string Body;
  std::vector<std::string> Recipients;   // MAPI_TO addresses
  std::vector<std::string> Attachments;  // full paths
  // Told the MAPI error code of a step that failed; nothing is shown otherwise.
  std::function<void(ULONG)> OnError;

  // Returns SUCCESS_SUCCESS or the first MAPI error code met.
  ULONG SendReportMail();

 private:
  ULONG Fail(ULONG code);

  std::optional<MapiFunctions> mapi_;
  LHANDLE session_ = 0;
};

}  // namespace kvn
