#include "settings/portable_settings_win32.h"

#include <windows.h>

#include "base/data_folder_win32.h"
#include "base/program_file_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

Win32IniFile::Win32IniFile(std::wstring path) : path_(std::move(path)), temp_(path_ + L".tmp") {
  const DWORD attributes = GetFileAttributesW(path_.c_str());
  readOnly_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (!readOnly_) {
    readOnly_ = !NewFile(temp_);
    DeleteFileW(temp_.c_str());
  }
}

bool Win32IniFile::Read(std::string& bytes) {
  const KernelHandle file(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE || size > kMaxIniBytes) return false;
  bytes.assign(size, '\0');
  DWORD got = 0;
  return size == 0 || (ReadFile(file.get(), bytes.data(), size, &got, nullptr) && got == size);
}

bool Win32IniFile::Write(const std::string& bytes) {
  if (readOnly_) return false;
  bool written = false;
  if (KernelHandle file = NewFile(temp_)) {
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(bytes.size());
    // On the medium before the rename: a stick pulled out right after must find the new file
    // whole.
    written = WriteFile(file.get(), bytes.data(), size, &done, nullptr) && done == size &&
              FlushFileBuffers(file.get());
  }
  if (written &&
      MoveFileExW(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp_.c_str());
  return false;
}

PortableSettings::PortableSettings(const std::string& folder, const std::string& programKey)
    : folder_(folder), file_(Widen(folder + kPortableFileName)), registry_(file_, programKey) {}

std::unique_ptr<PortableSettings> PortableSettingsBeside(const std::string& programKey) {
  if (!IsPortableCopy()) return nullptr;
  return std::make_unique<PortableSettings>(ProgramFileFolder(), programKey);
}

}  // namespace kvn
