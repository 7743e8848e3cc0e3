#include "shell/main_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>

#include "../res/resource_ids.h"
#include "base/privileges_win32.h"
#include "base/program_file_win32.h"
#include "base/registry_win32.h"
#include "base/rounding.h"
#include "base/scope_guard.h"
#include "base/text_win32.h"
#include "chart/chart_window_win32.h"
#include "control/direct_recovery_win32.h"
#include "control/global_hot_key_win32.h"
#include "engine/memory_service_win32.h"
#include "korvane_version.h"
#include "processes/process_system_win32.h"
#include "settings/windows_tuning_win32.h"
#include "shell/crash_report_win32.h"
#include "shell/help_win32.h"
#include "shell/info_page_binding.h"
#include "shell/log.h"
#include "shell/log_win32.h"
#include "shell/processor_page_binding.h"
#include "shell/tray_icon_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "sysinfo/system_info_win32.h"
#include "sysinfo/windows_release_win32.h"

namespace kvn {

namespace {

ui::win32::FormStyle MainStyle() {
  ui::win32::FormStyle style;
  style.className = TfMainMem::kClassName;
  style.clientWidth = MainForm::kClientWidth;
  style.clientHeight = MainForm::kClientHeight;
  style.iconId = IDI_KORVANE;
  return style;
}

std::string DescribeError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Exception";
  }
}

}  // namespace

bool ExitWindowsWithPrivilege(UINT flags) {
  if (!SetProcessPrivilege(L"SeShutdownPrivilege", true)) return false;
  const bool done = ExitWindowsEx(flags, 0) != FALSE;
  SetProcessPrivilege(L"SeShutdownPrivilege", false);
  return done;
}

TfMainMem::TfMainMem(std::string programKey)
    : host_(form, MainStyle()),
      memoryService_(std::make_unique<Win32MemoryService>()),
      engine_(*memoryService_),
      clipboard_(MakeWin32Clipboard()),
      loads_(std::make_unique<SystemProcessorLoads>(ProcessLoadSampler())),
      programKey_(std::move(programKey)),
      release_(CurrentWindowsRelease()) {
  // The pass's pump runs the window's keyboard handling like the main loop.
  memoryService_->SetDispatcher([this](MSG& msg) { host_.ProcessMessage(msg); });
  for (ui::Timer* timer :
       {&form.Timer1, &form.Timer2, &form.Timer3, &form.Timer4, &form.Timer5, &form.Timer6})
    timers_.Attach(*timer);
  chartColors_ =
      std::make_unique<ChartColors>(PerfChart1, Win32Registry(), programKey_ + "\\settings");
  swatches_ = std::make_unique<ChartSwatches>(
      ChartSwatchControls{form.ShapeBFond, form.ShapeBGrid, form.ShapeBCPU, form.ShapeBRAM,
                          form.ShapeBAlarme, form.ShapeCPU, form.ShapeRam, form.ShapeAlarme,
                          form.Btn6, form.ColorDialog},
      PerfChart1, *chartColors_);
}

TfMainMem::~TfMainMem() {
  // The tray icon and the hot key go before the window they report to.
  hotKeyPeer_.reset();
  trayPeer_.reset();
  ui::SetExceptionHook(nullptr);
  RemoveCrashReport();
}

