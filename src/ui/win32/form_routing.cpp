// The windows of the form's controls, registered by id (and with the tool tip), and the
// notifications they send to their parent (the form or a container) routed back to their peers.
#include "ui/win32/form_host.h"

namespace kvn::ui::win32 {

namespace {

// The tool tip's record of the tool `id` of `window`.
TOOLINFOW Tool(HWND window, UINT_PTR id) {
  TOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = window;
  ti.uId = id;
  return ti;
}

}  // namespace

void FormHost::Register(UINT id, HWND hwnd, WindowPeer* peer, bool hinted) {
  registry_.Add(id, hwnd, peer);
  if (toolTip_ && hinted) {
    // No TTF_SUBCLASS: comctl32's subclass looks its chain up in a window property at every
    // message, a round trip to the server under Wine; the peers relay the mouse themselves.
    TOOLINFOW ti = Tool(GetParent(hwnd), reinterpret_cast<UINT_PTR>(hwnd));
    ti.uFlags = TTF_IDISHWND;
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void FormHost::Unregister(HWND hwnd) {
  registry_.Remove(hwnd);
  if (toolTip_) {
    TOOLINFOW ti = Tool(GetParent(hwnd), reinterpret_cast<UINT_PTR>(hwnd));
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

UINT FormHost::AddHintRect(HWND window, WindowPeer* peer, const RECT& rect) {
  const UINT id = registry_.NextId();
  registry_.Add(id, nullptr, peer);
  if (toolTip_) {
    // No TTF_SUBCLASS: the form and the containers relay their mouse messages themselves.
    TOOLINFOW ti = Tool(window, id);
    ti.rect = rect;
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  return id;
}

void FormHost::SetHintRect(HWND window, UINT id, const RECT& rect) {
  if (!toolTip_) return;
  TOOLINFOW ti = Tool(window, id);
  ti.rect = rect;
  SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool FormHost::HandleChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      auto from = reinterpret_cast<HWND>(lParam);
      if (WindowPeer* peer = PeerOf(from)) {
        peer->OnCommand(from, HIWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    }
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.hwndFrom == toolTip_ && toolTip_) {
        if (header.code == TTN_GETDISPINFOW) return result = 0, ToolTipText(header);
        return false;
      }
      WindowPeer* peer = PeerOf(header.hwndFrom);
      // Inner windows (a list view's header) speak for the control they belong to.
      if (!peer) peer = PeerOf(GetParent(header.hwndFrom));
      return peer && peer->OnNotify(header, result);
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      auto from = reinterpret_cast<HWND>(lParam);
      if (WindowPeer* peer = PeerOf(from)) {
        peer->OnScroll(from, LOWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      auto from = reinterpret_cast<HWND>(lParam);
      if (WindowPeer* peer = PeerOf(from))
        if (HBRUSH brush = peer->OnColor(reinterpret_cast<HDC>(wParam), from)) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      return false;
    }
    case WM_SETCURSOR:
      if (WindowPeer* peer = PeerOf(reinterpret_cast<HWND>(wParam)))
        if (LOWORD(lParam) == HTCLIENT && peer->OnSetCursor()) {
          result = TRUE;
          return true;
        }
      return false;
    case WM_DRAWITEM: {
      auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_MENU) return false;
      if (WindowPeer* peer = PeerOf(item.hwndItem))
        if (peer->OnDrawItem(item)) {
          result = TRUE;
          return true;
        }
      return false;
    }
    case WM_CONTEXTMENU:
      return OpenContextMenu(reinterpret_cast<HWND>(wParam), lParam) ? (result = 0, true) : false;
    default:
      return false;
  }
}

}  // namespace kvn::ui::win32
