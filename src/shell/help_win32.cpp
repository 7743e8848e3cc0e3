#include "shell/help_win32.h"

#include <optional>

#include "base/file_version_win32.h"
#include "base/late_bound_win32.h"
#include "base/message_box_win32.h"
#include "base/program_file_win32.h"
#include "base/registry_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

struct HtmlHelpLibrary {
  HtmlHelpVersion version;
  HtmlHelpFunctions functions;
};

constexpr UINT kCloseAll = 0x0012;  // HH_CLOSE_ALL

void ReadFileVersion(const std::wstring& file, HtmlHelpVersion& version) {
  if (const std::optional<VS_FIXEDFILEINFO> fixed = FixedFileVersion(file)) {
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
  }
}

struct HtmlHelpFile {
  std::wstring path;
  HtmlHelpVersion version;
};

// The version is read from the file without loading it: start-up needs only that.
const HtmlHelpFile& InstalledFile() {
  static const HtmlHelpFile file = [] {
    HtmlHelpFile found;
    found.path = RegisteredHtmlHelpLibrary(Win32Registry());
    if (found.path.empty() || GetFileAttributesW(found.path.c_str()) == INVALID_FILE_ATTRIBUTES)
      return found;
    found.version.present = true;
    ReadFileVersion(found.path, found.version);
    return found;
  }();
  return file;
}

// Loaded at the first help request.
const HtmlHelpLibrary& Library() {
  static const HtmlHelpLibrary library = [] {
    HtmlHelpLibrary found;
    found.version = InstalledFile().version;
    if (!found.version.present) return found;
    HMODULE module =
        LoadLibraryExW(InstalledFile().path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return found;
    found.functions = HtmlHelpFunctionsOf(module);
    return found;
  }();
  return library;
}

bool& LibraryLoaded() {
  static bool loaded = false;
  return loaded;
}

}  // namespace

std::wstring RegisteredHtmlHelpLibrary(Registry& registry) {
  const auto key = registry.OpenReadOnly(RegistryRoot::LocalMachine, kHtmlHelpServerKey);
  if (!key) return {};
  const std::optional<RegistryText> value = key->ReadAnyText("");
  if (!value) return {};
  std::wstring file = Widen(value->text);
  if (value->expandable) {
    wchar_t expanded[MAX_PATH] = {};
    if (ExpandEnvironmentStringsW(file.c_str(), expanded, MAX_PATH) - 1 < MAX_PATH) file = expanded;
  }
  // A bare name would be looked for in the current folder: the system folder's copy then.
  const bool full = (file.size() > 2 && file[1] == L':' && (file[2] == L'\\' || file[2] == L'/')) ||
                    file.starts_with(L"\\\\");
  if (!full && !file.empty() && file.find_first_of(L"\\/:") == std::wstring::npos)
    return SystemFolderFile(file.c_str());
  return full ? file : std::wstring();
}

HtmlHelpVersion FindHtmlHelp() {
  return InstalledFile().version;
}

std::string HelpFileName() {
  const std::wstring file = Widen(ProgramFileFolder() + "help.chm");
  // The size asked first: the program's folder may be longer than MAX_PATH.
  const DWORD size = GetFullPathNameW(file.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD n = size > 0 ? GetFullPathNameW(file.c_str(), size, full.data(), nullptr) : 0;
  return Narrow(n > 0 && n < size ? full.substr(0, n) : file);
}

bool Win32HelpSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32HelpSystem::HtmlHelp(const std::string& path, unsigned command, unsigned long data) {
  LibraryLoaded() = true;
  const HtmlHelpFunctions& library = Library().functions;
  // The wide entry point keeps a path outside the system's code page intact.
  if (library.HtmlHelpW) {
    library.HtmlHelpW(nullptr, Widen(path).c_str(), command, data);
  } else if (library.HtmlHelpA) {
    const std::string ansi = ToAnsi(path);
    if (!ansi.empty() || path.empty()) library.HtmlHelpA(nullptr, ansi.c_str(), command, data);
  } else {
    ShowMessage(kHtmlHelpTooOld);
  }
}

void Win32HelpSystem::ShowMessage(const std::string& text) {
  ShowMessageBox(GetActiveWindow(), text, MB_OK | MB_ICONINFORMATION);
}

void Win32HelpSystem::CloseAll() {
  if (!LibraryLoaded()) return;  // nothing was ever shown
  const HtmlHelpFunctions& library = Library().functions;
  if (library.HtmlHelpW)
    library.HtmlHelpW(nullptr, nullptr, kCloseAll, 0);
  else if (library.HtmlHelpA)
    library.HtmlHelpA(nullptr, nullptr, kCloseAll, 0);
}

}  // namespace kvn
