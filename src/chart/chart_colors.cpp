#include "chart/chart_colors.h"

namespace kvn {

namespace {

struct StoredColor {
  const char* name;
  ChartColor which;
};

// Read and written in this order.
constexpr StoredColor kStored[] = {
    {kBackgroundColorValue, ChartColor::Background},
    {kGridColorValue, ChartColor::Grid},
    {kCpuColorValue, ChartColor::CPU},
    {kRamColorValue, ChartColor::RAM},
    {kAlarmColorValue, ChartColor::Alarm},
};

}  // namespace

ChartColorRef GetChartColor(const HistoryChart& chart, ChartColor which) {
  switch (which) {
    case ChartColor::Background:
      return chart.BackgroundColor();
    case ChartColor::Grid:
      return chart.GridColor();
    case ChartColor::CPU:
      return chart.CpuColor();
    case ChartColor::RAM:
      return chart.RamColor();
    case ChartColor::Alarm:
      return chart.AlarmColor();
  }
  return 0;
}

void SetChartColor(HistoryChart& chart, ChartColor which, ChartColorRef color) {
  switch (which) {
    case ChartColor::Background:
      chart.SetBackgroundColor(color);
      break;
    case ChartColor::Grid:
      chart.SetGridColor(color);
      break;
    case ChartColor::CPU:
      chart.SetCpuColor(color);
      break;
    case ChartColor::RAM:
      chart.SetRamColor(color);
      break;
    case ChartColor::Alarm:
      chart.SetAlarmColor(color);
      break;
  }
}

void ChartColors::ChangeColor() {
  if (const auto key = registry_.Open(RegistryRoot::CurrentUser, settingsKey_, true)) {
    for (const auto& s : kStored) {
      const std::optional<std::uint32_t> value = key->ReadDword(s.name);
      if (!value) break;
      SetChartColor(chart_, s.which, static_cast<ChartColorRef>(*value));
    }
  }
  if (OnColorsApplied) OnColorsApplied(chart_);
}

void ChartColors::SaveColor() {
  const auto key = registry_.Open(RegistryRoot::CurrentUser, settingsKey_, true);
  if (!key) return;
  for (const auto& s : kStored)
    if (!key->WriteDword(s.name, static_cast<std::uint32_t>(GetChartColor(chart_, s.which))))
      return;
}

void ChartColors::OnDefaultColorsClick() {
  chart_.SetAlarmColor(kDefaultAlarm);
  chart_.SetCpuColor(kDefaultCPU);
  chart_.SetBackgroundColor(kDefaultBackground);
  chart_.SetRamColor(kDefaultRAM);
  chart_.SetGridColor(kDefaultGrid);
  SaveColor();
  ChangeColor();
}

void ChartColors::ColorChosen(ChartColor which, ChartColorRef color) {
  SetChartColor(chart_, which, color);
  SaveColor();
  ChangeColor();
}

}  // namespace kvn
