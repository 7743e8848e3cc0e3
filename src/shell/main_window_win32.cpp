#include "shell/main_window_win32.h"

#include "../res/resource_ids.h"
#include "base/message_box_win32.h"
#include "base/registry_win32.h"
#include "base/shell_open_win32.h"
#include "base/text_win32.h"
#include "control/global_hot_key_win32.h"
#include "engine/memory_service_win32.h"
#include "processes/process_system_win32.h"
#include "shell/crash_report_win32.h"
#include "shell/help_win32.h"
#include "shell/log.h"
#include "shell/tray_icon_win32.h"
#include "sysinfo/system_info_win32.h"
#include "sysinfo/windows_release_win32.h"
#include "ui/win32/high_contrast.h"

namespace kvn {

namespace {

ui::win32::FormStyle MainStyle() {
  ui::win32::FormStyle style;
  style.className = MainWindow::kClassName;
  style.clientWidth = MainForm::kClientWidth;
  style.clientHeight = MainForm::kClientHeight;
  style.iconId = IDI_KORVANE;
  return style;
}

}  // namespace

MainWindow::MainWindow(RegistryPlaces places)
    : host_(form, MainStyle()),
      memoryService_(std::make_unique<Win32MemoryService>()),
      engine_(*memoryService_),
      clipboard_(MakeWin32Clipboard()),
      loads_(std::make_unique<SystemProcessorLoads>(ProcessLoadSampler())),
      places_(std::move(places)),
      release_(CurrentWindowsRelease()) {
  // The pass's pump runs the window's keyboard handling like the main loop.
  memoryService_->SetDispatcher([this](MSG& msg) { host_.ProcessMessage(msg); });
  for (ui::Timer* timer : form.Timers()) timers_.Attach(*timer);
  portable_ = PortableSettingsBeside(places_.programKey);
  chartColors_ = std::make_unique<ChartColors>(historyChart, SettingsRegistry(),
                                               places_.programKey + "\\settings");
  swatches_ = std::make_unique<ChartSwatches>(
      ChartSwatchControls{.backgroundSwatch = form.backgroundSwatch,
                          .gridSwatch = form.gridSwatch,
                          .cpuSwatch = form.cpuSwatch,
                          .ramSwatch = form.ramSwatch,
                          .alarmSwatch = form.alarmSwatch,
                          .cpuLegendMark = form.cpuLegendMark,
                          .ramLegendMark = form.ramLegendMark,
                          .alarmLegendMark = form.alarmLegendMark,
                          .defaultColorsButton = form.defaultColorsButton,
                          .colorDialog = form.colorDialog},
      historyChart, *chartColors_);
}

MainWindow::~MainWindow() {
  // The tray icon and the hot key go before the window they report to.
  hotKeyPeer_.reset();
  trayPeer_.reset();
  ui::SetExceptionHook(nullptr);
  RemoveCrashReport();
}

Registry& MainWindow::SettingsRegistry() {
  return portable_ ? portable_->registry() : Win32Registry();
}

void MainWindow::SaveSettings() {
  {
    const IniRegistry::Batch once(PortableFile());
    binding_->SaveSettings();
  }
  ShowWhetherSaved();
}

void MainWindow::ShowWhetherSaved() {
  form.portableUnsavedLabel.SetVisible(portable_ && portable_->Unsaved());
}

void MainWindow::RunDirectSteps() {
  if (!options.directSteps) {
    form.statusBar.SetHint("");
    return;
  }
  const DirectRecoveryResult result =
      directSteps_.Run([this] { return engine_.PumpMessages(); },
                       [](const std::string& line) { WriteLogLine(line); }, options.exclusions);
  form.statusBar.SetHint(DirectStepsHint(result));
}

void MainWindow::BindAboutLinks() {
  constexpr ui::Color kHover = 0x0000FF, kLink = 0xFF0000, kPressed = 0xFFFFFF;
  const auto paint = [](ui::Label& label, ui::Color color) {
    ui::Font font = label.GetFont();
    font.color = color;
    label.SetFont(font);
  };
  for (ui::Label* link :
       {&form.webSiteLink, &form.mailLink, &form.htmlHelpDownloadLink, &form.contributionLink}) {
    link->OnMouseEnter = [link, paint] { paint(*link, kHover); };
    link->OnMouseLeave = [link, paint] { paint(*link, kLink); };
  }
  for (ui::Label* link : {&form.webSiteLink, &form.mailLink})
    link->OnMouseDown = [link, paint](ui::MouseButton, int, int) { paint(*link, kPressed); };
  form.webSiteLink.OnClick = [] { OpenWithShell(kMakerSite); };
  form.mailLink.OnClick = [] {
    OpenWithShell(MakerMailLink(ProgramFileVersion()), L"open", SW_SHOWNORMAL);
  };
  form.htmlHelpDownloadLink.OnClick = [] { OpenWithShell(kHtmlHelpDownloadUrl); };
  form.contributionLink.OnClick = [] { OpenWithShell(kDonationPage); };
}

void MainWindow::BindHandlers() {
  recovery_->Bind();
  BindPassKeyboard();
  monitoring_->Bind();
  swatches_->Bind();
  infoPage_->Bind();
  form.emptyClipboardButton.OnClick = [this] { recovery_->EmptyClipboard(); };
  form.exclusionsButton.OnClick = [this] { OnExclusionsClick(); };
  form.emptyClipboardItem.OnClick = [this] { recovery_->EmptyClipboard(); };
  globalHotKey.OnHotKey = [this] {
    if (!Faulted()) recovery_->StartSeries();
  };
  // While the fault report's box is up the program is on its way out: the tray menu, still
  // reachable then, starts no series.
  form.optimiseItem.OnClick = [this, start = form.optimiseItem.OnClick] {
    if (!Faulted() && start) start();
  };
  form.quitButton.OnClick = [this] { ExitApplication(); };
  form.quitItem.OnClick = [this] { ExitApplication(); };
  form.openItem.OnClick = [this] { OnOpenClick(); };
  // Greyed when a policy forbids them; the check stands for a menu opened before the change.
  const auto shutdown = [this](UINT flags) {
    return [this, flags] {
      if (policies_->Rules().shutdownAllowed) ExitWindowsWithPrivilege(flags);
    };
  };
  form.shutdownItem.OnClick = shutdown(EWX_SHUTDOWN);
  form.restartItem.OnClick = shutdown(EWX_REBOOT);
  form.logOffItem.OnClick = shutdown(EWX_LOGOFF);
  tuning_->Bind();
  binding_->Bind();
  form.saveButton.OnClick = [this] { SaveSettings(); };
  host_.OnHelp = [](int context) {
    Win32HelpSystem help;
    bool callHelp = false;
    HtmlHelpHandler(help, HelpFileName(), kHelpContextCommand, static_cast<unsigned long>(context),
                    callHelp);
  };
  form.helpButton.OnClick = [] {
    Win32HelpSystem help;
    ShowHelpContents(help, HelpFileName());
  };
  form.helpPicture.OnClick = form.helpButton.OnClick;
  BindAboutLinks();
  BindProcessPage();
  form.newsButton.OnClick = [this] { OnNewsClick(); };
  host_.OnSystemColorsChanged = [this] { FollowHighContrast(); };
  if (ui::win32::HighContrast()) FollowHighContrast();
  host_.OnMessage = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return FormMessage(msg, wParam, lParam, result);
  };

