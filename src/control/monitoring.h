#pragma once
// The six timers of the main window: the display and load ticks that keep gauges, labels, the
// tray icon and the chart alive, the alarm and periodic rules, the recovery after start-up and
// the hiding into the notification area.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/clipboard.h"
#include "control/load_sampler.h"
#include "control/memory_lists.h"
#include "control/recovery.h"
#include "engine/kvn_max_mem.h"
#include "settings/options.h"
#include "ui/components.h"
#include "ui/control.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn {

// "PC démarré depuis : d jours h heures m minutes s secondes" for a tick count in ms.
std::string UptimeText(std::uint32_t tickCount);
// Tray text colour (0x00BBGGRR) for a free-memory percentage.
ui::Color TrayColorFor(int freePercent);
// The tray text in megabyte mode: the figure itself up to five digits, then "nnnG" or "nnT".
std::string TrayFreeMBText(std::int64_t freeMB);
// " %d s": the time span the chart covers at a sampling interval (301 samples, 60 per minute).
std::string TimeSpanText(unsigned intervalMs);
// The speed preset item (0 Basse, 1 Normale, 2 Haute) checked for a sampling interval: the one of
// its choice (settings/option_table.h), the default's for any other.
int SpeedPresetFor(unsigned intervalMs);

struct MonitoringControls {
  ui::Gauge& freeMemoryGauge;
  ui::Label& freeMemoryValue;
  ui::Gauge& swapUsageGauge;
  ui::Label& swapUsageValue;
  ui::Gauge& processorLoadGauge;
  ui::Gauge& secondProcessorGauge;
  ui::Gauge& averageLoadGauge;
  ui::Label& uptimeLabel;
  ui::Label& timeSpanValue;
  ui::StatusBar& statusBar;
  ui::Button& emptyClipboardButton;
  ui::MenuItem& emptyClipboardItem;
  ui::SpinEdit& alarmLevelEdit;   // brought back to 1 when set to 0
  ui::SpinEdit& maximumLoadEdit;  // set to 0 when a periodic start fails
  ui::Timer& samplingTimer;
  ui::Timer& loadTimer;
  ui::Timer& alarmTimer;
  ui::Timer& startRecoveryTimer;
  ui::Timer& periodicTimer;
  ui::Timer& hideTimer;
  ui::MenuItem& lowSpeedItem;
  ui::MenuItem& normalSpeedItem;
  ui::MenuItem& highSpeedItem;
};

// What the loop shows outside the window's controls.
struct MonitoringSinks {
  std::function<void(const std::string&)> SetTrayHint;
  // Colour then text, only when free memory changed.
  std::function<void(ui::Color, const std::string&)> SetTrayColorAndText;
  // Free %, load of processor 0, load of the second bar, alarm threshold.
  std::function<void(int, int, int, int)> Plot;
  // The one-time hiding into the notification area after start-up.
  std::function<void()> HideToTray;
  std::function<void(const std::string&)> WriteLog;
  // Milliseconds since Windows started.
  std::function<std::uint32_t()> TickCount;
  // Refreshes the Windows tuning controls on every load tick, when that page is built.
  std::function<void()> ReadMemoryTuning;
  // The memory lists, read on every display tick (nothing where Windows does not count them).
  std::function<MemoryLists()> ReadMemoryLists;
  // Starts a purge of the standby list away from the window's thread.
  std::function<void()> PurgeStandbyList;
  // The excluded program found running (settings/exclusions.h), empty when none: one process
  // snapshot, asked only when an automatic rule is about to start a recovery or a purge.
  std::function<std::string(const std::vector<std::string>& exclusions)> RunningExclusion;
};

class Monitoring {
 public:
  static constexpr unsigned kAlarmInterval = 30000;
  static constexpr unsigned kStartRecoveryInterval = 10000;
  static constexpr unsigned kHideInterval = 5000;

  // The speed menu changes the options' sampling interval; the rules read the others.
  Monitoring(const MonitoringControls& controls, Options& options, MonitoringSinks sinks,
             MemoryEngine& engine, Recovery& recovery, ClipboardService& clipboard,
             ProcessorLoadSource& loads);
  Monitoring(const Monitoring&) = delete;
  Monitoring& operator=(const Monitoring&) = delete;

  // Binds the timers, the speed menu and the status bar's hint.
  void Bind();
  // Start-up: intervals set, every timer disabled (the interval 0 stands for the default).
  void SetUpTimers(unsigned samplingInterval);
  // End of start-up: the sampling timers and the alarm rule run, the speed menu shows the
  // interval, the start-up recovery and the hiding are armed.
  void Start(bool recoverAtStart);

  void OnSampleTick();
  void OnLoadTick();
  void OnAlarmTick();
  void OnStartRecoveryTick();
  void OnPeriodicTick();
  void OnHideTick();
  void SetSpeed(unsigned intervalMs);  // OnLowSpeedClick, OnNormalSpeedClick, OnHighSpeedClick
  void ShowTimeSpan();
  // After the periodic rule, the alarm level or the period changed.
  void OnPeriodicClick();
  void OnAlarmLevelChange();
  void OnPeriodicMinutesChange();
  void StatusBarPanels2HintText();

  std::uint8_t FreePercent() const { return FreePercent_; }
  const ProcessorLoads& Loads() const { return loads_; }
  // False after a tick on which no load source answered: the loads show 0 but hold the
  // load-gated rules back.
  bool LoadKnown() const { return loadKnown_; }
  std::int64_t LoadSampleCount() const { return LoadSampleCount_; }
  const MemoryLists& Lists() const { return lists_; }
  // Whether the program holds the privilege the standby cache rule's purge needs.
  void SetPurgePrivilege(bool held) { purgePrivilege_ = held; }
  bool LowResources() const { return LowResources_; }

 private:
  void UpdateClipboardCommands();
  // While an excluded program runs and the user asked so, the automatic rules hold back and the
  // progress panel says why; true then.
  bool HeldBackByExclusion();
  void ShowSpeed();  // the speed menu's check mark and the chart's time span
  void ApplyStandbyPurgeRule(std::int64_t totalBytes);

  MonitoringControls c_;
  Options& options_;
  MonitoringSinks sinks_;
  MemoryEngine& engine_;
  Recovery& recovery_;
  ClipboardService& clipboard_;
  ProcessorLoadSource& loadSource_;

  std::int64_t FreeBytes_ = 0;
  std::uint8_t FreePercent_ = 0;
  // The free amount the tray was last drawn for; 64-bit, since free memory passes 2 GB today.
  std::int64_t LastShownFree_ = 0;
  ProcessorLoads loads_;
  bool loadKnown_ = true;
  std::int64_t LoadSampleCount_ = 1;
  double LoadSampleSum_ = 0;
  bool LowResources_ = false;
  std::string lastLoadError_;  // the failure last logged, until a reading succeeds again
  MemoryLists lists_;
  StandbyPurgeRule purgeRule_;
  bool purgePrivilege_ = false;
};

}  // namespace kvn
