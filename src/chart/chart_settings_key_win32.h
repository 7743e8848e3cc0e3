#pragma once
// The chart colours' registry key on Windows: HKCU\Software\Korvane\settings.
#include <windows.h>

#include <string>

#include "chart/chart_colors.h"

namespace kvn {

class Win32ChartSettingsKey : public ChartSettingsKey {
 public:
  static constexpr wchar_t kDefaultPath[] = L"Software\\Korvane\\settings";

  explicit Win32ChartSettingsKey(HKEY root = HKEY_CURRENT_USER, std::wstring path = kDefaultPath)
      : root_(root), path_(std::move(path)) {}
  ~Win32ChartSettingsKey() override { Close(); }
  Win32ChartSettingsKey(const Win32ChartSettingsKey&) = delete;
  Win32ChartSettingsKey& operator=(const Win32ChartSettingsKey&) = delete;

  bool Open() override;
  void Close() override;
  std::optional<std::int32_t> ReadInteger(std::string_view name) override;
  bool WriteInteger(std::string_view name, std::int32_t value) override;

 private:
  HKEY root_;
  std::wstring path_;
  HKEY key_ = nullptr;
};

}  // namespace kvn
