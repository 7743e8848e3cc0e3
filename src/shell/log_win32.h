#pragma once
// The log's Win32 services: the user's date and time formats, the program's folder, and files
// and the standard output written with the W API (UTF-8 bytes as they are).
#include "shell/log.h"

namespace kvn {

const LogPlatform& Win32LogPlatform();

}  // namespace kvn
