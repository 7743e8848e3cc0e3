#include "base/data_folder_win32.h"

#include <windows.h>

#include <shlobj.h>

#include "base/program_file_win32.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

// Whether a new file can be made in `folder`: one is, and goes again as it is closed (or as the
// program ends, whatever happens meanwhile).
bool TakesNewFile(const std::wstring& folder) {
  for (DWORD k = 0; k < 8; ++k) {
    wchar_t name[32];
    FixedWideText(name, 32).Add(L"korvane-").AddNumber(GetCurrentProcessId() + k).Add(L".tmp");
    const KernelHandle probe(
        CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (probe) return true;
    // Another file of that name proves nothing either way: the next name is tried.
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return false;
}

std::wstring ChooseWritableFolder() {
  const std::wstring own = Widen(ProgramFileFolder());
  if (!own.empty() && (IsPortableCopy() || TakesNewFile(own))) return own;
  std::wstring user = UserDataFolder();
  return user.empty() ? own : user;
}

}  // namespace

bool AddUserDataFolder(FixedWideText& path) {
  wchar_t base[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
    return false;
  if (!path.Add(base).Add(L"\\Korvane\\").Fits()) return false;
  return CreateDirectoryW(path.Text(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring UserDataFolder() {
  wchar_t buffer[MAX_PATH + 16];
  FixedWideText folder(buffer, MAX_PATH + 16);
  return AddUserDataFolder(folder) ? std::wstring(buffer) : std::wstring();
}

const std::wstring& WritableFolder() {
  static const std::wstring folder = ChooseWritableFolder();
  return folder;
}

KernelHandle NewFile(const std::wstring& path) {
  DeleteFileW(path.c_str());
  return KernelHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace kvn
