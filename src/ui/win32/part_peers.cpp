// Page control and its sheets, status bar, hot-key editor, image and shape.
#include <windowsx.h>

#include <algorithm>

#include "base/startup_trace_win32.h"
#include "base/text_win32.h"
#include "ui/win32/form_host.h"
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

// ---- Status bar

void StatusBarPeer::Rescale() {
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncFont();
  // A bar the program did not place keeps to the bottom of its parent by itself.
  if (control().Bounds().height > 0)
    SyncBounds();
  else
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
  // Texts measured again in the new font, icons loaded again at the new size.
  std::fill(textWidths_.begin(), textWidths_.end(), -1);
  std::fill(iconIds_.begin(), iconIds_.end(), 0);
  edges_.clear();
  SyncOwn(Change::Items);
}

void StatusBarPeer::Create(HWND parent, const RECT& rect) {
  const bool placed = rect.bottom > rect.top;
  hwnd_ = CreatePart(STATUSCLASSNAMEW, L"",
                     CCS_NODIVIDER | (placed ? CCS_NOPARENTALIGN | CCS_NORESIZE : CCS_BOTTOM) |
                         (bar_.SizeGrip() ? SBARS_SIZEGRIP : 0),
                     0, parent, rect);
  Subclass(hwnd_);
}

void StatusBarPeer::SyncOwn(Change what) {
  const auto& panels = bar_.Panels();
  if (what == Change::Items) {
    // The monitoring loop rewrites a panel every second: only what really changed goes to the
    // bar, and the panels are laid out again only when a width changes.
    texts_.resize(panels.size());
    textWidths_.resize(panels.size(), -1);
    std::vector<bool> changed(panels.size(), false);
    std::vector<size_t> toMeasure;
    for (size_t i = 0; i < panels.size(); ++i) {
      std::wstring text = Widen(panels[i].text);
      if (textWidths_[i] >= 0 && text == texts_[i]) continue;
      texts_[i] = std::move(text);
      changed[i] = true;
      toMeasure.push_back(i);
    }
    if (!toMeasure.empty()) {
      WindowDc dc(hwnd_);
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
      SelectObjectScope select(dc.get(), font ? font : ControlFont());
      for (size_t i : toMeasure) {
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), texts_[i].c_str(), static_cast<int>(texts_[i].size()),
                              &size);
        textWidths_[i] = static_cast<int>(size.cx);
      }
    }
    // A panel is widened to fit its text and picture; the last one runs to the right edge.
    std::vector<int> edges;
    int right = 0;
    for (size_t i = 0; i < panels.size(); ++i) {
      const int picture = panels[i].imageId ? host().SmallIconSize() + Scale(4) : 0;
      right += std::max(Scale(panels[i].width), textWidths_[i] + picture + Scale(10));
      edges.push_back(i + 1 == panels.size() ? -1 : right);
    }
    const bool relayout = edges != edges_;
    if (relayout) {
      edges_ = edges;
      SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    }
    icons_.resize(panels.size());
    iconIds_.resize(panels.size(), 0);
    for (size_t i = 0; i < panels.size(); ++i) {
      // The gauge panel keeps its text for SB_GETTEXT; it is painted over afterwards.
      if (relayout || changed[i])
        SendMessageW(hwnd_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(texts_[i].c_str()));
      if (panels[i].imageId != iconIds_[i]) {
        IconHandle icon = panels[i].imageId ? LoadSmallIcon(host().Instance(), panels[i].imageId,
                                                            host().SmallIconSize())
                                            : IconHandle();
        SendMessageW(hwnd_, SB_SETICON, i, reinterpret_cast<LPARAM>(icon.get()));
        icons_[i] = std::move(icon);  // the old icon goes only once the bar no longer shows it
        iconIds_[i] = panels[i].imageId;
      }
    }
  } else if (what == Change::Value) {
    RECT r{};
    if (bar_.GaugePanel() >= 0 &&
        SendMessageW(hwnd_, SB_GETRECT, bar_.GaugePanel(), reinterpret_cast<LPARAM>(&r)))
      InvalidateRect(hwnd_, &r, FALSE);
  } else if (what == Change::Other) {
    InvalidateRect(hwnd_, nullptr, TRUE);  // the gauge's panel or colour
  }
}

