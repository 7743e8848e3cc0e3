// Page control and its sheets, hot-key editor, image and shape.
#include <windowsx.h>

#include <algorithm>

#include "base/startup_trace_win32.h"
#include "base/text_win32.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

IconHandle LoadSmallIcon(HINSTANCE instance, int resourceId, int size) {
  const StartupWork work("small icon");
  const int cx = size, cy = size;
  if (auto icon = static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy, 0)))
    return IconHandle(icon);
  // A bitmap: its bottom-left pixel is the transparent colour. The icon's mask is set where
  // that colour is, and the picture is black there (what the icon's drawing expects). Both are
  // made at the picture's own size and only then scaled, pixel for pixel: a picture scaled
  // first would blend the transparent colour into its edges, a pink fringe no mask matches.
  BitmapHandle color(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0)));
  BITMAP picture{};
  if (!color || !GetObjectW(color.get(), sizeof(picture), &picture)) return IconHandle();
  const int w = picture.bmWidth, h = picture.bmHeight;
  BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
  if (!mask) return IconHandle();
  MemoryDcHandle colorDc(CreateCompatibleDC(nullptr));
  MemoryDcHandle maskDc(CreateCompatibleDC(nullptr));
  {
    SelectObjectScope selectColor(colorDc.get(), color.get());
    SelectObjectScope selectMask(maskDc.get(), mask.get());
    // Colour to monochrome: the background colour gives 1, every other colour 0.
    SetBkColor(colorDc.get(), GetPixel(colorDc.get(), 0, h - 1));
    BitBlt(maskDc.get(), 0, 0, w, h, colorDc.get(), 0, 0, SRCCOPY);
    // Monochrome to colour: 1 gives white, 0 black; the picture keeps what is under a 0.
    SetBkColor(colorDc.get(), RGB(255, 255, 255));
    SetTextColor(colorDc.get(), RGB(0, 0, 0));
    constexpr DWORD kDestinationAndNotSource = 0x00220326;
    BitBlt(colorDc.get(), 0, 0, w, h, maskDc.get(), 0, 0, kDestinationAndNotSource);
  }
  if (w != cx || h != cy) {
    auto scaled = [&](BitmapHandle& bitmap, BitmapHandle into) {
      {
        SelectObjectScope selectFrom(colorDc.get(), bitmap.get());
        SelectObjectScope selectInto(maskDc.get(), into.get());
        SetStretchBltMode(maskDc.get(), COLORONCOLOR);
        StretchBlt(maskDc.get(), 0, 0, cx, cy, colorDc.get(), 0, 0, w, h, SRCCOPY);
      }
      bitmap = std::move(into);  // no longer selected: the old one can go
    };
    const HDC screen = GetDC(nullptr);
    BitmapHandle scaledColor(CreateCompatibleBitmap(screen, cx, cy));
    ReleaseDC(nullptr, screen);
    BitmapHandle scaledMask(CreateBitmap(cx, cy, 1, 1, nullptr));
    if (!scaledColor || !scaledMask) return IconHandle();
    scaled(color, std::move(scaledColor));
    scaled(mask, std::move(scaledMask));
  }
  ICONINFO info{TRUE, 0, 0, mask.get(), color.get()};
  return IconHandle(CreateIconIndirect(&info));
}

// ---- Page control

void PageControlPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(WC_TABCONTROLW, L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP,
                     WS_EX_CONTROLPARENT, parent, rect);
}

void PageControlPeer::FitTabs() {
  // Every tab should show on the one row the pages are laid out for: tighter padding first,
  // then a point less for the tab captions, before giving in to the scroll arrows.
  const int count = static_cast<int>(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0));
  if (count == 0) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  Font small = control().GetFont();
  small.sizePt = (small.sizePt > 0 ? small.sizePt : 8) - 1;
  const HFONT fonts[] = {ControlFont(), host().FontFor(small)};
  for (HFONT font : fonts)
    for (int padding : {6, 4, 2}) {
      SendMessageW(hwnd_, TCM_SETPADDING, 0, MAKELPARAM(Scale(padding), Scale(3)));
      SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);  // lays tabs out
      RECT last{};
      SendMessageW(hwnd_, TCM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
      if (last.right <= client.right - Scale(4)) return;
    }
}

void PageControlPeer::SyncAll() {
  // A page control with pages always shows one: the first until the program picks another.
  auto pages = pages_.Pages();
  if (!pages_.ActivePage() && !pages.empty()) pages_.SetActivePage(pages.front());
  WindowPeer::SyncAll();
}

