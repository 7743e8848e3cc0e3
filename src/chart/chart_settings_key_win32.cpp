#include "chart/chart_settings_key_win32.h"

#include "base/text_win32.h"

namespace kvn {

bool Win32ChartSettingsKey::Open() {
  Close();
  return RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                         nullptr, &key_, nullptr) == ERROR_SUCCESS;
}

void Win32ChartSettingsKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

std::optional<std::int32_t> Win32ChartSettingsKey::ReadInteger(std::string_view name) {
  if (!key_) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key_, Widen(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool Win32ChartSettingsKey::WriteInteger(std::string_view name, std::int32_t value) {
  if (!key_) return false;
  const DWORD v = static_cast<DWORD>(value);
  return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                        sizeof v) == ERROR_SUCCESS;
}

}  // namespace kvn
