#pragma once
// The Win32 peer of the tray icon. It owns a hidden top-level window that receives the icon's
// callback message and the "TaskbarCreated" broadcast (a message-only window would miss the
// broadcast), the current icon image, and the NOTIFYICONDATAW sent to the shell. Given the main
// window, it subclasses it to send a minimised window to the tray.
//
// Construct it after the icon and destroy it before: it attaches itself to the icon for its
// whole life, and removes the icon from the notification area when it goes.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "base/message_window_win32.h"
#include "shell/tray_icon.h"
#include "shell/tray_icon_image_win32.h"

namespace kvn {

// Shell_NotifyIconW behind a seam, so the window tests can count what reaches the shell.
class ShellNotifier {
 public:
  virtual ~ShellNotifier() = default;
  virtual BOOL Notify(DWORD message, NOTIFYICONDATAW* data) = 0;
};
ShellNotifier& SystemShellNotifier();

// The record size this shell understands: the version-2 layout (balloons) from Shell32 5.0 on,
// the original one before. Read once from Shell32's DllGetVersion.
DWORD TrayRecordSize();

class TrayIconWin32 final : public TrayIconPeer {
 public:
  explicit TrayIconWin32(TrayIcon& icon, HWND mainWindow = nullptr,
                         ShellNotifier& notifier = SystemShellNotifier());
  ~TrayIconWin32() override;
  TrayIconWin32(const TrayIconWin32&) = delete;
  TrayIconWin32& operator=(const TrayIconWin32&) = delete;

  // The window that minimises to the tray and that the show/hide operations act on.
  void SetMainWindow(HWND mainWindow);

  HWND Window() const { return window_.Handle(); }
  UINT Id() const { return id_; }
  HICON CurrentIcon() const { return image_.get(); }
  UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

  void Notify(TrayCommand command, const TrayNotifyData& data) override;
  void RenderTextImage(const TrayTextImage& image) override;
  void ShowMainWindow() override;
  void HideMainWindow() override;
  void HideTaskbarButton() override;
  void OpenMenuAtCursor(ui::PopupMenu& menu) override;
  void OpenMenuAtIcon(ui::PopupMenu& menu) override;
  void StartClickTimer() override;
  void StopClickTimer() override;

 private:
  static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void MainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Unsubclass();

  TrayIcon& icon_;
  ShellNotifier& notifier_;
  HWND mainWindow_ = nullptr;
  bool foregroundWhenShown_ = false;  // WM_SHOWWINDOW asked for it, the showing not done yet
  UINT id_ = 0;
  UINT taskbarCreated_ = 0;
  DWORD recordSize_ = 0;
  IconHandle image_;
  bool inMenu_ = false;
  MessageWindow window_;  // last: built once everything its messages use exists
};

}  // namespace kvn