void StatusBarPeer::PaintGauge(HDC dc) {
  const int panel = bar_.GaugePanel();
  if (panel < 0 || panel >= static_cast<int>(bar_.Panels().size())) return;
  RECT r{};
  if (!SendMessageW(hwnd_, SB_GETRECT, panel, reinterpret_cast<LPARAM>(&r))) return;
  InflateRect(&r, -1, -1);
  const int split = r.left + (r.right - r.left) * bar_.GaugePosition() / 100;
  BrushHandle fill(CreateSolidBrush(ToColorRef(bar_.GaugeColor(), COLOR_HIGHLIGHT)));
  RECT done{r.left, r.top, split, r.bottom}, rest{split, r.top, r.right, r.bottom};
  FillRect(dc, &done, fill.get());
  FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring text = Widen(bar_.PanelText(panel));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  SelectObjectScope select(dc, font ? font : ControlFont());
  SetBkMode(dc, TRANSPARENT);
  const RECT parts[2] = {done, rest};
  const COLORREF colors[2] = {RGB(255, 255, 255), GetSysColor(COLOR_BTNTEXT)};
  for (int i = 0; i < 2; ++i) {
    if (parts[i].right <= parts[i].left) continue;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, parts[i].left, parts[i].top, parts[i].right, parts[i].bottom);
    SetTextColor(dc, colors[i]);
    RECT t = r;
    DrawTextW(dc, text.c_str(), -1, &t,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    RestoreDC(dc, saved);
  }
}

int StatusBarPeer::PanelAt(POINT p) const {
  for (size_t i = 0; i < bar_.Panels().size(); ++i) {
    RECT r{};
    if (SendMessageW(hwnd_, SB_GETRECT, i, reinterpret_cast<LPARAM>(&r)) && PtInRect(&r, p))
      return static_cast<int>(i);
  }
  return -1;
}

LRESULT StatusBarPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      if (wParam) {
        CallOriginal(hwnd, msg, wParam, lParam);
        PaintGauge(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PaintScope paint(hwnd);
      RECT client{};
      GetClientRect(hwnd, &client);
      BufferedPaint buffer(paint.dc(), client);
      SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(buffer.dc()), 0);
      CallOriginal(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(buffer.dc()), 0);
      PaintGauge(buffer.dc());
      return 0;
    }
    case WM_PRINTCLIENT: {
      LRESULT r = CallOriginal(hwnd, msg, wParam, lParam);
      PaintGauge(reinterpret_cast<HDC>(wParam));
      return r;
    }
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd, HOVER_DEFAULT};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSELEAVE:
      tracking_ = false;
      break;
    case WM_MOUSEHOVER: {
      // The mouse rests on a panel: the program may show that panel's hint.
      tracking_ = false;
      const int panel = PanelAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (panel >= 0) bar_.PanelHint(panel);
      return 0;
    }
    default:
      break;
  }
  return CallOriginal(hwnd, msg, wParam, lParam);
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
  hwnd_ = CreatePart(kPaintedClass, L"", 0, 0, parent, rect);
}

void ShapePeer::SyncOwn(Change what) {
  if (what == Change::Value) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ShapePeer::Paint(HDC dc) {
  RECT r{};
  GetClientRect(hwnd_, &r);
  BrushHandle brush(CreateSolidBrush(ToColorRef(shape_.BrushColor(), COLOR_WINDOW)));
  PenHandle pen(CreatePen(PS_SOLID, 1, ToColorRef(shape_.PenColor(), COLOR_WINDOWTEXT)));
  SelectObjectScope selectBrush(dc, brush.get());
  SelectObjectScope selectPen(dc, pen.get());
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
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