  trayIcon.PopupMenu = &form.trayMenu;
  trayIcon.MinimizeToTray = true;
  trayIcon.OnStartup = [](bool& show) { show = true; };
  trayIcon.OnDblClick = [this] { OnOpenClick(); };
  trayIcon.OnBalloonHintClick = [this] {
    form.pages.SetActivePage(&form.mainPage);
    trayIcon.SetIconVisible(true);
    ShowWindow(host_.Handle(), SW_RESTORE);
    SetForegroundWindow(host_.Handle());
  };
  form.pages.SetContextMenu(&form.trayMenu);

  host_.OnCloseQuery = [this] { return FormCloseQuery(); };
  host_.OnUserMessage = [this](WPARAM, LPARAM) { WMUser(); };
  host_.OnQueryEndSession = [this] {
    WMQueryEndSession();
    FormCloseQuery();  // the ordinary query; the session may end whatever it answers
    return true;
  };
  host_.OnEndSession = [](bool) { ExitProcess(0); };
}

void MainWindow::FollowHighContrast() {
  // Distinct colours of the scheme for the distinct lines, each made to show on its window
  // colour; the second processor shares the first's.
  const ChartPalette scheme{GetSysColor(COLOR_WINDOW),     GetSysColor(COLOR_GRAYTEXT),
                            GetSysColor(COLOR_HIGHLIGHT),  GetSysColor(COLOR_HIGHLIGHT),
                            GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HOTLIGHT)};
  historyChart.SetStandInColors(ui::win32::HighContrast() ? &scheme : nullptr);
  historyChart.Redraw();
  swatches_->ShowColors();
  trayIcon.RefreshTextIcon();
}

