#include "shell/tray_icon_win32.h"

#include <shlwapi.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "base/fixed_text.h"
#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "ui/win32/subclass.h"

namespace kvn {

namespace {
constexpr wchar_t kClassName[] = L"KorvaneTrayIcon";
constexpr UINT_PTR kClickTimer = 1;
constexpr UINT_PTR kSubclassId = 0x4B564E54;  // any value of our own

class SystemNotifier final : public ShellNotifier {
 public:
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
    const StartupWork work("tray icon");
    return Shell_NotifyIconW(message, data);
  }
};

UINT NextIconId() {
  static UINT next = 0;
  return ++next;
}

template <std::size_t N>
void CopyText(WCHAR (&target)[N], const std::string& utf8, std::size_t limit = N) {
  // Cut short where it does not fit, always terminated; `limit` counts the terminating zero.
  FixedWideText(target, limit < N ? limit : N).Add(Widen(utf8).c_str());
}
}  // namespace

ShellNotifier& SystemShellNotifier() {
  static SystemNotifier notifier;
  return notifier;
}

DWORD TrayRecordSize() {
  static const DWORD size = [] {
    DWORD major = 4;
    const auto get = Shell32().DllGetVersion;
    DLLVERSIONINFO info{sizeof(DLLVERSIONINFO), 0, 0, 0, 0};
    if (get && SUCCEEDED(get(&info))) major = info.dwMajorVersion;
    return static_cast<DWORD>(major >= 5 ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE);
  }();
  return size;
}

TrayIconWin32::TrayIconWin32(TrayIcon& icon, HWND mainWindow, ShellNotifier& notifier)
    : icon_(icon),
      notifier_(notifier),
      id_(NextIconId()),
      // Top-level but never shown: it must hear the "TaskbarCreated" broadcast.
      window_(kClassName, MessageWindow::Kind::HiddenTopLevel,
              [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
                try {
                  return HandleMessage(message, wParam, lParam, result);
                } catch (...) {
                  ui::ReportException(std::current_exception());
                  return true;
                }
              }) {
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  recordSize_ = TrayRecordSize();
  SetMainWindow(mainWindow);
  icon_.AttachPeer(this);
}

TrayIconWin32::~TrayIconWin32() {
  icon_.AttachPeer(nullptr);
  if (icon_.IconVisible()) Notify(TrayCommand::Delete, icon_.Record());
  Unsubclass();
  KillTimer(window_.Handle(), kClickTimer);
}

void TrayIconWin32::SetMainWindow(HWND mainWindow) {
  if (mainWindow == mainWindow_) return;
  Unsubclass();
  mainWindow_ = mainWindow;
  // Without the subclass the window still works; it only does not go to the tray by itself when
  // minimised.
  if (mainWindow_)
    ui::win32::AddSubclass(mainWindow_, &MainWindowProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this));
}

void TrayIconWin32::Unsubclass() {
  if (mainWindow_) ui::win32::RemoveSubclass(mainWindow_, &MainWindowProc, kSubclassId);
}

void TrayIconWin32::Notify(TrayCommand command, const TrayNotifyData& data) {
  const bool modern = recordSize_ >= NOTIFYICONDATAW_V2_SIZE;
  // The original shell has neither balloons nor versions.
  if (!modern && (command == TrayCommand::SetVersion || (data.flags & kTrayFlagInfo))) return;

  NOTIFYICONDATAW record{};
  record.cbSize = recordSize_;
  record.hWnd = window_.Handle();
  record.uID = id_;
  record.uFlags = data.flags;
  record.uCallbackMessage = TrayCallbackMessage;
  record.hIcon = image_.get();
  CopyText(record.szTip, data.tip, modern ? sizeof record.szTip / sizeof(WCHAR) : 64);
  if (modern) {
    CopyText(record.szInfo, data.info);
    CopyText(record.szInfoTitle, data.infoTitle);
    record.dwInfoFlags = data.infoFlags;
    // uTimeout and uVersion share their place.
    record.uTimeout = command == TrayCommand::SetVersion ? NOTIFYICON_VERSION : data.timeoutMs;
  }
  DWORD message = NIM_MODIFY;
  switch (command) {
    case TrayCommand::Add:
      message = NIM_ADD;
      break;
    case TrayCommand::Modify:
      message = NIM_MODIFY;
      break;
    case TrayCommand::Delete:
      message = NIM_DELETE;
      break;
    case TrayCommand::SetVersion:
      message = NIM_SETVERSION;
      break;
  }
  notifier_.Notify(message, &record);  // shell failures are ignored
}

