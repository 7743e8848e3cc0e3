#pragma once
// The chart's window: a child window of class "HistoryChart" that shows the chart's back bitmap.
// Frames are composed in a 32-bit DIB section and copied to the window in one BitBlt.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "base/unique_handle_win32.h"
#include "chart/graph_kvn.h"
#include "ui/win32/accessible.h"
#include "ui/win32/gdi_handles.h"

namespace kvn {

class ChartWindow : public ChartPainter, public ui::win32::AccessibleContent {
 public:
  static constexpr wchar_t kClassName[] = L"TGRAPHKVN";

  // Creates the window as a child of parent, attaches it to the chart and draws the empty
  // frame. The window owns this object: it is deleted when the window is destroyed, and the
  // chart is detached then. Returns null when the window cannot be created.
  static ChartWindow* Create(HistoryChart& chart, HWND parent, int x, int y, int width, int height,
                             int controlId = 0);

  HWND Handle() const { return hwnd_; }
  // A right click on the chart (button released), or the menu key while it has the focus, in
  // screen coordinates: the speed menu opens there. The chart reacts to no other mouse input.
  // Called through the dispatcher: what it throws goes to the application's exception hook.
  std::function<void(int screenX, int screenY)> OnRightClick;

  // The last composed frame, for tests: a pixel as a colour reference, or CLR_INVALID outside.
  COLORREF BackPixel(int x, int y) const;

  void SetBackSize(int width, int height) override;
  void FillRect(int left, int top, int right, int bottom, ChartColorRef color) override;
  void Polyline(const std::vector<ChartPoint>& points, ChartColorRef color) override;
  void Present() override;
  void Repaint() override;
  bool Visible() const override;
  bool RestoreBackground(const BackgroundKey& key) override;
  void SaveBackground(const BackgroundKey& key) override;

  // For a screen reader: a chart named by what it shows, the last figures as its value.
  bool AccessibleName(std::wstring& name) const override;
  bool AccessibleValue(std::wstring& value) const override;
  LONG AccessibleRole() const override { return ROLE_SYSTEM_CHART; }

 private:
  explicit ChartWindow(HistoryChart& chart);
  ~ChartWindow() override;
  ChartWindow(const ChartWindow&) = delete;
  ChartWindow& operator=(const ChartWindow&) = delete;

  static bool RegisterClassOnce(HINSTANCE instance);
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void CopyTo(HDC target) const;
  void ReleaseBitmap();

  HistoryChart& chart_;
  HWND hwnd_ = nullptr;
  MemoryDc memDC_;
  GdiHandle<HBITMAP> bitmap_;
  std::optional<ui::win32::SelectObjectScope> selectedBitmap_;  // bitmap_ in memDC_
  std::uint32_t* bits_ = nullptr;
  int backWidth_ = 0;
  int backHeight_ = 0;
  std::vector<POINT> polyPoints_;
  // The last background and grid drawn, put back by copy while nothing they depend on changed.
  std::vector<std::uint32_t> background_;
  BackgroundKey backgroundKey_{};
  ui::win32::AccessibleServer accessible_{*this};
};

// The peer of a chart window handle (null for any other window).
ChartWindow* ChartWindowFromHandle(HWND hwnd);

}  // namespace kvn
