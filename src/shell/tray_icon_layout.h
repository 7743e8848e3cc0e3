#pragma once
// The arithmetic of the tray icon, kept apart from GDI and the shell so it can be checked
// natively: where the text goes in the square (16 x 16 at 96 DPI, the small icon's side else),
// which background is used, how long a hint may be, and what a mouse message on the icon means.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace kvn {

inline constexpr int kTrayIconSize = 16;  // the side of the square at 96 DPI

// The side of the square for the system's small-icon size `smallIcon` (16 at 100 %, 20 at
// 125 %, 24 at 150 %, 32 at 200 %); a size Windows could not give counts as 16.
int TrayIconSide(int smallIcon);

// `value` pixels of the 16 x 16 design (a font height, an offset) in a square of `side`,
// rounded to the nearest pixel, halves away from zero: the identity at 16.
int ScaleToTrayIcon(int value, int side);

// Signed pixel adjustments applied after centring.
struct TrayTextOffset {
  int OffsetX = 0;
  int OffsetY = 1;
  int LineDistance = 0;
  bool operator==(const TrayTextOffset&) const = default;
};

struct TextExtent {
  int width = 0;
  int height = 0;
};

struct TextPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TextPoint&) const = default;
};

// Splits at each CR: a line ends before its CR, and whatever follows the CR (a line feed
// included) starts the next line. Text without CR is one line.
std::vector<std::string> SplitTrayLines(std::string_view text);

// Start of a span of `extent` pixels centred in a square of `side`: (side - 1 - extent) div 2,
// truncated toward zero (15, not 16, at 16: the text sits on the upper-left of the two middle
// pixels).
int CentreStart(int extent, int side = kTrayIconSize);

// Where to draw each line. `lines` are the measured extents of the lines; `pitchHeight` is the
// height of the text from its first CR onward (unused for a single line). The offsets are those
// of the 16 x 16 design: in a larger square they grow with it.
std::vector<TextPoint> LayoutTrayText(const std::vector<TextExtent>& lines, int pitchHeight,
                                      const TrayTextOffset& options, int side = kTrayIconSize);

// Background of the square: clNone, or a colour equal to the font's, gives the font colour with
// all 24 bits inverted, so the text always shows. `fontRgb` is the font colour as plain RGB.
ui::Color TrayBackground(ui::Color color, ui::Color fontRgb);

// The longest prefix of a UTF-8 text that fits in `maxUnits` UTF-16 units, never cutting a
// character (or a surrogate pair) in two. Malformed bytes count as one unit each.
std::string TruncateUtf16Units(std::string_view utf8, std::size_t maxUnits);

// The shell's text limits, in UTF-16 units without the terminating zero.
inline constexpr std::size_t kTrayTipMax = 127;
inline constexpr std::size_t kTrayInfoMax = 255;
inline constexpr std::size_t kTrayInfoTitleMax = 63;

// The callback message the shell sends for the icon.
inline constexpr unsigned TrayCallbackMessage = 0x0800;

// What a mouse or balloon notification on the icon asks for.
enum class TrayMouseAction {
  None,
  RememberPosition,
  LeftDown,
  LeftUp,
  DoubleClick,
  OpenMenu,
  BalloonShown,
  BalloonHidden,
  BalloonTimedOut,
  BalloonClicked,
  // From the icon's version 3 on: the icon selected (a left click, or a key), activated from the
  // keyboard (Enter), and its menu asked for (a right click released, or the menu key).
  Select,
  KeySelect,
  ContextMenu,
};

// Mouse messages are dropped while the icon is disabled; balloon notifications never are.
TrayMouseAction TrayMouseActionFor(unsigned message, bool enabled);

}  // namespace kvn
