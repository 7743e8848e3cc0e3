#include "control/monitoring.h"

#include <algorithm>

#include "base/rounding.h"
#include "settings/exclusions.h"
#include "settings/option_table.h"

namespace kvn {

namespace {
constexpr int kProgressPanel = 2;
constexpr int kSwapLowPercent = 90;
constexpr unsigned kMinute = 60000;
}  // namespace

std::string UptimeText(std::uint32_t t) {
  const std::uint32_t days = t / 86400000u;
  t -= days * 86400000u;
  const std::uint32_t hours = t / 3600000u;
  t -= hours * 3600000u;
  const std::uint32_t minutes = t / 60000u;
  t -= minutes * 60000u;
  const std::uint32_t seconds = t / 1000u;
  return "PC démarré depuis : " + std::to_string(days) + " jours " + std::to_string(hours) +
         " heures " + std::to_string(minutes) + " minutes " + std::to_string(seconds) + " secondes";
}

ui::Color TrayColorFor(int freePercent) {
  if (freePercent <= 10) return 0x0000FF;  // red
  if (freePercent <= 24) return 0x00B1FD;  // orange
  if (freePercent <= 34) return 0x00FFFF;  // yellow
  if (freePercent <= 49) return 0x03FAC9;  // yellow-green
  return 0x00FF00;                         // green
}

std::string TrayFreeMBText(std::int64_t freeMB) {
  // Five digits is what the 16 x 16 image holds legibly. Beyond, whole gigabytes (then
  // terabytes) with their unit: rounded, never a figure cut short.
  if (freeMB < 100000) return std::to_string(freeMB);
  const std::int64_t gigabytes = RoundHalfEven(static_cast<long double>(freeMB) / 1024.0L);
  if (gigabytes < 10000) return std::to_string(gigabytes) + "G";
  return std::to_string(RoundHalfEven(static_cast<long double>(freeMB) / 1048576.0L)) + "T";
}

std::string TimeSpanText(unsigned intervalMs) {
  const std::uint32_t product = static_cast<std::uint32_t>(intervalMs) * 60u;
  return " " + std::to_string(RoundHalfEven(static_cast<long double>(product) / 1000.0L)) + " s";
}

int SpeedPresetFor(unsigned intervalMs) {
  const OptionRow& row = kSamplingIntervalOption;
  auto found = std::ranges::find(row.choices, static_cast<std::int32_t>(intervalMs));
  if (found == row.choices.end()) found = std::ranges::find(row.choices, row.def);
  return static_cast<int>(found - row.choices.begin());
}

Monitoring::Monitoring(const MonitoringControls& controls, Options& options, MonitoringSinks sinks,
                       MemoryEngine& engine, Recovery& recovery, ClipboardService& clipboard,
                       ProcessorLoadSource& loads)
    : c_(controls),
      options_(options),
      sinks_(std::move(sinks)),
      engine_(engine),
      recovery_(recovery),
      clipboard_(clipboard),
      loadSource_(loads) {}

void Monitoring::Bind() {
  c_.samplingTimer.OnTimer = [this] { OnSampleTick(); };
  c_.loadTimer.OnTimer = [this] { OnLoadTick(); };
  c_.alarmTimer.OnTimer = [this] { OnAlarmTick(); };
  c_.startRecoveryTimer.OnTimer = [this] { OnStartRecoveryTick(); };
  c_.periodicTimer.OnTimer = [this] { OnPeriodicTick(); };
  c_.hideTimer.OnTimer = [this] { OnHideTick(); };
  ui::MenuItem* speeds[] = {&c_.lowSpeedItem, &c_.normalSpeedItem, &c_.highSpeedItem};
  for (std::size_t i = 0; i < std::size(speeds); ++i)
    speeds[i]->OnClick = [this, ms = kSamplingIntervalOption.choices[i]] {
      SetSpeed(static_cast<unsigned>(ms));
    };
  c_.statusBar.OnPanelHint = [this](int panel) {
    if (panel == kProgressPanel) StatusBarPanels2HintText();
  };
}

void Monitoring::SetUpTimers(unsigned samplingInterval) {
  if (samplingInterval == 0) samplingInterval = static_cast<unsigned>(kSamplingIntervalOption.def);
  const unsigned intervals[] = {
      samplingInterval, samplingInterval, kAlarmInterval, kStartRecoveryInterval, 1000,
      kHideInterval};
  ui::Timer* timers[] = {&c_.samplingTimer,      &c_.loadTimer,     &c_.alarmTimer,
                         &c_.startRecoveryTimer, &c_.periodicTimer, &c_.hideTimer};
  for (int i = 0; i < 6; ++i) {
    timers[i]->SetInterval(intervals[i]);
    timers[i]->SetEnabled(false);
  }
}

void Monitoring::Start(bool recoverAtStart) {
  // The first showing has real figures, not the design's 0 % and 100 % until the first tick.
  OnSampleTick();
  OnLoadTick();
  c_.samplingTimer.SetEnabled(true);
  c_.loadTimer.SetEnabled(true);
  c_.alarmTimer.SetEnabled(true);
  ShowSpeed();
  if (recoverAtStart) c_.startRecoveryTimer.SetEnabled(true);
  c_.hideTimer.SetEnabled(true);
}

void Monitoring::UpdateClipboardCommands() {
  bool offered = false;
  try {
    offered = clipboard_.HasContent();
  } catch (...) {
    if (sinks_.WriteLog) sinks_.WriteLog("Problème lors de la gestion du presse-papiers");
    offered = false;
  }
  c_.emptyClipboardButton.SetEnabled(offered);
  c_.emptyClipboardItem.Enabled = offered;
}

void Monitoring::OnSampleTick() {
  UpdateClipboardCommands();
  FreeBytes_ = engine_.FreeMemory();
  const std::int64_t freeMB = RoundToMB(FreeBytes_);
  // The whole figure wherever there is room for it: cut to five characters, 131,072 MB free
  // would read 13107.
  const std::string freeMBText = std::to_string(freeMB);
  c_.swapUsageGauge.SetProgress(engine_.SwapFileUsage());
  c_.swapUsageValue.SetCaption(std::to_string(engine_.SwapFileUsageMB()) + " Mo / " +
                               std::to_string(engine_.TotalSwapFileSize()) + " Mo.");
  const std::string installed = std::to_string(recovery_.InstalledRamMB());
  lists_ = sinks_.ReadMemoryLists ? sinks_.ReadMemoryLists() : MemoryLists{};
  const std::string listsText = MemoryListsText(lists_);
  if (sinks_.SetTrayHint)
    sinks_.SetTrayHint(TrayTipWithLists(
        "RAM Libre : " + freeMBText + " Mo" + " sur " + installed + " Mo" + " RAM Installée",
        listsText));
  if (listsText != c_.freeMemoryGauge.Hint()) c_.freeMemoryGauge.SetHint(listsText);
  const std::int64_t total = engine_.TotalMemory();
  ApplyStandbyPurgeRule(total);
  // A zero total (a failed status reading) would divide by zero: show 0 % instead.
  const std::int64_t percent =
      total > 0 ? RoundHalfEven(static_cast<long double>(FreeBytes_) / total * 100.0L) : 0;
  FreePercent_ = static_cast<std::uint8_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
  if (sinks_.Plot)
    sinks_.Plot(FreePercent_, loads_.CpuLoad0, loads_.CpuLoad1, options_.alarmPercent);
  c_.freeMemoryGauge.SetProgress(FreePercent_);
  if (FreeBytes_ != LastShownFree_) {
    LastShownFree_ = FreeBytes_;
    const ui::Color color = TrayColorFor(FreePercent_);
    std::string trayText;
    if (options_.trayMode == 1) {
      c_.statusBar.SetPanelText(0, " " + freeMBText + " Mo.");
      trayText = TrayFreeMBText(freeMB);
    } else {
      c_.statusBar.SetPanelText(0, " " + std::to_string(FreePercent_) + " %");
      trayText = std::to_string(FreePercent_) + "%";
    }
    if (sinks_.SetTrayColorAndText) sinks_.SetTrayColorAndText(color, trayText);
  }
  c_.freeMemoryValue.SetCaption(std::to_string(freeMB) + " Mo / " + installed + " Mo.");
}

void Monitoring::ApplyStandbyPurgeRule(std::int64_t totalBytes) {
  StandbyPurgeRule::Facts facts;
  facts.on = options_.purgeStandby;
  facts.thresholdPercent = options_.purgeStandbyPercent;
  facts.alarmPercent = options_.alarmPercent;
  facts.privilegeHeld = purgePrivilege_;
  facts.passRunning = recovery_.Optimising();
  facts.totalBytes = totalBytes;
  facts.lists = lists_;
  facts.nowMs = sinks_.TickCount ? sinks_.TickCount() : 0;
  if (!sinks_.PurgeStandbyList || !purgeRule_.Due(facts)) return;
  // An automatic optimisation too: it waits for the excluded program as the recoveries do. The
  // rule counts the moment as a purge, so the programs are looked for at most once a minute.
  if (HeldBackByExclusion()) return;
  if (sinks_.WriteLog)
    sinks_.WriteLog("Vidage du cache en attente : " + std::to_string(RoundToMB(*lists_.standby)) +
                    " Mo, au-dessus de " + std::to_string(options_.purgeStandbyPercent) + " %");
  sinks_.PurgeStandbyList();
}

void Monitoring::OnLoadTick() {
  if (sinks_.TickCount) c_.uptimeLabel.SetCaption(UptimeText(sinks_.TickCount()));
  try {
    ReadProcessorLoads(loadSource_, loads_);
    lastLoadError_.clear();
    loadKnown_ = loadSource_.LoadKnown();
  } catch (const LoadSamplingError& error) {
    // No load source answers (the sampler has already tried its fallback): the loads read 0
    // rather than freezing at values the rules would go on comparing. Raised further, the error
    // would stop the program; logged on every tick, it would fill the log. Once per failure.
    if (lastLoadError_ != error.what()) {
      lastLoadError_ = error.what();
      if (sinks_.WriteLog) sinks_.WriteLog(lastLoadError_);
    }
    const bool secondBar = loads_.SecondProcessorGaugeVisible;
    loads_ = ProcessorLoads{};
    loads_.SecondProcessorGaugeVisible = secondBar;
    loadKnown_ = false;
  }
  if (loads_.SecondProcessorGaugeVisible) c_.secondProcessorGauge.SetVisible(true);
  c_.secondProcessorGauge.SetProgress(loads_.CpuLoad1);
  c_.processorLoadGauge.SetProgress(loads_.CpuLoad0);
  if (sinks_.ReadMemoryTuning) sinks_.ReadMemoryTuning();
  c_.statusBar.SetPanelText(1, " " + std::to_string(loads_.CpuLoadAverage) + " %");
  LoadSampleSum_ += loads_.CpuLoadAverage / 100.0;
  c_.averageLoadGauge.SetProgress(static_cast<int>(
      RoundHalfEven(static_cast<long double>(LoadSampleSum_) / LoadSampleCount_ * 100.0L)));
  ++LoadSampleCount_;
}

void Monitoring::OnAlarmTick() {
  if (!options_.alarmOn) return;
  const bool belowAlarm = options_.alarmPercent > FreePercent_;
  // A load nobody could read may be high: the rule waits as for one that is.
  const bool loadAllows = loadKnown_ && loads_.CpuLoadAverage <= options_.maximumLoad;
  if (belowAlarm && loadAllows && recovery_.PassCount() == 0 && !recovery_.Optimising()) {
    if (!HeldBackByExclusion()) recovery_.StartSeries();
    return;
  }
  if (belowAlarm && !loadAllows && !recovery_.Optimising())
    c_.statusBar.SetPanelText(
        kProgressPanel, loadKnown_ ? "Alarme RAM , Charge CPU trop haute! Optimisation en attente."
                                   : "Alarme RAM , Charge CPU inconnue! Optimisation en attente.");
  else
    c_.statusBar.SetPanelText(kProgressPanel, " ");
  c_.statusBar.SetGaugePosition(0);
}

void Monitoring::OnStartRecoveryTick() {
  c_.startRecoveryTimer.SetEnabled(false);
  if (!HeldBackByExclusion()) recovery_.RecoverRam();
}

void Monitoring::OnPeriodicTick() {
  LowResources_ = engine_.SwapFileUsage() >= kSwapLowPercent;
  if (LowResources_) {
    recovery_.CancelRecovery();
    c_.statusBar.SetPanelText(kProgressPanel, "Le niveau de ressource est faible.");
    return;
  }
  try {
    if (loadKnown_ && loads_.CpuLoadAverage <= options_.maximumLoad && !recovery_.Optimising() &&
        !HeldBackByExclusion())
      recovery_.StartSeries();
  } catch (...) {
    c_.maximumLoadEdit.SetValue(0);
  }
}

bool Monitoring::HeldBackByExclusion() {
  if (!options_.exclusionsPauseAuto || options_.exclusions.empty() || !sinks_.RunningExclusion)
    return false;
  const std::string running = sinks_.RunningExclusion(options_.exclusions);
  if (running.empty()) return false;
  c_.statusBar.SetPanelText(kProgressPanel, HoldBackText(running));
  return true;
}

void Monitoring::OnHideTick() {
  c_.hideTimer.SetEnabled(false);
  if (sinks_.HideToTray) sinks_.HideToTray();
}

void Monitoring::SetSpeed(unsigned intervalMs) {
  options_.samplingIntervalMs = intervalMs;
  c_.samplingTimer.SetEnabled(false);
  c_.loadTimer.SetEnabled(false);
  c_.samplingTimer.SetInterval(intervalMs);
  c_.loadTimer.SetInterval(intervalMs);
  c_.samplingTimer.SetEnabled(true);
  c_.loadTimer.SetEnabled(true);
  ShowSpeed();
}

void Monitoring::ShowSpeed() {
  // Exactly one preset is checked, the one the sampling interval stands for.
  const int preset = SpeedPresetFor(c_.samplingTimer.Interval());
  c_.lowSpeedItem.Checked = preset == 0;
  c_.normalSpeedItem.Checked = preset == 1;
  c_.highSpeedItem.Checked = preset == 2;
  ShowTimeSpan();
}

void Monitoring::ShowTimeSpan() {
  c_.timeSpanValue.SetCaption(TimeSpanText(c_.samplingTimer.Interval()));
}

void Monitoring::OnPeriodicClick() {
  if (options_.periodicOn) {
    c_.periodicTimer.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
    c_.periodicTimer.SetEnabled(true);
  } else {
    c_.periodicTimer.SetEnabled(false);
  }
}

void Monitoring::OnAlarmLevelChange() {
  if (options_.alarmPercent <= 0) c_.alarmLevelEdit.SetValue(1);
}

void Monitoring::OnPeriodicMinutesChange() {
  c_.periodicTimer.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
}

void Monitoring::StatusBarPanels2HintText() {
  c_.statusBar.SetGaugePosition(0);
  c_.statusBar.SetPanelText(kProgressPanel, " ");
}

}  // namespace kvn
