#pragma once
// The log's Win32 services: the user's date and time formats, the folder the program writes its
// own files in, and files and the standard output written with the W API (UTF-8 bytes as they
// are).
#include <windows.h>

#include <string>

#include "shell/log.h"

namespace kvn {

const LogPlatform& Win32LogPlatform();

// `when` in a locale's short date and long time formats, empty when the system cannot format it.
// The log writes the current local time in the user's locale.
std::string ShortDateText(LCID locale, const SYSTEMTIME& when);
std::string LongTimeText(LCID locale, const SYSTEMTIME& when);

}  // namespace kvn
