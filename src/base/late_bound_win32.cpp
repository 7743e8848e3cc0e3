#include "base/late_bound_win32.h"

#include <string>

#include "base/fixed_text.h"
#include "base/system_functions_win32.h"

namespace kvn {

void RestrictDllSearchPath() {
  constexpr DWORD kSearchSystem32 = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (const auto setDirectory = Kernel32().SetDllDirectoryW) setDirectory(L"");
  if (const auto setDefault = Kernel32().SetDefaultDllDirectories) setDefault(kSearchSystem32);
}

namespace {

constexpr std::size_t kPathCapacity = 2 * MAX_PATH;

// The system folder's file of that name, written into path; false without a folder or when it
// does not fit. Nothing allocated: the crash report looks its library up while the heap may be
// what broke.
bool SystemFolderPath(const wchar_t* file, wchar_t (&path)[kPathCapacity]) {
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  FixedWideText rest(path + length, kPathCapacity - length);
  if (path[length - 1] != L'\\') rest.Add(L"\\");
  return rest.Add(file).Fits();
}

}  // namespace

std::wstring SystemFolderFile(const wchar_t* file) {
  wchar_t path[kPathCapacity];
  return SystemFolderPath(file, path) ? path : std::wstring();
}

HMODULE SystemLibrary(const wchar_t* dll) noexcept {
  wchar_t path[kPathCapacity];
  if (!SystemFolderPath(dll, path)) return nullptr;
  // A full path keeps the loader off the search path, and the altered search path makes the
  // DLL's own dependencies come from its folder too. A module already loaded from that path is
  // returned as it is. The reference is never given back: the function stays for the run.
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace kvn
