// The program's letter case folding, with Windows' tables. It has a stand-in for the host's build
// (case_fold_posix.cpp), so both build into the portable library.
#include <windows.h>

#include "base/text.h"

namespace kvn {

std::string CaseFolded(std::string_view utf8) {
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
  if (units <= 0) return AsciiUpper(utf8);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
  // Upper case, as the file system compares names, with the invariant locale's table: a Turkish
  // system would make "i" a dotted capital. A UTF-16 unit maps to one unit.
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), units, wide.data(), units) !=
      units)
    return AsciiUpper(utf8);
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace kvn
