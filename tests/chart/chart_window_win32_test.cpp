#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "base/registry_win32.h"
#include "chart/chart_colors.h"
#include "chart/chart_window_win32.h"
#include "gui/screenshot.h"
#include "ui/dispatch.h"

namespace kvn {
namespace {

// A shown top-level window to hold the chart (a hidden chart composes no frame), destroyed
// with it.
class ChartHost : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    window_ = ChartWindow::Create(chart_, parent_, 10, 10, 300, 100);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }
  // Pixels of one colour in the composed frame.
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 300; ++x) n += window_->BackPixel(x, y) == c;
    return n;
  }

  HistoryChart chart_;
  HWND parent_ = nullptr;
  ChartWindow* window_ = nullptr;
};

TEST_F(ChartHost, EmptyFrameIsBackgroundAndGrid) {
  EXPECT_EQ(chart_.Painter(), window_);
  const COLORREF grid = chart_.GridColor();
  const COLORREF fond = chart_.BackgroundColor();
  struct Pixel {
    int x, y;
    COLORREF c;
  } pixels[] = {
      {0, 0, grid},    {299, 0, grid},  {299, 99, grid}, {0, 99, grid},  {150, 0, grid},
      {10, 55, grid},  {290, 55, grid}, {15, 10, grid},  {15, 90, grid}, {15, 15, fond},
      {155, 55, fond}, {298, 98, fond}, {1, 1, fond},
  };
  for (const auto& p : pixels) EXPECT_EQ(window_->BackPixel(p.x, p.y), p.c) << p.x << "," << p.y;
  EXPECT_EQ(window_->BackPixel(300, 0), CLR_INVALID);
}

TEST_F(ChartHost, AlarmLineRowAndCurveColours) {
  // Rows: RAM 73 -> 27, CPU 41 -> 59, second CPU 55 -> 45, alarm 35 -> 65 (none on a grid row).
  for (int i = 0; i < 10; ++i) chart_.Plot(73, 41, 55, 35);
  const COLORREF alarm = chart_.AlarmColor();
  EXPECT_EQ(window_->BackPixel(1, 65), alarm);
  EXPECT_EQ(window_->BackPixel(155, 65), alarm);
  EXPECT_EQ(window_->BackPixel(298, 65), alarm);
  EXPECT_EQ(window_->BackPixel(0, 65), chart_.GridColor()) << "the line starts at x = 1";
  EXPECT_EQ(window_->BackPixel(299, 65), chart_.GridColor()) << "end point not painted";
  EXPECT_EQ(window_->BackPixel(155, 64), chart_.BackgroundColor());
  EXPECT_EQ(window_->BackPixel(155, 66), chart_.BackgroundColor());

  // Nine segments drawn: columns 291..299 carry each curve on its row.
  for (int x = 291; x <= 299; ++x) {
    EXPECT_EQ(window_->BackPixel(x, 27), chart_.RamColor()) << x;
    EXPECT_EQ(window_->BackPixel(x, 59), chart_.CpuColor()) << x;
    EXPECT_EQ(window_->BackPixel(x, 45), chart_.Cpu2Color()) << x;
  }
  EXPECT_EQ(window_->BackPixel(289, 27), chart_.BackgroundColor());
  // The grid put back from the kept background is the grid drawn the first time.
  EXPECT_EQ(window_->BackPixel(0, 0), chart_.GridColor());
  EXPECT_EQ(window_->BackPixel(15, 10), chart_.GridColor());
  EXPECT_EQ(window_->BackPixel(150, 55), chart_.GridColor());
  EXPECT_EQ(window_->BackPixel(15, 15), chart_.BackgroundColor());
  EXPECT_EQ(Count(chart_.RamColor()), 9);
  EXPECT_EQ(Count(chart_.CpuColor()), 9);
  EXPECT_EQ(Count(chart_.Cpu2Color()), 9);
}

TEST_F(ChartHost, OneSampleShowsNoCurveTwoShowOnePixel) {
  chart_.Plot(73, 41, 55, 35);
  EXPECT_EQ(Count(chart_.RamColor()), 0);
  EXPECT_EQ(Count(chart_.CpuColor()), 0);
  EXPECT_EQ(Count(chart_.Cpu2Color()), 0);
  EXPECT_EQ(Count(chart_.AlarmColor()), 298);
  chart_.Plot(73, 41, 55, 35);
  EXPECT_EQ(Count(chart_.RamColor()), 1);
  EXPECT_EQ(window_->BackPixel(299, 27), chart_.RamColor());
  EXPECT_EQ(Count(chart_.CpuColor()), 1);
  EXPECT_EQ(Count(chart_.Cpu2Color()), 1);
}

TEST_F(ChartHost, ZeroIsBelowTheLastRowAndFullIsTheTopRow) {
  chart_.SetCpu2Color(0x123456);
  for (int i = 0; i < 301; ++i) chart_.Plot(100, 0, 0, 35);
  EXPECT_EQ(Count(chart_.CpuColor()), 0) << "0 % is drawn on row 100, not shown";
  EXPECT_EQ(Count(0x123456), 0);
  for (int x = 0; x < 300; ++x) ASSERT_EQ(window_->BackPixel(x, 0), chart_.RamColor()) << x;
  EXPECT_EQ(Count(chart_.RamColor()), 300);
}