bool TfMainMem::Create() {
  FaultReportSinks report;
  report.AnnulRam = [this] {
    if (recovery_) recovery_->AnnulRam();
  };
  report.StopTimers = [this] { StopTimers(); };
  report.Facts = [this] { return CurrentFaultFacts(); };
  report.WriteLog = [](const std::string& line) { WriteLogLine(line); };
  report.ShowMessage = [this](const std::string& text, const std::string& title) {
    MessageBoxW(host_.Handle(), Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_ICONERROR);
  };
  report.AskYesNo = [this](const std::string& text, const std::string& title) {
    return MessageBoxW(host_.Handle(), Widen(text).c_str(), Widen(title).c_str(),
                       MB_YESNO | MB_ICONERROR) == IDYES;
  };
  report.SendMail = [this](const std::string& subject, const std::vector<std::string>& to,
                           const std::vector<std::string>& files) {
    ReportMail.Subject = subject;
    ReportMail.Body.clear();
    ReportMail.Recipients = to;
    ReportMail.Attachments = files;
    ReportMail.SendReportMail();
  };
  report.ExitAppli = [this] { exit_appli(); };
  faultReport_ = std::make_unique<FaultReport>(std::move(report), LogEnabled, ProgramFileVersion());
  // A crash that is no C++ exception: a minidump and the same lines, settings saved when safe.
  InstallCrashReport({[this](const std::string& what, const std::string& dumpPath) {
                        for (const std::string& line : FaultReportLines(what, CurrentFaultFacts()))
                          WriteLogLine(line);
                        if (!dumpPath.empty()) WriteLogLine("Rapport de plantage : " + dumpPath);
                      },
                      [this] {
                        if (settings_) settings_->SaveSettings();
                      }});
  // While the window is being built a handler's exception is kept and ends the building: the
  // program cannot run half built. From then on the fault report takes them.
  std::exception_ptr buildError;
  ui::SetExceptionHook([&buildError](std::exception_ptr e) {
    if (!buildError) buildError = e;
  });
  ScopeGuard hook([this] {
    ui::SetExceptionHook([this](std::exception_ptr e) { KVNApplicationException(e); });
  });
  if (!host_.Create()) return false;
  trayPeer_ = std::make_unique<TrayIconWin32>(TrayIcon1, host_.Handle());
  hotKeyPeer_ = std::make_unique<GlobalHotKeyWin32>(GlobalHotKey);
  if (HWND area = ui::win32::FormHost::WindowOf(form.PerfChartArea)) {
    const RECT r = host_.ScaledRect(form.PerfChartArea.Bounds());
    chartWindow_ = ChartWindow::Create(PerfChart1, area, 0, 0, r.right - r.left, r.bottom - r.top);
    if (chartWindow_) {
      // The chart fills its area at every DPI.
      host_.OnDpiChanged = [this] {
        const RECT area = host_.ScaledRect(form.PerfChartArea.Bounds());
        if (chartWindow_)
          MoveWindow(chartWindow_->Handle(), 0, 0, area.right - area.left, area.bottom - area.top,
                     TRUE);
      };
      chartWindow_->OnRightClick = [this](int x, int y) { form.PopupMenu2.Popup(x, y); };
      swatches_->OwnerWindow = host_.Handle();
    }
  }
  InitMainWindow();
  if (buildError) std::rethrow_exception(buildError);
  AcceptMessagesFromLowerRights();
  if (startHidden_) {
    HideToTray();
    if (startSeriesMB_ >= 0)
      PostMessageW(host_.Handle(), OptimiseMessage(), static_cast<WPARAM>(startSeriesMB_), 0);
  } else if (TrayIcon1.Loaded()) {
    // The tray icon decides whether the window shows at once (it does).
    ShowWindow(host_.Handle(), SW_SHOW);
    // The main command has the focus, not whichever button comes first: Enter recovers memory,
    // it never quits by accident.
    SetFocus(ui::win32::FormHost::WindowOf(form.BitBtn1));
    UpdateWindow(host_.Handle());
  }
  // What the first showing does not need comes right after it, from the message loop.
  PostMessageW(host_.Handle(), kAfterFirstShowing, 0, 0);
  return true;
}

