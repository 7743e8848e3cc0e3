#include "shell/tray_icon_layout.h"

namespace kvn {

std::vector<std::string> SplitTrayLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t cr = text.find('\r', start);
    if (cr == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, cr - start));
    start = cr + 1;
  }
}

int TrayIconSide(int smallIcon) {
  // Windows gives 16 to 64 (400 %) and more only on exotic set-ups; beyond 256 it is a failure.
  return smallIcon >= kTrayIconSize && smallIcon <= 256 ? smallIcon : kTrayIconSize;
}

int ScaleToTrayIcon(int value, int side) {
  if (side == kTrayIconSize) return value;
  const long long product = static_cast<long long>(value) * side;
  const long long half = kTrayIconSize / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kTrayIconSize
                                       : (product - half) / kTrayIconSize);
}

int CentreStart(int extent, int side) {
  // C++ division truncates toward zero, as the rule asks: a span wider than the square
  // starts left of it and is cut at both edges.
  return (side - 1 - extent) / 2;
}

std::vector<TextPoint> LayoutTrayText(const std::vector<TextExtent>& lines, int pitchHeight,
                                      const TrayTextOffset& options, int side) {
  std::vector<TextPoint> points;
  if (lines.empty()) return points;
  const int offsetX = ScaleToTrayIcon(options.OffsetX, side);
  const int offsetY = ScaleToTrayIcon(options.OffsetY, side);
  if (lines.size() == 1) {
    points.push_back({CentreStart(lines[0].width, side) + offsetX,
                      CentreStart(lines[0].height, side) + offsetY});
    return points;
  }
  const int pitch = pitchHeight + ScaleToTrayIcon(options.LineDistance, side);
  const int top = CentreStart(static_cast<int>(lines.size()) * pitch, side) + offsetY;
  for (std::size_t i = 0; i < lines.size(); ++i)
    points.push_back(
        {CentreStart(lines[i].width, side) + offsetX, top + static_cast<int>(i) * pitch});
  return points;
}

ui::Color TrayBackground(ui::Color color, ui::Color fontRgb) {
  if (color == ui::kNoColor || color == fontRgb) return ~fontRgb & 0x00FFFFFFu;
  return color;
}

namespace {
// Length in bytes of the well-formed UTF-8 sequence at `i`, or 0 when it is malformed.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
  if (length == 0 || i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return length;
}
}  // namespace

std::string TruncateUtf16Units(std::string_view utf8, std::size_t maxUnits) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t length = SequenceLength(utf8, i);
    std::size_t need = length == 4 ? 2 : 1;  // four-byte characters take a surrogate pair
    if (length == 0) length = 1;
    if (units + need > maxUnits) break;
    units += need;
    i += length;
  }
  return std::string(utf8.substr(0, i));
}

TrayMouseAction TrayMouseActionFor(unsigned message, bool enabled) {
  switch (message) {
    case 0x0402:
      return TrayMouseAction::BalloonShown;
    case 0x0403:
      return TrayMouseAction::BalloonHidden;
    case 0x0404:
      return TrayMouseAction::BalloonTimedOut;
    case 0x0405:
      return TrayMouseAction::BalloonClicked;
    default:
      break;
  }
  if (!enabled) return TrayMouseAction::None;
  switch (message) {
    case 0x0200:
      return TrayMouseAction::RememberPosition;  // WM_MOUSEMOVE
    case 0x0201:
      return TrayMouseAction::LeftDown;  // WM_LBUTTONDOWN
    case 0x0202:
      return TrayMouseAction::LeftUp;  // WM_LBUTTONUP
    case 0x0203:
      return TrayMouseAction::DoubleClick;  // WM_LBUTTONDBLCLK
    case 0x0204:
      return TrayMouseAction::OpenMenu;  // WM_RBUTTONDOWN
    case 0x0400:
      return TrayMouseAction::Select;  // NIN_SELECT
    case 0x0401:
      return TrayMouseAction::KeySelect;  // NIN_KEYSELECT
    case 0x007B:
      return TrayMouseAction::ContextMenu;  // WM_CONTEXTMENU
    default:
      return TrayMouseAction::None;
  }
}

}  // namespace kvn
