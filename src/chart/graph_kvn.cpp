#include "chart/graph_kvn.h"

#include <algorithm>

#include "base/rounding.h"
#include "base/scope_guard.h"

namespace kvn {

int ValueToY(int value, int height) {
  const double y = height - static_cast<double>(value) * height / HistoryChart::kScaleMax;
  return static_cast<int>(RoundHalfEven(y));
}

void HistoryChart::SetSize(int width, int height) {
  width_ = width <= 0 ? kDefaultWidth : width;
  height_ = height <= 0 ? kDefaultHeight : height;
}

void HistoryChart::SetDoubleBuffered(bool value) {
  if (value == doubleBuffered_) return;
  doubleBuffered_ = value;
  if (painter_) painter_->Repaint();
}

void HistoryChart::SetStandInColors(const ChartPalette* colors) {
  standIn_ = colors != nullptr;
  if (colors) standInColors_ = *colors;
}

ChartPalette HistoryChart::Drawn() const {
  return standIn_ ? standInColors_ : ChartPalette{background_, grid_, cpu_, cpu2_, ram_, alarm_};
}

void HistoryChart::SetStep(int pas) {
  step_ = std::clamp(pas, 1, 10);
}

int HistoryChart::Capacity() const {
  return static_cast<int>(RoundHalfEven(static_cast<long double>(width_) / step_));
}

void HistoryChart::Plot(int ram, int cpu, int cpu2, int alarm) {
  if (!enabled_ || busy_) return;
  busy_ = true;
  ScopeGuard clearBusy([this] { busy_ = false; });

  // Values come in as percentages; anything outside 0..100 is drawn at the nearest edge.
  const auto percent = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 100)); };
  if (doubleBuffered_) DrawChartBackground();

  StoreSample(cpuSeries_, writeIndex_, percent(cpu));
  StoreSample(cpu2Series_, writeIndex_, percent(cpu2));
  StoreSample(ramSeries_, writeIndex_, percent(ram));
  alarmLevel_ = std::clamp(alarm, 0, 100);
  last_ = Sample{percent(ram), percent(cpu), percent(cpu2)};

  const int n = Capacity();
  if (writeIndex_ < n) {
    ++writeIndex_;
  } else if (writeIndex_ > n) {
    writeIndex_ = n;
  }

  DrawChartCurves();

  if (static_cast<double>(sampleCount_) < static_cast<double>(width_) / step_)
    sampleCount_ = writeIndex_;
}

void HistoryChart::StoreSample(SampleSeries& series, int position, std::uint8_t value) const {
  const int length = static_cast<int>(series.size());
  if (position > length || position < 0) return;
  const int n = Capacity();
  if (length <= n) {
    series.insert(series.begin() + position, value);
    return;
  }
  // Full: scroll by one, the oldest sample drops out.
  series.erase(series.begin());
  series.resize(static_cast<std::size_t>(n) + 1);
  if (position < static_cast<int>(series.size())) series[position] = value;
}

bool HistoryChart::Drawing() const {
  return painter_ && painter_->Visible();
}

void HistoryChart::TrimToWidth() {
  const int w = width_;
  if (w != lastWidth_) {
    // A narrower chart keeps the newest samples that still fit.
    for (SampleSeries* s : {&cpuSeries_, &cpu2Series_, &ramSeries_})
      if (static_cast<int>(s->size()) > w) s->erase(s->begin(), s->end() - w);
  }
  lastWidth_ = w;
  lastHeight_ = height_;
}

void HistoryChart::DrawChartBackground() {
  TrimToWidth();
  if (!Drawing()) {
    frameStale_ = painter_ != nullptr;
    return;
  }
  const int w = width_;
  const int h = height_;
  painter_->SetBackSize(w, h);
  const ChartPalette colors = Drawn();
  const ChartPainter::BackgroundKey key{w, h, colors.background, colors.grid};
  if (!painter_->RestoreBackground(key)) {
    painter_->FillRect(0, 0, w, h, colors.background);
    painter_->Polyline({{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}}, colors.grid);
    for (int x = 0; x <= w; x += kGridStep) painter_->Polyline({{x, 0}, {x, h - 1}}, colors.grid);
    const int r = std::max(1, static_cast<int>(RoundHalfEven(h / 10.0L)));
    for (int y = 0; y <= h; y += r) painter_->Polyline({{0, y}, {w - 1, y}}, colors.grid);
    painter_->SaveBackground(key);
  }
  painter_->Present();
}

void HistoryChart::Redraw() {
  if (!Drawing() || busy_) return;
  busy_ = true;
  ScopeGuard clearBusy([this] { busy_ = false; });
  frameStale_ = false;
  if (doubleBuffered_) DrawChartBackground();
  DrawChartCurves();
}

void HistoryChart::DrawChartCurves() {
  if (canvasLocked_ || !painter_) return;
  if (!painter_->Visible()) {
    frameStale_ = true;
    return;
  }
  canvasLocked_ = true;
  ScopeGuard unlock([this] { canvasLocked_ = false; });

  const ChartPalette colors = Drawn();
  const int y = ValueToY(alarmLevel_, height_);
  painter_->Polyline({{1, y}, {width_ - 1, y}}, colors.alarm);
  DrawSeries(cpuSeries_, colors.cpu);
  DrawSeries(cpu2Series_, colors.cpu2);
  DrawSeries(ramSeries_, colors.ram);  // on top
  painter_->Present();
  frameStale_ = false;
}

void HistoryChart::DrawSeries(const SampleSeries& series, ChartColorRef color) {
  if (series.empty()) return;
  // Never past the newest sample: after the chart narrows, the count can exceed the series.
  const int m = std::min(sampleCount_, static_cast<int>(series.size()) - 1);
  std::vector<ChartPoint> points;
  points.reserve(static_cast<std::size_t>(m) + 2);
  points.push_back({width_ - m * step_, ValueToY(series[0], height_)});
  for (int i = 0; i <= m; ++i)
    points.push_back({width_ + step_ * (i - m), ValueToY(series[i], height_)});
  painter_->Polyline(points, color);
}

}  // namespace kvn
