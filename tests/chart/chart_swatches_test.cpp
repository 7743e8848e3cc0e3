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
  ui::Shape ShapeBFond, ShapeBGrid, ShapeBCPU, ShapeBRAM, ShapeBAlarme, ShapeCPU, ShapeRam,
      ShapeAlarme;
  ui::Button Btn6;
  ui::ColorDialog ColorDialog;
  TGRAPHKVN chart;
  fake::FakeSettingsKey key;
  ChartColors colors{chart, key.registry, fake::FakeSettingsKey::kPath};
  ChartSwatches swatches{{ShapeBFond, ShapeBGrid, ShapeBCPU, ShapeBRAM, ShapeBAlarme, ShapeCPU,
                          ShapeRam, ShapeAlarme, Btn6, ColorDialog},
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
      {"ShapeBFond", &Page::ShapeBFond, "BackgroundColor"},
      {"ShapeBGrid", &Page::ShapeBGrid, "GridColor"},
      {"ShapeBCPU", &Page::ShapeBCPU, "CPUColor"},
      {"ShapeBRAM", &Page::ShapeBRAM, "RAMColor"},
      {"ShapeBAlarme", &Page::ShapeBAlarme, "AlarmColor"},
      {"ShapeCPU", &Page::ShapeCPU, "CPUColor"},
      {"ShapeRam", &Page::ShapeRam, "RAMColor"},
      {"ShapeAlarme", &Page::ShapeAlarme, "AlarmColor"},
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
  p.chart.SetCouleurRAM(0x00FF00);
  p.picker.confirm = false;
  p.ShapeBRAM.MouseDown(ui::MouseButton::Left, 1, 1);
  EXPECT_EQ(p.picker.offered, std::vector<ui::Color>{0x00FF00});
  EXPECT_EQ(p.chart.CouleurRAM(), 0x00FF00u);
  EXPECT_EQ(p.key.registry.writeAttempts, 0);
}

TEST(ChartSwatches, DefaultButtonRestoresTheOriginalColours) {
  Page p;
  p.chart.SetCouleurFond(0x111111);
  p.Btn6.Click();
  EXPECT_EQ(p.ShapeBFond.BrushColor(), 0x000000u);
  EXPECT_EQ(p.ShapeBGrid.BrushColor(), 0x408000u);
  EXPECT_EQ(p.ShapeRam.BrushColor(), 0x00FF00u);
  EXPECT_EQ(p.ShapeRam.PenColor(), 0x00FF00u);
  EXPECT_EQ(p.ShapeCPU.BrushColor(), 0xFFB722u);
  EXPECT_EQ(p.ShapeAlarme.PenColor(), 0x0000FFu);
  EXPECT_EQ(p.key.Get("GridColor"), 0x408000);
}

}  // namespace
}  // namespace kvn
