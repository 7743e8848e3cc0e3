#include "chart/chart_swatches.h"

namespace kvn {

ChartSwatches::ChartSwatches(const ChartSwatchControls& controls, TGRAPHKVN& chart,
                             ChartColors& colors)
    : c_(controls), chart_(chart), colors_(colors) {}

void ChartSwatches::Bind() {
  const std::pair<ui::Shape*, ChartColor> shapes[] = {
      {&c_.ShapeBFond, ChartColor::Fond},     {&c_.ShapeBGrid, ChartColor::Grid},
      {&c_.ShapeBCPU, ChartColor::CPU},       {&c_.ShapeBRAM, ChartColor::RAM},
      {&c_.ShapeBAlarme, ChartColor::Alarme}, {&c_.ShapeCPU, ChartColor::CPU},
      {&c_.ShapeRam, ChartColor::RAM},        {&c_.ShapeAlarme, ChartColor::Alarme},
  };
  for (const auto& [shape, which] : shapes) {
    shape->OnMouseDown = [this, which = which](ui::MouseButton, int, int) { PickColor(which); };
  }
  c_.Btn6.OnClick = [this] { colors_.Btn6Click(); };
  colors_.OnColorsApplied = [this](const TGRAPHKVN&) { ShowColors(); };
}

void ChartSwatches::PickColor(ChartColor which) {
  c_.ColorDialog.Value = GetChartColor(chart_, which);
  if (c_.ColorDialog.Execute(OwnerWindow)) colors_.ColorChosen(which, c_.ColorDialog.Value);
}

void ChartSwatches::ShowColors() {
  c_.ShapeBFond.SetBrushColor(chart_.CouleurFond());
  c_.ShapeBGrid.SetBrushColor(chart_.CouleurGrid());
  c_.ShapeBCPU.SetBrushColor(chart_.CouleurCPU());
  c_.ShapeBRAM.SetBrushColor(chart_.CouleurRAM());
  c_.ShapeBAlarme.SetBrushColor(chart_.CouleurAlarme());
  const std::pair<ui::Shape*, TColor> marks[] = {{&c_.ShapeCPU, chart_.CouleurCPU()},
                                                 {&c_.ShapeRam, chart_.CouleurRAM()},
                                                 {&c_.ShapeAlarme, chart_.CouleurAlarme()}};
  for (const auto& [mark, color] : marks) {
    mark->SetBrushColor(color);
    mark->SetPenColor(color);
  }
}

}  // namespace kvn
