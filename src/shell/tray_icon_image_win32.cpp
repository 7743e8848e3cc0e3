#include "shell/tray_icon_image_win32.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/text_win32.h"
#include "ui/win32/color_ref.h"
#include "ui/win32/high_contrast.h"

namespace kvn {

namespace {
using namespace ui::win32;

// The DIB keeps pixels as 0x00RRGGBB; a COLORREF is 0x00BBGGRR.
std::uint32_t PixelOf(COLORREF color) {
  return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

TextExtent Measure(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

constexpr wchar_t kScalableFace[] = L"Tahoma";

// Whether the face really has characters `height` pixels high (within an eighth), not only a
// smaller size the font mapper fell back to.
bool ReachesHeight(HDC dc, HFONT font, int height) {
  SelectObjectScope selected(dc, font);
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(dc, &metrics)) return true;
  return (metrics.tmHeight - metrics.tmInternalLeading) * 8 >= height * 7;
}

// The font of the image's text for a square of `side`.
FontHandle TextFont(HDC dc, const TrayTextImage& image, int side, int height) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;  // a clean pixel font: no fringes on a small square
  FixedWideText(lf.lfFaceName, LF_FACESIZE).Add(Widen(image.font.name));
  FontHandle font(CreateFontIndirectW(&lf));
  if (font && side != kTrayIconSize && !ReachesHeight(dc, font.get(), height)) {
    // A bitmap face (Small Fonts) stops at its largest size and would leave the text at its
    // 16 x 16 size in the larger square: an outline face drawn without smoothing stays as sharp.
    FixedWideText(lf.lfFaceName, LF_FACESIZE).Add(kScalableFace);
    if (FontHandle scalable{CreateFontIndirectW(&lf)}) font = std::move(scalable);
  }
  return font;
}

void DrawLines(HDC dc, const TrayTextImage& image, int side, COLORREF textColor) {
  const std::vector<std::string> lines = SplitTrayLines(image.text);
  std::vector<std::wstring> wideLines;
  for (const std::string& line : lines) wideLines.push_back(Widen(line));
  // The height is given for the 16 x 16 square: a larger one gets a larger font. There the
  // scaled face is wider than the bitmap one, and "99%" would lose its first and last columns:
  // the font gets smaller until every line fits with a margin (16 x 16 keeps its design).
  const int room = side == kTrayIconSize ? side * 2 : side - 2 * ScaleToTrayIcon(1, side);
  FontHandle font;
  std::vector<TextExtent> extents;
  for (int height = ScaleToTrayIcon(image.font.height, side);; --height) {
    FontHandle candidate = TextFont(dc, image, side, height);
    if (!candidate) break;
    font = std::move(candidate);
    SelectObjectScope selected(dc, font.get());
    extents.clear();
    int widest = 0;
    for (const std::wstring& line : wideLines) {
      extents.push_back(Measure(dc, line));
      widest = std::max(widest, extents.back().width);
    }
    if (widest <= room || height <= image.font.height / 2) break;
  }
  if (!font) return;
  SelectObjectScope selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColor);
  int pitchHeight = 0;
  if (lines.size() > 1)
    pitchHeight = Measure(dc, Widen(image.text.substr(image.text.find('\r')))).height;
  const std::vector<TextPoint> points = LayoutTrayText(extents, pitchHeight, image.options, side);
  for (std::size_t i = 0; i < points.size(); ++i)
    TextOutW(dc, points[i].x, points[i].y, wideLines[i].c_str(),
             static_cast<int>(wideLines[i].size()));
}
}  // namespace

IconHandle RenderTrayTextIcon(const TrayTextImage& image) {
  // The notification area shows small icons: drawn at their size, the text stays sharp where a
  // 16 x 16 image would be stretched (125 %, 150 %, 200 %).
  const int side = TrayIconSide(GetSystemMetrics(SM_CXSMICON));
  // In high contrast the scheme's text on the scheme's window, whatever the alarm's colour: the
  // taskbar around it is the scheme's too.
  const bool contrast = HighContrast();
  const COLORREF fontRgb =
      contrast ? GetSysColor(COLOR_WINDOWTEXT) : ToColorRef(image.font.color, COLOR_WINDOWTEXT);
  const bool transparent = !contrast && image.color == ui::kNoColor;
  const COLORREF background =
      contrast ? GetSysColor(COLOR_WINDOW)
               : TrayBackground(transparent ? image.color : ToColorRef(image.color, COLOR_WINDOW),
                                fontRgb);

  WindowDc screen(nullptr);
  MemoryDcHandle dc(CreateCompatibleDC(screen.get()));
  if (!dc) return {};

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = side;
  info.bmiHeader.biHeight = -side;  // top-down: row 0 is the top line
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle color(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || !bits) return {};

  {
    SelectObjectScope selected(dc.get(), color.get());
    const RECT square{0, 0, side, side};
    BrushHandle fill(CreateSolidBrush(background));
    if (fill) FillRect(dc.get(), &square, fill.get());
    DrawLines(dc.get(), image, side, fontRgb);
    if (image.border) {
      BrushHandle frame(
          CreateSolidBrush(contrast ? fontRgb : ToColorRef(image.borderColor, COLOR_BTNSHADOW)));
      // One pixel wide at 16, as wide in proportion in a larger square.
      RECT edge = square;
      for (int i = 0; frame && i < std::max(1, ScaleToTrayIcon(1, side)); ++i) {
        FrameRect(dc.get(), &edge, frame.get());
        InflateRect(&edge, -1, -1);
      }
    }
    GdiFlush();
  }

  // Opaque everywhere, except the background pixels when the colour is clNone. The alpha
  // channel says the same as the mask, for shells that read one or the other.
  auto* pixels = static_cast<std::uint32_t*>(bits);
  const std::uint32_t backgroundPixel = PixelOf(background);
  // Monochrome bitmaps store rows of whole words, the leftmost pixel in the high bit of the first
  // byte.
  const int stride = (side + 15) / 16 * 2;
  std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride) * side, 0);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      std::uint32_t& p = pixels[y * side + x];
      if (transparent && (p & 0x00FFFFFFu) == backgroundPixel) {
        p = 0;
        maskBits[static_cast<std::size_t>(y) * stride + x / 8] |=
            static_cast<std::uint8_t>(0x80u >> (x % 8));
      } else {
        p = (p & 0x00FFFFFFu) | 0xFF000000u;
      }
    }
  }
  BitmapHandle mask(CreateBitmap(side, side, 1, 1, maskBits.data()));
  if (!mask) return {};

  ICONINFO iconInfo{};
  iconInfo.fIcon = TRUE;
  iconInfo.hbmMask = mask.get();
  iconInfo.hbmColor = color.get();
  // The icon keeps copies of both bitmaps; ours go when this scope ends.
  return IconHandle(CreateIconIndirect(&iconInfo));
}

}  // namespace kvn