void TfMainMem::InitMainWindow() {
  CheckHtmlHelp();
  SetLogPlatform(&Win32LogPlatform());
  PrepareLog();

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
      TuningControls{form.CbCache, form.cbxCacheNiveau2, form.RGLargeSystemCache, form.Cbxnoyau,
                     form.cbxSwap, form.CDechargeDll, form.CheckBox2, form.CBPriorite,
                     form.TrackBar2, form.cbxballoon, form.LDroits},
      Win32Registry(), std::move(tuningSinks), TuningReleaseOf(release_));
  settings_ = std::make_unique<SettingsStore>(
      SettingsControls{
          form.TrackBar1,    form.TrackBar2,       form.RadioButton1,   form.RadioButton2,
          form.RadioButton3, form.HotKey1,         form.CheckBox2,      form.CheckBox1,
          form.RadioGroup2,  form.cbxballoon,      form.CBPressePapier, form.CNBRepetitions,
          form.CBPriorite,   form.CBDefragOnStart, form.SpinEdit1,      form.SpinEdit2,
          form.SpinEdit3,    form.CheckBox3,       form.CheckBox5,      form.CDechargeDll,
          form.Timer1,       form.Timer5,          form.CBDirectSteps},
      Win32Registry(), *tuning_, *chartColors_, installedRamMB_, ProgramFilePath(),
      KORVANE_VERSION_TEXT, programKey_);
  const unsigned interval = settings_->LoadInterval();
  recovery_ = std::make_unique<Recovery>(
      RecoveryControls{form.RadioButton1, form.RadioButton2, form.RadioButton3, form.TrackBar1,
                       form.Label4, form.CNBRepetitions, form.CBPressePapier, form.cbxballoon,
                       form.BitBtn1, form.BitBtn3, form.RecoverRAM1, form.Cancel1, form.StatusBar},
      engine_, *clipboard_, installedRamMB_);
  recovery_->ShowBalloonHint = [this](const std::string& title, const std::string& text, int icon,
                                      int seconds) {
    TrayIcon1.ShowBalloonHint(title, text, static_cast<BalloonIcon>(icon),
                              static_cast<unsigned>(seconds));
  };
  recovery_->WriteLog = [](const std::string& line) { WriteLogLine(line); };
  recovery_->AfterBlocksReleased = [this] { RunDirectSteps(); };

  MonitoringSinks sinks;
  sinks.SetTrayHint = [this](const std::string& hint) { TrayIcon1.SetHint(hint); };
  sinks.SetTrayColorAndText = [this](ui::Color color, const std::string& text) {
    TrayIcon1.SetColor(color);
    TrayIcon1.SetText(text);
  };
  sinks.Plot = [this](int ram, int cpu, int cpu2, int alarm) {
    PerfChart1.Plot(ram, cpu, cpu2, alarm);
  };
  sinks.HideToTray = [this] { HideToTray(); };
  sinks.WriteLog = [](const std::string& line) { WriteLogLine(line); };
  sinks.TickCount = [] { return static_cast<std::uint32_t>(GetTickCount()); };
  sinks.ReadMemoryTuning = [this] { tuning_->ReadMemoryTuning(); };
  monitoring_ = std::make_unique<Monitoring>(
      MonitoringControls{
          form.Gauge1,     form.InfoLabel3,  form.PBSwap,          form.LSwap,
          form.LoadGauge1, form.Cpu2Bar,     form.LoadGauge2,      form.Label_uptime,
          form.LabelTemps, form.StatusBar,   form.BtnPressePapier, form.ViderLepressepapier1,
          form.CheckBox3,  form.SpinEdit1,   form.CheckBox5,       form.SpinEdit2,
          form.SpinEdit3,  form.RadioGroup2, form.Timer1,          form.Timer2,
          form.Timer3,     form.Timer4,      form.Timer5,          form.Timer6,
          form.Basse1,     form.Normale1,    form.Haute1},
      sinks, engine_, *recovery_, *clipboard_, *loads_);
  monitoring_->SetUpTimers(interval);
  BindHandlers();

  form.LSwap.SetCaption(std::to_string(engine_.SwapFileUsageMB()) + "/" +
                        std::to_string(engine_.PageSize()) + " MB.");
  form.PBSwap.SetProgress(engine_.SwapFileUsage());
  form.Label2.SetCaption(
      AboutCaptionWithVersion(form.Label2.Caption(), ProgramFileVersion(), ProgramFileDate()));
  form.Memoire.SetActivePage(&form.TabSheet1);

  SelectWindowsLogo(
      form, kvn::SelectWindowsLogo(release_, WindowsProductType(release_, SystemReleaseSource())));
  tuning_->ApplyAvailability(installedRamMB_, LacksMachineRights(release_));
  form.StatusBar.SetPanelText(1, " 100 %");
  form.TrackBar1.SetRange(0, static_cast<int>(installedRamMB_));
  form.TrackBar1.SetPosition(
      static_cast<int>(RoundHalfEven(static_cast<long double>(installedRamMB_) / 2)));
  tuning_->TrackBar2Change();  // the design opacity and its hint
  form.BitBtn3.SetEnabled(false);
  HotKey1Change();
  form.StatusBar.SetPanelText(0, form.RadioGroup2.ItemIndex() == 1 ? " 0 MB" : " 0 %");
  form.StatusBar.SetPanelText(2, " ");
  SetWindowTextW(host_.Handle(), Widen(kCaption).c_str());
  settings_->LoadSettings();
  // The stored hot key reaches the global one: setting the editor from code reports nothing.
  HotKey1Change();
  tuning_->ApplyPriority(form.CBPriorite.ItemIndex());
  settings_->SaveSettings();
  monitoring_->Start(form.CBDefragOnStart.Checked());
  chartColors_->ChangeColor();
}

