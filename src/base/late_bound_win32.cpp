#include "base/late_bound_win32.h"

#include <string>

namespace kvn {

HMODULE SystemLibrary(const wchar_t* dll) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  path += dll;
  // A full path keeps the loader off the search path, and the altered search path makes the
  // DLL's own dependencies come from its folder too. A module already loaded from that path is
  // returned as it is. The reference is never given back: the function stays for the run.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC LateBoundProc(const wchar_t* dll, const char* name) {
  HMODULE module = SystemLibrary(dll);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace kvn
