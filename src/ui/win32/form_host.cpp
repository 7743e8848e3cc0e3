#include "ui/win32/form_host.h"

#include <algorithm>

#include <windowsx.h>

#include "base/text_win32.h"
#include "ui/components.h"
#include "ui/dpi.h"
#include "ui/win32/container.h"
#include "ui/win32/peer_factory.h"
#include "ui/win32/subclass.h"
#include "ui/window_parts.h"

namespace kvn::ui::win32 {

namespace {
constexpr UINT kCreatePendingMessage = WM_APP + 2;  // posted: build the next slice of controls
constexpr UINT kDpiChangedMessage = 0x02E0;         // WM_DPICHANGED (Windows 8.1 and later)

// Functions of later Windows releases, looked up once: XP and Vista have none of them.
template <typename F>
F User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)))
                : nullptr;
}

// The screen's DPI (the system DPI of a DPI-aware program; 96 otherwise).
int ScreenDpi() {
  WindowDc screen(nullptr);
  return ui::SaneDpi(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0);
}

// The DPI of the monitor the window is on (Windows 10 1607 and later), else the screen's.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const int dpi = getDpiForWindow ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
  return dpi > 0 ? ui::SaneDpi(dpi) : ScreenDpi();
}

// The outer size of a window whose client area is `client`, frame and caption at `dpi`.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, client.cx, client.cy};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}
}  // namespace

namespace {

// The form itself: its window belongs to the host, the peer only mirrors the caption.
class FormPeer : public WindowPeer {
 public:
  FormPeer(Control& control, FormHost& host, HWND hwnd) : WindowPeer(control, host) {
    hwnd_ = hwnd;
  }
  void Create(HWND, const RECT&) override {}
  HWND Part(int) const override { return nullptr; }

 protected:
  void SyncVisible() override {}  // shown and hidden by the program shell
  void SyncBounds() override {}   // the client size is fixed
  void SyncFont() override {}
};

}  // namespace

void InitToolkit() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS |
                                              ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                                              ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterContainerClasses(GetModuleHandleW(nullptr));
    return true;
  }();
  (void)done;
}

FormHost::FormHost(Control& root, FormStyle style)
    : root_(root), style_(std::move(style)), instance_(GetModuleHandleW(nullptr)) {
  InitToolkit();
}

FormHost::~FormHost() {
  // Tearing the host down is not the user closing the window: the shell's hooks stay out of it.
  OnCloseQuery = nullptr;
  OnDestroy = nullptr;
  OnMessage = nullptr;
  OnEndSession = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
  while (!peers_.empty()) peers_.pop_back();  // children before parents
  rootPeer_.reset();
}

bool FormHost::Create(HWND owner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &FormHost::StaticProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = style_.className.c_str();
  if (style_.iconId) {
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(style_.iconId), IMAGE_ICON,
                                             0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(style_.iconId),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  }
  // A second form of the same class (tests) finds it registered already.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  // Before the window exists its DPI is the screen's; the monitor it lands on may say otherwise.
  dpi_ = ScreenDpi();
  const SIZE outer = OuterSize(SIZE{Scale(style_.clientWidth), Scale(style_.clientHeight)},
                               style_.style, style_.exStyle, dpi_);
  const int width = outer.cx, height = outer.cy;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (style_.centred) {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
      work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  }
  HWND hwnd =
      CreateWindowExW(style_.exStyle, style_.className.c_str(), Widen(root_.Caption()).c_str(),
                      style_.style, x, y, width, height, owner, nullptr, instance_, this);
  if (!hwnd) return false;
  if (const int dpi = WindowDpi(hwnd); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE size = OuterSize(SIZE{Scale(style_.clientWidth), Scale(style_.clientHeight)},
                                style_.style, style_.exStyle, dpi_);
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  CreateToolTip();
  rootPeer_ = std::make_unique<FormPeer>(root_, *this, hwnd_);
  root_.AttachPeer(rootPeer_.get());
  CreatePeers(root_, hwnd_);
  if (!pending_.empty()) PostMessageW(hwnd_, kCreatePendingMessage, 0, 0);
  return true;
}

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

HFONT FormHost::FontFor(const Font& font) {
  const int size = font.sizePt > 0 ? font.sizePt : 8;
  auto key = std::make_tuple(font.bold, font.underline, size);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  const int height = -MulDiv(size, dpi_, 72);
  FontHandle handle(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                                font.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                L"Tahoma"));
  HFONT result = handle.get();
  fonts_.emplace(key, std::move(handle));
  return result;
}

