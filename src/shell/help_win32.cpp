#include "shell/help_win32.h"

#include <shellapi.h>

#include <vector>

#include "base/text_win32.h"
#include "settings/windows_tuning_win32.h"

namespace kvn {

namespace {

using HtmlHelpW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
using HtmlHelpA = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

struct HtmlHelpLibrary {
  HtmlHelpVersion version;
  HtmlHelpW wide = nullptr;
  HtmlHelpA ansi = nullptr;
};

constexpr wchar_t kHtmlHelpServer[] =
    L"CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
constexpr UINT kCloseAll = 0x0012;  // HH_CLOSE_ALL

std::wstring RegisteredLibrary() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kHtmlHelpServer, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof(path) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG read =
      RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  std::wstring file(path);
  if (type == REG_EXPAND_SZ) {
    wchar_t expanded[MAX_PATH] = {};
    if (ExpandEnvironmentStringsW(path, expanded, MAX_PATH) - 1 < MAX_PATH) file = expanded;
  }
  return file;
}

bool ReadFileVersion(const std::wstring& file, HtmlHelpVersion& version) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  version.major = HIWORD(info->dwFileVersionMS);
  version.minor = LOWORD(info->dwFileVersionMS);
  return true;
}

struct HtmlHelpFile {
  std::wstring path;
  HtmlHelpVersion version;
};

// The version is read from the file without loading it: start-up needs only that.
const HtmlHelpFile& InstalledFile() {
  static const HtmlHelpFile file = [] {
    HtmlHelpFile found;
    found.path = RegisteredLibrary();
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
    HMODULE module = LoadLibraryW(InstalledFile().path.c_str());
    if (!module) return found;
    found.wide =
        reinterpret_cast<HtmlHelpW>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")));
    found.ansi =
        reinterpret_cast<HtmlHelpA>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
    return found;
  }();
  return library;
}

bool& LibraryLoaded() {
  static bool loaded = false;
  return loaded;
}

}  // namespace

HtmlHelpVersion FindHtmlHelp() {
  return InstalledFile().version;
}

std::string HelpFileName() {
  const std::wstring program = Widen(ProgramFilePath());
  const std::wstring file = program.substr(0, program.find_last_of(L"\\/") + 1) + L"help.chm";
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD n = GetFullPathNameW(file.c_str(), MAX_PATH * 2, full, nullptr);
  return Narrow(n > 0 && n < MAX_PATH * 2 ? std::wstring(full, n) : file);
}

bool Win32HelpSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32HelpSystem::HtmlHelp(const std::string& path, unsigned command, unsigned long data) {
  LibraryLoaded() = true;
  const HtmlHelpLibrary& library = Library();
  // The wide entry point keeps a path outside the system's code page intact.
  if (library.wide) {
    library.wide(nullptr, Widen(path).c_str(), command, data);
  } else if (library.ansi) {
    std::string ansi(path.size() * 2 + 1, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, Widen(path).c_str(), -1, ansi.data(),
                                      static_cast<int>(ansi.size()), nullptr, nullptr);
    if (n > 0) library.ansi(nullptr, ansi.c_str(), command, data);
  } else {
    ShowMessage(kHtmlHelpTooOld);
  }
}

void Win32HelpSystem::ShowMessage(const std::string& text) {
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), L"Korvane", MB_OK | MB_ICONINFORMATION);
}

void Win32HelpSystem::CloseAll() {
  if (!LibraryLoaded()) return;  // nothing was ever shown
  const HtmlHelpLibrary& library = Library();
  if (library.wide)
    library.wide(nullptr, nullptr, kCloseAll, 0);
  else if (library.ansi)
    library.ansi(nullptr, nullptr, kCloseAll, 0);
}

int StartupShowCommand() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

void OpenWithShell(const std::string& target) {
  ShellExecuteW(nullptr, nullptr, Widen(target).c_str(), nullptr, nullptr, StartupShowCommand());
}

}  // namespace kvn
