// The tray icon against the real shell and GDI under Wine: the image's pixels, what reaches
// Shell_NotifyIconW, the callback window, minimising to the tray, and handle counts.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/handle_counts.h"
#include "screenshot.h"
#include "shell/tray_icon.h"
#include "shell/tray_icon_win32.h"

namespace kvn {
namespace {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Wine's explorer starts the notification area with the virtual desktop; give it a moment.
bool WaitForShellTray() {
  for (int i = 0; i < 100; ++i) {
    if (FindWindowW(L"Shell_TrayWnd", nullptr)) return true;
    Pump();
    Sleep(100);
  }
  return false;
}

struct SentRecord {
  DWORD message;
  UINT flags;
  std::wstring info;
  BOOL result;
  DWORD size;
};

class CountingNotifier : public ShellNotifier {
 public:
  std::vector<SentRecord> sent;
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
    BOOL result = SystemShellNotifier().Notify(message, data);
    sent.push_back({message, data->uFlags, data->szInfo, result, data->cbSize});
    return result;
  }
  int Count(DWORD message) const {
    int n = 0;
    for (const SentRecord& r : sent) n += r.message == message;
    return n;
  }
};

// 16 x 16 pixels as 0x00RRGGBB, row 0 on top, and the mask (true = transparent).
struct IconPixels {
  std::vector<std::uint32_t> color;
  std::vector<bool> transparent;
  std::uint32_t At(int x, int y) const { return color[y * 16 + x] & 0xFFFFFF; }
};

IconPixels ReadIcon(HICON icon) {
  IconPixels pixels;
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return pixels;
  HDC screen = GetDC(nullptr);
  BITMAPINFO bi = testing::TopDownBitmapInfo(16, 16);
  pixels.color.resize(256);
  GetDIBits(screen, info.hbmColor, 0, 16, pixels.color.data(), &bi, DIB_RGB_COLORS);
  std::vector<std::uint32_t> mask(256);
  GetDIBits(screen, info.hbmMask, 0, 16, mask.data(), &bi, DIB_RGB_COLORS);
  for (std::uint32_t m : mask) pixels.transparent.push_back((m & 0xFFFFFF) != 0);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return pixels;
}

// Independently of the icon's code: the text drawn at (0, 0) on white in the same font, its
// extent, and which pixels carry ink.
struct Reference {
  SIZE extent{};
  std::wstring face;
  std::vector<bool> ink;  // 64 x 32
  bool Ink(int x, int y) const { return x >= 0 && y >= 0 && x < 64 && y < 32 && ink[y * 64 + x]; }
};

Reference DrawReference(const std::wstring& text) {
  Reference ref;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi = testing::TopDownBitmapInfo(64, 32);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  RECT all{0, 0, 64, 32};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HFONT font = CreateFontW(-8, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           NONANTIALIASED_QUALITY, 0, L"Small Fonts");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &ref.extent);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  ref.face = face;
  TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < 64 * 32; ++i) ref.ink.push_back((p[i] & 0xFFFFFF) != 0xFFFFFF);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(font);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ref;
}

