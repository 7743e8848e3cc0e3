#pragma once
// MainWindow: the main window. It owns the form, every component and the subsystem classes for
// the whole run and binds their handlers in one place (main_window_win32.cpp). Its start-up
// sequence is in startup_win32.cpp, its life and the session's end in window_life_win32.cpp, its
// ties to the fault and crash reports in fault_wiring_win32.cpp.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "chart/chart_colors.h"
#include "chart/chart_swatches.h"
#include "chart/graph_kvn.h"
#include "control/clipboard.h"
#include "control/direct_steps_runner_win32.h"
#include "control/global_hot_key.h"
#include "control/load_sampler_win32.h"
#include "control/monitoring.h"
#include "control/recovery.h"
#include "engine/kvn_max_mem.h"
#include "news/net_direct_win32.h"
#include "processes/process_list.h"
#include "settings/portable_settings_win32.h"
#include "settings/settings_store.h"
#include "settings/windows_tuning.h"
#include "shell/exclusions_dialog_win32.h"
#include "shell/fault_report.h"
#include "shell/main_form.h"
#include "shell/mapi_mail_win32.h"
#include "shell/options_binding.h"
#include "shell/processor_reading_win32.h"
#include "shell/tray_icon.h"
#include "sysinfo/system_info.h"
#include "sysinfo/windows_release.h"
#include "ui/win32/form_host.h"
#include "ui/win32/window_timers.h"

namespace kvn {

class ChartWindow;
class GlobalHotKeyWin32;
class TrayIconWin32;
class Win32MemoryService;
class Win32SystemInfoServices;

class MainWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TfMainMem";
  static constexpr char kCaption[] = "Korvane";

  // places: the program's settings key and the Windows values it changes (tests give their own).
  explicit MainWindow(RegistryPlaces places = {});
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The command line's "/optimiser": the window starts in the notification area and runs one
  // series (of megabytes, or the window's own amount when 0) once started. Before Create.
  void StartHiddenAndOptimise(int megabytes) {
    startHidden_ = true;
    startSeriesMB_ = megabytes;
  }
  // Posted by "korvane.exe /optimiser [Mo]" to the running copy: wParam is the amount, 0 for the
  // window's own.
  static UINT OptimiseMessage();

  // Creates the window and runs the start-up sequence; false when Windows refused the window.
  bool Create();
  HWND Handle() const { return host_.Handle(); }
  // The message loop; returns when the program is asked to quit.
  int Run();

  void ExitApplication();
  // Back from the notification area (double click, "a&Grandir").
  void OnOpenClick();
  // A second copy asked for the window.
  void WMUser();
  // "&Infos directs": a new news component and its dialog, shown.
  void OnNewsClick();
  // "Exclusions...": the programs the direct steps spare, in their dialog; saved on "OK".
  void OnExclusionsClick();
  ExclusionsDialog* exclusionsDialog() const { return exclusions_.get(); }

  // Run once the stored settings are in the controls, before start-up writes them back.
  std::function<void()> OnSettingsLoaded;

  MainForm form;
  // Every user option; the controls of the form show them.
  Options options;
  MemoryEngine& engine() { return engine_; }
  TextTrayIcon trayIcon{"trayIcon"};
  GlobalHotKey globalHotKey{"GlobalHotKey"};
  HistoryChart historyChart;
  MapiMail reportMail;
  std::unique_ptr<NewsFeed> newsFeed;  // made by "&Infos directs"
  // The orderly exit and the end of the session: the news component goes.
  void DestroyNews();
  Recovery& recovery() { return *recovery_; }
  Monitoring& monitoring() { return *monitoring_; }
  InfoPage& infoPage() { return *infoPage_; }
  ProcessView& processView() { return *processView_; }
  bool ExitRequested() const { return exitRequested_; }
  ChartWindow* chartWindow() const { return chartWindow_; }
  // The hidden window that receives the global hot key.
  HWND hotKeyWindow() const;
  WPARAM hotKeyId() const;

