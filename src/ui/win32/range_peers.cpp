// Track bar, spin edit and gauge.
#include <algorithm>
#include <string>

#include "base/text_win32.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

// ---- Track bar

void TrackBarPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(TRACKBAR_CLASSW, L"", TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM | WS_TABSTOP, 0,
                     parent, rect);
}

void TrackBarPeer::SyncOwn(Change what) {
  switch (what) {
    case Change::Range:
      SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, bar_.Min());
      SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, bar_.Max());
      SendMessageW(hwnd_, TBM_SETTICFREQ, std::max(1, bar_.Frequency()), 0);
      SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, std::max(1, (bar_.Max() - bar_.Min()) / 10));
      break;
    case Change::Value:
      SendMessageW(hwnd_, TBM_SETPOS, TRUE, bar_.Position());
      break;
    default:
      break;
  }
}

void TrackBarPeer::OnScroll(HWND, int) {
  if (syncing_) return;
  bar_.SetPosition(static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0)));
}

// ---- Spin edit

void SpinEditPeer::Create(HWND parent, const RECT& rect) {
  // Read-only: typing, pasting and cutting are refused by the edit itself.
  hwnd_ = CreatePart(L"EDIT", L"", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                     parent, rect);
  // No UDS_SETBUDDYINT: the up-down only proposes a step, the control sets the value.
  upDown_ = CreatePart(UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                       parent, RECT{0, 0, 0, 0});
  SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
}

void SpinEditPeer::SyncBounds() {
  WindowPeer::SyncBounds();
  // Setting the buddy again places the arrows over the edit's right end.
  SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
}

void SpinEditPeer::SyncOwn(Change what) {
  switch (what) {
    case Change::Range:
      SendMessageW(upDown_, UDM_SETRANGE32, spin_.MinValue(), spin_.MaxValue());
      break;
    case Change::Value:
      SendMessageW(upDown_, UDM_SETPOS32, 0, spin_.Value());
      SetWindowTextW(hwnd_, Widen(std::to_string(spin_.Value())).c_str());
      break;
    default:
      break;
  }
}

bool SpinEditPeer::OnNotify(NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != upDown_ || header.code != UDN_DELTAPOS) return false;
  const auto& change = reinterpret_cast<NMUPDOWN&>(header);
  if (!syncing_) {
    if (change.iDelta > 0) spin_.StepUp();
    if (change.iDelta < 0) spin_.StepDown();
  }
  result = TRUE;  // the up-down keeps the position the control gave it
  return true;
}

HBRUSH SpinEditPeer::OnColor(HDC dc, HWND) {
  // Read-only for the keyboard only: it looks like any edit.
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(control().Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  return GetSysColorBrush(COLOR_WINDOW);
}

// ---- Gauge

void GaugePeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(PROGRESS_CLASSW, L"", PBS_SMOOTH, 0, parent, rect);
  Subclass(hwnd_);
}

void GaugePeer::SyncOwn(Change what) {
  switch (what) {
    case Change::Range:
      SendMessageW(hwnd_, PBM_SETRANGE32, gauge_.Min(), gauge_.Max());
      SendMessageW(hwnd_, PBM_SETPOS, gauge_.Progress(), 0);
      break;
    case Change::Value:
      SendMessageW(hwnd_, PBM_SETPOS, gauge_.Progress(), 0);
      InvalidateRect(hwnd_, nullptr, FALSE);  // the printed percentage changes with it
      break;
    case Change::Other:
      if (gauge_.BarColor() != kDefaultColor)
        SendMessageW(hwnd_, PBM_SETBARCOLOR, 0, ToColorRef(gauge_.BarColor(), COLOR_HIGHLIGHT));
      break;
    default:
      break;
  }
}

void GaugePeer::PaintText(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const std::wstring text = Widen(std::to_string(gauge_.Percent())) + L"%";
  SelectObjectScope font(dc, ControlFont());
  SetBkMode(dc, TRANSPARENT);
  // Light text over the filled part, dark text over the rest.
  const int split = client.left + static_cast<int>((client.right - client.left) *
                                                   static_cast<long long>(gauge_.Percent()) / 100);
  const RECT parts[2] = {{client.left, client.top, split, client.bottom},
                         {split, client.top, client.right, client.bottom}};
  // The bar is the selection's colour, the rest the face's.
  const COLORREF colors[2] = {GetSysColor(COLOR_HIGHLIGHTTEXT), GetSysColor(COLOR_BTNTEXT)};
  for (int i = 0; i < 2; ++i) {
    if (parts[i].right <= parts[i].left) continue;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, parts[i].left, parts[i].top, parts[i].right, parts[i].bottom);
    SetTextColor(dc, colors[i]);
    RECT r = client;
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
  }
}

LRESULT GaugePeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      if (wParam) {  // asked to paint into a given DC
        CallOriginal(hwnd, msg, wParam, lParam);
        PaintText(reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PaintScope paint(hwnd);
      RECT client{};
      GetClientRect(hwnd, &client);
      BufferedPaint buffer(paint.dc(), client);
      // The standard bar first, then the percentage over it, both off screen. In high contrast
      // the bar is the scheme's selection on its face colour, whatever a visual style would draw.
      if (HighContrast()) {
        FillRect(buffer.dc(), &client, GetSysColorBrush(COLOR_BTNFACE));
        RECT done = client;
        done.right = client.left + static_cast<int>((client.right - client.left) *
                                                    static_cast<long long>(gauge_.Percent()) / 100);
        FillRect(buffer.dc(), &done, GetSysColorBrush(COLOR_HIGHLIGHT));
        FrameRect(buffer.dc(), &client, GetSysColorBrush(COLOR_BTNTEXT));
      } else {
        CallOriginal(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(buffer.dc()), 0);
      }
      PaintText(buffer.dc());
      return 0;
    }
    case WM_PRINTCLIENT: {
      LRESULT r = CallOriginal(hwnd, msg, wParam, lParam);
      PaintText(reinterpret_cast<HDC>(wParam));
      return r;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    default:
      return CallOriginal(hwnd, msg, wParam, lParam);
  }
}

}  // namespace kvn::ui::win32
