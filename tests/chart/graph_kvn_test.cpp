#include "chart/graph_kvn.h"

#include <gtest/gtest.h>

#include "fakes/chart_recording_painter.h"

namespace kvn {
namespace {

using fake::ChartOp;
using fake::RecordingChartPainter;

TEST(ValueToY, RowsRoundHalvesToEven) {
  struct Case {
    int value, height, row;
  } cases[] = {
      {0, 100, 100}, {100, 100, 0}, {50, 100, 50},
      {35, 100, 65}, {1, 100, 99},  {50, 75, 38},  // 37.5
      {10, 75, 68},                                // 67.5
      {30, 75, 52},                                // 52.5
      {1, 50, 50},                                 // 49.5
      {3, 50, 48},                                 // 48.5
      {0, 1, 1},     {100, 1, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ValueToY(c.value, c.height), c.row) << c.value << " on " << c.height;
}

TEST(HistoryChart, CreationState) {
  HistoryChart chart;
  EXPECT_EQ(chart.Width(), 300);
  EXPECT_EQ(chart.Height(), 100);
  EXPECT_EQ(chart.BackgroundColor(), 0x000000u);
  EXPECT_EQ(chart.GridColor(), 5614673u);
  EXPECT_EQ(chart.CpuColor(), 16758562u);
  EXPECT_EQ(chart.Cpu2Color(), 0x00FFFFu);
  EXPECT_EQ(chart.RamColor(), 1559059u);
  EXPECT_EQ(chart.AlarmColor(), 255u);
  EXPECT_TRUE(chart.Enabled());
  EXPECT_TRUE(chart.DoubleBuffered());
  EXPECT_EQ(chart.Step(), 1);
  EXPECT_EQ(chart.WriteIndex(), 0);
  EXPECT_EQ(chart.SampleCount(), 0);
  chart.SetSize(0, 0);
  EXPECT_EQ(chart.Width(), 300);
  EXPECT_EQ(chart.Height(), 100);
}

// Out-of-range values land on the nearest edge: the rows of the stored samples and the alarm.
TEST(HistoryChart, ValuesAreLimitedToTheScale) {
  struct Case {
    int ram, cpu, cpu2, alarm;
    int ramStored, cpuStored, cpu2Stored, alarmRow;
  } cases[] = {
      {150, 0, 100, 35, 100, 0, 100, 65},
      {50, 130, -12, -5, 50, 100, 0, 100},
      {0, 7, 255, 250, 0, 7, 100, 0},
      {256, 300, 99, 100, 100, 100, 99, 0},
  };
  for (const auto& c : cases) {
    HistoryChart chart;
    RecordingChartPainter painter;
    chart.AttachPainter(&painter);
    chart.Plot(c.ram, c.cpu, c.cpu2, c.alarm);
    EXPECT_EQ(chart.RamSeries().back(), c.ramStored);
    EXPECT_EQ(chart.CpuSeries().back(), c.cpuStored);
    EXPECT_EQ(chart.Cpu2Series().back(), c.cpu2Stored);
    const auto alarm = painter.LinesIn(chart.AlarmColor());
    ASSERT_EQ(alarm.size(), 1u);
    EXPECT_EQ(alarm[0][0].y, c.alarmRow);
    EXPECT_EQ(alarm[0][0].x, 1);
    EXPECT_EQ(alarm[0][1].x, 299);
    EXPECT_EQ(alarm[0][1].y, c.alarmRow);
  }
}

TEST(HistoryChart, KeepsTheNewest301SamplesAndScrolls) {
  HistoryChart chart;
  for (int i = 0; i < 301; ++i) {
    chart.Plot(i % 101, (i + 1) % 101, (i + 2) % 101, 35);
    ASSERT_EQ(chart.RamSeries().size(), static_cast<std::size_t>(i + 1));
  }
  EXPECT_EQ(chart.WriteIndex(), 300);
  EXPECT_EQ(chart.SampleCount(), 300);
  EXPECT_EQ(chart.RamSeries().front(), 0);
  EXPECT_EQ(chart.RamSeries().back(), 300 % 101);

  chart.Plot(77, 66, 55, 35);  // the 302nd
  EXPECT_EQ(chart.RamSeries().size(), 301u);
  EXPECT_EQ(chart.CpuSeries().size(), 301u);
  EXPECT_EQ(chart.Cpu2Series().size(), 301u);
  EXPECT_EQ(chart.RamSeries().front(), 1) << "the oldest dropped";
  EXPECT_EQ(chart.RamSeries().back(), 77);
  EXPECT_EQ(chart.CpuSeries().back(), 66);
  EXPECT_EQ(chart.Cpu2Series().back(), 55);
  for (int i = 0; i < 500; ++i) chart.Plot(i % 100, 0, 0, 0);
  EXPECT_EQ(chart.RamSeries().size(), 301u);
  EXPECT_EQ(chart.RamSeries().back(), 499 % 100);
  EXPECT_EQ(chart.RamSeries()[299], 498 % 100);
  EXPECT_EQ(chart.WriteIndex(), 300);
  EXPECT_EQ(chart.SampleCount(), 300);
}

TEST(HistoryChart, EveryFrameIsBackgroundGridAlarmThenCurvesMemoryOnTop) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  chart.Plot(60, 20, 10, 35);
  // Background and grid are presented, then the frame with the curves.
  ASSERT_EQ(painter.frames.size(), 2u);
  const auto& bg = painter.frames[0];
  ASSERT_GE(bg.size(), 3u);
  EXPECT_EQ(bg[0].kind, ChartOp::Size);
  EXPECT_EQ(bg[0].points[0].x, 300);
  EXPECT_EQ(bg[0].points[0].y, 100);
  EXPECT_EQ(bg[1].kind, ChartOp::Fill);
  EXPECT_EQ(bg[1].color, chart.BackgroundColor());
  EXPECT_EQ(bg[1].points[1].x, 300);
  int vertical = 0, horizontal = 0;
  for (std::size_t i = 2; i < bg.size(); ++i) {
    EXPECT_EQ(bg[i].color, chart.GridColor());
    if (bg[i].points.size() == 2 && bg[i].points[0].x == bg[i].points[1].x) ++vertical;
    if (bg[i].points.size() == 2 && bg[i].points[0].y == bg[i].points[1].y) ++horizontal;
  }
  EXPECT_EQ(bg[2].points.size(), 5u) << "border first";
  EXPECT_EQ(bg[2].points[2].x, 299);
  EXPECT_EQ(bg[2].points[2].y, 99);
  EXPECT_EQ(vertical, 31);    // x = 0, 10, ..., 300
  EXPECT_EQ(horizontal, 11);  // y = 0, 10, ..., 100

  const auto& curves = painter.frames[1];
  ASSERT_EQ(curves.size(), 4u);
  EXPECT_EQ(curves[0].color, chart.AlarmColor());
  EXPECT_EQ(curves[1].color, chart.CpuColor());
  EXPECT_EQ(curves[2].color, chart.Cpu2Color());
  EXPECT_EQ(curves[3].color, chart.RamColor());
}

// After one sample the curves are a point at x = W (outside the picture); after two, one pixel
// at the last column; once full, they start at the left edge.
TEST(HistoryChart, CurvePointsGrowFromTheRightEdge) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  chart.Plot(40, 20, 10, 35);
  auto ram = painter.LinesIn(chart.RamColor());
  ASSERT_EQ(ram.size(), 1u);
  for (const auto& p : ram[0]) EXPECT_EQ(p.x, 300);

