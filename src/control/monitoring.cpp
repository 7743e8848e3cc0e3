#include "control/monitoring.h"

#include "base/rounding.h"
#include "settings/exclusions.h"

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

std::string CalculTempsText(unsigned intervalMs) {
  const std::uint32_t product = static_cast<std::uint32_t>(intervalMs) * 60u;
  return " " + std::to_string(RoundHalfEven(static_cast<long double>(product) / 1000.0L)) + " s";
}

int SpeedPresetFor(unsigned intervalMs) {
  if (intervalMs == 2000) return 0;
  if (intervalMs == 500) return 2;
  return 1;
}

Monitoring::Monitoring(const MonitoringControls& controls, Options& options, MonitoringSinks sinks,
                       TKVNMaxMem& engine, Recovery& recovery, ClipboardService& clipboard,
                       ProcessorLoadSource& loads)
    : c_(controls),
      options_(options),
      sinks_(std::move(sinks)),
      engine_(engine),
      recovery_(recovery),
      clipboard_(clipboard),
      loadSource_(loads) {}

void Monitoring::Bind() {
  c_.Timer1.OnTimer = [this] { Timer1Timer(); };
  c_.Timer2.OnTimer = [this] { Timer2Timer(); };
  c_.Timer3.OnTimer = [this] { Timer3Timer(); };
  c_.Timer4.OnTimer = [this] { Timer4Timer(); };
  c_.Timer5.OnTimer = [this] { Timer5Timer(); };
  c_.Timer6.OnTimer = [this] { Timer6Timer(); };
  c_.Basse1.OnClick = [this] { SetSpeed(2000); };
  c_.Normale1.OnClick = [this] { SetSpeed(1000); };
  c_.Haute1.OnClick = [this] { SetSpeed(500); };
  c_.StatusBar.OnPanelHint = [this](int panel) {
    if (panel == kProgressPanel) StatusBarPanels2HintText();
  };
}

void Monitoring::SetUpTimers(unsigned samplingInterval) {
  if (samplingInterval == 0) samplingInterval = kDefaultInterval;
  const unsigned intervals[] = {
      samplingInterval, samplingInterval, kAlarmInterval, kStartRecoveryInterval, 1000,
      kHideInterval};
  ui::Timer* timers[] = {&c_.Timer1, &c_.Timer2, &c_.Timer3, &c_.Timer4, &c_.Timer5, &c_.Timer6};
  for (int i = 0; i < 6; ++i) {
    timers[i]->SetInterval(intervals[i]);
    timers[i]->SetEnabled(false);
  }
}

void Monitoring::Start(bool recoverAtStart) {
  // The first showing has real figures, not the design's 0 % and 100 % until the first tick.
  Timer1Timer();
  Timer2Timer();
  c_.Timer1.SetEnabled(true);
  c_.Timer2.SetEnabled(true);
  c_.Timer3.SetEnabled(true);
  ShowSpeed();
  if (recoverAtStart) c_.Timer4.SetEnabled(true);
  c_.Timer6.SetEnabled(true);
}

void Monitoring::UpdateClipboardCommands() {
  bool offered = false;
  try {
    offered = clipboard_.HasContent();
  } catch (...) {
    if (sinks_.WriteLog) sinks_.WriteLog("Problème lors de la gestion du presse-papiers");
    offered = false;
  }
  c_.BtnPressePapier.SetEnabled(offered);
  c_.ViderLepressepapier1.Enabled = offered;
}

void Monitoring::Timer1Timer() {
  UpdateClipboardCommands();
  FreeBytes_ = engine_.FreeMemory();
  const std::int64_t freeMB = RoundToMB(FreeBytes_);
  // The whole figure wherever there is room for it: cut to five characters, 131,072 MB free
  // would read 13107.
  const std::string freeMBText = std::to_string(freeMB);
  c_.PBSwap.SetProgress(engine_.SwapFileUsage());
  c_.LSwap.SetCaption(std::to_string(engine_.SwapFileUsageMB()) + " Mo / " +
                      std::to_string(engine_.TotalSwapFileSize()) + " Mo.");
  const std::string installed = std::to_string(recovery_.InstalledRamMB());
  lists_ = sinks_.ReadMemoryLists ? sinks_.ReadMemoryLists() : MemoryLists{};
  const std::string listsText = MemoryListsText(lists_);
  if (sinks_.SetTrayHint)
    sinks_.SetTrayHint(TrayTipWithLists(
        "RAM Libre : " + freeMBText + " Mo" + " sur " + installed + " Mo" + " RAM Installée",
        listsText));
  if (listsText != c_.Gauge1.Hint()) c_.Gauge1.SetHint(listsText);
  const std::int64_t total = engine_.TotalMemory();
  ApplyStandbyPurgeRule(total);
  // A zero total (a failed status reading) would divide by zero: show 0 % instead.
  const std::int64_t percent =
      total > 0 ? RoundHalfEven(static_cast<long double>(FreeBytes_) / total * 100.0L) : 0;
  FreePercent_ = static_cast<std::uint8_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
  if (sinks_.Plot)
    sinks_.Plot(FreePercent_, loads_.CpuLoad0, loads_.CpuLoad1, options_.alarmPercent);
  c_.Gauge1.SetProgress(FreePercent_);
  if (FreeBytes_ != LastShownFree_) {
    LastShownFree_ = FreeBytes_;
    const ui::Color color = TrayColorFor(FreePercent_);
    std::string trayText;
    if (options_.trayMode == 1) {
      c_.StatusBar.SetPanelText(0, " " + freeMBText + " Mo.");
      trayText = TrayFreeMBText(freeMB);
    } else {
      c_.StatusBar.SetPanelText(0, " " + std::to_string(FreePercent_) + " %");
      trayText = std::to_string(FreePercent_) + "%";
    }
    if (sinks_.SetTrayColorAndText) sinks_.SetTrayColorAndText(color, trayText);
  }
  c_.InfoLabel3.SetCaption(std::to_string(freeMB) + " Mo / " + installed + " Mo.");
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
  if (sinks_.WriteLog)
    sinks_.WriteLog("Vidage du cache en attente : " + std::to_string(RoundToMB(*lists_.standby)) +
                    " Mo, au-dessus de " + std::to_string(options_.purgeStandbyPercent) + " %");
  sinks_.PurgeStandbyList();
}