void MainWindow::BindProcessPage() {
  processSystem_ = MakeWin32ProcessSystem();
  processView_ =
      std::make_unique<ProcessView>(ProcessViewControls{.processGroup = form.processGroup,
                                                        .processGrid = form.processGrid,
                                                        .endProcessItem = form.endProcessItem},
                                    *processSystem_);
  processView_->AskWarning = [this](const std::string& caption, const std::string& text) {
    return ShowMessageBox(host_.Handle(), text, MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL,
                          caption) == IDYES;
  };
  processView_->ShowMessage = [this](const std::string& text) {
    ShowMessageBox(host_.Handle(), text, MB_OK, kCaption);
  };
  form.refreshProcessesButton.OnClick = [this] { processView_->OnRefreshProcessesClick(); };
  form.processesItem.OnClick = [this] { processView_->OnProcessesClick(); };
  form.modulesItem.OnClick = [this] { processView_->OnModulesClick(); };
  form.threadsItem.OnClick = [this] { processView_->OnThreadsClick(); };
  form.endProcessItem.OnClick = [this] { processView_->OnEndProcessClick(); };
  // The page builds its list each time it is shown.
  form.pages.OnChange = [this, before = form.pages.OnChange] {
    if (before) before();
    if (form.pages.ActivePage() == &form.processPage) processView_->OnProcessPageShow();
  };
}

void MainWindow::OnNewsClick() {
  const PolicyRules& rules = policies_->Rules();
  if (rules.newsOff) return;  // the button is disabled; a click already on its way does nothing
  newsFeed.reset();
  newsFeed = std::make_unique<NewsFeed>();
  newsFeed->SetTitle("Korvane News");
  newsFeed->URL = rules.newsAddress.empty() ? NewsURL() : rules.newsAddress;
  newsFeed->ShowDialog();
}

void MainWindow::OnExclusionsClick() {
  if (!exclusions_) {
    exclusions_ = std::make_unique<ExclusionsDialog>();
    exclusions_->OnAccept = [this](const std::vector<std::string>& entries, bool pauseAuto) {
      options.exclusions = entries;
      options.exclusionsPauseAuto = pauseAuto;
      SaveSettings();
    };
  }
  const auto lock = [this](std::string_view name) {
    const auto table = PolicyTable();
    for (std::size_t i = 0; i < table.size(); ++i)
      if (name == table[i].name && policies_->Locks(i)) return std::string(kSetByAdministrator);
    return std::string();
  };
  exclusions_->Open(Handle(), options.exclusions, options.exclusionsPauseAuto,
                    lock(kExclusionsOption.policy.name),
                    lock(kExclusionsPauseAutoOption.policy.name));
}

void MainWindow::PoliciesChanged() {
  // Until then the start-up's loading reads them; applied before it, the loading would give the
  // options they set the form's defaults instead of the stored values.
  if (!startedUp_) return;
  binding_->PoliciesChanged();
  tuning_->SetReadOnly(policies_->Rules().tuningReadOnly);
}

HWND MainWindow::hotKeyWindow() const {
  return hotKeyPeer_ ? hotKeyPeer_->Window() : nullptr;
}

WPARAM MainWindow::hotKeyId() const {
  return hotKeyPeer_ ? hotKeyPeer_->Id() : 0;
}

void MainWindow::OnHotKeyChange() {
  if (hotKeyHelp_.empty()) hotKeyHelp_ = form.hotKeyExplanation.Caption();
  if (globalHotKey.SetShortCut(options.hotKey)) {
    form.hotKeyExplanation.SetCaption(hotKeyHelp_);
    form.hotKeyExplanation.SetFont({});
  } else {
    // Another program holds this combination: say so where the user just typed it.
    form.hotKeyExplanation.SetCaption("-> Combinaison déjà utilisée par un autre programme.");
    ui::Font warning;
    warning.color = 0x0000C0;
    form.hotKeyExplanation.SetFont(warning);
  }
}

void MainWindow::BindPassKeyboard() {
  // The focused "Optimiser" is disabled under the user's hands when a pass starts: the keyboard
  // goes to "Annuler" for the pass, and back afterwards.
  engine_.OnBeforeDefrag = [this, before = engine_.OnBeforeDefrag](MemoryEngine& sender) {
    before(sender);
    FocusCommand(form.cancelButton);
  };
  engine_.OnAfterDefrag = [this, after = engine_.OnAfterDefrag](MemoryEngine& sender) {
    after(sender);
    FocusCommand(form.optimiseButton);
  };
}

}  // namespace kvn
