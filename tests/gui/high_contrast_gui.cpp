// Windows' high-contrast mode with a black scheme: the chart and its legend are drawn in the
// scheme's colours, the user's own stay as they were, and a screenshot is kept for a person to
// look at. Wine always answers that the mode is off: the test answers for it.
#include <gtest/gtest.h>

#include "base/scope_guard.h"
#include "chart/chart_window_win32.h"
#include "gui/main_window_fixture.h"
#include "ui/win32/high_contrast.h"

namespace kvn {
namespace {

using HighContrastTest = testing::MainWindowFixture;

TEST_F(HighContrastTest, ChartAndLegendInTheSchemesColours) {
  const ChartPalette own = window->historyChart.Drawn();
  int elements[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT,    COLOR_BTNFACE,  COLOR_BTNTEXT,
                    COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT, COLOR_HOTLIGHT};
  const COLORREF scheme[] = {0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF,
                             0xFFEB1A, 0x000000, 0x3FF23F, 0x00FFFF};
  COLORREF before[std::size(elements)];
  for (std::size_t i = 0; i < std::size(elements); ++i) before[i] = GetSysColor(elements[i]);
  SetSysColors(std::size(elements), elements, scheme);
  ui::win32::SetHighContrastQuery([] { return true; });
  const ScopeGuard restore([&] {
    ui::win32::SetHighContrastQuery(nullptr);
    SetSysColors(std::size(elements), elements, before);
  });
  SendMessageW(window->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  for (ui::Timer* timer : window->form.Timers()) timer->SetEnabled(false);  // no real samples
  // RAM at 55 %, the first processor at 35 %, the alarm at 25 %, the newest samples on the right.
  for (int i = 0; i < 10; ++i) window->historyChart.Plot(55, 35, 35, 25);
  const testing::WindowShot shot = testing::TakeWindowShot(window->Handle(), "high_contrast");
  RECT r{};
  GetWindowRect(window->chartWindow()->Handle(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const std::tuple<const char*, int, int, int> points[] = {
      {"background", 5, 5, COLOR_WINDOW},
      {"grid", 0, 5, COLOR_GRAYTEXT},
      {"RAM", w - 4, ValueToY(55, h), COLOR_WINDOWTEXT},
      {"CPU", w - 4, ValueToY(35, h), COLOR_HIGHLIGHT},
      {"alarm", w / 2 + 3, ValueToY(25, h), COLOR_HOTLIGHT}};
  for (const auto& [what, x, y, element] : points) {
    const long at = (r.top + y - shot.screen.top) * (shot.screen.right - shot.screen.left) +
                    r.left + x - shot.screen.left;
    ASSERT_LT(at, static_cast<long>(shot.pixels.size()));
    EXPECT_EQ(shot.pixels[at], GetSysColor(element)) << what;
  }
  EXPECT_EQ(window->form.ramLegendMark.BrushColor(), GetSysColor(COLOR_WINDOWTEXT));
  // Only the drawing changed: what the user chose is kept, and shown by the swatches.
  EXPECT_EQ(window->historyChart.RamColor(), own.ram);
  EXPECT_EQ(window->form.ramSwatch.BrushColor(), own.ram);
}

}  // namespace
}  // namespace kvn
