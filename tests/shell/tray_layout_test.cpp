#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/tray_icon_layout.h"

namespace kvn {
namespace {

TEST(TrayLayout, CentringTruncatesTowardZero) {
  struct Case {
    int extent, start;
  };
  const Case cases[] = {
      {0, 7},   {1, 7},   {5, 5},   {11, 2},
      {12, 1},  {15, 0},  {16, 0},  // (15 - 16) div 2 is 0, not -1
      {17, -1}, {20, -2}, {30, -7},
  };
  for (const Case& c : cases) EXPECT_EQ(CentreStart(c.extent), c.start) << "extent " << c.extent;
}

TEST(TrayLayout, LinePositions) {
  struct Case {
    const char* what;
    std::vector<TextExtent> lines;
    int pitch;
    TrayTextOffset options;
    std::vector<TextPoint> expected;
  };
  const Case cases[] = {
      // One digit and three digits, default offsets: one pixel below the centre.
      {"one digit", {{4, 8}}, 0, {}, {{5, 4}}},
      {"three digits", {{11, 8}}, 0, {}, {{2, 4}}},
      {"no vertical offset", {{11, 8}}, 0, {0, 0, 0}, {{2, 3}}},
      {"both offsets", {{11, 8}}, 0, {-2, 3, 0}, {{0, 6}}},
      {"wider than the square", {{21, 8}}, 0, {}, {{-3, 4}}},
      // Two lines of pitch 8 + 1: top = (15 - 18) div 2 + 1 = -1 + 1 = 0.
      {"two lines", {{5, 8}, {9, 8}}, 8, {0, 1, 1}, {{5, 0}, {3, 9}}},
      // Three lines of pitch 5: top = (15 - 15) div 2 + 0.
      {"three lines", {{3, 5}, {7, 5}, {15, 5}}, 5, {1, 0, 0}, {{7, 0}, {5, 5}, {1, 10}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LayoutTrayText(c.lines, c.pitch, c.options), c.expected) << c.what;
}

TEST(TrayLayout, LargerSquaresForHigherDpi) {
  struct Case {
    const char* what;
    int side;
    std::vector<TextExtent> lines;
    int pitch;
    TrayTextOffset options;
    std::vector<TextPoint> expected;
  };
  const Case cases[] = {
      // 125 %: (19 - 5) div 2 = 7; offset 1 * 20 / 16 = 1.25, rounded to 1.
      {"one digit at 20", 20, {{5, 10}}, 0, {}, {{7, 5}}},
      // 150 %: (23 - 14) div 2 = 4, (23 - 12) div 2 + 2 (1.5 rounds away from zero).
      {"three digits at 24", 24, {{14, 12}}, 0, {}, {{4, 7}}},
      {"negative offsets at 24", 24, {{14, 12}}, 0, {-1, -3, 0}, {{2, 0}}},
      // 200 %: pitch 16 + 2 * 1; top = (31 - 36) div 2 + 2 = 0.
      {"two lines at 32", 32, {{10, 16}, {18, 16}}, 16, {0, 1, 1}, {{10, 0}, {6, 18}}},
      {"wider than the square at 32", 32, {{40, 16}}, 0, {}, {{-4, 9}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LayoutTrayText(c.lines, c.pitch, c.options, c.side), c.expected) << c.what;
}

TEST(TrayLayout, SquareSideAndScaling) {
  struct SideCase {
    int smallIcon, side;
  };
  const SideCase sides[] = {{16, 16}, {20, 20}, {24, 24}, {32, 32},  {64, 64},
                            {0, 16},  {-1, 16}, {8, 16},  {4096, 16}};
  for (const SideCase& c : sides) EXPECT_EQ(TrayIconSide(c.smallIcon), c.side) << c.smallIcon;
  struct ScaleCase {
    int value, side, expected;
  };
  const ScaleCase scales[] = {
      {8, 16, 8},   {-3, 16, -3}, {8, 20, 10},  {11, 20, 14},  // 13.75
      {8, 24, 12},  {1, 24, 2},   {-1, 24, -2}, {-3, 24, -5},  // halves away from zero
      {11, 32, 22}, {0, 32, 0},   {1, 20, 1},
  };
  for (const ScaleCase& c : scales)
    EXPECT_EQ(ScaleToTrayIcon(c.value, c.side), c.expected) << c.value << " at " << c.side;
}

TEST(TrayLayout, SplitsAtCarriageReturns) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {""}},
      {"25%", {"25%"}},
      {"12\r34", {"12", "34"}},
      {"12\r\n34", {"12", "\n34"}},  // a line feed after the CR belongs to the next line
      {"12\r", {"12", ""}},
      {"\r\r", {"", "", ""}},
      {"a\nb", {"a\nb"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitTrayLines(c.text), c.lines) << c.text;
}

TEST(TrayLayout, Background) {
  struct Case {
    ui::Color color, font, expected;
  };
  const Case cases[] = {
      {0x00FFFF, 0x000000, 0x00FFFF},      // yellow stays yellow
      {0x0000FF, 0x000000, 0x0000FF},      // red
      {ui::kNoColor, 0x000000, 0xFFFFFF},  // clNone: inverted black
      {0x000000, 0x000000, 0xFFFFFF},      // same as the font
      {0x0000FF, 0x0000FF, 0xFFFF00},      // red text on red: cyan
      {ui::kNoColor, 0x123456, 0xEDCBA9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrayBackground(c.color, c.font), c.expected) << std::hex << c.color;
}

TEST(TrayLayout, TextLimitsCountUtf16Units) {
  const std::string e = "\xC3\xA9";              // é, two bytes, one unit
  const std::string smile = "\xF0\x9F\x98\x80";  // outside the BMP: two units
  struct Case {
    const char* what;
    std::string text;
    std::size_t max;
    std::string expected;
  };
  std::string accents;
  for (int i = 0; i < 200; ++i) accents += e;
  const Case cases[] = {
      {"short", "Korvane", 127, "Korvane"},
      {"long ascii", std::string(200, 'a'), 127, std::string(127, 'a')},
      {"exactly at the limit", std::string(127, 'a'), 127, std::string(127, 'a')},
      {"accents", accents, 127, accents.substr(0, 254)},
      {"pair does not fit", std::string(126, 'a') + smile, 127, std::string(126, 'a')},
      {"pair fits", std::string(125, 'a') + smile + "b", 127, std::string(125, 'a') + smile},
      {"title limit", std::string(80, 'T'), 63, std::string(63, 'T')},
      {"stray bytes count one each",
       "\xFF\xFE"
       "ab",
       3,
       "\xFF\xFE"
       "a"},
      {"cut sequence at the end", "ab\xC3", 127, "ab\xC3"},
      {"zero", "abc", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TruncateUtf16Units(c.text, c.max), c.expected) << c.what;
}

TEST(TrayLayout, MouseTable) {
  using A = TrayMouseAction;
  struct Case {
    unsigned message;
    bool enabled;
    A action;
  };
  const Case cases[] = {
      {0x0200, true, A::RememberPosition},
      {0x0201, true, A::LeftDown},
      {0x0202, true, A::LeftUp},
      {0x0203, true, A::DoubleClick},
      {0x0204, true, A::OpenMenu},
      {0x0205, true, A::None},
      {0x0207, true, A::None},
      {0x0208, true, A::None},
      {0x0402, true, A::BalloonShown},
      {0x0403, true, A::BalloonHidden},
      {0x0404, true, A::BalloonTimedOut},
      {0x0405, true, A::BalloonClicked},
      // Disabled: the mouse does nothing, balloons still report.
      {0x0200, false, A::None},
      {0x0201, false, A::None},
      {0x0203, false, A::None},
      {0x0204, false, A::None},
      {0x0402, false, A::BalloonShown},
      {0x0405, false, A::BalloonClicked},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrayMouseActionFor(c.message, c.enabled), c.action)
        << std::hex << c.message << " enabled " << c.enabled;
}

}  // namespace
}  // namespace kvn
