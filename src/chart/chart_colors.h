#pragma once
// The chart's five user colours: stored under the program's settings key, re-applied by
// ChangeColor, written by SaveColor, reset by "Défaut". Cpu2Color is never stored.
#include <cstdint>
#include <functional>
#include <string>

#include "base/registry.h"
#include "chart/graph_kvn.h"

namespace kvn {

inline constexpr char kBackgroundColorValue[] = "BackgroundColor";
inline constexpr char kGridColorValue[] = "GridColor";
inline constexpr char kCpuColorValue[] = "CPUColor";
inline constexpr char kRamColorValue[] = "RAMColor";
inline constexpr char kAlarmColorValue[] = "AlarmColor";

// The "Défaut" colours (the second processor keeps its own).
inline constexpr ChartColorRef kDefaultAlarm = 0x0000FF;
inline constexpr ChartColorRef kDefaultCPU = 0xFFB722;
inline constexpr ChartColorRef kDefaultBackground = 0x000000;
inline constexpr ChartColorRef kDefaultRAM = 0x00FF00;
inline constexpr ChartColorRef kDefaultGrid = 0x408000;

// The colours a user can choose, one per swatch.
enum class ChartColor { Background, Grid, CPU, RAM, Alarm };

ChartColorRef GetChartColor(const HistoryChart& chart, ChartColor which);
void SetChartColor(HistoryChart& chart, ChartColor which, ChartColorRef color);

// What the main window does with the chart's colours. The swatches and legend marks live on
// the form: OnColorsApplied is called at the end of every ChangeColor to repaint them from the
// chart's colours.
class ChartColors {
 public:
  // settingsKey: the program's settings key under HKEY_CURRENT_USER ("Software\Korvane\settings"),
  // opened (created when missing) and closed around each reading or saving.
  ChartColors(HistoryChart& chart, Registry& registry, std::string settingsKey)
      : chart_(chart), registry_(registry), settingsKey_(std::move(settingsKey)) {}

  std::function<void(const HistoryChart&)> OnColorsApplied;

  // Reads the stored colours in order, stopping at the first missing or unreadable one, then
  // updates the swatches.
  void ChangeColor();
  // Writes the five colours; failures are swallowed.
  void SaveColor();
  // "Défaut" (OnDefaultColorsClick).
  void OnDefaultColorsClick();
  // The colour dialog was confirmed for a swatch or legend mark.
  void ColorChosen(ChartColor which, ChartColorRef color);

 private:
  HistoryChart& chart_;
  Registry& registry_;
  std::string settingsKey_;
};

}  // namespace kvn