void TrayIconWin32::RenderTextImage(const TrayTextImage& image) {
  // The shell keeps its own copy of the image, so the previous one can go at once.
  const StartupWork work("tray icon image");
  image_ = RenderTrayTextIcon(image);
}

void TrayIconWin32::HideTaskbarButton() {
  if (!mainWindow_) return;
  // A taskbar button held by an owner window goes with it; an unowned main window loses its
  // button when it is hidden.
  HWND owner = GetWindow(mainWindow_, GW_OWNER);
  if (owner && IsWindowVisible(owner)) ShowWindow(owner, SW_HIDE);
}

void TrayIconWin32::HideMainWindow() {
  if (!mainWindow_) return;
  ShowWindow(mainWindow_, SW_HIDE);
  HideTaskbarButton();
}

void TrayIconWin32::ShowMainWindow() {
  if (!mainWindow_) return;
  if (IsIconic(mainWindow_)) ShowWindow(mainWindow_, SW_RESTORE);
  ShowWindow(mainWindow_, SW_SHOW);
  SetForegroundWindow(mainWindow_);
}

void TrayIconWin32::OpenMenuAtCursor(ui::PopupMenu& menu) {
  if (inMenu_) return;  // a second click while the menu is open
  inMenu_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inMenu_};

  // The menu presenter takes the foreground around the menu and posts WM_NULL after it, so that
  // a click elsewhere closes it; the menu's own loop runs whatever is pending meanwhile.
  POINT cursor{};
  GetCursorPos(&cursor);
  menu.Popup(cursor.x, cursor.y);
}

void TrayIconWin32::OpenMenuAtIcon(ui::PopupMenu& menu) {
  if (inMenu_) return;
  // Where the shell shows the icon (Windows 7 and later); elsewhere at the cursor.
  struct IconIdentifier {  // NOTIFYICONIDENTIFIER
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    GUID guidItem;
  } icon{sizeof(IconIdentifier), window_.Handle(), id_, {}};
  RECT place{};
  const auto getRect = Shell32().Shell_NotifyIconGetRect;
  if (!getRect || FAILED(getRect(&icon, &place))) return OpenMenuAtCursor(menu);
  inMenu_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inMenu_};
  menu.Popup(place.left + (place.right - place.left) / 2,
             place.top + (place.bottom - place.top) / 2);
}

void TrayIconWin32::StartClickTimer() {
  SetTimer(window_.Handle(), kClickTimer, GetDoubleClickTime(), nullptr);
}

void TrayIconWin32::StopClickTimer() {
  KillTimer(window_.Handle(), kClickTimer);
}

bool TrayIconWin32::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (message == TrayCallbackMessage) {
    if (wParam == id_) icon_.HandleCallback(static_cast<unsigned>(lParam));
    return true;
  }
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    icon_.TaskbarCreated();
    return true;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kClickTimer) icon_.ClickTimerElapsed();
      return true;
    // This window lives as long as its icon, whatever closes around it.
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_DESTROY:
    case WM_NCDESTROY:
      result = 1;
      return true;
    default:
      return false;
  }
}

void TrayIconWin32::MainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) icon_.Minimized();
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE && !IsWindowVisible(mainWindow_))
        ShowWindow(mainWindow_, SW_SHOW);
      break;
    // Shown by a program's call (not with its owner): to the foreground, once it is on screen.
    // Activating it from WM_SHOWWINDOW would keep it off the screen for all of the activation's
    // messages; Windows too shows a window first and activates it after.
    case WM_SHOWWINDOW:
      foregroundWhenShown_ = wParam && lParam == 0;
      break;
    case WM_WINDOWPOSCHANGED:
      if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) &&
          std::exchange(foregroundWhenShown_, false))
        SetForegroundWindow(mainWindow_);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK TrayIconWin32::MainWindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  // The window's own handling runs first; the tray reacts to what it did.
  const LRESULT result = ui::win32::CallNextSubclass(window, message, wParam, lParam);
  try {
    reinterpret_cast<TrayIconWin32*>(data)->MainWindowMessage(message, wParam, lParam);
  } catch (...) {
    ui::ReportException(std::current_exception());
  }
  return result;
}

}  // namespace kvn