  chart.Plot(40, 20, 10, 35);
  ram = painter.LinesIn(chart.RamColor());
  ASSERT_EQ(ram[0].size(), 3u);
  EXPECT_EQ(ram[0][0].x, 299);
  EXPECT_EQ(ram[0][0].y, 60);
  EXPECT_EQ(ram[0][2].x, 300);
  EXPECT_EQ(ram[0][2].y, 60);

  for (int i = 0; i < 400; ++i) chart.Plot(i % 100, 20, 10, 35);
  ram = painter.LinesIn(chart.RamColor());
  ASSERT_EQ(ram[0].size(), 302u);
  EXPECT_EQ(ram[0][0].x, 0);
  EXPECT_EQ(ram[0][1].x, 0);
  EXPECT_EQ(ram[0][301].x, 300);
  EXPECT_EQ(ram[0][301].y, ValueToY(399 % 100, 100));
  EXPECT_EQ(ram[0][300].y, ValueToY(398 % 100, 100));
}

TEST(HistoryChart, DisabledOrBusyPlotsAreIgnored) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  chart.SetEnabled(false);
  chart.Plot(50, 50, 50, 50);
  EXPECT_TRUE(chart.RamSeries().empty());
  EXPECT_TRUE(painter.frames.empty());

  chart.SetEnabled(true);
  // A message pumped while drawing asks for another sample: refused.
  int reentries = 0;
  painter.duringLine = [&] {
    ++reentries;
    EXPECT_TRUE(chart.Busy());
    chart.Plot(1, 1, 1, 1);
  };
  chart.Plot(50, 50, 50, 50);
  painter.duringLine = nullptr;
  EXPECT_GT(reentries, 0);
  EXPECT_EQ(chart.RamSeries().size(), 1u);
  EXPECT_FALSE(chart.Busy());
}

