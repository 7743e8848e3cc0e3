#include "shell/main_window_win32.h"

#include "../res/resource_ids.h"
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

}  // namespace

TfMainMem::TfMainMem(RegistryPlaces places)
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
  chartColors_ = std::make_unique<ChartColors>(PerfChart1, SettingsRegistry(),
                                               places_.programKey + "\\settings");
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

Registry& TfMainMem::SettingsRegistry() {
  return portable_ ? portable_->registry() : Win32Registry();
}

void TfMainMem::SaveSettings() {
  {
    const IniRegistry::Batch once(PortableFile());
    binding_->SaveSettings();
  }
  ShowWhetherSaved();
}

void TfMainMem::ShowWhetherSaved() {
  form.LPortable.SetVisible(portable_ && portable_->Unsaved());
}

void TfMainMem::RunDirectSteps() {
  if (!options.directSteps) {
    form.StatusBar.SetHint("");
    return;
  }
  const DirectRecoveryResult result =
      directSteps_.Run([this] { return engine_.PumpMessages(); },
                       [](const std::string& line) { WriteLogLine(line); }, options.exclusions);
  form.StatusBar.SetHint(DirectStepsHint(result));
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
    OpenWithShell(MakerMailLink(ProgramFileVersion()), L"open", SW_SHOWNORMAL);
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
  form.BtnExclusions.OnClick = [this] { BtnExclusionsClick(); };
  form.ViderLepressepapier1.OnClick = [this] { recovery_->EmptyClipboard(); };
  GlobalHotKey.OnHotKey = [this] {
    if (!Faulted()) recovery_->StartSeries();
  };
  // While the fault report's box is up the program is on its way out: the tray menu, still
  // reachable then, starts no series.
  form.RecoverRAM1.OnClick = [this, start = form.RecoverRAM1.OnClick] {
    if (!Faulted() && start) start();
  };
  form.Btn4.OnClick = [this] { exit_appli(); };
  form.Exit1.OnClick = [this] { exit_appli(); };
  form.Open1.OnClick = [this] { Open1Click(); };
  // Greyed when a policy forbids them; the check stands for a menu opened before the change.
  const auto shutdown = [this](UINT flags) {
    return [this, flags] {
      if (policies_->Rules().shutdownAllowed) ExitWindowsWithPrivilege(flags);
    };
  };
  form.arret1.OnClick = shutdown(EWX_SHUTDOWN);
  form.Redemarrer1.OnClick = shutdown(EWX_REBOOT);
  form.Fermerlasession1.OnClick = shutdown(EWX_LOGOFF);
  tuning_->Bind();
  binding_->Bind();
  form.Btn2.OnClick = [this] { SaveSettings(); };
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
  const PolicyRules& rules = policies_->Rules();
  if (rules.newsOff) return;  // the button is disabled; a click already on its way does nothing
  NetDirect1.reset();
  NetDirect1 = std::make_unique<TNetDirect>();
  NetDirect1->SetTitle("Korvane News");
  NetDirect1->URL = rules.newsAddress.empty() ? NewsURL() : rules.newsAddress;
  NetDirect1->ShowDialog();
}

void TfMainMem::BtnExclusionsClick() {
  if (!exclusions_) {
    exclusions_ = std::make_unique<TExclusionsDialog>();
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
  exclusions_->Open(Handle(), options.exclusions, options.exclusionsPauseAuto, lock("Exclusions"),
                    lock("ExclusionsPauseAuto"));
}

void TfMainMem::PoliciesChanged() {
  // Until then the start-up's loading reads them; applied before it, the loading would give the
  // options they set the form's defaults instead of the stored values.
  if (!startedUp_) return;
  binding_->PoliciesChanged();
  tuning_->SetReadOnly(policies_->Rules().tuningReadOnly);
}

HWND TfMainMem::hotKeyWindow() const {
  return hotKeyPeer_ ? hotKeyPeer_->Window() : nullptr;
}

WPARAM TfMainMem::hotKeyId() const {
  return hotKeyPeer_ ? hotKeyPeer_->Id() : 0;
}

void TfMainMem::HotKey1Change() {
  if (hotKeyHelp_.empty()) hotKeyHelp_ = form.Label28.Caption();
  if (GlobalHotKey.SetShortCut(options.hotKey)) {
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

}  // namespace kvn