std::uint32_t Rgb(COLORREF c) {
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(TrayIconImage, TextIsCentredAsComputed) {
  struct Case {
    const char* text;
    ui::Color color;
  };
  const Case cases[] = {{"25%", 0x00FFFF}, {"128", 0x0000FF}, {"7%", 0x00FF00}};
  for (const Case& c : cases) {
    TextTrayIcon icon;
    icon.SetColor(c.color);
    icon.SetText(c.text);
    CountingNotifier notifier;
    TrayIconWin32 peer(icon, nullptr, notifier);
    const IconPixels pixels = ReadIcon(peer.CurrentIcon());
    ASSERT_EQ(pixels.color.size(), 256u) << c.text;

    const std::wstring wide(c.text, c.text + std::string(c.text).size());
    const Reference ref = DrawReference(wide);
    // (15 - size) div 2, plus OffsetX 0 and OffsetY 1.
    const int x0 = (15 - static_cast<int>(ref.extent.cx)) / 2;
    const int y0 = (15 - static_cast<int>(ref.extent.cy)) / 2 + 1;
    int inkPixels = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool ink = ref.Ink(x - x0, y - y0);
        inkPixels += ink;
        EXPECT_EQ(pixels.At(x, y), ink ? 0u : Rgb(c.color))
            << c.text << " at " << x << "," << y << " (origin " << x0 << "," << y0 << ")";
        EXPECT_FALSE(pixels.transparent[y * 16 + x]) << c.text;
      }
    EXPECT_GT(inkPixels, 5) << c.text;
    RecordProperty(std::string("face_") + c.text, std::string(ref.face.begin(), ref.face.end()));
    std::printf("%s: face %ls, extent %ldx%ld, origin %d,%d\n", c.text, ref.face.c_str(),
                ref.extent.cx, ref.extent.cy, x0, y0);
  }
}

