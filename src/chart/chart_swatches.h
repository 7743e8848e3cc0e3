#pragma once
// The colour swatches of the settings page and the legend marks beside the chart: each opens
// the colour chooser on the colour it stands for, and shows the chart's colours afterwards.
#include "chart/chart_colors.h"
#include "ui/components.h"
#include "ui/window_parts.h"

namespace kvn {

struct ChartSwatchControls {
  ui::Shape& backgroundSwatch;
  ui::Shape& gridSwatch;
  ui::Shape& cpuSwatch;
  ui::Shape& ramSwatch;
  ui::Shape& alarmSwatch;
  ui::Shape& cpuLegendMark;  // legend marks
  ui::Shape& ramLegendMark;
  ui::Shape& alarmLegendMark;
  ui::Button& defaultColorsButton;  // "Défaut"
  ui::ColorDialog& colorDialog;
};

class ChartSwatches {
 public:
  ChartSwatches(const ChartSwatchControls& controls, HistoryChart& chart, ChartColors& colors);

  // Binds the swatches, the legend marks, "Défaut" and the colours' refresh.
  void Bind();
  // Opens the chooser preset to one colour; a confirmed choice is stored and applied.
  void PickColor(ChartColor which);
  // Swatches and legend marks take the chart's colours.
  void ShowColors();

  // The window the chooser belongs to (set once the main window exists).
  void* OwnerWindow = nullptr;

 private:
  ChartSwatchControls c_;
  HistoryChart& chart_;
  ChartColors& colors_;
};

}  // namespace kvn
