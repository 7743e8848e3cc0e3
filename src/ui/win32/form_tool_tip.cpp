// The form's tool tip: one for every control of the form, showing the control's hint. Windows of
// the toolkit's own classes relay their mouse messages to it; it subclasses the others. A disabled
// control's hint shows too, although Windows gives its mouse messages to its parent.
#include "ui/win32/form_host.h"

#include <windowsx.h>

#include "base/text_win32.h"
#include "ui/win32/subclass.h"

namespace kvn::ui::win32 {

void FormHost::CreateToolTip() {
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
  if (!toolTip_) return;  // the window works without tips
  // A maximum width turns on line breaks: the hints break their lines with "\r\n".
  SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, Scale(420));
  // Long hints need time to be read.
  SendMessageW(toolTip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(15000, 0));
  // The tip checks which window is under the pointer before it shows and while it shows.
  AddSubclass(toolTip_, &FormHost::ToolTipProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

namespace {

// The window whose hint belongs at `screen`, starting from the window that had the mouse
// message: the disabled child under the point (disabled windows get no mouse messages, their
// parent does), down to the innermost one; otherwise the window itself.
HWND HintWindowAt(HWND hwnd, POINT screen) {
  HWND target = hwnd;
  for (;;) {
    POINT p = screen;
    ScreenToClient(target, &p);
    HWND child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    // An enabled child in an enabled window had the message itself, or let it through (a group
    // box's frame).
    if (!child || child == target || (IsWindowEnabled(child) && IsWindowEnabled(target)))
      return target;
    target = child;
  }
}

}  // namespace

void FormHost::RelayMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!toolTip_ || msg < WM_MOUSEFIRST || msg > WM_MOUSELAST || msg == WM_MOUSEWHEEL) return;
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd, &screen);
  HWND target = HintWindowAt(hwnd, screen);
  POINT client = screen;
  ScreenToClient(target, &client);
  MSG relayed{
      target, msg, wParam, MAKELPARAM(client.x, client.y), static_cast<DWORD>(GetMessageTime()),
      screen};
  SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

LRESULT CALLBACK FormHost::ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data) {
  if (msg == WM_NCDESTROY) {
    RemoveSubclass(hwnd, &FormHost::ToolTipProc, id);
  } else if (msg == TTM_WINDOWFROMPOINT && lParam) {
    // Over a disabled control the system names its parent: the tip asks for the control.
    auto* self = reinterpret_cast<FormHost*>(data);
    auto under = reinterpret_cast<HWND>(CallNextSubclass(hwnd, msg, wParam, lParam));
    if (under && (under == self->hwnd_ || self->PeerOf(under)))
      under = HintWindowAt(under, *reinterpret_cast<const POINT*>(lParam));
    return reinterpret_cast<LRESULT>(under);
  }
  return CallNextSubclass(hwnd, msg, wParam, lParam);
}

bool FormHost::ToolTipText(NMHDR& header) {
  auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
  // A window's tool names the window, a windowless control's its id.
  WindowPeer* peer = (info.uFlags & TTF_IDISHWND)
                         ? PeerOf(reinterpret_cast<HWND>(header.idFrom))
                         : registry_.PeerById(static_cast<UINT>(header.idFrom));
  tipText_ = peer ? Widen(peer->control().Hint()) : std::wstring();
  info.lpszText = tipText_.data();
  info.szText[0] = L'\0';
  info.hinst = nullptr;
  return true;
}

}  // namespace kvn::ui::win32
