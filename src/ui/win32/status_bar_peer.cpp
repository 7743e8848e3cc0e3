// The status bar: its panels, their icons and hints, and the gauge drawn in one of them.
#include <windowsx.h>

#include <algorithm>

#include "base/startup_trace_win32.h"
#include "base/text_win32.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

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
  // In high contrast the bar is the scheme's selection, its text the selection's text.
  const bool contrast = HighContrast();
  BrushHandle fill(
      CreateSolidBrush(ToColorRef(contrast ? kDefaultColor : bar_.GaugeColor(), COLOR_HIGHLIGHT)));
  RECT done{r.left, r.top, split, r.bottom}, rest{split, r.top, r.right, r.bottom};
  FillRect(dc, &done, fill.get());
  FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring text = Widen(bar_.PanelText(panel));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  SelectObjectScope select(dc, font ? font : ControlFont());
  SetBkMode(dc, TRANSPARENT);
  const RECT parts[2] = {done, rest};
  const COLORREF colors[2] = {contrast ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(255, 255, 255),
                              GetSysColor(COLOR_BTNTEXT)};
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

}  // namespace kvn::ui::win32
