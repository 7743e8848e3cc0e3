#include "chart/chart_swatches.h"

namespace kvn {

ChartSwatches::ChartSwatches(const ChartSwatchControls& controls, HistoryChart& chart,
                             ChartColors& colors)
    : c_(controls), chart_(chart), colors_(colors) {}

void ChartSwatches::Bind() {
  const std::pair<ui::Shape*, ChartColor> shapes[] = {
      {&c_.backgroundSwatch, ChartColor::Background},
      {&c_.gridSwatch, ChartColor::Grid},
      {&c_.cpuSwatch, ChartColor::CPU},
      {&c_.ramSwatch, ChartColor::RAM},
      {&c_.alarmSwatch, ChartColor::Alarm},
      {&c_.cpuLegendMark, ChartColor::CPU},
      {&c_.ramLegendMark, ChartColor::RAM},
      {&c_.alarmLegendMark, ChartColor::Alarm},
  };
  for (const auto& [shape, which] : shapes) {
    shape->OnMouseDown = [this, which = which](ui::MouseButton, int, int) { PickColor(which); };
    shape->OnClick = [this, which = which] { PickColor(which); };  // Space or Enter
  }
  c_.defaultColorsButton.OnClick = [this] { colors_.OnDefaultColorsClick(); };
  colors_.OnColorsApplied = [this](const HistoryChart&) { ShowColors(); };
}

void ChartSwatches::PickColor(ChartColor which) {
  c_.colorDialog.Value = GetChartColor(chart_, which);
  if (c_.colorDialog.Execute(OwnerWindow)) colors_.ColorChosen(which, c_.colorDialog.Value);
}

void ChartSwatches::ShowColors() {
  c_.backgroundSwatch.SetBrushColor(chart_.BackgroundColor());
  c_.gridSwatch.SetBrushColor(chart_.GridColor());
  c_.cpuSwatch.SetBrushColor(chart_.CpuColor());
  c_.ramSwatch.SetBrushColor(chart_.RamColor());
  c_.alarmSwatch.SetBrushColor(chart_.AlarmColor());
  // The legend shows the colours the lines are drawn in (the high-contrast scheme's, while it is
  // on); the swatches above show the user's own.
  const ChartPalette drawn = chart_.Drawn();
  const std::pair<ui::Shape*, ChartColorRef> marks[] = {{&c_.cpuLegendMark, drawn.cpu},
                                                        {&c_.ramLegendMark, drawn.ram},
                                                        {&c_.alarmLegendMark, drawn.alarm}};
  for (const auto& [mark, color] : marks) {
    mark->SetBrushColor(color);
    mark->SetPenColor(color);
  }
}

}  // namespace kvn
