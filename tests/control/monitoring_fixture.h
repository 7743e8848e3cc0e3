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

struct Window {
  Options options;
  ui::TrackBar TrackBar1;
  ui::Label Label4, InfoLabel3, LSwap, Label_uptime, LabelTemps;
  ui::CheckBox CheckBox3, CheckBox5;
  ui::Button BitBtn1, BitBtn3, BtnPressePapier;
  ui::MenuItem RecoverRAM1, Cancel1, ViderLepressepapier1, Basse1, Normale1, Haute1;
  ui::StatusBar StatusBar;
  ui::Gauge Gauge1, PBSwap, LoadGauge1, Cpu2Bar, LoadGauge2;
  ui::SpinEdit SpinEdit1, SpinEdit2, SpinEdit3;
  ui::Timer Timer1, Timer2, Timer3, Timer4, Timer5, Timer6;

  FakeMemoryService memory;
  TKVNMaxMem engine{memory};
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
    options.method = RecoveryMethod::Manual;  // passes of TrackBar1 blocks
    TrackBar1.SetRange(0, 512);
    TrackBar1.SetPosition(1);
    options.manualAmountMB = 1;
    StatusBar.SetPanels({{" 0 %", 36}, {" 100 %", 60}, {" ", 320}});
    SpinEdit1.SetRange(0, 100);
    SpinEdit1.SetValue(35);
    SpinEdit2.SetRange(5, 1440);
    SpinEdit2.SetIncrement(5);
    SpinEdit2.SetValue(45);
    SpinEdit3.SetRange(0, 100);
    SpinEdit3.SetValue(15);
    CheckBox3.SetChecked(true);
    Cpu2Bar.SetVisible(false);
    memory.status.totalPhys = 512 * kMB;
    memory.status.availPhys = 128 * kMB;
    memory.status.totalPageFile = 1024 * kMB;
    memory.status.availPageFile = 768 * kMB;

    recovery = std::make_unique<Recovery>(
        RecoveryControls{TrackBar1, Label4, BitBtn1, BitBtn3, RecoverRAM1, Cancel1, StatusBar},
        options, engine, clipboard, 512);
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
        MonitoringControls{
            Gauge1,     InfoLabel3,   PBSwap,     LSwap,     LoadGauge1,      Cpu2Bar,
            LoadGauge2, Label_uptime, LabelTemps, StatusBar, BtnPressePapier, ViderLepressepapier1,
            SpinEdit1,  SpinEdit3,    Timer1,     Timer2,    Timer3,          Timer4,
            Timer5,     Timer6,       Basse1,     Normale1,  Haute1},
        options, sinks, engine, *recovery, clipboard, loads);
    monitoring->Bind();
    // The option controls, recorded as the options binding records them.
    CheckBox3.OnClick = [this] { options.alarmOn = CheckBox3.Checked(); };
    SpinEdit1.OnChange = [this] {
      options.alarmPercent = SpinEdit1.Value();
      monitoring->SpinEdit1Change();
    };
    CheckBox5.OnClick = [this] {
      options.periodicOn = CheckBox5.Checked();
      monitoring->CheckBox5Click();
    };
    SpinEdit2.OnChange = [this] {
      options.periodicMinutes = SpinEdit2.Value();
      monitoring->SpinEdit2Change();
    };
    SpinEdit3.OnChange = [this] { options.maximumLoad = SpinEdit3.Value(); };
  }
  std::string Panel(int i) const { return StatusBar.PanelText(i); }
};

}  // namespace kvn::test