void Monitoring::Timer2Timer() {
  if (sinks_.TickCount) c_.Label_uptime.SetCaption(UptimeText(sinks_.TickCount()));
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
    const bool secondBar = loads_.Cpu2BarVisible;
    loads_ = ProcessorLoads{};
    loads_.Cpu2BarVisible = secondBar;
    loadKnown_ = false;
  }
  if (loads_.Cpu2BarVisible) c_.Cpu2Bar.SetVisible(true);
  c_.Cpu2Bar.SetProgress(loads_.CpuLoad1);
  c_.LoadGauge1.SetProgress(loads_.CpuLoad0);
  if (sinks_.ReadMemoryTuning) sinks_.ReadMemoryTuning();
  c_.StatusBar.SetPanelText(1, " " + std::to_string(loads_.CpuLoadAverage) + " %");
  LoadSampleSum_ += loads_.CpuLoadAverage / 100.0;
  c_.LoadGauge2.SetProgress(static_cast<int>(
      RoundHalfEven(static_cast<long double>(LoadSampleSum_) / LoadSampleCount_ * 100.0L)));
  ++LoadSampleCount_;
}

void Monitoring::Timer3Timer() {
  if (!options_.alarmOn) return;
  const bool belowAlarm = options_.alarmPercent > FreePercent_;
  // A load nobody could read may be high: the rule waits as for one that is.
  const bool loadAllows = loadKnown_ && loads_.CpuLoadAverage <= options_.maximumLoad;
  if (belowAlarm && loadAllows && recovery_.PassCount() == 0 && !recovery_.Optimising()) {
    if (!HeldBackByExclusion()) recovery_.StartSeries();
    return;
  }
  if (belowAlarm && !loadAllows && !recovery_.Optimising())
    c_.StatusBar.SetPanelText(
        kProgressPanel, loadKnown_ ? "Alarme RAM , Charge CPU trop haute! Optimisation en attente."
                                   : "Alarme RAM , Charge CPU inconnue! Optimisation en attente.");
  else
    c_.StatusBar.SetPanelText(kProgressPanel, " ");
  c_.StatusBar.SetGaugePosition(0);
}

void Monitoring::Timer4Timer() {
  c_.Timer4.SetEnabled(false);
  if (!HeldBackByExclusion()) recovery_.RecupRam();
}

void Monitoring::Timer5Timer() {
  LowResources_ = engine_.SwapFileUsage() >= kSwapLowPercent;
  if (LowResources_) {
    recovery_.AnnulRam();
    c_.StatusBar.SetPanelText(kProgressPanel, "Le niveau de ressource est faible.");
    return;
  }
  try {
    if (loadKnown_ && loads_.CpuLoadAverage <= options_.maximumLoad && !recovery_.Optimising() &&
        !HeldBackByExclusion())
      recovery_.StartSeries();
  } catch (...) {
    c_.SpinEdit3.SetValue(0);
  }
}

bool Monitoring::HeldBackByExclusion() {
  if (!options_.exclusionsPauseAuto || options_.exclusions.empty() || !sinks_.RunningExclusion)
    return false;
  const std::string running = sinks_.RunningExclusion(options_.exclusions);
  if (running.empty()) return false;
  c_.StatusBar.SetPanelText(kProgressPanel, HoldBackText(running));
  return true;
}

void Monitoring::Timer6Timer() {
  c_.Timer6.SetEnabled(false);
  if (sinks_.HideToTray) sinks_.HideToTray();
}

void Monitoring::SetSpeed(unsigned intervalMs) {
  options_.samplingIntervalMs = intervalMs;
  c_.Timer1.SetEnabled(false);
  c_.Timer2.SetEnabled(false);
  c_.Timer1.SetInterval(intervalMs);
  c_.Timer2.SetInterval(intervalMs);
  c_.Timer1.SetEnabled(true);
  c_.Timer2.SetEnabled(true);
  ShowSpeed();
}

void Monitoring::ShowSpeed() {
  // Exactly one preset is checked, the one the sampling interval stands for.
  const int preset = SpeedPresetFor(c_.Timer1.Interval());
  c_.Basse1.Checked = preset == 0;
  c_.Normale1.Checked = preset == 1;
  c_.Haute1.Checked = preset == 2;
  CalculTemps();
}

void Monitoring::CalculTemps() {
  c_.LabelTemps.SetCaption(CalculTempsText(c_.Timer1.Interval()));
}

void Monitoring::CheckBox5Click() {
  if (options_.periodicOn) {
    c_.Timer5.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
    c_.Timer5.SetEnabled(true);
  } else {
    c_.Timer5.SetEnabled(false);
  }
}

void Monitoring::SpinEdit1Change() {
  if (options_.alarmPercent <= 0) c_.SpinEdit1.SetValue(1);
}

void Monitoring::SpinEdit2Change() {
  c_.Timer5.SetInterval(static_cast<unsigned>(options_.periodicMinutes) * kMinute);
}

void Monitoring::StatusBarPanels2HintText() {
  c_.StatusBar.SetGaugePosition(0);
  c_.StatusBar.SetPanelText(kProgressPanel, " ");
}

}  // namespace kvn