void TfMainMem::ReadProcessor() {
  if (processorRead_) return;
  processorRead_ = true;
  try {
    GetCpuInfoCurrent(form, CpuLibrary(), UserNumberSeparators());
    SelectProcessorLogo(form, CpuLibrary());
  } catch (...) {
    WriteLogLine("Erreur de récupérations des infos CPU");
  }
  try {
    if (!CpuLibrary().Processors(0).Features().FindFeature("MMX").Available()) {
      MessageBoxW(host_.Handle(),
                  L"Korvane a détecté que votre processeur ne supporte pas les instructions "
                  L"mmx.\r\nL'application va se terminer.",
                  L"Korvane", MB_OK | MB_ICONERROR);
      PostQuitMessage(0);
    }
  } catch (...) {
    WriteLogLine("Erreur lors de la récupération mmx");
    MessageBoxW(host_.Handle(), L"Erreur au démarrage", L"Korvane", MB_OK | MB_ICONERROR);
    PostQuitMessage(0);
  }
}

namespace {

struct DirectStepsJob {
  DirectRecoverySystem* system;
  DirectRecoveryResult result;
  std::vector<std::string> log;
};

DWORD WINAPI DirectStepsThread(LPVOID param) {
  auto& job = *static_cast<DirectStepsJob*>(param);
  try {
    job.result = RunDirectRecovery(*job.system,
                                   [&job](const std::string& line) { job.log.push_back(line); });
  } catch (...) {
    job.log.push_back("Étapes directes interrompues");
  }
  return 0;
}

}  // namespace

void TfMainMem::RunDirectSteps() {
  if (!form.CBDirectSteps.Checked()) {
    form.StatusBar.SetHint("");
    return;
  }
  if (!directRecovery_) directRecovery_ = MakeWin32DirectRecovery();
  // Emptying every process's working set takes longer than the window may wait: the steps run on
  // a thread of their own while the window goes on (the pass is still under way: no new one can
  // start meanwhile).
  DirectStepsJob job{directRecovery_.get(), {}, {}};
  if (HANDLE thread = CreateThread(nullptr, 0, DirectStepsThread, &job, 0, nullptr)) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
      engine_.PumpMessages();
    CloseHandle(thread);
  } else {
    DirectStepsThread(&job);
  }
  for (const std::string& line : job.log) WriteLogLine(line);
  form.StatusBar.SetHint(DirectStepsHint(job.result));
}

