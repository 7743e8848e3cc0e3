#pragma once
// The colour swatches of the settings page and the legend marks beside the chart: each opens
// the colour chooser on the colour it stands for, and shows the chart's colours afterwards.
#include "chart/chart_colors.h"
#include "ui/components.h"
#include "ui/window_parts.h"

namespace kvn {

struct ChartSwatchControls {
  ui::Shape& ShapeBFond;
  ui::Shape& ShapeBGrid;
  ui::Shape& ShapeBCPU;
  ui::Shape& ShapeBRAM;
  ui::Shape& ShapeBAlarme;
  ui::Shape& ShapeCPU;  // legend marks
  ui::Shape& ShapeRam;
  ui::Shape& ShapeAlarme;
  ui::Button& Btn6;  // "Défaut"
  ui::ColorDialog& ColorDialog;
};

class ChartSwatches {
 public:
  ChartSwatches(const ChartSwatchControls& controls, TGRAPHKVN& chart, ChartColors& colors);

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
  TGRAPHKVN& chart_;
  ChartColors& colors_;
};

}  // namespace kvn
