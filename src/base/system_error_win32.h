#pragma once
// The system's own words for an error code, for the log: "Accès refusé. (5)".
#include <windows.h>

#include <string>

namespace kvn {

// The system's message for `error` in the user's language, its line end dropped, followed by the
// code in brackets; the code alone when the system has no message for it.
std::string SystemErrorText(DWORD error);

}  // namespace kvn