int FormHost::Scale(int designPixels) const {
  return ui::ScaleToDpi(designPixels, dpi_);
}

int FormHost::Unscale(int windowPixels) const {
  return ui::UnscaleFromDpi(windowPixels, dpi_);
}

RECT FormHost::ScaledRect(const ui::Rect& design) const {
  return ToRect(ui::ScaleRectToDpi(design, dpi_));
}

int FormHost::SmallIconSize() const {
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static const auto metricsForDpi = User32Function<MetricsForDpiFn>("GetSystemMetricsForDpi");
  const int size = metricsForDpi ? metricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi_)) : 0;
  if (size > 0) return size;
  // Before Windows 10 the system's metric is that of the screen, which is the window's DPI.
  const int system = GetSystemMetrics(SM_CXSMICON);
  return system > 0 ? system : Scale(16);
}

void FormHost::ChangeDpi(int dpi, const RECT* suggested) {
  dpi = ui::SaneDpi(dpi);
  if (dpi != dpi_) {
    dpi_ = dpi;
    // The old fonts stay alive until every window has the new ones.
    std::map<std::tuple<bool, bool, int>, FontHandle> oldFonts;
    oldFonts.swap(fonts_);
    // Parents first: a page control lays its sheets out before their controls move inside.
    for (auto& peer : peers_) peer->Rescale();
    if (toolTip_) SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, Scale(420));
  }
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  Fire(OnDpiChanged);
}

