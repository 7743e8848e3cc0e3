#include "ui/win32/window_peer.h"

#include "base/text_win32.h"
#include "ui/win32/own_classes.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/subclass.h"

namespace kvn::ui::win32 {

namespace {
constexpr UINT_PTR kSubclassId = 1;  // one subclass per window and peer
}  // namespace

RECT ToRect(const ui::Rect& r) {
  return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

WindowPeer::~WindowPeer() {
  if (control_.Peer() == this) control_.AttachPeer(nullptr);
  if (deferred_) host_.Undefer(this);
  // Windows destroyed already have left their chain (WM_NCDESTROY); the host destroys the form
  // window before the peers.
  RemoveSubclasses(&SubclassThunk, reinterpret_cast<DWORD_PTR>(this));
}

void WindowPeer::Detach() {
  if (control_.Peer() == this) control_.AttachPeer(nullptr);
  accessible_.Disconnect();
  hwnd_ = nullptr;
}

void WindowPeer::SyncAll() {
  SyncScope scope(*this);
  SyncFont();
  SyncCaption();
  SyncOwn(Change::Range);
  SyncOwn(Change::Items);
  SyncOwn(Change::Value);
  SyncOwn(Change::Other);
  for (int i = 0; HWND part = Part(i); ++i) EnableWindow(part, control_.Enabled());
  SyncVisible();
}

void WindowPeer::Sync(Change what) {
  if (!hwnd_) return;
  // Texts and values of a hidden form cost window calls every tick for nothing: they wait.
  // Layout and state changes (enabled, visible, bounds, font) still go through at once.
  const bool deferrable = what == Change::Caption || what == Change::Value ||
                          what == Change::Items || what == Change::Range || what == Change::Other;
  if (deferrable && host_.Deferring()) {
    if (!deferred_) host_.Defer(this);
    deferred_ |= 1u << static_cast<unsigned>(what);
    return;
  }
  SyncScope scope(*this);
  switch (what) {
    case Change::Caption:
      SyncCaption();
      break;
    case Change::Hint:
      break;  // the tool tip asks for the hint when it shows
    case Change::Enabled:
      for (int i = 0; HWND part = Part(i); ++i) EnableWindow(part, control_.Enabled());
      break;
    case Change::Visible:
      SyncVisible();
      break;
    case Change::Bounds:
      SyncBounds();
      break;
    case Change::Font:
      SyncFont();
      break;
    default:
      SyncOwn(what);
      break;
  }
}

void WindowPeer::FlushDeferred() {
  const unsigned pending = std::exchange(deferred_, 0u);
  if (!hwnd_) return;
  SyncScope scope(*this);
  // The same order as a full sync: caption, then ranges before the values inside them.
  if (pending & (1u << static_cast<unsigned>(Change::Caption))) SyncCaption();
  for (Change what : {Change::Range, Change::Items, Change::Value, Change::Other})
    if (pending & (1u << static_cast<unsigned>(what))) SyncOwn(what);
}

void WindowPeer::Rescale() {
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncFont();
  SyncBounds();
}

void WindowPeer::SyncCaption() {
  SetWindowTextW(hwnd_, Widen(control_.Caption()).c_str());
}

void WindowPeer::SyncVisible() {
  for (int i = 0; HWND part = Part(i); ++i)
    ShowWindow(part, control_.Visible() ? SW_SHOWNA : SW_HIDE);
}

void WindowPeer::SyncBounds() {
  const RECT r = ScaledBounds();
  MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void WindowPeer::SyncFont() {
  HFONT font = ControlFont();
  for (int i = 0; HWND part = Part(i); ++i)
    SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HFONT WindowPeer::ControlFont() const {
  return host_.FontFor(control_.GetFont());
}

int WindowPeer::Scale(int designPixels) const {
  return host_.Scale(designPixels);
}

RECT WindowPeer::ScaledBounds() const {
  return host_.ScaledRect(control_.Bounds());
}

HWND WindowPeer::CreatePart(const wchar_t* className, const std::wstring& text, DWORD style,
                            DWORD exStyle, HWND parent, const RECT& rect) {
  const UINT id = host_.NextId();
  HWND hwnd =
      CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD, rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top, parent,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), host_.Instance(), this);
  if (!hwnd) return nullptr;
  host_.Register(id, hwnd, this, ShowsHint());
  // The toolkit's own windows pass their mouse messages to the tool tip themselves; the peer's
  // subclass does it for the others.
  if (ShowsHint() && !IsOwnClass(className)) Subclass(hwnd);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
  return hwnd;
}

void WindowPeer::Subclass(HWND hwnd) {
  AddSubclass(hwnd, &SubclassThunk, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK WindowPeer::SubclassThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
  auto* peer = reinterpret_cast<WindowPeer*>(data);
  if (msg == WM_NCDESTROY) {
    peer->AccessibleWindowGone(hwnd);
    RemoveSubclass(hwnd, &SubclassThunk, kSubclassId);
    return CallNextSubclass(hwnd, msg, wParam, lParam);
  }
  try {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && peer->ShowsHint())
      peer->host_.RelayMouse(hwnd, msg, wParam, lParam);
    LRESULT answer = 0;
    if (msg == WM_GETOBJECT && peer->AnswerGetObject(hwnd, wParam, lParam, answer)) return answer;
    return peer->SubclassProc(hwnd, msg, wParam, lParam);
  } catch (...) {
    ReportException(std::current_exception());
    return 0;
  }
}

LRESULT WindowPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallOriginal(hwnd, msg, wParam, lParam);
}

LRESULT WindowPeer::CallOriginal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallNextSubclass(hwnd, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
