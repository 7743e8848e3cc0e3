// The main window's life: shown and hidden to the notification area, brought back, closed,
// the orderly exit and the end of the Windows session, the keyboard's Enter and Escape, the
// topmost state, and the message loop.
#include "shell/main_window_win32.h"

#include <string_view>

#include "base/privileges_win32.h"
#include "base/registry_win32.h"
#include "base/startup_trace_win32.h"
#include "shell/command_line.h"
#include "shell/crash_report_win32.h"
#include "shell/help_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {

bool ExitWindowsWithPrivilege(UINT flags) {
  const EnabledPrivilege shutdown(L"SeShutdownPrivilege");
  return shutdown.Held() && ExitWindowsEx(flags, 0) != FALSE;
}

UINT MainWindow::OptimiseMessage() {
  static const UINT message = RegisterWindowMessageW(L"Korvane.Optimiser");
  return message;
}

bool MainWindow::FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == OptimiseMessage() && msg != 0) {
    // Any program may post it, one with lower rights included: an amount no copy of Korvane
    // sends does nothing, and a series already running goes on as it was (StartSeries). Not
    // while the fault report is ending the program.
    const std::optional<int> amount = OptimiseMessageAmount(wParam);
    if (amount && *amount > 0 && !Faulted())
      recovery_->StartSeries(*amount);
    else if (amount && !Faulted())
      recovery_->StartSeries();
    result = 0;
    return true;
  }
  // Group Policy announces its changes to every top-level window; the text is the system's copy.
  if (msg == WM_SETTINGCHANGE && lParam &&
      std::wstring_view(reinterpret_cast<const wchar_t*>(lParam)) == L"Policy") {
    PoliciesChanged();
    return false;
  }
  if (msg == kAfterFirstShowing) {
    WriteStartupTrace();
    // The processor page and the MMX check: identifying the processor pins a thread to each
    // processor and spins on the clock at the highest priority, which neither the first showing
    // nor the clicks right after it should compete with. The crash dump's library waits as well:
    // loading it holds the loader lock.
    SetTimer(host_.Handle(), kProcessorTimer, kProcessorDelayMs, nullptr);
    result = 0;
    return true;
  }
  if (msg == WM_TIMER && wParam == kProcessorTimer) {
    KillTimer(host_.Handle(), kProcessorTimer);
    StartReadingProcessor();
    PrepareCrashDump();
    result = 0;
    return true;
  }
  if (msg == kProcessorRead) {
    ReadProcessor();
    tuning_->ReadMemoryTuning();  // its first reading, which needs the cache size
    result = 0;
    return true;
  }
  // FormShow and FormActivate: the topmost state is applied again each time.
  if ((msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) ||
      (msg == WM_SHOWWINDOW && wParam != FALSE)) {
    tuning_->SetStayOnTop(options.stayOnTop);
    return false;
  }
  // The dialog keyboard handling turns Enter and Escape into IDOK and IDCANCEL, sent by no
  // control. Enter presses the focused push button, as in a dialog box; Escape cancels a running
  // pass, and when idle there is nothing to cancel and the status text stays.
  if (msg != WM_COMMAND || lParam != 0) return false;
  if (LOWORD(wParam) == IDOK) {
    const HWND focus = GetFocus();
    if (focus && IsChild(host_.Handle(), focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
      SendMessageW(focus, BM_CLICK, 0, 0);
  } else if (LOWORD(wParam) == IDCANCEL) {
    if (recovery_->Optimising()) recovery_->CancelRecovery();
  } else {
    return false;
  }
  result = 0;
  return true;
}

void MainWindow::FocusCommand(const ui::Button& button) {
  // Only while this window is the active one, shown: another program's focus is never taken, a
  // hidden window never activated. Its focus may be nowhere: disabling the focused button (the
  // one just pressed) leaves it so.
  const HWND main = host_.Handle();
  const HWND focus = GetFocus();
  if (GetActiveWindow() != main || !IsWindowVisible(main)) return;
  if (focus && focus != main && !IsChild(main, focus)) return;
  if (HWND target = ui::win32::FormHost::WindowOf(button)) SetFocus(target);
}

void MainWindow::HideToTray() {
  trayIcon.SetEnabled(true);
  trayIcon.HideMainWindow();
  trayIcon.HideTaskbarButton();
  trayIcon.SetIconVisible(true);
  if (firstStartNotice_) {
    firstStartNotice_ = false;
    trayIcon.ShowBalloonHint("Korvane",
                             "Korvane reste actif ici, dans la zone de notification. "
                             "Double-cliquez sur l'icône pour ouvrir la fenêtre.",
                             BalloonIcon::Info, 10);
  }
}

bool MainWindow::WindowsBalloonsOff() const {
  auto key = Win32Registry().OpenReadOnly(RegistryRoot::CurrentUser, places_.explorerAdvanced);
  return key && key->ReadDword("EnableBalloonTips") == 0u;
}

void MainWindow::OnOpenClick() {
  trayIcon.ShowMainWindow();
  form.pages.SetActivePage(&form.mainPage);
  trayIcon.SetIconVisible(true);
  ShowWindow(host_.Handle(), IsIconic(host_.Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(host_.Handle());
}

void MainWindow::WMUser() {
  ShowWindow(host_.Handle(), IsIconic(host_.Handle()) ? SW_RESTORE : SW_SHOW);
  trayIcon.SetIconVisible(true);
  SetForegroundWindow(host_.Handle());
}

bool MainWindow::FormCloseQuery() {
  if (exitRequested_) return true;
  trayIcon.HideMainWindow();
  trayIcon.SetIconVisible(true);
  return false;
}

void MainWindow::WMQueryEndSession() {
  exitRequested_ = true;
  CrashReportSessionEnding();
  recovery_->CancelRecovery();
  DestroyNews();
  SaveSettings();
  // hideTimer fires once, to hide the window: the end of the session leaves it be.
  for (ui::Timer* timer : form.Timers())
    if (timer != &form.hideTimer) timer->SetEnabled(false);
}

void MainWindow::ExitApplication() {
  // What the user sees goes first: the window, its tray icon, the news and help windows. The
  // rest of the exit (the pass's end, the save) happens out of sight.
  exitRequested_ = true;
  ShowWindow(host_.Handle(), SW_HIDE);
  trayIcon.SetIconVisible(false);
  DestroyNews();
  Win32HelpSystem::CloseAll();
  recovery_->CancelRecovery();
  engine_.StopDefrag();
  SaveSettings();
  // The window is destroyed once the message loop has ended: a pass that is still releasing its
  // blocks finishes first (its message pump puts the quit request back).
  PostQuitMessage(0);
}

void MainWindow::DestroyNews() {
  // The news window goes at once; the object itself outlives the message loop, since the exit may
  // come from one of its own handlers (the fault report), still running on the stack.
  if (!newsFeed) return;
  if (HWND dialog = newsFeed->Dialog().Handle()) ShowWindow(dialog, SW_HIDE);
  retiredNews_.push_back(std::move(newsFeed));
}

int MainWindow::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) host_.ProcessMessage(msg);
  // The timers stop with their window when this object goes; the load source closes now.
  ProcessLoadSampler().StopLoadSampling();
  Win32HelpSystem::CloseAll();
  retiredNews_.clear();  // with any download still in flight
  return 0;
}

void MainWindow::StopTimers() {
  for (ui::Timer* timer : form.Timers()) timer->SetEnabled(false);
}

}  // namespace kvn
