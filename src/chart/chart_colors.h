#pragma once
// The chart's five user colours: stored under the program's settings key, re-applied by
// ChangeColor, written by SaveColor, reset by "Défaut". CouleurCPU2 is never stored.
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "chart/graph_kvn.h"

namespace kvn {

// HKEY_CURRENT_USER "\Software\Korvane\settings", opened (created when missing) and closed
// around each access.
class ChartSettingsKey {
 public:
  virtual ~ChartSettingsKey() = default;
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // Empty when the value is missing or is not an integer.
  virtual std::optional<std::int32_t> ReadInteger(std::string_view name) = 0;
  virtual bool WriteInteger(std::string_view name, std::int32_t value) = 0;
};

inline constexpr char kBackgroundColorValue[] = "BackgroundColor";
inline constexpr char kGridColorValue[] = "GridColor";
inline constexpr char kCpuColorValue[] = "CPUColor";
inline constexpr char kRamColorValue[] = "RAMColor";
inline constexpr char kAlarmColorValue[] = "AlarmColor";

// The "Défaut" colours (the second processor keeps its own).
inline constexpr TColor kDefaultAlarme = 0x0000FF;
inline constexpr TColor kDefaultCPU = 0xFFB722;
inline constexpr TColor kDefaultFond = 0x000000;
inline constexpr TColor kDefaultRAM = 0x00FF00;
inline constexpr TColor kDefaultGrid = 0x408000;

// The colours a user can choose, one per swatch.
enum class ChartColor { Fond, Grid, CPU, RAM, Alarme };

TColor GetChartColor(const TGRAPHKVN& chart, ChartColor which);
void SetChartColor(TGRAPHKVN& chart, ChartColor which, TColor color);

// What the main window does with the chart's colours. The swatches and legend marks live on
// the form: OnColorsApplied is called at the end of every ChangeColor to repaint them from the
// chart's colours.
class ChartColors {
 public:
  ChartColors(TGRAPHKVN& chart, ChartSettingsKey& key) : chart_(chart), key_(key) {}

  std::function<void(const TGRAPHKVN&)> OnColorsApplied;

  // Reads the stored colours in order, stopping at the first missing or unreadable one, then
  // updates the swatches.
  void ChangeColor();
  // Writes the five colours; failures are swallowed.
  void SaveColor();
  // "Défaut" (Btn6Click).
  void Btn6Click();
  // The colour dialog was confirmed for a swatch or legend mark.
  void ColorChosen(ChartColor which, TColor color);

 private:
  TGRAPHKVN& chart_;
  ChartSettingsKey& key_;
};

}  // namespace kvn