TEST(HistoryChart, WithoutDoubleBufferingCurvesGoOverTheLastPicture) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  chart.SetDoubleBuffered(true);
  EXPECT_EQ(painter.repaints, 0) << "unchanged value";
  chart.SetDoubleBuffered(false);
  EXPECT_EQ(painter.repaints, 1);
  chart.Plot(50, 50, 50, 50);
  ASSERT_EQ(painter.frames.size(), 1u);
  for (const auto& op : painter.frames[0]) EXPECT_NE(op.kind, ChartOp::Fill);
}

TEST(HistoryChart, NarrowerChartKeepsItsNewestSamples) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  for (int i = 0; i < 301; ++i) chart.Plot(i % 100, 0, 0, 0);
  chart.SetSize(200, 100);
  chart.Plot(42, 0, 0, 0);
  EXPECT_EQ(chart.RamSeries().size(), 200u);
  EXPECT_EQ(chart.RamSeries().back(), 300 % 100) << "newest kept";
  EXPECT_EQ(chart.WriteIndex(), 200);
  // Curves stay within the samples held, whatever the count drawn says.
  auto ram = painter.LinesIn(chart.RamColor());
  ASSERT_EQ(ram.size(), 1u);
  EXPECT_LE(ram[0].size(), 201u);
  chart.Plot(43, 0, 0, 0);
  chart.Plot(44, 0, 0, 0);
  EXPECT_EQ(chart.RamSeries().size(), 201u);
  EXPECT_EQ(chart.RamSeries().back(), 44);
}

// Hidden (the program sits in the notification area): samples are kept, no frame is composed;
// showing again composes the current frame at once.
TEST(HistoryChart, HiddenChartKeepsSamplesAndCatchesUpWhenShown) {
  HistoryChart chart;
  RecordingChartPainter painter;
  chart.AttachPainter(&painter);
  chart.Plot(10, 10, 10, 35);
  painter.visible = false;
  for (int i = 0; i < 5; ++i) chart.Plot(40 + i, 20, 30, 35);
  EXPECT_EQ(painter.frames.size(), 2u) << "only the visible sample's two frames";
  EXPECT_TRUE(painter.ops.empty());
  EXPECT_EQ(chart.RamSeries().size(), 6u);
  EXPECT_TRUE(chart.FrameStale());

  painter.visible = true;
  chart.Redraw();
  EXPECT_FALSE(chart.FrameStale());
  ASSERT_EQ(painter.frames.size(), 4u);
  const auto ram = painter.LinesIn(chart.RamColor());
  ASSERT_EQ(ram.size(), 1u);
  ASSERT_EQ(ram[0].size(), 7u);  // m = 5 segments, from x = 295
  EXPECT_EQ(ram[0][0].x, 295);
  EXPECT_EQ(ram[0][6].y, ValueToY(44, 100));
  EXPECT_EQ(chart.RamSeries().size(), 6u) << "Redraw adds no sample";

  // Hidden again, then a sample while visible composes the whole frame by itself.
  painter.visible = false;
  chart.Plot(45, 20, 30, 35);
  EXPECT_TRUE(chart.FrameStale());
  painter.visible = true;
  chart.Plot(46, 20, 30, 35);
  EXPECT_FALSE(chart.FrameStale());
}

TEST(HistoryChart, BackgroundIsDrawnAgainOnlyWhenItsColoursOrSizeChange) {
  HistoryChart chart;
  RecordingChartPainter painter;
  painter.cacheBackground = true;
  chart.AttachPainter(&painter);
  auto gridLines = [&] {
    int n = 0;
    for (const auto& op : painter.frames[painter.frames.size() - 2])
      n += op.kind == ChartOp::Line && op.color == chart.GridColor();
    return n;
  };
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 43);
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 0);
  EXPECT_EQ(painter.restores, 1);
  chart.SetGridColor(0x408000);
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 43);
  chart.SetBackgroundColor(0x111111);
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 43);
  chart.SetSize(300, 80);
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 43) << "80 rows: 11 horizontal lines, every 8";
  chart.Plot(1, 1, 1, 1);
  EXPECT_EQ(gridLines(), 0);
}

}  // namespace
}  // namespace kvn
