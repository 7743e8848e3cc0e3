#include "ui/dpi.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kvn::ui {
namespace {

TEST(Dpi, DesignPixelsAtCommonScales) {
  struct Case {
    int value, dpi, scaled;
  };
  const Case cases[] = {
      // 96: the identity, whatever the value.
      {0, 96, 0},
      {465, 96, 465},
      {-1, 96, -1},
      {1, 96, 1},
      // 125 %, 150 %, 200 %, 175 %.
      {465, 120, 581},  // 581.25
      {351, 120, 439},  // 438.75
      {465, 144, 698},  // 697.5: halves away from zero
      {351, 144, 527},  // 526.5
      {465, 192, 930},
      {13, 168, 23},  // 22.75
      {-3, 144, -5},  // -4.5
      {1, 144, 2},
      // A DPI Windows could not give is the design one.
      {465, 0, 465},
      {465, -144, 465},
      {465, 100000, 465},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
}

TEST(Dpi, UnscaleGivesTheDesignValueBack) {
  for (int dpi : {96, 120, 144, 168, 192, 240}) {
    for (int value : {0, 1, 2, 3, 7, 16, 75, 120, 465, 1000}) {
      EXPECT_EQ(UnscaleFromDpi(ScaleToDpi(value, dpi), dpi), value) << value << " at " << dpi;
      // A width the user dragged to any pixel maps back to within one pixel of it.
      const int window = value * 3 + 1;
      EXPECT_LE(std::abs(ScaleToDpi(UnscaleFromDpi(window, dpi), dpi) - window), dpi / 96 + 1)
          << window << " at " << dpi;
    }
  }
}

TEST(Dpi, RectanglesScaleTheirEdges) {
  struct Case {
    Rect design;
    int dpi;
    Rect scaled;
  };
  const Case cases[] = {
      {{8, 8, 449, 305}, 96, {8, 8, 449, 305}},
      {{0, 0, 465, 351}, 144, {0, 0, 698, 527}},
      // 1 * 1.5 = 1.5 -> 2 and 4 * 1.5 = 6: the size is 4, not 2 * 1.5 rounded to 3.
      {{1, 1, 3, 3}, 144, {2, 2, 4, 4}},
      {{5, 7, 11, 13}, 120, {6, 9, 14, 16}},  // edges 6.25, 8.75, 20, 25
  };
  for (const Case& c : cases) {
    const Rect r = ScaleRectToDpi(c.design, c.dpi);
    EXPECT_EQ(r.x, c.scaled.x);
    EXPECT_EQ(r.y, c.scaled.y);
    EXPECT_EQ(r.width, c.scaled.width);
    EXPECT_EQ(r.height, c.scaled.height);
  }
  // Controls side by side in the design stay side by side at every scale.
  for (int dpi : {120, 144, 168, 192}) {
    int x = 3;
    for (int width : {7, 13, 75, 1, 90}) {
      const Rect a = ScaleRectToDpi({x, 0, width, 10}, dpi);
      const Rect b = ScaleRectToDpi({x + width, 0, 5, 10}, dpi);
      EXPECT_EQ(a.x + a.width, b.x) << "at " << dpi << " after " << x << "+" << width;
      x += width;
    }
  }
}

}  // namespace
}  // namespace kvn::ui