void TfMainMem::CheckHtmlHelp() {
  if (HtmlHelpUsable(FindHtmlHelp())) {
    // The download link is only for systems that need it.
    form.LTelechargement.SetVisible(false);
    return;
  }
  MessageBoxW(host_.Handle(), Widen(kHtmlHelpTooOld).c_str(), L"Korvane", MB_OK | MB_ICONWARNING);
  if (MessageBoxW(host_.Handle(), Widen(kHtmlHelpDownloadQuestion).c_str(),
                  Widen(kHtmlHelpDownloadTitle).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES)
    OpenWithShell(kHtmlHelpDownloadUrl);
}

void TfMainMem::BindAboutLinks() {
  constexpr ui::Color kHover = 0x0000FF, kLink = 0xFF0000, kPressed = 0xFFFFFF;
  const auto paint = [](ui::Label& label, ui::Color color) {
    ui::Font font = label.GetFont();
    font.color = color;
    label.SetFont(font);
  };
  for (ui::Label* link : {&form.InfoLabel4, &form.Label11, &form.LTelechargement, &form.Label34}) {
    link->OnMouseEnter = [link, paint] { paint(*link, kHover); };
    link->OnMouseLeave = [link, paint] { paint(*link, kLink); };
  }
  for (ui::Label* link : {&form.InfoLabel4, &form.Label11})
    link->OnMouseDown = [link, paint](ui::MouseButton, int, int) { paint(*link, kPressed); };
  form.InfoLabel4.OnClick = [] { OpenWithShell(kMakerSite); };
  form.Label11.OnClick = [] {
    ShellExecuteW(nullptr, L"Open", Widen(MakerMailLink(ProgramFileVersion())).c_str(), L"", L"",
                  SW_SHOWNORMAL);
  };
  form.LTelechargement.OnClick = [] { OpenWithShell(kHtmlHelpDownloadUrl); };
  form.Label34.OnClick = [] { OpenWithShell(kDonationPage); };
}

void TfMainMem::BindHandlers() {
  recovery_->Bind();
  BindPassKeyboard();
  monitoring_->Bind();
  swatches_->Bind();
  infoPage_->Bind();
  form.BtnPressePapier.OnClick = [this] { recovery_->EmptyClipboard(); };
  form.ViderLepressepapier1.OnClick = [this] { recovery_->EmptyClipboard(); };
  GlobalHotKey.OnHotKey = [this] { recovery_->StartSeries(); };
  form.HotKey1.OnChange = [this] { HotKey1Change(); };
  form.Btn4.OnClick = [this] { exit_appli(); };
  form.Exit1.OnClick = [this] { exit_appli(); };
  form.Open1.OnClick = [this] { Open1Click(); };
  form.arret1.OnClick = [] { ExitWindowsWithPrivilege(EWX_SHUTDOWN); };
  form.Redemarrer1.OnClick = [] { ExitWindowsWithPrivilege(EWX_REBOOT); };
  form.Fermerlasession1.OnClick = [] { ExitWindowsWithPrivilege(EWX_LOGOFF); };
  tuning_->Bind();
  form.Btn2.OnClick = [this] { settings_->SaveSettings(); };
  host_.OnHelp = [](int context) {
    Win32HelpSystem help;
    bool callHelp = false;
    HtmlHelpHandler(help, HelpFileName(), kHelpContextCommand, static_cast<unsigned long>(context),
                    callHelp);
  };
  form.Btn5.OnClick = [] {
    Win32HelpSystem help;
    ShowHelpContents(help, HelpFileName());
  };
  form.Image9.OnClick = form.Btn5.OnClick;
  BindAboutLinks();
  BindProcessPage();
  form.Btn1.OnClick = [this] { Btn1Click(); };
  host_.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return FormMessage(msg, wParam, lParam, result);
  };

  TrayIcon1.PopupMenu = &form.PopupMenu1;
  TrayIcon1.MinimizeToTray = true;
  TrayIcon1.OnStartup = [](bool& show) { show = true; };
  TrayIcon1.OnDblClick = [this] { Open1Click(); };
  TrayIcon1.OnBalloonHintClick = [this] {
    form.Memoire.SetActivePage(&form.TabSheet1);
    TrayIcon1.SetIconVisible(true);
    ShowWindow(host_.Handle(), SW_RESTORE);
    SetForegroundWindow(host_.Handle());
  };
  form.Memoire.SetContextMenu(&form.PopupMenu1);

  host_.OnCloseQuery = [this] { return FormCloseQuery(); };
  host_.OnUserMessage = [this](WPARAM, LPARAM) { WMUser(); };
  host_.OnQueryEndSession = [this] {
    WMQueryEndSession();
    FormCloseQuery();  // the ordinary query; the session may end whatever it answers
    return true;
  };
  host_.OnEndSession = [](bool) { ExitProcess(0); };
}

