// The form window: its class and creation, its DPI and the fonts cached for it, and its
// messages. The tool tip, the lazy building of pages and the keyboard have files of their own
// (form_tool_tip.cpp, form_building.cpp, form_keyboard.cpp); the notifications of the children
// are routed in form_routing.cpp.
#include "ui/win32/form_host.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "base/window_thunk_win32.h"
#include "ui/dpi.h"
#include "ui/win32/container.h"
#include "ui/win32/high_contrast.h"

namespace kvn::ui::win32 {

namespace {

constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED (Windows 8.1 and later)

// The screen's DPI (the system DPI of a DPI-aware program; 96 otherwise).
int ScreenDpi() {
  WindowDc screen(nullptr);
  return ui::SaneDpi(screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0);
}

// The DPI of the monitor the window is on (Windows 10 1607 and later), else the screen's.
int WindowDpi(HWND hwnd) {
  const auto getDpiForWindow = User32().GetDpiForWindow;
  const int dpi = getDpiForWindow ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
  return dpi > 0 ? ui::SaneDpi(dpi) : ScreenDpi();
}

// The work area of the monitor the owner is on (the primary one without an owner).
RECT WorkArea(HWND owner) {
  const auto monitorFromWindow = User32().MonitorFromWindow;
  const auto getMonitorInfo = User32().GetMonitorInfoW;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitorFromWindow && getMonitorInfo &&
      getMonitorInfo(monitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &info))
    return info.rcWork;
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return work;
}

// Whether `bold` leaves more ink than `regular` (a few letters, black on white).
bool DrawsHeavier(HFONT bold, HFONT regular) {
  constexpr int kWidth = 64, kHeight = 32;
  MemoryDcHandle dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bitmap || !bits) return true;
  const SelectObjectScope selected(dc.get(), bitmap.get());
  const auto ink = [&](HFONT font) {
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const SelectObjectScope withFont(dc.get(), font);
    TextOutW(dc.get(), 0, 0, L"Hm", 2);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    return std::count_if(pixels, pixels + kWidth * kHeight,
                         [](std::uint32_t p) { return (p & 0xFFFFFF) != 0xFFFFFF; });
  };
  return ink(bold) > ink(regular);
}

// The outer size of a window whose client area is `client`, frame and caption at `dpi`.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, int dpi) {
  const auto adjustForDpi = User32().AdjustWindowRectExForDpi;
  RECT r{0, 0, client.cx, client.cy};
  if (!adjustForDpi || !adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The form itself: its window belongs to the host, the peer only mirrors the caption.
class FormPeer : public WindowPeer {
 public:
  FormPeer(Control& control, FormHost& host, HWND hwnd) : WindowPeer(control, host) {
    hwnd_ = hwnd;
  }
  void Create(HWND, const RECT&) override {}
  HWND Part(int) const override { return nullptr; }
  // Labels placed on the form itself are children of its object.
  bool AccessibleChildren(HWND window, AccessibleChildList& children) const override {
    ChildrenInReadingOrder(window, children);
    return true;
  }

 protected:
  bool OwnAccessible() const override { return true; }
  void SyncVisible() override {}  // shown and hidden by the program shell
  void SyncBounds() override {}   // the client size is fixed
  void SyncFont() override {}
};

DWORD g_toolkitError = 0;  // why the toolkit's own classes could not be registered

}  // namespace

bool InitToolkit() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS |
                                              ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                                              ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (RegisterContainerClasses(GetModuleHandleW(nullptr))) return true;
    g_toolkitError = GetLastError();
    return false;
  }();
  return registered;
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
  OnResize = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
  while (!peers_.empty()) peers_.pop_back();  // children before parents
  rootPeer_.reset();
}