 private:
  void InitMainWindow();
  void BindHandlers();
  void HideToTray();
  void BindPassKeyboard();
  void BindProcessPage();
  // The form window's own messages: stay-on-top on show and activation, Enter and Escape.
  bool FormMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void FocusCommand(const ui::Button& button);
  // Windows' high-contrast mode came or went: the chart, its legend and the tray icon follow.
  void FollowHighContrast();
  void OnHotKeyChange();
  // Windows announced new policies: the options, the controls and the tuning follow.
  void PoliciesChanged();
  bool FormCloseQuery();
  void WMQueryEndSession();
  // An exception escaped a handler: the fault report, then the orderly exit.
  void OnUnhandledException(std::exception_ptr error);
  bool Faulted() const { return faultReport_ && faultReport_->Reporting(); }
  // The fault report and the crash report, first of all while the window is built.
  void InstallFaultReport();
  void StopTimers();
  void CheckHtmlHelp();
  // The direct recovery steps, when asked for, away from the window's thread.
  void RunDirectSteps();
  void AcceptMessagesFromLowerRights();
  // The processor page, its logo and the MMX check, once: read on a thread of its own half a
  // second after the first showing (kProcessorRead tells it is done), shown by ReadProcessor, which
  // waits for that reading when it is under way, and reads itself when none was started.
  void StartReadingProcessor();
  void ReadProcessor();
  static constexpr UINT kAfterFirstShowing = WM_APP + 20;
  static constexpr UINT kProcessorRead = WM_APP + 21;
  static constexpr UINT_PTR kProcessorTimer = 0x4B50;  // apart from the form host's own
  static constexpr UINT kProcessorDelayMs = 500;
  void BindAboutLinks();
  FaultFacts CurrentFaultFacts();
  // The settings' keys: korvane.ini's for a portable copy, else the registry's.
  Registry& SettingsRegistry();
  // The options saved, a portable copy's file written once; the line on "Paramètres" says when
  // that failed.
  void SaveSettings();
  IniRegistry* PortableFile() { return portable_ ? &portable_->registry() : nullptr; }
  void ShowWhetherSaved();

  ui::win32::FormHost host_;
  ui::win32::WindowTimers timers_;
  std::unique_ptr<Win32MemoryService> memoryService_;
  MemoryEngine engine_;
  std::unique_ptr<ClipboardService> clipboard_;
  std::unique_ptr<SystemProcessorLoads> loads_;
  // korvane.ini beside the program: the settings' keys live there (null: in the registry). It
  // outlives everything that writes to it.
  std::unique_ptr<PortableSettings> portable_;
  std::unique_ptr<ChartColors> chartColors_;
  std::unique_ptr<ChartSwatches> swatches_;
  std::unique_ptr<Recovery> recovery_;
  std::unique_ptr<Monitoring> monitoring_;
  RegistryPlaces places_;
  std::unique_ptr<WindowsTuning> tuning_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<PolicyLayer> policies_;  // outlives the binding that applies it
  std::unique_ptr<OptionsBinding> binding_;
  const WindowsRelease& release_;  // settled before any window exists
  std::unique_ptr<Win32SystemInfoServices> infoServices_;
  std::unique_ptr<InfoPage> infoPage_;
  std::unique_ptr<TrayIconWin32> trayPeer_;
  std::unique_ptr<ProcessSystem> processSystem_;
  std::unique_ptr<ProcessView> processView_;
  std::unique_ptr<GlobalHotKeyWin32> hotKeyPeer_;
  ChartWindow* chartWindow_ = nullptr;  // owned by its window
  std::int64_t installedRamMB_ = 0;
  bool exitRequested_ = false;
  bool startedUp_ = false;  // the start-up save is done
  std::unique_ptr<FaultReport> faultReport_;
  bool processorRead_ = false;
  std::unique_ptr<ProcessorReading> processorReading_;
  DirectStepsRunner directSteps_;
  StandbyPurger standbyPurger_;
  std::unique_ptr<ExclusionsDialog> exclusions_;        // made by its first opening
  std::vector<std::unique_ptr<NewsFeed>> retiredNews_;  // destroyed after the message loop
  bool startHidden_ = false;
  // The very first start says once, when the window first goes, where Korvane went on running.
  bool firstStartNotice_ = false;
  bool WindowsBalloonsOff() const;
  int startSeriesMB_ = -1;  // a series to run once started: -1 none
  std::string hotKeyHelp_;  // the explanation beside the hot-key editor
};

// Shut-down, restart and log-off with the shut-down privilege enabled for the call.
bool ExitWindowsWithPrivilege(UINT flags);

}  // namespace kvn