void TfMainMem::BindProcessPage() {
  processSystem_ = MakeWin32ProcessSystem();
  processView_ = std::make_unique<ProcessView>(
      ProcessViewControls{form.gbProcessus, form.Grid, form.CloseProcess1}, *processSystem_);
  processView_->AskWarning = [this](const std::string& caption, const std::string& text) {
    return MessageBoxW(host_.Handle(), Widen(text).c_str(), Widen(caption).c_str(),
                       MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) == IDYES;
  };
  processView_->ShowMessage = [this](const std::string& text) {
    MessageBoxW(host_.Handle(), Widen(text).c_str(), Widen(kCaption).c_str(), MB_OK);
  };
  form.Btn7.OnClick = [this] { processView_->Btn7Click(); };
  form.ListedesProcessus1.OnClick = [this] { processView_->Refresh1Click(); };
  form.Modules2.OnClick = [this] { processView_->Modules1Click(); };
  form.Threads1.OnClick = [this] { processView_->Threads1Click(); };
  form.CloseProcess1.OnClick = [this] { processView_->Closeprocess1Click(); };
  // The page builds its list each time it is shown.
  form.Memoire.OnChange = [this, before = form.Memoire.OnChange] {
    if (before) before();
    if (form.Memoire.ActivePage() == &form.TabSheet6) processView_->TabSheet6Show();
  };
}

void TfMainMem::Btn1Click() {
  NetDirect1.reset();
  NetDirect1 = std::make_unique<TNetDirect>();
  NetDirect1->SetTitle("Korvane News");
  NetDirect1->URL = NewsURL();
  NetDirect1->ShowDialog();
}

HWND TfMainMem::hotKeyWindow() const {
  return hotKeyPeer_ ? hotKeyPeer_->Window() : nullptr;
}

WPARAM TfMainMem::hotKeyId() const {
  return hotKeyPeer_ ? hotKeyPeer_->Id() : 0;
}

void TfMainMem::HotKey1Change() {
  if (hotKeyHelp_.empty()) hotKeyHelp_ = form.Label28.Caption();
  if (GlobalHotKey.SetShortCut(form.HotKey1.HotKey())) {
    form.Label28.SetCaption(hotKeyHelp_);
    form.Label28.SetFont({});
  } else {
    // Another program holds this combination: say so where the user just typed it.
    form.Label28.SetCaption("-> Combinaison déjà utilisée par un autre programme.");
    ui::Font warning;
    warning.color = 0x0000C0;
    form.Label28.SetFont(warning);
  }
}

void TfMainMem::BindPassKeyboard() {
  // The focused "Optimiser" is disabled under the user's hands when a pass starts: the keyboard
  // goes to "Annuler" for the pass, and back afterwards.
  engine_.OnBeforeDefrag = [this, before = engine_.OnBeforeDefrag](TKVNMaxMem& sender) {
    before(sender);
    FocusCommand(form.BitBtn3);
  };
  engine_.OnAfterDefrag = [this, after = engine_.OnAfterDefrag](TKVNMaxMem& sender) {
    after(sender);
    FocusCommand(form.BitBtn1);
  };
}

UINT TfMainMem::OptimiseMessage() {
  static const UINT message = RegisterWindowMessageW(L"Korvane.Optimiser");
  return message;
}

void TfMainMem::AcceptMessagesFromLowerRights() {
  // A copy run as administrator still hears a second copy or a script started without: the
  // messages they post carry no data.
  using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
  auto change = reinterpret_cast<ChangeFilter>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilter")));
  constexpr DWORD kAllow = 1;  // MSGFLT_ADD
  if (!change) return;
  change(WM_USER, kAllow);
  change(OptimiseMessage(), kAllow);
}

bool TfMainMem::FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == OptimiseMessage() && msg != 0) {
    if (wParam > 0)
      recovery_->StartSeries(static_cast<int>(std::min<WPARAM>(wParam, 1u << 20)));
    else
      recovery_->StartSeries();
    result = 0;
    return true;
  }
  if (msg == kAfterFirstShowing) {
    // The processor page and the MMX check: identifying the processor pins a thread to each
    // processor and measures its clock, which the first showing can do without.
    ReadProcessor();
    result = 0;
    return true;
  }
  // FormShow and FormActivate: the topmost state is applied again each time.
  if ((msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) ||
      (msg == WM_SHOWWINDOW && wParam != FALSE)) {
    tuning_->SetStayOnTop(form.CheckBox2.Checked());
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
    if (recovery_->Optimising()) recovery_->AnnulRam();
  } else {
    return false;
  }
  result = 0;
  return true;
}

