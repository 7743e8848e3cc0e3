#pragma once
// An in-memory settings key for the chart colours. Value names match without regard to case,
// as in the registry; a value can be made unreadable (stored with another type).
#include <map>
#include <string>

#include "base/text.h"
#include "chart/chart_colors.h"

namespace kvn::fake {

class FakeChartSettingsKey : public ChartSettingsKey {
 public:
  struct Value {
    std::int32_t number = 0;
    bool isInteger = true;
  };
  std::map<std::string, Value> values;  // upper-cased names
  bool opens = true;
  int failWriteAt = -1;  // index of the write that fails
  int writes = 0;
  int openCount = 0;
  int closeCount = 0;
  bool isOpen = false;

  static std::string Upper(std::string_view s) { return AsciiUpper(s); }
  void Set(std::string_view name, std::int32_t v) { values[Upper(name)] = {v, true}; }
  void SetText(std::string_view name) { values[Upper(name)] = {0, false}; }
  bool Has(std::string_view name) const { return values.count(Upper(name)) != 0; }
  std::int32_t Get(std::string_view name) const { return values.at(Upper(name)).number; }

  bool Open() override {
    ++openCount;
    isOpen = opens;
    return opens;
  }
  void Close() override {
    ++closeCount;
    isOpen = false;
  }
  std::optional<std::int32_t> ReadInteger(std::string_view name) override {
    auto it = values.find(Upper(name));
    if (!isOpen || it == values.end() || !it->second.isInteger) return std::nullopt;
    return it->second.number;
  }
  bool WriteInteger(std::string_view name, std::int32_t value) override {
    if (!isOpen || writes++ == failWriteAt) return false;
    Set(name, value);
    return true;
  }
};

}  // namespace kvn::fake