void FormHost::Register(UINT id, HWND hwnd, WindowPeer* peer, bool relaysMouse) {
  const size_t index = id - kFirstId;
  if (windows_.size() <= index) windows_.resize(index + 1, Entry{nullptr, nullptr});
  windows_[index] = Entry{hwnd, peer};
  if (toolTip_) {
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | (relaysMouse ? 0 : TTF_SUBCLASS);
    ti.hwnd = GetParent(hwnd);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
    ti.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void FormHost::Unregister(HWND hwnd) {
  const LONG_PTR id = GetWindowLongPtrW(hwnd, GWLP_ID);
  const size_t index = static_cast<size_t>(id) - kFirstId;
  if (id >= static_cast<LONG_PTR>(kFirstId) && index < windows_.size() &&
      windows_[index].hwnd == hwnd)
    windows_[index] = Entry{nullptr, nullptr};
  if (toolTip_) {
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = GetParent(hwnd);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

WindowPeer* FormHost::PeerOf(HWND hwnd) const {
  if (!hwnd) return nullptr;
  const LONG_PTR id = GetWindowLongPtrW(hwnd, GWLP_ID);
  if (id < static_cast<LONG_PTR>(kFirstId)) return nullptr;
  const size_t index = static_cast<size_t>(id) - kFirstId;
  // The id alone could be another window's: the handle must match as well.
  if (index >= windows_.size() || windows_[index].hwnd != hwnd) return nullptr;
  return windows_[index].peer;
}

HWND FormHost::WindowOf(const Control& control, int part) {
  auto* peer = dynamic_cast<WindowPeer*>(control.Peer());
  if (!peer) {
    // Perhaps on a page still waiting to be built: its form builds it now.
    for (const Control* c = control.Parent(); c && !peer; c = c->Parent())
      if (auto* ancestor = dynamic_cast<WindowPeer*>(c->Peer())) {
        if (!ancestor->host().CreationPending()) return nullptr;
        ancestor->host().CreateAllPending();
        peer = dynamic_cast<WindowPeer*>(control.Peer());
        break;
      }
  }
  return peer ? peer->Part(part) : nullptr;
}

namespace {

// A page that is not the one its page control shows first: its controls can wait.
bool PageNotOnShow(const Control& parent, const Control& child) {
  const auto* pages = dynamic_cast<const PageControl*>(&parent);
  if (!pages || !dynamic_cast<const TabSheet*>(&child)) return false;
  const TabSheet* shown = pages->ActivePage();
  if (!shown) {
    const auto all = pages->Pages();
    shown = all.empty() ? nullptr : all.front();
  }
  return &child != shown;
}

}  // namespace

void FormHost::CreatePeers(Control& parent, HWND parentWindow) {
  for (Control* child : parent.Children()) {
    std::unique_ptr<WindowPeer> peer = MakePeer(*child, *this);
    WindowPeer* raw = peer.get();
    peers_.push_back(std::move(peer));
    raw->Create(parentWindow, ScaledRect(child->Bounds()));
    child->AttachPeer(raw);
    if (PageNotOnShow(parent, *child)) {
      for (Control* grandChild : child->Children())
        pending_.push_back({grandChild, raw->ChildParent(), nullptr});
    } else {
      CreatePeers(*child, raw->ChildParent());
    }
    raw->SyncAll();
  }
}

void FormHost::CreateNextPending() {
  const Pending next = pending_.front();
  pending_.pop_front();
  if (next.sync) {
    next.sync->SyncAll();
    return;
  }
  std::unique_ptr<WindowPeer> peer = MakePeer(*next.control, *this);
  WindowPeer* raw = peer.get();
  peers_.push_back(std::move(peer));
  raw->Create(next.parentWindow, ScaledRect(next.control->Bounds()));
  next.control->AttachPeer(raw);
  // In the order of a build in one go: the children, then this control's own state.
  pending_.push_front({nullptr, nullptr, raw});
  const auto& children = next.control->Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    pending_.push_front({*it, raw->ChildParent(), nullptr});
}

void FormHost::CreatePendingSlice() {
  // About 20 ms a slice: the window answers between slices.
  const DWORD start = GetTickCount();
  while (!pending_.empty() && GetTickCount() - start < 20) CreateNextPending();
  if (!pending_.empty()) PostMessageW(hwnd_, kCreatePendingMessage, 0, 0);
}

void FormHost::CreateAllPending() {
  while (!pending_.empty()) CreateNextPending();
}

bool FormHost::ToolTipText(NMHDR& header) {
  auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
  WindowPeer* peer = nullptr;
  if (info.uFlags & TTF_IDISHWND) peer = PeerOf(reinterpret_cast<HWND>(header.idFrom));
  tipText_ = peer ? Widen(peer->control().Hint()) : std::wstring();
  info.lpszText = tipText_.data();
  info.szText[0] = L'\0';
  info.hinst = nullptr;
  return true;
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

bool FormHost::OpenContextMenu(HWND from, LPARAM point) {
  // The clicked control, else the nearest of its parents, that has a menu.
  const Control* control = nullptr;
  for (HWND w = from; w && !control; w = GetParent(w)) {
    if (w == hwnd_)
      control = &root_;
    else if (WindowPeer* peer = PeerOf(w))
      control = &peer->control();
    if (w == hwnd_) break;
  }
  for (; control; control = control->Parent()) {
    if (!control->ContextMenu()) continue;
    int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    if (x == -1 && y == -1) {  // from the keyboard: at the control's top left corner
      RECT r{};
      GetWindowRect(from, &r);
      x = r.left + 8;
      y = r.top + 8;
    }
    control->ContextMenu()->Popup(x, y);
    return true;
  }
  return false;
}

LRESULT CALLBACK FormHost::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<FormHost*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->pending_.clear();
    for (auto& peer : self->peers_) peer->Detach();
    if (self->rootPeer_) self->rootPeer_->Detach();
    self->windows_.clear();
    self->hwnd_ = nullptr;
    self->toolTip_ = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  try {
    return self->Proc(msg, wParam, lParam);
  } catch (...) {
    // No exception crosses the window procedure.
    ReportException(std::current_exception());
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT FormHost::Proc(UINT msg, WPARAM wParam, LPARAM lParam) {
  RelayMouse(hwnd_, msg, wParam, lParam);
  LRESULT result = 0;
  if (Ask(OnMessage, false, msg, wParam, lParam, result)) return result;
  if (HandleChildMessage(msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_CLOSE:
      if (Ask(OnCloseQuery, true)) DestroyWindow(hwnd_);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Ask(OnMinimize, false)) return 0;
      break;
    case WM_USER:
      Fire(OnUserMessage, wParam, lParam);
      return 0;
    case kCreatePendingMessage:
      CreatePendingSlice();
      return 0;
    case kDpiChangedMessage:
      ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_QUERYENDSESSION:
      return Ask(OnQueryEndSession, true) ? TRUE : FALSE;
    case WM_ENDSESSION:
      Fire(OnEndSession, wParam != 0);
      return 0;
    case WM_HELP: {
      auto* info = reinterpret_cast<HELPINFO*>(lParam);
      ShowHelp(info && info->iContextType == HELPINFO_WINDOW ? static_cast<HWND>(info->hItemHandle)
                                                             : GetFocus());
      return TRUE;
    }
    case WM_ACTIVATE:
      // Give the focus back to the control that had it when the window was left.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGING: {
      const auto& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
      if (pos.flags & SWP_HIDEWINDOW) {
        deferring_ = true;
      } else if ((pos.flags & SWP_SHOWWINDOW) && deferring_) {
        // Up to date before the first paint of the shown window.
        deferring_ = false;
        std::vector<WindowPeer*> pending;
        pending.swap(deferred_);
        for (WindowPeer* peer : pending) peer->FlushDeferred();
      }
      break;
    }
    case WM_SYSCOLORCHANGE:
      // Common controls learn of new system colours only from their top-level window.
      for (const Entry& entry : windows_)
        if (entry.hwnd) SendMessageW(entry.hwnd, WM_SYSCOLORCHANGE, wParam, lParam);
      break;
    case WM_DESTROY:
      Fire(OnDestroy);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void FormHost::Undefer(WindowPeer* peer) {
  deferred_.erase(std::remove(deferred_.begin(), deferred_.end(), peer), deferred_.end());
}

int FormHost::HelpContextFor(const Control* focus) const {
  for (const Control* c = focus; c; c = c->Parent()) {
    if (auto* pages = dynamic_cast<const PageControl*>(c))
      if (TabSheet* page = pages->ActivePage(); page && page->HelpContext())
        return page->HelpContext();
    if (c->HelpContext()) return c->HelpContext();
  }
  return root_.HelpContext();
}

void FormHost::ShowHelp(HWND focus) {
  const Control* control = nullptr;
  for (HWND w = focus; w && w != hwnd_; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) {
      control = &peer->control();
      break;
    }
  // Nothing of ours has the focus: the page on show gives the context.
  if (!control)
    for (const Control* child : root_.Children())
      if (dynamic_cast<const PageControl*>(child)) control = child;
  Fire(OnHelp, HelpContextFor(control ? control : &root_));
}

namespace {

PageControl* FirstPageControl(Control& control) {
  if (auto* pages = dynamic_cast<PageControl*>(&control)) return pages;
  for (Control* child : control.Children())
    if (PageControl* pages = FirstPageControl(*child)) return pages;
  return nullptr;
}

}  // namespace

bool FormHost::TurnPage(HWND focus, int step) {
  PageControl* pages = nullptr;
  for (HWND w = focus; w && w != hwnd_ && !pages; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) {
      for (Control* c = &peer->control(); c && !pages; c = c->Parent())
        pages = dynamic_cast<PageControl*>(c);
      break;
    }
  if (!pages) pages = FirstPageControl(root_);
  if (!pages) return false;
  const auto list = pages->Pages();
  const int count = static_cast<int>(list.size());
  if (count == 0) return false;
  const int active = pages->ActivePageIndex();
  const int next =
      active < 0 ? (step > 0 ? 0 : count - 1) : ((active + step) % count + count) % count;
  pages->UserSelectPage(list[next]);
  // The focus goes where a click on the tab puts it, never left in the page just hidden.
  if (HWND tabs = WindowOf(*pages)) SetFocus(tabs);
  return true;
}

bool FormHost::MenuShortCut(const MSG& msg) {
  // Only combinations: a plain key belongs to the control that has the focus.
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (!ctrl && !alt) return false;
  const auto shortCut = static_cast<std::uint16_t>(
      (msg.wParam & 0xFF) | (ctrl ? kShortcutCtrl : 0) | (alt ? kShortcutAlt : 0) |
      (GetKeyState(VK_SHIFT) < 0 ? kShortcutShift : 0));
  // The context menu of the focused control, or of the nearest container that has one.
  const Control* control = nullptr;
  for (HWND w = msg.hwnd; w && w != hwnd_ && !control; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) control = &peer->control();
  for (; control; control = control->Parent())
    if (PopupMenu* menu = control->ContextMenu()) return menu->IsShortCut(shortCut);
  return false;
}

bool FormHost::PreTranslateMessage(MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
    ShowHelp(msg.hwnd);
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
      TurnPage(msg.hwnd, GetKeyState(VK_SHIFT) < 0 ? -1 : 1))
    return true;
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && MenuShortCut(msg)) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void FormHost::ProcessMessage(MSG& msg) {
  if (PreTranslateMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace kvn::ui::win32