void TfMainMem::FocusCommand(const ui::Button& button) {
  // Only while this window is the active one, shown: another program's focus is never taken, a
  // hidden window never activated. Its focus may be nowhere: disabling the focused button (the
  // one just pressed) leaves it so.
  const HWND main = host_.Handle();
  const HWND focus = GetFocus();
  if (GetActiveWindow() != main || !IsWindowVisible(main)) return;
  if (focus && focus != main && !IsChild(main, focus)) return;
  if (HWND target = ui::win32::FormHost::WindowOf(button)) SetFocus(target);
}

void TfMainMem::HideToTray() {
  TrayIcon1.SetEnabled(true);
  TrayIcon1.HideMainWindow();
  TrayIcon1.HideTaskbarButton();
  TrayIcon1.SetIconVisible(true);
}

void TfMainMem::Open1Click() {
  TrayIcon1.ShowMainWindow();
  form.Memoire.SetActivePage(&form.TabSheet1);
  TrayIcon1.SetIconVisible(true);
  ShowWindow(host_.Handle(), IsIconic(host_.Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(host_.Handle());
}

void TfMainMem::WMUser() {
  ShowWindow(host_.Handle(), IsIconic(host_.Handle()) ? SW_RESTORE : SW_SHOW);
  TrayIcon1.SetIconVisible(true);
  SetForegroundWindow(host_.Handle());
}

bool TfMainMem::FormCloseQuery() {
  if (exitRequested_) return true;
  TrayIcon1.HideMainWindow();
  TrayIcon1.SetIconVisible(true);
  return false;
}

void TfMainMem::WMQueryEndSession() {
  exitRequested_ = true;
  recovery_->AnnulRam();
  DestroyNetDirect();
  settings_->SaveSettings();
  for (ui::Timer* timer : {&form.Timer1, &form.Timer2, &form.Timer3, &form.Timer4, &form.Timer5})
    timer->SetEnabled(false);
}

void TfMainMem::exit_appli() {
  recovery_->AnnulRam();
  settings_->SaveSettings();
  exitRequested_ = true;
  TrayIcon1.SetIconVisible(false);
  engine_.StopDefrag();
  DestroyNetDirect();
  ShowWindow(host_.Handle(), SW_HIDE);
  // The window is destroyed once the message loop has ended: a pass that is still releasing its
  // blocks finishes first (its message pump puts the quit request back).
  PostQuitMessage(0);
}

void TfMainMem::DestroyNetDirect() {
  // The news window goes at once; the object itself outlives the message loop, since the exit may
  // come from one of its own handlers (the fault report), still running on the stack.
  if (!NetDirect1) return;
  if (HWND dialog = NetDirect1->Dialog().Handle()) ShowWindow(dialog, SW_HIDE);
  retiredNews_.push_back(std::move(NetDirect1));
}

int TfMainMem::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) host_.ProcessMessage(msg);
  // The timers stop with their window when this object goes; the load source closes now.
  ProcessLoadSampler().StopLoadSampling();
  Win32HelpSystem::CloseAll();
  retiredNews_.clear();  // with any download still in flight
  return 0;
}

void TfMainMem::StopTimers() {
  for (ui::Timer* timer :
       {&form.Timer1, &form.Timer2, &form.Timer3, &form.Timer4, &form.Timer5, &form.Timer6})
    timer->SetEnabled(false);
}

FaultFacts TfMainMem::CurrentFaultFacts() {
  FaultFacts facts;
  facts.windowsName = WindowsName(CurrentWindowsRelease());
  facts.servicePackText =
      ServicePackText(ServicePackNumber(CurrentWindowsRelease(), SystemReleaseSource()));
  facts.freeMemoryBytes = engine_.FreeMemory();
  facts.totalMemoryBytes = engine_.TotalMemory();
  facts.swapFileUsageMB = engine_.SwapFileUsageMB();
  facts.totalSwapFileSizeMB = engine_.TotalSwapFileSize();
  return facts;
}

void TfMainMem::KVNApplicationException(std::exception_ptr error) {
  faultReport_->KVNApplicationException(DescribeError(error), LogFileName());
}

}  // namespace kvn
