#include "base/late_bound_win32.h"

#include <string>

namespace kvn {

void RestrictDllSearchPath() {
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (const auto setDirectory = LateBound<SetDllDirectoryFn>(L"kernel32.dll", "SetDllDirectoryW"))
    setDirectory(L"");
  if (const auto setDefault =
          LateBound<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories"))
    setDefault(kSearchSystem32);
}

std::wstring SystemFolderFile(const wchar_t* file) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path + file;
}

HMODULE SystemLibrary(const wchar_t* dll) {
  const std::wstring path = SystemFolderFile(dll);
  if (path.empty()) return nullptr;
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
