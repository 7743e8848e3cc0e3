#include "chart/chart_swatches.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace kvn {
namespace {

class ScriptedPicker : public ui::ColorPicker {
 public:
  bool Pick(ui::Color& color, void*) override {
    offered.push_back(color);
    if (!confirm) return false;
    color = answer;
    return true;
  }
  bool confirm = true;
  ui::Color answer = 0x123456;
  std::vector<ui::Color> offered;
};

struct Page {
  ui::Shape backgroundSwatch, gridSwatch, cpuSwatch, ramSwatch, alarmSwatch, cpuLegendMark,
      ramLegendMark, alarmLegendMark;
  ui::Button defaultColorsButton;
  ui::ColorDialog colorDialog;
  HistoryChart chart;
  fake::FakeSettingsKey key;
  ChartColors colors{chart, key.registry, fake::FakeSettingsKey::kPath};
  ChartSwatches swatches{
      {backgroundSwatch, gridSwatch, cpuSwatch, ramSwatch, alarmSwatch, cpuLegendMark,
       ramLegendMark, alarmLegendMark, defaultColorsButton, colorDialog},
      chart,
      colors};
  ScriptedPicker picker;
  Page() {
    swatches.Bind();
    ui::ColorDialog::SetPicker(&picker);
  }
  ~Page() { ui::ColorDialog::SetPicker(nullptr); }
};

TEST(ChartSwatches, EachSwatchAndMarkChangesItsOwnColour) {
  struct Case {
    const char* shape;
    ui::Shape Page::*member;
    const char* stored;
  } cases[] = {
      {"backgroundSwatch", &Page::backgroundSwatch, "BackgroundColor"},
      {"gridSwatch", &Page::gridSwatch, "GridColor"},
      {"cpuSwatch", &Page::cpuSwatch, "CPUColor"},
      {"ramSwatch", &Page::ramSwatch, "RAMColor"},
      {"alarmSwatch", &Page::alarmSwatch, "AlarmColor"},
      {"cpuLegendMark", &Page::cpuLegendMark, "CPUColor"},
      {"ramLegendMark", &Page::ramLegendMark, "RAMColor"},
      {"alarmLegendMark", &Page::alarmLegendMark, "AlarmColor"},
  };
  for (const auto& c : cases) {
    Page p;
    (p.*c.member).MouseDown(ui::MouseButton::Left, 3, 3);
    ASSERT_EQ(p.picker.offered.size(), 1u) << c.shape;
    EXPECT_TRUE(p.key.Has(c.stored)) << c.shape;
    EXPECT_EQ(p.key.Get(c.stored), 0x123456) << c.shape;
    EXPECT_EQ((p.*c.member).BrushColor(), 0x123456u) << c.shape;
  }
}

TEST(ChartSwatches, ChooserStartsFromTheCurrentColourAndCancelChangesNothing) {
  Page p;
  p.chart.SetRamColor(0x00FF00);
  p.picker.confirm = false;
  p.ramSwatch.MouseDown(ui::MouseButton::Left, 1, 1);
  EXPECT_EQ(p.picker.offered, std::vector<ui::Color>{0x00FF00});
  EXPECT_EQ(p.chart.RamColor(), 0x00FF00u);
  EXPECT_EQ(p.key.registry.writeAttempts, 0);
}

TEST(ChartSwatches, DefaultButtonRestoresTheOriginalColours) {
  Page p;
  p.chart.SetBackgroundColor(0x111111);
  p.defaultColorsButton.Click();
  EXPECT_EQ(p.backgroundSwatch.BrushColor(), 0x000000u);
  EXPECT_EQ(p.gridSwatch.BrushColor(), 0x408000u);
  EXPECT_EQ(p.ramLegendMark.BrushColor(), 0x00FF00u);
  EXPECT_EQ(p.ramLegendMark.PenColor(), 0x00FF00u);
  EXPECT_EQ(p.cpuLegendMark.BrushColor(), 0xFFB722u);
  EXPECT_EQ(p.alarmLegendMark.PenColor(), 0x0000FFu);
  EXPECT_EQ(p.key.Get("GridColor"), 0x408000);
}

}  // namespace
}  // namespace kvn
