#pragma once
// base/: the foundation every room stands on. Portable: rounding (halves to even), ASCII case
// folding, the registry interface with read-only and writable opens, the scope guard. For
// Windows (*_win32): text conversion (UTF-8, UTF-16, ANSI), the real registry, move-only owning
// handles, functions looked up at run time from the system folder, the program's path, file
// version resources, message-only windows, window class registration, worker threads, message
// boxes and privileges.
// It may include the C++ and Windows headers and its own files only: nothing above it.
#include "base/registry.h"
#include "base/rounding.h"
#include "base/scope_guard.h"
#include "base/text.h"
