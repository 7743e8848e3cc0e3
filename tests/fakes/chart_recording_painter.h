#pragma once
// A ChartPainter that records what the chart draws, frame by frame.
#include <functional>
#include <vector>

#include "chart/graph_kvn.h"

namespace kvn::fake {

struct ChartOp {
  enum Kind { Size, Fill, Line } kind;
  std::vector<ChartPoint> points;  // Size: {w,h}; Fill: {left,top},{right,bottom}
  ChartColorRef color = 0;
};

class RecordingChartPainter : public ChartPainter {
 public:
  std::vector<ChartOp> ops;                  // since the last Present
  std::vector<std::vector<ChartOp>> frames;  // one entry per Present
  int repaints = 0;
  // Called from inside Polyline, to test re-entry while drawing.
  std::function<void()> duringLine;

  void SetBackSize(int w, int h) override { ops.push_back({ChartOp::Size, {{w, h}}, 0}); }
  void FillRect(int l, int t, int r, int b, ChartColorRef c) override {
    ops.push_back({ChartOp::Fill, {{l, t}, {r, b}}, c});
  }
  void Polyline(const std::vector<ChartPoint>& pts, ChartColorRef c) override {
    ops.push_back({ChartOp::Line, pts, c});
    if (duringLine) duringLine();
  }
  void Present() override {
    frames.push_back(ops);
    ops.clear();
  }
  void Repaint() override { ++repaints; }

  bool visible = true;
  bool Visible() const override { return visible; }
  // When set, the painter keeps the background and the chart asks for it back.
  bool cacheBackground = false;
  int restores = 0;
  BackgroundKey saved{};
  bool hasSaved = false;
  bool RestoreBackground(const BackgroundKey& key) override {
    if (!cacheBackground || !hasSaved || !(key == saved)) return false;
    ++restores;
    return true;
  }
  void SaveBackground(const BackgroundKey& key) override {
    saved = key;
    hasSaved = true;
  }

  // The lines of the last presented frame in one colour.
  std::vector<std::vector<ChartPoint>> LinesIn(ChartColorRef c) const {
    std::vector<std::vector<ChartPoint>> out;
    if (frames.empty()) return out;
    for (const auto& op : frames.back())
      if (op.kind == ChartOp::Line && op.color == c) out.push_back(op.points);
    return out;
  }
};

}  // namespace kvn::fake
