// Functions of later Windows releases that the runtime libraries import directly. The threads
// library of the toolchain calls GetTickCount64, which Windows XP lacks; an import of it would
// keep the program from starting there at all. This file, linked into the program itself, gives
// the import slot its own value: the system's function where it exists, looked up at the first
// call, and otherwise the 32-bit tick count extended to 64 bits.
#include <windows.h>

#include <cstdlib>

#include "base/late_bound_win32.h"

namespace {

ULONGLONG WINAPI ExtendedTickCount() {
  // The last answer, high half counting the wraps of the 32-bit count (every 49.7 days). The
  // compare-exchange keeps two threads from counting one wrap twice.
  static volatile LONGLONG last = 0;
  for (;;) {
    const LONGLONG seen = InterlockedCompareExchange64(&last, 0, 0);
    const DWORD now = GetTickCount();
    ULONGLONG high = static_cast<ULONGLONG>(seen) >> 32;
    if (now < static_cast<DWORD>(seen)) ++high;
    const LONGLONG next = static_cast<LONGLONG>((high << 32) | now);
    if (InterlockedCompareExchange64(&last, next, seen) == seen)
      return static_cast<ULONGLONG>(next);
  }
}

using TickCount64 = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI FirstTickCount64();

}  // namespace

// The slot the threads library calls through, named as the import library would name it.
extern "C" {
TickCount64 ImportedGetTickCount64 __asm__("__imp__GetTickCount64@0") = FirstTickCount64;
}

namespace {

ULONGLONG WINAPI FirstTickCount64() {
  // The threads library may make this first call before the C++ runtime is set up, even under
  // the loader lock: no allocation and no LoadLibrary here, so not the system-folder lookup of
  // the rest of the program. kernel32 is in every process from its start, and is never found
  // through the search path.
  const auto system =
      kvn::LateBound<TickCount64>(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64");
  ImportedGetTickCount64 = system ? system : ExtendedTickCount;
  return ImportedGetTickCount64();
}

}  // namespace

// The C++ runtime's default end for an uncaught exception writes the exception's demangled type
// to standard error, which this windowed program does not have; its name demangler alone is some
// 40 KB of code. The program puts its own crash report in place at start-up; until then, and
// after it is taken down, a plain abort ends the program as the default would.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
