#include "ui/win32/container.h"

#include <windowsx.h>

#include "base/window_thunk_win32.h"
#include "ui/win32/peer_host.h"

namespace kvn::ui::win32 {

bool RegisterContainerClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  // CreatePart passes the creating peer; only OwnClassPeer instances create these classes.
  wc.lpfnWndProc = &WindowThunk<&OwnClassPeer::Dispatch, &ReportException, WindowPeer>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kContainerClass;
  // Double clicks as the static control had them: the second press of one is no second click.
  wc.style = CS_DBLCLKS;
  if (!RegisterWindowClass(wc)) return false;
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = nullptr;  // painted whole by its peer
  wc.lpszClassName = kPaintedClass;
  return RegisterWindowClass(wc);
}

LRESULT OwnClassPeer::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The window is going: nothing of the peer is asked any more.
  if (msg == WM_NCDESTROY) {
    AccessibleWindowGone(hwnd);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  LRESULT answer = 0;
  if (msg == WM_GETOBJECT && AnswerGetObject(hwnd, wParam, lParam, answer)) return answer;
  host().RelayMouse(hwnd, msg, wParam, lParam);
  return WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT OwnClassPeer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (host().HandleChildMessage(msg, wParam, lParam, result)) return result;
  if (WindowlessPeer::HandleParentMessage(control(), hwnd, msg, wParam, lParam, result))
    return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- Windowless controls

void WindowlessPeer::Create(HWND parent, const RECT& rect) {
  parent_ = parent;
  rect_ = rect;
  hintId_ = host().AddHintRect(parent, this, control().Visible() ? rect : RECT{});
}

void WindowlessPeer::SyncAll() {
  SyncScope scope(*this);
  SyncCaption();
  if (control().Visible()) Invalidate();
}

void WindowlessPeer::Sync(Change what) {
  if (!parent_ || what == Change::Hint) return;  // the tool tip asks for the hint when it shows
  SyncScope scope(*this);
  if (what == Change::Caption) SyncCaption();
  // A hidden one has nothing to redraw, unless it has just been hidden.
  const bool shows = control().Visible();
  if (what == Change::Bounds && shows) Invalidate();  // its old place
  if (what == Change::Bounds || what == Change::Visible) Place();
  if (shows || what == Change::Visible) Invalidate();
  if (what == Change::Caption || what == Change::Visible) TellScreenReaders(what);
}

void WindowlessPeer::Place() {
  rect_ = ScaledBounds();
  host().SetHintRect(parent_, hintId_, control().Visible() ? rect_ : RECT{});
}

void WindowlessPeer::Invalidate() const {
  // A hidden window (a page not on show, the form in the notification area) is painted whole
  // when it shows: asking Wine's server to note a change until then is wasted. A group box's
  // labels are painted by its frame, a child window.
  if (IsWindowVisible(parent_))
    RedrawWindow(parent_, &rect_, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool WindowlessPeer::TakesMouseAt(POINT p) const {
  // As a window: not while hidden, nor while disabled.
  return PtInRect(&rect_, p) && control().Visible() && control().Enabled();
}

namespace {

// The windowless children of `parent`, in the order of its children.
template <class F>
void ForEachWindowless(const Control& parent, F&& f) {
  for (const Control* child : parent.Children())
    if (auto* peer = dynamic_cast<WindowlessPeer*>(child->Peer())) f(*peer);
}

}  // namespace

bool WindowlessPeer::HandleParentMessage(const Control& parent, HWND hwnd, UINT msg, WPARAM wParam,
                                         LPARAM lParam, LRESULT& result) {
  // The one under a point that takes the mouse; the first child over the later ones, as windows
  // made first lie on top.
  const auto at = [&parent](POINT p) {
    WindowlessPeer* found = nullptr;
    ForEachWindowless(parent, [&](WindowlessPeer& peer) {
      if (!found && peer.TakesMouseAt(p)) found = &peer;
    });
    return found;
  };
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_PAINT: {
      bool any = false;
      ForEachWindowless(parent, [&](WindowlessPeer& peer) { any |= peer.control().Visible(); });
      if (!any) return false;
      const PaintScope paint(hwnd);
      PaintChildren(parent, paint.dc(), paint.area());
      result = 0;
      return true;
    }
    case WM_MOUSEMOVE: {
      WindowlessPeer* under = at(point);
      ForEachWindowless(parent, [&](WindowlessPeer& peer) { peer.MouseOver(&peer == under); });
      return false;
    }
    case WM_MOUSELEAVE:
      ForEachWindowless(parent, [](WindowlessPeer& peer) { peer.MouseOver(false); });
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      WindowlessPeer* under = at(point);
      if (!under) return false;
      under->Pressed(msg, POINT{point.x - under->rect_.left, point.y - under->rect_.top});
      result = 0;
      return true;
    }
    case WM_SETCURSOR: {
      if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT) return false;
      POINT cursor{};
      GetCursorPos(&cursor);
      ScreenToClient(hwnd, &cursor);
      WindowlessPeer* under = at(cursor);
      if (!under || !under->OnSetCursor()) return false;
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

void WindowlessPeer::PaintChildren(const Control& parent, HDC dc, const RECT& area) {
  // The later children first, so that the first ones end on top.
  const auto& children = parent.Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    auto* peer = dynamic_cast<WindowlessPeer*>((*it)->Peer());
    RECT overlap;
    if (peer && peer->control().Visible() && IntersectRect(&overlap, &peer->rect_, &area))
      peer->Paint(dc);
  }
}

void ContainerPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(kContainerClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, rect);
}

}  // namespace kvn::ui::win32
