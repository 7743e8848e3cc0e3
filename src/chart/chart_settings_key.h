#pragma once
// The chart colours' registry key: the program's settings key of the current user, opened (and
// created when missing) around each reading or saving of the colours.
#include <memory>
#include <string>

#include "base/registry.h"
#include "chart/chart_colors.h"

namespace kvn {

class RegistryChartSettingsKey : public ChartSettingsKey {
 public:
  // `path`: the settings key under HKEY_CURRENT_USER, "Software\Korvane\settings" for the program.
  RegistryChartSettingsKey(Registry& registry, std::string path)
      : registry_(registry), path_(std::move(path)) {}

  bool Open() override {
    key_ = registry_.Open(RegistryRoot::CurrentUser, path_, true);
    return key_ != nullptr;
  }
  void Close() override { key_.reset(); }
  std::optional<std::int32_t> ReadInteger(std::string_view name) override {
    if (!key_) return std::nullopt;
    const std::optional<std::uint32_t> value = key_->ReadDword(name);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
  }
  bool WriteInteger(std::string_view name, std::int32_t value) override {
    return key_ && key_->WriteDword(name, static_cast<std::uint32_t>(value));
  }

 private:
  Registry& registry_;
  std::string path_;
  std::unique_ptr<RegistryKey> key_;
};

}  // namespace kvn