TEST(TrayIconImage, NoColourIsTransparentAndBorderFrames) {
  TextTrayIcon icon;
  icon.SetColor(ui::kNoColor);
  icon.SetText("50");
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, nullptr, notifier);
  IconPixels pixels = ReadIcon(peer.CurrentIcon());
  ASSERT_EQ(pixels.color.size(), 256u);
  int transparent = 0, ink = 0;
  for (int i = 0; i < 256; ++i) {
    if (pixels.transparent[i])
      ++transparent;
    else {
      ++ink;
      EXPECT_EQ(pixels.color[i] & 0xFFFFFF, 0u) << i;  // only the black text shows
    }
  }
  EXPECT_GT(ink, 5);
  EXPECT_EQ(transparent + ink, 256);

  icon.SetColor(0x0000FF);
  icon.SetBorder(true);
  pixels = ReadIcon(peer.CurrentIcon());
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(pixels.At(i, 0), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(pixels.At(i, 15), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(pixels.At(0, i), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(pixels.At(15, i), Rgb(0xC0C0C0)) << i;
  }
}

// The icon's colour bitmap at its own size, row 0 on top.
std::vector<std::uint32_t> ReadIconAtItsSize(HICON icon, int& side) {
  std::vector<std::uint32_t> color;
  ICONINFO info{};
  side = 0;
  if (!icon || !GetIconInfo(icon, &info)) return color;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  side = bitmap.bmWidth;
  EXPECT_EQ(bitmap.bmHeight, bitmap.bmWidth);
  HDC screen = GetDC(nullptr);
  BITMAPINFO bi = testing::TopDownBitmapInfo(side, side);
  color.resize(static_cast<size_t>(side) * side);
  GetDIBits(screen, info.hbmColor, 0, side, color.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return color;
}

// At any DPI (the window tests also run at 144): the square is the system's small icon, the
// text grows with it, and the border frames its edges.
TEST(TrayIconImage, DrawnAtTheSmallIconSize) {
  const int expected = GetSystemMetrics(SM_CXSMICON);
  TextTrayIcon icon;
  icon.SetColor(0x0000FF);
  icon.SetBorder(true);
  icon.SetText("88");
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, nullptr, notifier);
  int side = 0;
  const std::vector<std::uint32_t> pixels = ReadIconAtItsSize(peer.CurrentIcon(), side);
  ASSERT_EQ(side, expected);
  const auto at = [&](int x, int y) { return pixels[y * side + x] & 0xFFFFFF; };
  for (int i = 0; i < side; ++i) {
    EXPECT_EQ(at(i, 0), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(at(i, side - 1), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(at(0, i), Rgb(0xC0C0C0)) << i;
    EXPECT_EQ(at(side - 1, i), Rgb(0xC0C0C0)) << i;
  }
  // The ink of "88": 7 rows of 16 at 96 DPI and as much in proportion above (at least 6 in 16),
  // centred: no text drawn for 16 x 16 in the middle of a larger square.
  int top = side, bottom = -1, left = side, right = -1;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (at(x, y) == 0) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(bottom, 0) << "no text";
  const int inkHeight = bottom - top + 1, inkWidth = right - left + 1;
  std::printf("side %d: ink %dx%d at %d,%d\n", side, inkWidth, inkHeight, left, top);
  EXPECT_GE(inkHeight * 16, side * 6) << "text too small for the square";
  EXPECT_LE(inkHeight * 16, side * 12);
  EXPECT_LE(std::abs((left + right) - (side - 1)), 2 + side / 8) << "not centred across";
  EXPECT_LE(std::abs((top + bottom) - (side - 1)), 2 + side / 4) << "not centred down";
  // In a larger square a text as wide as "100%" keeps clear of its edges: smaller, never cut.
  icon.SetBorder(false);
  for (const char* text : {"99%", "100%"}) {
    icon.SetText(text);
    const std::vector<std::uint32_t> drawn = ReadIconAtItsSize(peer.CurrentIcon(), side);
    for (int y = 0; side > kTrayIconSize && y < side; ++y)
      EXPECT_TRUE(drawn[y * side] & drawn[y * side + side - 1] & 0xFFFFFF)
          << text << " cut at " << y;
  }
}

TEST(TrayIconShell, BalloonIsSentOnceAndTheIconComesBackAfterAShellRestart) {
  ASSERT_TRUE(WaitForShellTray()) << "no notification area on the virtual desktop";
  TextTrayIcon icon;
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, nullptr, notifier);
  icon.SetText("25%");
  icon.SetHint("Korvane");
  icon.SetIconVisible(true);
  ASSERT_EQ(notifier.Count(NIM_ADD), 1);
  EXPECT_TRUE(notifier.sent[0].result) << "the shell refused the icon";
  // Wine's shell32 reports version 6: the XP record with balloons, not the Vista one.
  EXPECT_EQ(notifier.sent[0].size, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));

  notifier.sent.clear();
  icon.ShowBalloonHint("Korvane", "Optimisation en cours ...", BalloonIcon::Info, 10);
  for (int i = 0; i < 5; ++i) {
    icon.SetText(std::to_string(30 + i) + "%");
    icon.SetHint("Korvane " + std::to_string(i));
  }
  int withInfo = 0, withText = 0;
  for (const SentRecord& r : notifier.sent) {
    withInfo += (r.flags & NIF_INFO) != 0;
    withText += (r.flags & NIF_INFO) != 0 && !r.info.empty();
  }
  EXPECT_EQ(withInfo, 2);  // the clearing call and the balloon itself
  EXPECT_EQ(withText, 1);
  // The clear, the balloon and one call per new image; each hint rides along with the image.
  EXPECT_EQ(notifier.Count(NIM_MODIFY), 7);

  // For a person to look at: the icon in the taskbar of Wine's desktop, and the balloon.
  testing::PumpMessages(500);
  testing::SaveWindowShot(FindWindowW(L"Shell_TrayWnd", nullptr), "tray_area");
  testing::SaveWindowShot(GetDesktopWindow(), "tray_balloon_desktop");

  // Explorer restarted: the broadcast adds the visible icon again.
  notifier.sent.clear();
  SendMessageW(peer.Window(), peer.TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(notifier.Count(NIM_ADD), 1);
  icon.SetIconVisible(false);
  EXPECT_EQ(notifier.Count(NIM_DELETE), 1);
  SendMessageW(peer.Window(), peer.TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(notifier.Count(NIM_ADD), 1);
}

class RecordingPresenter : public ui::MenuPresenter {
 public:
  int shown = 0;
  POINT at{-1, -1};
  void Show(ui::PopupMenu&, int x, int y) override {
    ++shown;
    at = POINT{x, y};
  }
};

HWND MakeMainWindow() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorvaneTrayTestMain";
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(0, L"KorvaneTrayTestMain", L"Korvane", WS_OVERLAPPEDWINDOW, 100, 100, 300,
                         200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(TrayIconShell, CallbackMessagesFollowTheMouseTable) {
  HWND main = MakeMainWindow();
  ASSERT_TRUE(main);
  ShowWindow(main, SW_SHOW);
  TextTrayIcon icon;
  ui::PopupMenu menu;
  icon.PopupMenu = &menu;
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, main, notifier);
  RecordingPresenter presenter;
  ui::PopupMenu::SetPresenter(&presenter);
  int dbl = 0, balloon = 0;
  icon.OnDblClick = [&] { ++dbl; };
  icon.OnBalloonHintClick = [&] { ++balloon; };

  // Disabled for the first seconds: the mouse does nothing, a balloon click still counts.
  for (UINT m : {WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, NIN_BALLOONUSERCLICK})
    SendMessageW(peer.Window(), TrayCallbackMessage, peer.Id(), m);
  EXPECT_EQ(dbl, 0);
  EXPECT_EQ(presenter.shown, 0);
  EXPECT_EQ(balloon, 1);

  icon.SetEnabled(true);
  SendMessageW(peer.Window(), TrayCallbackMessage, peer.Id() + 1, WM_LBUTTONDBLCLK);  // not ours
  EXPECT_EQ(dbl, 0);
  SendMessageW(peer.Window(), TrayCallbackMessage, peer.Id(), WM_LBUTTONDBLCLK);
  EXPECT_EQ(dbl, 1);
  ASSERT_TRUE(testing::MovePointerTo(321, 123));
  SendMessageW(peer.Window(), TrayCallbackMessage, peer.Id(), WM_RBUTTONDOWN);
  EXPECT_EQ(presenter.shown, 1);
  POINT cursor{};
  GetCursorPos(&cursor);  // the menu opens where the pointer is
  EXPECT_EQ(presenter.at.x, cursor.x);
  EXPECT_EQ(presenter.at.y, cursor.y);

  ui::PopupMenu::SetPresenter(nullptr);
  DestroyWindow(main);
}

TEST(TrayIconShell, MinimisingSendsTheWindowToTheTray) {
  HWND main = MakeMainWindow();
  ASSERT_TRUE(main);
  ShowWindow(main, SW_SHOW);
  TextTrayIcon icon;
  icon.MinimizeToTray = true;
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, main, notifier);

  ShowWindow(main, SW_MINIMIZE);
  Pump();
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(icon.IconVisible());
  EXPECT_EQ(notifier.Count(NIM_ADD), 1);

  icon.ShowMainWindow();
  Pump();
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsIconic(main));

  icon.HideMainWindow();
  EXPECT_FALSE(IsWindowVisible(main));
  DestroyWindow(main);
}

TEST(TrayIconShell, TenThousandTextChangesLeakNothing) {
  WaitForShellTray();
  TextTrayIcon icon;
  CountingNotifier notifier;
  TrayIconWin32 peer(icon, nullptr, notifier);
  icon.SetIconVisible(true);
  auto change = [&](int i) {
    icon.SetText(std::to_string(i % 101) + "%");
    if (i % 10 == 0) icon.SetColor(i % 20 ? 0x0000FF : 0x00FFFF);
    if (i % 500 == 0) Pump();
  };
  for (int i = 0; i < 200; ++i) change(i);  // first-use caches (fonts, DCs) settle here
  Pump();
  const HandleCounts before = CountHandles();
  ASSERT_GT(before.gdi, 0u) << "the count is readable";
  for (int i = 0; i < 10000; ++i) change(i);
  Pump();
  const HandleCounts after = CountHandles();
  std::printf("GDI %lu -> %lu, USER %lu -> %lu\n", before.gdi, after.gdi, before.user, after.user);
  // One object lost per change would add 10,000; the margin absorbs the system's own caches.
  EXPECT_LE(after.gdi, before.gdi + 50);
  EXPECT_LE(after.user, before.user + 50);
  EXPECT_TRUE(peer.CurrentIcon());
}

}  // namespace
}  // namespace kvn