RECT PageControlPeer::DisplayRect() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  SendMessageW(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

namespace {

// A page's window if it is built already: asking the host would build it.
HWND BuiltWindow(const TabSheet& page) {
  const auto* peer = dynamic_cast<const WindowPeer*>(page.Peer());
  return peer ? peer->Handle() : nullptr;
}

}  // namespace

void PageControlPeer::LayoutSheets() {
  const RECT display = DisplayRect();
  for (TabSheet* page : pages_.Pages())
    if (HWND sheet = BuiltWindow(*page)) {
      // A page placed by the program keeps its place; the others fill the display area.
      const RECT r = page->Bounds().width > 0 ? host().ScaledRect(page->Bounds()) : display;
      MoveWindow(sheet, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

void PageControlPeer::SyncBounds() {
  WindowPeer::SyncBounds();
  LayoutSheets();
}

void PageControlPeer::PageCaptionChanged(TabSheet& page) {
  auto pages = pages_.Pages();
  auto it = std::find(pages.begin(), pages.end(), &page);
  if (it == pages.end()) return;
  std::wstring text = Widen(page.Caption());
  // A page built after its tab finds its caption there already: no new layout of the tabs.
  wchar_t shown[128] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = shown;
  item.cchTextMax = 128;
  if (SendMessageW(hwnd_, TCM_GETITEMW, it - pages.begin(), reinterpret_cast<LPARAM>(&item)) &&
      text == shown)
    return;
  item.pszText = text.data();
  SendMessageW(hwnd_, TCM_SETITEMW, it - pages.begin(), reinterpret_cast<LPARAM>(&item));
  FitTabs();
}

void PageControlPeer::SyncFont() {
  WindowPeer::SyncFont();
  FitTabs();
}

void PageControlPeer::SyncOwn(Change what) {
  if (what == Change::Items) {
    SendMessageW(hwnd_, TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (TabSheet* page : pages_.Pages()) {
      std::wstring text = Widen(page->Caption());
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text.data();
      SendMessageW(hwnd_, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
    }
    FitTabs();
    LayoutSheets();
  } else if (what == Change::Value) {
    SendMessageW(hwnd_, TCM_SETCURSEL, pages_.ActivePageIndex(), 0);
    // A page shown before all its controls were built gets the rest before it shows: at once
    // when the program asks for it, and for the user's click a slice at a time, the tab
    // answering at once and the page it leaves staying until the new one is whole.
    if (TabSheet* page = pages_.ActivePage(); page && host().PendingWithin(*page)) {
      if (pages_.SelectingByUser()) {
        host().CreatePendingSoon(*page, [this] { ShowActiveSheet(); });
        return;
      }
      host().CreatePendingWithin(*page);
    }
    ShowActiveSheet();
  }
}

void PageControlPeer::ShowActiveSheet() {
  const TabSheet* active = pages_.ActivePage();
  if (active && host().PendingWithin(*active)) return;  // shown once built
  for (TabSheet* page : pages_.Pages())
    if (HWND sheet = BuiltWindow(*page)) ShowWindow(sheet, page == active ? SW_SHOW : SW_HIDE);
}

bool PageControlPeer::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != hwnd_ || header.code != TCN_SELCHANGE) return false;
  result = 0;
  const int index = static_cast<int>(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
  auto pages = pages_.Pages();
  if (!syncing_ && index >= 0 && index < static_cast<int>(pages.size()))
    pages_.UserSelectPage(pages[index]);
  return true;
}

// ---- Tab sheet

void TabSheetPeer::Create(HWND parent, const RECT& rect) {
  RECT r = rect;
  if (r.right <= r.left) {
    GetClientRect(parent, &r);
    SendMessageW(parent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  }
  ContainerPeer::Create(parent, r);
}

void TabSheetPeer::SyncCaption() {
  if (Control* parent = sheet_.Parent())
    if (auto* pages = dynamic_cast<PageControlPeer*>(parent->Peer()))
      pages->PageCaptionChanged(sheet_);
}

void TabSheetPeer::Rescale() {
  // Its page control places it (it fills the display area unless the program placed it).
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncFont();
}

// ---- Hot-key editor

std::uint16_t ShortcutFromHotKey(WORD hotKey) {
  const BYTE flags = HIBYTE(hotKey);
  std::uint16_t shortcut = LOBYTE(hotKey);
  if (!shortcut) return 0;
  if (flags & HOTKEYF_SHIFT) shortcut |= kShortcutShift;
  if (flags & HOTKEYF_CONTROL) shortcut |= kShortcutCtrl;
  if (flags & HOTKEYF_ALT) shortcut |= kShortcutAlt;
  return shortcut;
}

WORD HotKeyFromShortcut(std::uint16_t shortcut) {
  const BYTE key = LOBYTE(shortcut);
  if (!key) return 0;
  BYTE flags = 0;
  if (shortcut & kShortcutShift) flags |= HOTKEYF_SHIFT;
  if (shortcut & kShortcutCtrl) flags |= HOTKEYF_CONTROL;
  if (shortcut & kShortcutAlt) flags |= HOTKEYF_ALT;
  return MAKEWORD(key, flags);
}

void HotKeyEditPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(HOTKEY_CLASSW, L"", WS_TABSTOP, WS_EX_CLIENTEDGE, parent, rect);
}

void HotKeyEditPeer::SyncOwn(Change what) {
  if (what == Change::Value)
    SendMessageW(hwnd_, HKM_SETHOTKEY, HotKeyFromShortcut(edit_.HotKey()), 0);
}

void HotKeyEditPeer::OnCommand(HWND, UINT code) {
  if (code != EN_CHANGE || syncing_) return;
  const auto value = static_cast<WORD>(SendMessageW(hwnd_, HKM_GETHOTKEY, 0, 0));
  edit_.UserSetHotKey(ShortcutFromHotKey(value));
}

// ---- Image

void ImagePeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(L"STATIC", L"", SS_BITMAP | SS_NOTIFY, 0, parent, rect);
}

void ImagePeer::OnCommand(HWND, UINT code) {
  if (code == STN_CLICKED) control().Click();
}

void ImagePeer::SyncOwn(Change what) {
  if (what != Change::Value) return;
  const StartupWork work("picture");
  BitmapHandle bitmap;
  if (image_.ResourceId()) {
    // The large pictures are run-length packed, which not every release takes as a DIB section:
    // those load as a bitmap of the screen's format instead.
    const auto load = [&](int cx, int cy) {
      const auto id = MAKEINTRESOURCEW(image_.ResourceId());
      const HINSTANCE instance = host().Instance();
      if (auto dib = LoadImageW(instance, id, IMAGE_BITMAP, cx, cy, LR_CREATEDIBSECTION))
        return static_cast<HBITMAP>(dib);
      return static_cast<HBITMAP>(LoadImageW(instance, id, IMAGE_BITMAP, cx, cy, 0));
    };
    bitmap.reset(load(0, 0));
    // The picture is drawn for 96 DPI: at another DPI it is loaded again at its scaled size.
    BITMAP info{};
    if (bitmap && host().Dpi() != 96 && GetObjectW(bitmap.get(), sizeof info, &info)) {
      BitmapHandle scaled(load(Scale(info.bmWidth), Scale(std::abs(info.bmHeight))));
      if (scaled) bitmap = std::move(scaled);
    }
  }
  SendMessageW(hwnd_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
  bitmap_ = std::move(bitmap);  // the previous picture is released once replaced
}

void ImagePeer::Rescale() {
  WindowPeer::Rescale();
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncOwn(Change::Value);
}

// ---- Shape

void ShapePeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(kPaintedClass, L"", shape_.TabStop() ? WS_TABSTOP : 0, 0, parent, rect);
}

void ShapePeer::SyncOwn(Change what) {
  if (what == Change::Value) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ShapePeer::Paint(HDC dc) {
  RECT r{};
  GetClientRect(hwnd_, &r);
  BrushHandle brush(CreateSolidBrush(ToColorRef(shape_.BrushColor(), COLOR_WINDOW)));
  // In high contrast the border is the scheme's text: a swatch of the face's colour still shows.
  PenHandle pen(CreatePen(PS_SOLID, 1,
                          HighContrast() ? GetSysColor(COLOR_BTNTEXT)
                                         : ToColorRef(shape_.PenColor(), COLOR_WINDOWTEXT)));
  SelectObjectScope selectBrush(dc, brush.get());
  SelectObjectScope selectPen(dc, pen.get());
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  if (GetFocus() == hwnd_) {
    InflateRect(&r, -2, -2);
    SetTextColor(dc, RGB(0, 0, 0));  // the dotted line inverts what is under it
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &r);
  }
}

LRESULT ShapePeer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PaintScope paint(hwnd);
      Paint(paint.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE: {
      // Enter too, which the dialog navigation would take for the window's default command.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      return key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN ? DLGC_WANTMESSAGE : 0;
    }
    case WM_KEYDOWN:
      if (wParam != VK_SPACE && wParam != VK_RETURN)
        return OwnClassPeer::WindowProc(hwnd, msg, wParam, lParam);
      control().Click();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const MouseButton button = msg == WM_LBUTTONDOWN   ? MouseButton::Left
                                 : msg == WM_RBUTTONDOWN ? MouseButton::Right
                                                         : MouseButton::Middle;
      control().MouseDown(button, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    }
    default:
      return OwnClassPeer::WindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace kvn::ui::win32