bool FormHost::Create(HWND owner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &WindowThunk<&FormHost::WindowProc, &ReportException>;
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
  // Without the toolkit's own classes its group boxes and pages could not be built.
  if (!InitToolkit()) return Refused("RegisterClassExW", g_toolkitError);
  if (!RegisterWindowClass(wc)) return Refused("RegisterClassExW", GetLastError());
  StartupStage("form class");

  // Before the window exists its DPI is the screen's; the monitor it lands on may say otherwise.
  dpi_ = ScreenDpi();
  const SIZE outer = OuterSize(SIZE{Scale(style_.clientWidth), Scale(style_.clientHeight)},
                               style_.style, style_.exStyle, dpi_);
  const int width = outer.cx, height = outer.cy;
  const RECT work = WorkArea(owner);
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + (work.bottom - work.top - height) / 2;
  if (!style_.centred) {
    // The design's place, moved in where a small screen would leave part of the window off it,
    // a margin from the edge (a window flush against it looks cut off).
    const int margin = Scale(8);
    x = std::max<int>(work.left, std::min<int>(Scale(style_.left), work.right - width - margin));
    y = std::max<int>(work.top, std::min<int>(Scale(style_.top), work.bottom - height - margin));
  }
  HWND hwnd =
      CreateWindowExW(style_.exStyle, style_.className.c_str(), Widen(root_.Caption()).c_str(),
                      style_.style, x, y, width, height, owner, nullptr, instance_, this);
  if (!hwnd) return Refused("CreateWindowExW", GetLastError());
  LiveForms().push_back(this);
  StartupStage("form window");
  if (const int dpi = WindowDpi(hwnd); dpi != dpi_) {
    dpi_ = dpi;
    const SIZE size = OuterSize(SIZE{Scale(style_.clientWidth), Scale(style_.clientHeight)},
                                style_.style, style_.exStyle, dpi_);
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  SetWindowIcons();
  CreateToolTip();
  StartupStage("tool tip");
  rootPeer_ = std::make_unique<FormPeer>(root_, *this, hwnd_);
  root_.AttachPeer(rootPeer_.get());
  CreatePeers(root_, hwnd_);
  StartupStage("controls of the page on show");
  NextSlice();
  return true;
}

bool FormHost::Refused(const char* call, DWORD error) {
  failure_ = CreateFailure{call, error};
  return false;
}

HFONT FormHost::FontFor(const Font& font) {
  const int size = font.sizePt > 0 ? font.sizePt : 8;
  auto key = std::make_tuple(font.bold, font.underline, size);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second.get();
  const int height = -MulDiv(size, dpi_, 72);
  const StartupWork work("font");
  const auto make = [&](int weight, const wchar_t* face) {
    return FontHandle(CreateFontW(height, 0, 0, 0, weight, FALSE, font.underline, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
  };
  FontHandle handle = make(font.bold ? FW_BOLD : FW_NORMAL, L"Tahoma");
  // Wine's own Tahoma has no bold outlines past 11 pixels: at 144 DPI a bold title would show
  // as plain text. The system's sans serif face draws its bold.
  if (font.bold && handle && !DrawsHeavier(handle.get(), make(FW_NORMAL, L"Tahoma").get()))
    if (FontHandle other = make(FW_BOLD, L"Microsoft Sans Serif")) handle = std::move(other);
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

void FormHost::SetWindowIcons() {
  if (!style_.iconId) return;
  // The class's icons are the screen's sizes; the window's own are those of its DPI.
  const auto load = [this](int side) {
    return IconHandle(static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(style_.iconId), IMAGE_ICON, side, side, 0)));
  };
  IconHandle big = load(Scale(32)), small = load(SmallIconSize());
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The window no longer shows the old ones.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

int FormHost::SmallIconSize() const {
  const auto metricsForDpi = User32().GetSystemMetricsForDpi;
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
    SetWindowIcons();
  }
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  Fire(OnDpiChanged);
}

LRESULT FormHost::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) hwnd_ = hwnd;
  if (msg == WM_NCDESTROY) {
    WindowDestroyed();
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return Proc(msg, wParam, lParam);
}

void FormHost::WindowDestroyed() {
  auto& live = LiveForms();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  pending_.clear();
  soon_ = nullptr;
  soonBuilt_ = nullptr;
  for (auto& peer : peers_) peer->Detach();
  if (rootPeer_) rootPeer_->Detach();
  registry_.Clear();
  hwnd_ = nullptr;
  toolTip_ = nullptr;
}

LRESULT FormHost::Proc(UINT msg, WPARAM wParam, LPARAM lParam) {
  RelayMouse(hwnd_, msg, wParam, lParam);
  LRESULT result = 0;
  if (Ask(OnMessage, false, msg, wParam, lParam, result)) return result;
  if (HandleChildMessage(msg, wParam, lParam, result)) return result;
  if (WindowlessPeer::HandleParentMessage(root_, hwnd_, msg, wParam, lParam, result)) return result;
  switch (msg) {
    case WM_CLOSE:
      if (Ask(OnCloseQuery, true)) DestroyWindow(hwnd_);
      return 0;
    case WM_COMMAND:
      // What the dialog navigation sends for Enter and Escape comes from no control.
      if (lParam == 0 && HIWORD(wParam) == 0 && DialogKey(LOWORD(wParam))) return 0;
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Ask(OnMinimize, false)) return 0;
      break;
    case WM_USER:
      Fire(OnUserMessage, wParam, lParam);
      return 0;
    case kCreatePendingMessage:
      slicePosted_ = false;
      CreatePendingSlice();
      return 0;
    case WM_TIMER:
      if (wParam != kCreatePendingTimer) break;
      CreatePendingSlice();
      return 0;
    case kDpiChangedMessage:
      ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && OnResize)
        Fire(OnResize, Unscale(LOWORD(lParam)), Unscale(HIWORD(lParam)));
      break;
    case WM_GETMINMAXINFO:
      if (style_.minWidth > 0 || style_.minHeight > 0) {
        auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
        info.ptMinTrackSize = {Scale(style_.minWidth), Scale(style_.minHeight)};
        return 0;
      }
      break;
    case WM_GETOBJECT:
      if (rootPeer_ && rootPeer_->AnswerGetObject(hwnd_, wParam, lParam, result)) return result;
      break;
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
      } else if (!HIWORD(wParam)) {
        // The first time, the first control: typed keys never go nowhere.
        DefWindowProcW(hwnd_, msg, wParam, lParam);
        if (GetFocus() == hwnd_) FocusFirstControl();
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGING:
      TrackShowing(*reinterpret_cast<const WINDOWPOS*>(lParam));
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // Common controls learn of new system colours only from their top-level window.
      if (msg == WM_SYSCOLORCHANGE)
        registry_.ForEachWindow(
            [&](HWND window) { SendMessageW(window, WM_SYSCOLORCHANGE, wParam, lParam); });
      // The high-contrast mode may have come or gone with them: what the program draws in its own
      // colours is drawn again.
      ReadHighContrast();
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      Fire(OnSystemColorsChanged);
      break;
    case WM_DESTROY:
      Fire(OnDestroy);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace kvn::ui::win32
