// Windows' high-contrast mode with a black scheme: the chart and its legend are drawn in the
// scheme's colours, the user's own stay stored, and a screenshot is kept for a person to look at.
// Wine always answers that the mode is off: the test answers for it.
#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "chart/chart_window_win32.h"
#include "gui/main_window_fixture.h"
#include "ui/win32/high_contrast.h"

namespace kvn {
namespace {

// The scheme, and the system's own colours back on every path.
class BlackScheme {
 public:
  BlackScheme() {
    for (const auto& [element, color] : kScheme) {
      elements_.push_back(element);
      scheme_.push_back(color);
      before_.push_back(GetSysColor(element));
    }
    SetSysColors(static_cast<int>(elements_.size()), elements_.data(), scheme_.data());
    ui::win32::SetHighContrastQuery([] { return true; });
  }
  ~BlackScheme() {
    ui::win32::SetHighContrastQuery(nullptr);
    SetSysColors(static_cast<int>(elements_.size()), elements_.data(), before_.data());
  }

 private:
  static constexpr std::pair<int, COLORREF> kScheme[] = {
      {COLOR_WINDOW, RGB(0, 0, 0)},          {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
      {COLOR_BTNFACE, RGB(0, 0, 0)},         {COLOR_BTNTEXT, RGB(255, 255, 255)},
      {COLOR_HIGHLIGHT, RGB(26, 235, 255)},  {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
      {COLOR_GRAYTEXT, RGB(63, 242, 63)},    {COLOR_HOTLIGHT, RGB(255, 255, 0)},
      {COLOR_BTNSHADOW, RGB(255, 255, 255)}, {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
  };
  std::vector<int> elements_;
  std::vector<COLORREF> scheme_, before_;
};

using HighContrastTest = testing::MainWindowFixture;

TEST_F(HighContrastTest, ChartAndLegendInTheSchemesColours) {
  const ChartPalette own = window->historyChart.Drawn();
  const BlackScheme scheme;
  SendMessageW(window->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  for (ui::Timer* timer : window->form.Timers()) timer->SetEnabled(false);  // no real samples
  // RAM at 55 %, the first processor at 35 %, the alarm at 25 %, the newest samples on the right.
  for (int i = 0; i < 10; ++i) window->historyChart.Plot(55, 35, 35, 25);
  const HWND chart = window->chartWindow()->Handle();
  const testing::WindowShot shot = testing::TakeWindowShot(window->Handle(), "high_contrast");
  ASSERT_FALSE(shot.pixels.empty());
  RECT r{};
  GetWindowRect(chart, &r);
  const int width = shot.screen.right - shot.screen.left;
  const int w = r.right - r.left, h = r.bottom - r.top;
  const struct {
    const char* what;
    int x, y, element;
  } points[] = {
      {"background", 5, 5, COLOR_WINDOW},
      {"grid", 0, 5, COLOR_GRAYTEXT},
      {"RAM", w - 4, ValueToY(55, h), COLOR_WINDOWTEXT},
      {"CPU", w - 4, ValueToY(35, h), COLOR_HIGHLIGHT},
      {"alarm", w / 2 + 5, ValueToY(25, h), COLOR_HOTLIGHT},
  };
  for (const auto& p : points) {
    const int at = (r.top + p.y - shot.screen.top) * width + r.left + p.x - shot.screen.left;
    EXPECT_EQ(shot.pixels[at], GetSysColor(p.element)) << p.what;
  }
  EXPECT_EQ(window->form.ramLegendMark.BrushColor(), GetSysColor(COLOR_WINDOWTEXT));
  // Only the drawing changed: what the user chose is what is kept.
  EXPECT_EQ(window->historyChart.BackgroundColor(), own.background);
  EXPECT_EQ(window->historyChart.RamColor(), own.ram);
  EXPECT_EQ(window->form.ramSwatch.BrushColor(), own.ram);
}

}  // namespace
}  // namespace kvn
