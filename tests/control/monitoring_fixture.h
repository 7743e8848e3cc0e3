#pragma once
// The monitoring loop over a window without windows: its controls and options as the form gives
// them at start, a fake memory, scripted loads and what the loop shows outside the controls.
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/monitoring.h"
#include "control/recovery_controls.h"
#include "fakes/fake_memory_service.h"

namespace kvn::test {

constexpr std::uint64_t kMB = 1024 * 1024;

class NoClipboard : public ClipboardService {
 public:
  bool HasContent() override {
    if (fails) throw std::runtime_error("clipboard");
    return hasContent;
  }
  bool Empty() override { return true; }
  bool hasContent = false;
  bool fails = false;
};

// Loads handed out in order, one per usage read.
class ScriptedLoads : public ProcessorLoadSource {
 public:
  int ProcessorCount() override { return count; }
  std::int32_t UsageValue(int) override {
    if (fails) throw LoadSamplingError("Can't collect the processor performance data");
    if (values.empty()) return 0;
    const std::int32_t v = values.front();
    values.pop_front();
    return v;
  }
  bool LoadKnown() override { return known; }
  int count = 1;
  bool fails = false;
  bool known = true;  // false: a sampler with no load source, handing out zeros
  std::deque<std::int32_t> values;
};

struct Window : RecoveryControlSet {
  Options options;
  ui::Label freeMemoryValue, swapUsageValue, uptimeLabel, timeSpanValue;
  ui::CheckBox alarmCheck, periodicCheck;
  ui::Button emptyClipboardButton;
  ui::MenuItem emptyClipboardItem, lowSpeedItem, normalSpeedItem, highSpeedItem;
  ui::Gauge freeMemoryGauge, swapUsageGauge, processorLoadGauge, secondProcessorGauge,
      averageLoadGauge;
  ui::SpinEdit alarmLevelEdit, periodicMinutesEdit, maximumLoadEdit;
  ui::Timer samplingTimer, loadTimer, alarmTimer, startRecoveryTimer, periodicTimer, hideTimer;

  FakeMemoryService memory;
  MemoryEngine engine{memory};
  NoClipboard clipboard;
  ScriptedLoads loads;
  std::unique_ptr<Recovery> recovery;
  std::unique_ptr<Monitoring> monitoring;

  std::vector<std::string> traySets;  // "colour|text" each time the tray was redrawn
  std::string trayHint;
  std::vector<std::string> log;
  std::vector<std::array<int, 4>> plots;
  int hides = 0;
  std::uint32_t ticks = 0;
  MemoryLists lists;  // what the memory lists read as
  int purges = 0;
  // The excluded program the rules find running.
  std::function<std::string(const std::vector<std::string>&)> running = [](auto&) { return ""; };

  Window() {
    options.method = RecoveryMethod::Manual;  // passes of manualAmountTrackBar blocks
    manualAmountTrackBar.SetRange(0, 512);
    manualAmountTrackBar.SetPosition(1);
    options.manualAmountMB = 1;
    statusBar.SetPanels({{" 0 %", 36}, {" 100 %", 60}, {" ", 320}});
    alarmLevelEdit.SetRange(0, 100);
    alarmLevelEdit.SetValue(35);
    periodicMinutesEdit.SetRange(5, 1440);
    periodicMinutesEdit.SetIncrement(5);
    periodicMinutesEdit.SetValue(45);
    maximumLoadEdit.SetRange(0, 100);
    maximumLoadEdit.SetValue(15);
    alarmCheck.SetChecked(true);
    secondProcessorGauge.SetVisible(false);
    memory.status.totalPhys = 512 * kMB;
    memory.status.availPhys = 128 * kMB;
    memory.status.totalPageFile = 1024 * kMB;
    memory.status.availPageFile = 768 * kMB;

    recovery = std::make_unique<Recovery>(Bundle(), options, engine, clipboard, 512);
    recovery->Bind();
    MonitoringSinks sinks;
    sinks.SetTrayHint = [this](const std::string& h) { trayHint = h; };
    sinks.SetTrayColorAndText = [this](ui::Color c, const std::string& t) {
      traySets.push_back(std::to_string(c) + "|" + t);
    };
    sinks.Plot = [this](int a, int b, int c, int d) { plots.push_back({a, b, c, d}); };
    sinks.HideToTray = [this] { ++hides; };
    sinks.WriteLog = [this](const std::string& l) { log.push_back(l); };
    sinks.TickCount = [this] { return ticks; };
    sinks.ReadMemoryLists = [this] { return lists; };
    sinks.PurgeStandbyList = [this] { ++purges; };
    sinks.RunningExclusion = [this](const std::vector<std::string>& e) { return running(e); };
    monitoring = std::make_unique<Monitoring>(
        MonitoringControls{.freeMemoryGauge = freeMemoryGauge,
                           .freeMemoryValue = freeMemoryValue,
                           .swapUsageGauge = swapUsageGauge,
                           .swapUsageValue = swapUsageValue,
                           .processorLoadGauge = processorLoadGauge,
                           .secondProcessorGauge = secondProcessorGauge,
                           .averageLoadGauge = averageLoadGauge,
                           .uptimeLabel = uptimeLabel,
                           .timeSpanValue = timeSpanValue,
                           .statusBar = statusBar,
                           .emptyClipboardButton = emptyClipboardButton,
                           .emptyClipboardItem = emptyClipboardItem,
                           .alarmLevelEdit = alarmLevelEdit,
                           .maximumLoadEdit = maximumLoadEdit,
                           .samplingTimer = samplingTimer,
                           .loadTimer = loadTimer,
                           .alarmTimer = alarmTimer,
                           .startRecoveryTimer = startRecoveryTimer,
                           .periodicTimer = periodicTimer,
                           .hideTimer = hideTimer,
                           .lowSpeedItem = lowSpeedItem,
                           .normalSpeedItem = normalSpeedItem,
                           .highSpeedItem = highSpeedItem},
        options, sinks, engine, *recovery, clipboard, loads);
    monitoring->Bind();
    // The option controls, recorded as the options binding records them.
    alarmCheck.OnClick = [this] { options.alarmOn = alarmCheck.Checked(); };
    alarmLevelEdit.OnChange = [this] {
      options.alarmPercent = alarmLevelEdit.Value();
      monitoring->OnAlarmLevelChange();
    };
    periodicCheck.OnClick = [this] {
      options.periodicOn = periodicCheck.Checked();
      monitoring->OnPeriodicClick();
    };
    periodicMinutesEdit.OnChange = [this] {
      options.periodicMinutes = periodicMinutesEdit.Value();
      monitoring->OnPeriodicMinutesChange();
    };
    maximumLoadEdit.OnChange = [this] { options.maximumLoad = maximumLoadEdit.Value(); };
  }
  std::string Panel(int i) const { return statusBar.PanelText(i); }
};

}  // namespace kvn::test