TEST_F(ChartHost, ColourChangesShowAtTheNextPlot) {
  chart_.Plot(73, 41, 55, 35);
  chart_.SetBackgroundColor(0x202020);
  chart_.SetAlarmColor(0x00FF00);
  EXPECT_EQ(window_->BackPixel(155, 55), 0u);
  chart_.Plot(73, 41, 55, 35);
  EXPECT_EQ(window_->BackPixel(155, 55), 0x202020u);
  EXPECT_EQ(window_->BackPixel(155, 65), 0x00FF00u);
}

TEST_F(ChartHost, HiddenChartComposesWhenShownAgain) {
  chart_.Plot(73, 41, 55, 35);
  ShowWindow(parent_, SW_HIDE);
  for (int i = 0; i < 5; ++i) chart_.Plot(73, 41, 55, 80);
  EXPECT_TRUE(chart_.FrameStale());
  EXPECT_EQ(window_->BackPixel(155, 65), chart_.AlarmColor()) << "still the old frame";
  ShowWindow(parent_, SW_SHOW);
  UpdateWindow(parent_);
  UpdateWindow(window_->Handle());
  EXPECT_FALSE(chart_.FrameStale());
  EXPECT_EQ(window_->BackPixel(155, 20), chart_.AlarmColor());
  EXPECT_EQ(window_->BackPixel(155, 65), chart_.BackgroundColor());
  EXPECT_EQ(window_->BackPixel(297, 27), chart_.RamColor());
}

// What the window paints is the composed frame, copied whole.
TEST_F(ChartHost, WindowPaintsTheBackBitmap) {
  for (int i = 0; i < 50; ++i) chart_.Plot(30 + i % 40, 41, 55, 35);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi = testing::TopDownBitmapInfo(300, 100);
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(bmp, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SendMessageW(window_->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  const auto* px = static_cast<const std::uint32_t*>(bits);
  int differing = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 300; ++x) {
      const std::uint32_t p = px[y * 300 + x];
      differing += RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) != window_->BackPixel(x, y);
    }
  EXPECT_EQ(differing, 0);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST_F(ChartHost, RightClickReportsScreenPosition) {
  int calls = 0;
  POINT got{};
  window_->OnRightClick = [&](int x, int y) {
    ++calls;
    got = {x, y};
  };
  SendMessageW(window_->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));
  EXPECT_EQ(calls, 0);
  SendMessageW(window_->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(20, 30));
  ASSERT_EQ(calls, 1);
  POINT expected{20, 30};
  ClientToScreen(window_->Handle(), &expected);
  EXPECT_EQ(got.x, expected.x);
  EXPECT_EQ(got.y, expected.y);
  EXPECT_EQ(ChartWindowFromHandle(window_->Handle()), window_);

  // A handler that throws reaches the application's exception hook, not the window procedure.
  int reported = 0;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++reported; });
  window_->OnRightClick = [](int, int) { throw std::runtime_error("menu failed"); };
  SendMessageW(window_->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
  ui::SetExceptionHook(previous);
  EXPECT_EQ(reported, 1);
  EXPECT_EQ(ChartWindowFromHandle(parent_), nullptr);
}

TEST_F(ChartHost, DestroyingTheWindowDetachesTheChart) {
  DestroyWindow(window_->Handle());
  EXPECT_EQ(chart_.Painter(), nullptr);
  chart_.Plot(50, 50, 50, 50);  // the model goes on without a window
  EXPECT_EQ(chart_.RamSeries().size(), 1u);
}

// The colours under the real registry, in a key of this test's own.
TEST(ChartColorsWin32, SavedColoursComeBackAndAWrongTypeStopsTheReading) {
  const std::wstring path = L"Software\\KorvaneTests\\chart";
  RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  const std::string key = "Software\\KorvaneTests\\chart";
  HistoryChart chart;
  ChartColors colors(chart, Win32Registry(), key);
  colors.OnDefaultColorsClick();

  HistoryChart restarted;
  ChartColors again(restarted, Win32Registry(), key);
  again.ChangeColor();
  EXPECT_EQ(restarted.RamColor(), 0x00FF00u);
  EXPECT_EQ(restarted.GridColor(), 0x408000u);

  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &raw), 0);
  DWORD dword = 0;
  DWORD size = sizeof dword;
  DWORD type = 0;
  EXPECT_EQ(
      RegQueryValueExW(raw, L"ramcolor", nullptr, &type, reinterpret_cast<BYTE*>(&dword), &size),
      0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(dword, 0x00FF00u);
  const wchar_t text[] = L"12";
  RegSetValueExW(raw, L"CPUColor", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(raw);

  HistoryChart third;
  third.SetCpuColor(0x020202);
  third.SetRamColor(0x010101);
  ChartColors once(third, Win32Registry(), key);
  once.ChangeColor();
  EXPECT_EQ(third.GridColor(), 0x408000u) << "read before the bad value";
  EXPECT_EQ(third.CpuColor(), 0x020202u) << "the text value is not applied";
  EXPECT_EQ(third.RamColor(), 0x010101u) << "reading stopped at the bad value";
  RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTests");
}

}  // namespace
}  // namespace kvn
