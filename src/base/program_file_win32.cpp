#include "base/program_file_win32.h"

#include <windows.h>

#include "base/text_win32.h"

namespace kvn {

namespace {

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    // Truncated (the answer fills the buffer): a path longer than MAX_PATH, try a larger one.
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string ProgramFilePath() {
  return Narrow(ModulePath());
}

std::string ProgramFileFolder() {
  const std::wstring path = ModulePath();
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : Narrow(path.substr(0, slash + 1));
}

bool IsPortableCopy() {
  const std::string folder = ProgramFileFolder();
  if (folder.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Widen(folder + kPortableFileName).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace kvn
