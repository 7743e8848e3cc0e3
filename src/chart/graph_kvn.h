// chart/: the HistoryChart history chart, its colours and swatches, and the chart's window.
// Includes base/ and ui/ only.
#pragma once
// HistoryChart: the rolling history chart. Three series (first processor, second processor, free
// memory), an alarm line and a fixed grid; every Plot composes the whole frame in a back bitmap
// and shows it in one block. The model is portable; the drawing goes through ChartPainter, whose
// Win32 implementation is the chart's window.
#include <cstdint>
#include <vector>

namespace kvn {

using ChartColorRef = std::uint32_t;  // 0x00BBGGRR
using SampleSeries = std::vector<std::uint8_t>;

struct ChartPoint {
  int x = 0;
  int y = 0;
};

// Where a frame is composed. Lines are one pixel wide and solid; as with the system's line
// drawing, the last point of a line or polyline is not painted.
class ChartPainter {
 public:
  virtual ~ChartPainter() = default;
  virtual void SetBackSize(int width, int height) = 0;
  virtual void FillRect(int left, int top, int right, int bottom, ChartColorRef color) = 0;
  virtual void Polyline(const std::vector<ChartPoint>& points, ChartColorRef color) = 0;
  // The back bitmap goes to the screen in one block.
  virtual void Present() = 0;
  // The control repaints what it shows (no new frame).
  virtual void Repaint() = 0;
  // False while nobody can see the control (its window, or the program, is hidden): frames are
  // then not composed, and Redraw catches up when it shows again.
  virtual bool Visible() const { return true; }
  // The background and grid depend only on these four; a painter may keep the last one drawn
  // and put it back instead of drawing it again (the pixels are the same).
  struct BackgroundKey {
    int width, height;
    ChartColorRef fond, grid;
    bool operator==(const BackgroundKey&) const = default;
  };
  virtual bool RestoreBackground(const BackgroundKey&) { return false; }
  virtual void SaveBackground(const BackgroundKey&) {}
};

// The colours a frame is drawn in.
struct ChartPalette {
  ChartColorRef background, grid, cpu, cpu2, ram, alarm;
  bool operator==(const ChartPalette&) const = default;
};

// Row of a value on a chart of the given height: H - v*H/100, rounded halves to even.
int ValueToY(int value, int height);

class HistoryChart {
 public:
  static constexpr int kDefaultWidth = 300;
  static constexpr int kDefaultHeight = 100;
  static constexpr int kScaleMax = 100;
  static constexpr int kGridStep = 10;

  static constexpr ChartColorRef kDefaultBackground = 0x000000;
  static constexpr ChartColorRef kDefaultGrid = 0x55AC51;
  static constexpr ChartColorRef kDefaultCpu = 0xFFB722;
  static constexpr ChartColorRef kDefaultCpu2 = 0x00FFFF;
  static constexpr ChartColorRef kDefaultRam = 0x17CA13;
  static constexpr ChartColorRef kDefaultAlarm = 0x0000FF;

  HistoryChart() = default;
  HistoryChart(const HistoryChart&) = delete;
  HistoryChart& operator=(const HistoryChart&) = delete;

  // The window that shows the chart; null draws nothing (the model still runs).
  void AttachPainter(ChartPainter* painter) { painter_ = painter; }
  ChartPainter* Painter() const { return painter_; }

  // One sample: free memory %, first processor %, second processor %, alarm %.
  void Plot(int ram, int cpu, int cpu2, int alarm);

  // Control size; 0 stands for the default.
  void SetSize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Draws the background and grid into the back bitmap and shows it (at creation, and from
  // Plot when double-buffered).
  void DrawChartBackground();
  // Composes the current frame again (the window shows after being hidden).
  void Redraw();
  // Frames were skipped while the control was hidden.
  bool FrameStale() const { return frameStale_; }

  ChartColorRef BackgroundColor() const { return background_; }
  ChartColorRef GridColor() const { return grid_; }
  ChartColorRef CpuColor() const { return cpu_; }
  ChartColorRef Cpu2Color() const { return cpu2_; }
  ChartColorRef RamColor() const { return ram_; }
  ChartColorRef AlarmColor() const { return alarm_; }
  void SetBackgroundColor(ChartColorRef c) { background_ = c; }
  void SetGridColor(ChartColorRef c) { grid_ = c; }
  void SetCpuColor(ChartColorRef c) { cpu_ = c; }
  void SetCpu2Color(ChartColorRef c) { cpu2_ = c; }
  void SetRamColor(ChartColorRef c) { ram_ = c; }
  void SetAlarmColor(ChartColorRef c) { alarm_ = c; }
  // Colours drawn in place of the chart's own (Windows' high-contrast scheme), which stay as they
  // are; null draws the chart's own again. The next frame shows them.
  void SetStandInColors(const ChartPalette* colors);
  // What the frames are drawn in.
  ChartPalette Drawn() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool value);

  int AlarmLevel() const { return alarmLevel_; }
  int Step() const { return step_; }
  // 1..10 pixels per sample.
  void SetStep(int pas);
  int WriteIndex() const { return writeIndex_; }
  int SampleCount() const { return sampleCount_; }
  bool Busy() const { return busy_; }

  // The last sample plotted, in %; a free memory of -1 before the first.
  struct Sample {
    int ram = -1, cpu = 0, cpu2 = 0;
  };
  const Sample& LastSample() const { return last_; }

  const SampleSeries& CpuSeries() const { return cpuSeries_; }
  const SampleSeries& Cpu2Series() const { return cpu2Series_; }
  const SampleSeries& RamSeries() const { return ramSeries_; }

  // Samples kept: N + 1 with N = round(width / Pas).
  int Capacity() const;

 private:
  void StoreSample(SampleSeries& series, int position, std::uint8_t value) const;
  void DrawChartCurves();
  void TrimToWidth();
  bool Drawing() const;
  void DrawSeries(const SampleSeries& series, ChartColorRef color);

  ChartPainter* painter_ = nullptr;
  int width_ = kDefaultWidth;
  int height_ = kDefaultHeight;
  int lastWidth_ = 0;  // width of the last background drawn
  int lastHeight_ = 0;

  SampleSeries cpuSeries_;
  SampleSeries cpu2Series_;
  SampleSeries ramSeries_;
  int alarmLevel_ = 0;
  Sample last_;
  int writeIndex_ = 0;
  int sampleCount_ = 0;
  int step_ = 1;

  ChartColorRef background_ = kDefaultBackground;
  ChartColorRef grid_ = kDefaultGrid;
  ChartColorRef cpu_ = kDefaultCpu;
  ChartColorRef cpu2_ = kDefaultCpu2;
  ChartColorRef ram_ = kDefaultRam;
  ChartColorRef alarm_ = kDefaultAlarm;
  bool standIn_ = false;
  ChartPalette standInColors_{};

  bool enabled_ = true;
  bool doubleBuffered_ = true;
  bool busy_ = false;
  bool canvasLocked_ = false;
  bool frameStale_ = false;
};

}  // namespace kvn
