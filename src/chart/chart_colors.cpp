#include "chart/chart_colors.h"

namespace kvn {

namespace {

struct StoredColor {
  const char* name;
  ChartColor which;
};

// Read and written in this order.
constexpr StoredColor kStored[] = {
    {kBackgroundColorValue, ChartColor::Fond}, {kGridColorValue, ChartColor::Grid},
    {kCpuColorValue, ChartColor::CPU},         {kRamColorValue, ChartColor::RAM},
    {kAlarmColorValue, ChartColor::Alarme},
};

}  // namespace

TColor GetChartColor(const TGRAPHKVN& chart, ChartColor which) {
  switch (which) {
    case ChartColor::Fond:
      return chart.CouleurFond();
    case ChartColor::Grid:
      return chart.CouleurGrid();
    case ChartColor::CPU:
      return chart.CouleurCPU();
    case ChartColor::RAM:
      return chart.CouleurRAM();
    case ChartColor::Alarme:
      return chart.CouleurAlarme();
  }
  return 0;
}

void SetChartColor(TGRAPHKVN& chart, ChartColor which, TColor color) {
  switch (which) {
    case ChartColor::Fond:
      chart.SetCouleurFond(color);
      break;
    case ChartColor::Grid:
      chart.SetCouleurGrid(color);
      break;
    case ChartColor::CPU:
      chart.SetCouleurCPU(color);
      break;
    case ChartColor::RAM:
      chart.SetCouleurRAM(color);
      break;
    case ChartColor::Alarme:
      chart.SetCouleurAlarme(color);
      break;
  }
}

void ChartColors::ChangeColor() {
  if (const auto key = registry_.Open(RegistryRoot::CurrentUser, settingsKey_, true)) {
    for (const auto& s : kStored) {
      const std::optional<std::uint32_t> value = key->ReadDword(s.name);
      if (!value) break;
      SetChartColor(chart_, s.which, static_cast<TColor>(*value));
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

void ChartColors::Btn6Click() {
  chart_.SetCouleurAlarme(kDefaultAlarme);
  chart_.SetCouleurCPU(kDefaultCPU);
  chart_.SetCouleurFond(kDefaultFond);
  chart_.SetCouleurRAM(kDefaultRAM);
  chart_.SetCouleurGrid(kDefaultGrid);
  SaveColor();
  ChangeColor();
}

void ChartColors::ColorChosen(ChartColor which, TColor color) {
  SetChartColor(chart_, which, color);
  SaveColor();
  ChangeColor();
}

}  // namespace kvn
