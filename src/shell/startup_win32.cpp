// The building of the main window and its start-up sequence, in the order the window's parts
// depend on one another; the processor page and the MMX check come once the window shows.
#include "shell/main_window_win32.h"

#include "base/message_box_win32.h"
#include "base/program_file_win32.h"
#include "base/registry_win32.h"
#include "base/scope_guard.h"
#include "base/shell_open_win32.h"
#include "base/startup_trace_win32.h"
#include "base/system_error_win32.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "chart/chart_window_win32.h"
#include "control/global_hot_key_win32.h"
#include "korvane_version.h"
#include "settings/windows_tuning_win32.h"
#include "shell/help_win32.h"
#include "shell/info_page_binding.h"
#include "shell/log.h"
#include "shell/log_win32.h"
#include "shell/processor_page_binding.h"
#include "shell/running_exclusion_win32.h"
#include "shell/tray_icon_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "sysinfo/system_info_win32.h"
#include "sysinfo/windows_release_win32.h"

namespace kvn {

bool MainWindow::Create() {
  InstallFaultReport();
  // The first processor-load reading's query runs while the window is built.
  PrefetchProcessorLoad();
  // While the window is being built a handler's exception is kept and ends the building: the
  // program cannot run half built. From then on the fault report takes them.
  std::exception_ptr buildError;
  ui::SetExceptionHook([&buildError](std::exception_ptr e) {
    if (!buildError) buildError = e;
  });
  ScopeGuard hook(
      [this] { ui::SetExceptionHook([this](std::exception_ptr e) { OnUnhandledException(e); }); });
  if (!host_.Create()) {
    // The program ends at once: the log, made ready for this one line, tells why.
    SetLogPlatform(&Win32LogPlatform());
    PrepareLog();
    const auto& failure = host_.Failure();
    WriteLogLine(std::string("Création de la fenêtre principale impossible (") + failure.call +
                 ") : " + SystemErrorText(failure.error));
    return false;
  }
  trayPeer_ = std::make_unique<TrayIconWin32>(trayIcon, host_.Handle());
  StartupStage("tray icon");
  hotKeyPeer_ = std::make_unique<GlobalHotKeyWin32>(globalHotKey);
  if (HWND area = ui::win32::FormHost::WindowOf(form.chartArea)) {
    const RECT r = host_.ScaledRect(form.chartArea.Bounds());
    chartWindow_ =
        ChartWindow::Create(historyChart, area, 0, 0, r.right - r.left, r.bottom - r.top);
    if (chartWindow_) {
      // The chart fills its area at every DPI.
      host_.OnDpiChanged = [this] {
        const RECT area = host_.ScaledRect(form.chartArea.Bounds());
        if (chartWindow_)
          MoveWindow(chartWindow_->Handle(), 0, 0, area.right - area.left, area.bottom - area.top,
                     TRUE);
      };
      chartWindow_->OnRightClick = [this](int x, int y) { form.speedMenu.Popup(x, y); };
      swatches_->OwnerWindow = host_.Handle();
    }
  }
  StartupStage("chart window");
  InitMainWindow();
  if (buildError) std::rethrow_exception(buildError);
  ShowWhetherSaved();
  AcceptMessagesFromLowerRights();
  if (startHidden_) {
    HideToTray();
    if (startSeriesMB_ >= 0)
      PostMessageW(host_.Handle(), OptimiseMessage(), static_cast<WPARAM>(startSeriesMB_), 0);
  } else if (trayIcon.Loaded()) {
    // The tray icon decides whether the window shows at once (it does).
    ShowWindow(host_.Handle(), SW_SHOW);
    StartupStage("shown");
    // The main command has the focus, not whichever button comes first: Enter recovers memory,
    // it never quits by accident.
    SetFocus(ui::win32::FormHost::WindowOf(form.optimiseButton));
    UpdateWindow(host_.Handle());
    StartupStage("painted");
  }
  // What the first showing does not need comes right after it, from the message loop.
  PostMessageW(host_.Handle(), kAfterFirstShowing, 0, 0);
  return true;
}

void MainWindow::InitMainWindow() {
  CheckHtmlHelp();
  SetLogPlatform(&Win32LogPlatform());
  PrepareLog();
  StartupStage("help check and log");

  installedRamMB_ = InstalledRamMB(engine_.TotalMemory());
  ProcessLoadSampler().WriteLog = [](const std::string& line) { WriteLogLine(line); };
  infoServices_ = std::make_unique<Win32SystemInfoServices>();
  infoPage_ =
      std::make_unique<InfoPage>(InfoPageControlsOf(form), *infoServices_, SystemReleaseSource(),
                                 release_, UserNumberSeparators(), installedRamMB_);
  TuningSinks tuningSinks = Win32TuningSinks(host_.Handle());
  tuningSinks.WriteLog = [](const std::string& line) { WriteLogLine(line); };
  tuningSinks.SecondLevelCacheKB = [this] {
    ReadProcessor();  // the tuning page must never compare with a size not yet read
    return SecondLevelCacheKB();
  };
  tuning_ = std::make_unique<WindowsTuning>(
      TuningControls{.cacheSizeCombo = form.cacheSizeCombo,
                     .secondLevelCacheCheck = form.secondLevelCacheCheck,
                     .largeSystemCacheGroup = form.largeSystemCacheGroup,
                     .kernelInMemoryCheck = form.kernelInMemoryCheck,
                     .clearPageFileCheck = form.clearPageFileCheck,
                     .opacityTrackBar = form.opacityTrackBar,
                     .balloonsCheck = form.balloonsCheck,
                     .adminRightsLabel = form.adminRightsLabel,
                     .unloadDllsCheck = form.unloadDllsCheck},
      options, Win32Registry(), std::move(tuningSinks), TuningReleaseOf(release_), places_.tuning);
  StartupStage("information page and tuning");
  settings_ =
      std::make_unique<SettingsStore>(SettingsRegistry(), *tuning_, *chartColors_, installedRamMB_,
                                      ProgramFilePath(), KORVANE_VERSION_TEXT, places_.programKey);
  settings_->SetPortable(portable_ != nullptr);
  // A portable copy's file is written once, when the start-up's loading and saving are done.
  const IniRegistry::Batch startUp(PortableFile());
  options.samplingIntervalMs = settings_->LoadInterval();
  recovery_ =
      std::make_unique<Recovery>(RecoveryControls{.manualAmountTrackBar = form.manualAmountTrackBar,
                                                  .manualAmountValue = form.manualAmountValue,
                                                  .optimiseButton = form.optimiseButton,
                                                  .cancelButton = form.cancelButton,
                                                  .optimiseItem = form.optimiseItem,
                                                  .cancelItem = form.cancelItem,
                                                  .statusBar = form.statusBar},
                                 options, engine_, *clipboard_, installedRamMB_);
  recovery_->ShowBalloonHint = [this](const std::string& title, const std::string& text, int icon,
                                      int seconds) {
    trayIcon.ShowBalloonHint(title, text, static_cast<BalloonIcon>(icon),
                             static_cast<unsigned>(seconds));
  };
  recovery_->WriteLog = [](const std::string& line) { WriteLogLine(line); };
  recovery_->AfterBlocksReleased = [this] { RunDirectSteps(); };
  // The lists' counters are looked up on a thread from here; the first ticks may go without.
  ProcessMemoryListReader();
  recovery_->ReadMemoryLists = [] { return ProcessMemoryListReader().Read(); };

  MonitoringSinks sinks;
  sinks.SetTrayHint = [this](const std::string& hint) { trayIcon.SetHint(hint); };
  sinks.SetTrayColorAndText = [this](ui::Color color, const std::string& text) {
    trayIcon.SetColor(color);
    trayIcon.SetText(text);
  };
  sinks.Plot = [this](int ram, int cpu, int cpu2, int alarm) {
    const StartupWork work("chart drawing");
    historyChart.Plot(ram, cpu, cpu2, alarm);
  };
  sinks.HideToTray = [this] { HideToTray(); };
  sinks.WriteLog = [](const std::string& line) { WriteLogLine(line); };
  sinks.TickCount = [] { return static_cast<std::uint32_t>(GetTickCount()); };
  // The tuning page compares the stored cache size with the processor's, identified once the
  // window shows (ReadProcessor): the readings before then leave that page alone.
  sinks.ReadMemoryTuning = [this] {
    if (processorRead_) tuning_->ReadMemoryTuning();
  };
  sinks.ReadMemoryLists = recovery_->ReadMemoryLists;
  sinks.PurgeStandbyList = [this] { standbyPurger_.Start(); };
  sinks.RunningExclusion = &FindRunningExclusion;
  monitoring_ = std::make_unique<Monitoring>(
      MonitoringControls{.freeMemoryGauge = form.freeMemoryGauge,
                         .freeMemoryValue = form.freeMemoryValue,
                         .swapUsageGauge = form.swapUsageGauge,
                         .swapUsageValue = form.swapUsageValue,
                         .processorLoadGauge = form.processorLoadGauge,
                         .secondProcessorGauge = form.secondProcessorGauge,
                         .averageLoadGauge = form.averageLoadGauge,
                         .uptimeLabel = form.uptimeLabel,
                         .timeSpanValue = form.timeSpanValue,
                         .statusBar = form.statusBar,
                         .emptyClipboardButton = form.emptyClipboardButton,
                         .emptyClipboardItem = form.emptyClipboardItem,
                         .alarmLevelEdit = form.alarmLevelEdit,
                         .maximumLoadEdit = form.maximumLoadEdit,
                         .samplingTimer = form.samplingTimer,
                         .loadTimer = form.loadTimer,
                         .alarmTimer = form.alarmTimer,
                         .startRecoveryTimer = form.startRecoveryTimer,
                         .periodicTimer = form.periodicTimer,
                         .hideTimer = form.hideTimer,
                         .lowSpeedItem = form.lowSpeedItem,
                         .normalSpeedItem = form.normalSpeedItem,
                         .highSpeedItem = form.highSpeedItem},
      options, sinks, engine_, *recovery_, *clipboard_, *loads_);
  monitoring_->SetUpTimers(options.samplingIntervalMs);
  const bool purgeAllowed = StandbyPurger::PrivilegeHeld();
  monitoring_->SetPurgePrivilege(purgeAllowed);
  StartupStage("settings store, recovery and monitoring");
  OptionReactions reactions = ReactionsOf(*recovery_, *monitoring_, *tuning_);
  reactions.HotKeyChanged = [this] { OnHotKeyChange(); };
  binding_ = std::make_unique<OptionsBinding>(form, options, *settings_, std::move(reactions));
  policies_ = std::make_unique<PolicyLayer>(Win32Registry(), places_.policies,
                                            [](const std::string& line) { WriteLogLine(line); });
  binding_->UsePolicies(*policies_);
  BindHandlers();
  binding_->ShowPurgePrivilege(purgeAllowed);
  StartupStage("handlers");

  form.swapUsageValue.SetCaption(std::to_string(engine_.SwapFileUsageMB()) + "/" +
                                 std::to_string(engine_.PageSize()) + " MB.");
  form.swapUsageGauge.SetProgress(engine_.SwapFileUsage());
  form.aboutText.SetCaption(
      AboutCaptionWithVersion(form.aboutText.Caption(), ProgramFileVersion(), ProgramFileDate()));
  form.pages.SetActivePage(&form.mainPage);

  SelectWindowsLogo(
      form, kvn::SelectWindowsLogo(release_, WindowsProductType(release_, SystemReleaseSource())));
  tuning_->ApplyAvailability(installedRamMB_, LacksMachineRights(release_));
  form.statusBar.SetPanelText(1, " 100 %");
  form.manualAmountTrackBar.SetRange(0, static_cast<int>(installedRamMB_));
  form.manualAmountTrackBar.SetPosition(static_cast<int>(HalfRamMB(installedRamMB_)));
  tuning_->OnOpacityChange();  // the design opacity and its hint
  form.cancelButton.SetEnabled(false);
  OnHotKeyChange();
  form.statusBar.SetPanelText(0, options.trayMode == 1 ? " 0 MB" : " 0 %");
  form.statusBar.SetPanelText(2, " ");
  SetWindowTextW(host_.Handle(), Widen(kCaption).c_str());
  StartupStage("design state");
  binding_->LoadSettings();
  firstStartNotice_ =
      settings_->FirstStart() && !WindowsBalloonsOff() && !policies_->Rules().balloonsOff;
  tuning_->SetReadOnly(policies_->Rules().tuningReadOnly);
  if (OnSettingsLoaded) OnSettingsLoaded();
  // The stored hot key reaches the global one: setting the editor from code reports nothing.
  OnHotKeyChange();
  tuning_->ApplyPriority(options.priority);
  StartupStage("settings read");
  binding_->SaveSettings();
  StartupStage("settings written");
  // From here a crash may save the options: before, they would be the form's defaults.
  startedUp_ = true;
  monitoring_->Start(options.optimiseAtStart);
  StartupStage("first readings");
  chartColors_->ChangeColor();
  StartupStage("chart colours");
}

void MainWindow::StartReadingProcessor() {
  if (processorRead_ || processorReading_) return;
  processorReading_ =
      std::make_unique<ProcessorReading>(UserNumberSeparators(), host_.Handle(), kProcessorRead);
}

void MainWindow::ReadProcessor() {
  if (processorRead_) return;
  processorRead_ = true;
  const ProcessorFindings found =
      processorReading_ ? processorReading_->Wait() : ReadProcessorFindings(UserNumberSeparators());
  bool shown = false;
  try {
    if (found.pageRead) {
      ShowProcessorPage(form, found.page);
      ShowProcessorLogo(form, found.logo);
      shown = true;
    }
  } catch (...) {
  }
  if (!shown) WriteLogLine("Erreur de récupérations des infos CPU");
  if (found.mmx == 0) {
    ShowMessageBox(host_.Handle(),
                   "Korvane a détecté que votre processeur ne supporte pas les instructions "
                   "mmx.\r\nL'application va se terminer.",
                   MB_OK | MB_ICONERROR);
    PostQuitMessage(0);
  } else if (found.mmx < 0) {
    WriteLogLine("Erreur lors de la récupération mmx");
    ShowMessageBox(host_.Handle(), "Erreur au démarrage", MB_OK | MB_ICONERROR);
    PostQuitMessage(0);
  }
}

void MainWindow::CheckHtmlHelp() {
  if (HtmlHelpUsable(FindHtmlHelp())) {
    // The download link is only for systems that need it.
    form.htmlHelpDownloadLink.SetVisible(false);
    return;
  }
  ShowMessageBox(host_.Handle(), kHtmlHelpTooOld, MB_OK | MB_ICONWARNING);
  if (ShowMessageBox(host_.Handle(), kHtmlHelpDownloadQuestion, MB_YESNO | MB_ICONQUESTION,
                     kHtmlHelpDownloadTitle) == IDYES)
    OpenWithShell(kHtmlHelpDownloadUrl);
}

void MainWindow::AcceptMessagesFromLowerRights() {
  // A copy run as administrator still takes "/optimiser" from a script or a scheduled task run
  // without: that one message, carrying only an amount the handler checks, on this window only.
  // Everything else from lower rights stays refused by Windows, a second copy's WM_USER included.
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for Vista's form
  if (const auto changeEx = User32().ChangeWindowMessageFilterEx)
    changeEx(host_.Handle(), OptimiseMessage(), kAllow, nullptr);
  else if (const auto change = User32().ChangeWindowMessageFilter)
    change(OptimiseMessage(), kAllow);  // Vista's filter is the whole process's
}

}  // namespace kvn
