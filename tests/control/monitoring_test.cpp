#include "control/monitoring.h"

#include <gtest/gtest.h>

#include <deque>

#include "fakes/fake_memory_service.h"

namespace kvn {
namespace {

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

TEST(MonitoringTexts, UptimeSplitsTheTickCount) {
  struct Case {
    std::uint32_t ticks;
    const char* text;
  } cases[] = {
      {90061000u, "PC démarré depuis : 1 jours 1 heures 1 minutes 1 secondes"},
      {0u, "PC démarré depuis : 0 jours 0 heures 0 minutes 0 secondes"},
      {999u, "PC démarré depuis : 0 jours 0 heures 0 minutes 0 secondes"},
      {4294967295u, "PC démarré depuis : 49 jours 17 heures 2 minutes 47 secondes"},
  };
  for (const auto& c : cases) EXPECT_EQ(UptimeText(c.ticks), c.text) << c.ticks;
}

TEST(MonitoringTexts, TrayColourThresholds) {
  struct Case {
    int percent;
    ui::Color color;
  } cases[] = {{0, 0x0000FF},  {10, 0x0000FF}, {11, 0x00B1FD}, {24, 0x00B1FD}, {25, 0x00FFFF},
               {34, 0x00FFFF}, {35, 0x03FAC9}, {49, 0x03FAC9}, {50, 0x00FF00}, {100, 0x00FF00}};
  for (const auto& c : cases) EXPECT_EQ(TrayColorFor(c.percent), c.color) << c.percent;
}

TEST(MonitoringTexts, TimeSpanAndSpeedPresets) {
  struct Case {
    unsigned interval;
    const char* text;
    int preset;
  } cases[] = {{2000, " 120 s", 0}, {1000, " 60 s", 1}, {500, " 30 s", 2}, {750, " 45 s", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(CalculTempsText(c.interval), c.text) << c.interval;
    EXPECT_EQ(SpeedPresetFor(c.interval), c.preset) << c.interval;
  }
}

TEST(DisplayTick, ShowsFreeMemoryInBothTrayModes) {
  struct Case {
    int mode;
    const char* panel0;
    const char* tray;
  } cases[] = {{0, " 25 %", "65535|25%"}, {1, " 128 Mo.", "65535|128"}};
  for (const auto& c : cases) {
    Window w;
    w.options.trayMode = c.mode;
    w.monitoring->Timer1Timer();
    EXPECT_EQ(w.monitoring->FreePercent(), 25);
    EXPECT_EQ(w.Gauge1.Progress(), 25);
    EXPECT_EQ(w.Panel(0), c.panel0);
    EXPECT_EQ(w.traySets, std::vector<std::string>{c.tray});
    EXPECT_EQ(w.trayHint, "RAM Libre : 128 Mo sur 512 Mo RAM Installée");
    EXPECT_EQ(w.InfoLabel3.Caption(), "128 Mo / 512 Mo.");
    EXPECT_EQ(w.PBSwap.Progress(), 25);
    EXPECT_EQ(w.LSwap.Caption(), "128 Mo / 512 Mo.");
    ASSERT_EQ(w.plots.size(), 1u);
    EXPECT_EQ(w.plots[0], (std::array<int, 4>{25, 0, 0, 35}));
  }
}

TEST(DisplayTick, TrayRedrawnOnlyWhenFreeMemoryChanges) {
  Window w;
  w.monitoring->Timer1Timer();
  w.monitoring->Timer1Timer();
  EXPECT_EQ(w.traySets.size(), 1u);
  EXPECT_EQ(w.plots.size(), 2u);  // the chart and the gauges go on every tick
  w.memory.status.availPhys = 200 * kMB;
  w.monitoring->Timer1Timer();
  ASSERT_EQ(w.traySets.size(), 2u);
  EXPECT_EQ(w.traySets[1], std::to_string(0x03FAC9) + "|39%");
}

TEST(DisplayTick, LargeAmountsAreNeverCut) {
  // Hint and panel 0 show the whole figure; the 16 x 16 tray image switches to gigabytes once
  // the figure has six digits.
  struct Case {
    std::uint64_t totalMB, freeMB;
    const char* panel0;
    const char* tray;
    const char* hint;
  } cases[] = {
      {16384, 12288, " 12288 Mo.", "12288", "RAM Libre : 12288 Mo sur 512 Mo RAM Installée"},
      {131072, 99999, " 99999 Mo.", "99999", "RAM Libre : 99999 Mo sur 512 Mo RAM Installée"},
      {262144, 131072, " 131072 Mo.", "128G", "RAM Libre : 131072 Mo sur 512 Mo RAM Installée"},
  };
  for (const auto& c : cases) {
    Window w;
    w.memory.status.totalPhys = c.totalMB * kMB;
    w.memory.status.availPhys = c.freeMB * kMB;
    w.options.trayMode = 1;
    w.monitoring->Timer1Timer();
    w.monitoring->Timer1Timer();
    EXPECT_EQ(w.Panel(0), c.panel0);
    ASSERT_EQ(w.traySets.size(), 1u) << c.freeMB;
    EXPECT_EQ(w.traySets[0].substr(w.traySets[0].find('|') + 1), c.tray);
    EXPECT_EQ(w.trayHint, c.hint);
    EXPECT_EQ(w.InfoLabel3.Caption(), std::to_string(c.freeMB) + " Mo / 512 Mo.");
  }
}

TEST(MonitoringTexts, TrayTextInMegabyteMode) {
  struct Case {
    std::int64_t freeMB;
    const char* text;
  } cases[] = {{0, "0"},           {99999, "99999"},   {100000, "98G"},     {102912, "100G"},
               {131072, "128G"},   {1048576, "1024G"}, {10239487, "9999G"}, {10240000, "10T"},
               {104857600, "100T"}};
  for (const auto& c : cases) EXPECT_EQ(TrayFreeMBText(c.freeMB), c.text) << c.freeMB;
}

TEST(DisplayTick, ClipboardCommandsFollowTheClipboard) {
  Window w;
  w.clipboard.hasContent = true;
  w.monitoring->Timer1Timer();
  EXPECT_TRUE(w.BtnPressePapier.Enabled());
  EXPECT_TRUE(w.ViderLepressepapier1.Enabled);
  w.clipboard.fails = true;
  w.monitoring->Timer1Timer();
  EXPECT_FALSE(w.BtnPressePapier.Enabled());
  EXPECT_FALSE(w.ViderLepressepapier1.Enabled);
  EXPECT_EQ(w.log, std::vector<std::string>{"Problème lors de la gestion du presse-papiers"});
}

TEST(LoadTick, MeanLoadSinceStart) {
  Window w;
  w.ticks = 90061000u;
  w.loads.values = {10, 30};
  w.monitoring->Timer2Timer();
  EXPECT_EQ(w.LoadGauge2.Progress(), 10);
  w.monitoring->Timer2Timer();
  EXPECT_EQ(w.LoadGauge2.Progress(), 20);
  EXPECT_EQ(w.LoadGauge1.Progress(), 30);
  EXPECT_EQ(w.Panel(1), " 30 %");
  EXPECT_EQ(w.monitoring->LoadSampleCount(), 3);
  EXPECT_EQ(w.Label_uptime.Caption(), "PC démarré depuis : 1 jours 1 heures 1 minutes 1 secondes");
  EXPECT_FALSE(w.Cpu2Bar.Visible());
}

TEST(LoadTick, WithNoLoadSourceTheLoadsReadZeroAndTheFailureIsLoggedOnce) {
  Window w;
  w.loads.count = 2;
  w.loads.values = {40, 60};
  w.monitoring->Timer2Timer();
  EXPECT_EQ(w.Panel(1), " 50 %");
  w.loads.fails = true;
  for (int i = 0; i < 3; ++i) w.monitoring->Timer2Timer();
  EXPECT_EQ(w.log, std::vector<std::string>{"Can't collect the processor performance data"});
  const ProcessorLoads& loads = w.monitoring->Loads();
  EXPECT_EQ(loads.CpuLoad0 + loads.CpuLoad1 + loads.CpuLoadAverage, 0) << "no frozen values";
  EXPECT_EQ(w.Panel(1), " 0 %");
  EXPECT_EQ(w.LoadGauge1.Progress(), 0);
  EXPECT_EQ(w.Cpu2Bar.Progress(), 0);
  EXPECT_TRUE(w.Cpu2Bar.Visible());
  EXPECT_EQ(w.LoadGauge2.Progress(), 12) << "mean of 50, 0, 0, 0";
  w.loads.fails = false;
  w.loads.values = {20, 20};
  w.monitoring->Timer2Timer();  // a source that answers again is used again
  EXPECT_EQ(w.Panel(1), " 20 %");
  w.loads.fails = true;
  w.monitoring->Timer2Timer();
  EXPECT_EQ(w.log.size(), 2u) << "a new failure after a good reading is logged again";
}

TEST(LoadTick, TheAverageIsThatOfEveryProcessor) {
  Window w;
  w.loads.count = 4;
  w.loads.values = {40, 0, 30, 90};
  w.monitoring->Timer2Timer();
  EXPECT_TRUE(w.Cpu2Bar.Visible());
  EXPECT_EQ(w.Cpu2Bar.Progress(), 30);
  EXPECT_EQ(w.LoadGauge1.Progress(), 40);
  EXPECT_EQ(w.Panel(1), " 40 %");
  EXPECT_EQ(w.monitoring->Loads().CpuLoadAverage, 40);
}

TEST(AlarmRule, StartsOrWaitsByLoad) {
  struct Case {
    int freeMB;  // of 512
    int load;
    bool alarmOn;
    bool starts;
    const char* panel2;
  } cases[] = {
      {154, 10, true, true, " Quantité récupérée : 0 Mo"},  // 30 % free, under 35
      {154, 20, true, false, "Alarme RAM , Charge CPU trop haute! Optimisation en attente."},
      {256, 10, true, false, " "},  // 50 % free: above the alarm
      {154, 10, false, false, "unchanged"},
  };
  for (const auto& c : cases) {
    Window w;
    w.CheckBox3.SetChecked(c.alarmOn);
    w.StatusBar.SetPanelText(2, "unchanged");
    w.memory.status.availPhys = static_cast<std::uint64_t>(c.freeMB) * kMB;
    w.loads.values = {c.load};
    w.monitoring->Timer1Timer();
    w.monitoring->Timer2Timer();
    w.monitoring->Timer3Timer();
    EXPECT_EQ(w.memory.commitCalls, c.starts ? 1 : 0) << c.freeMB << "/" << c.load;
    EXPECT_EQ(w.Panel(2), c.panel2) << c.freeMB << "/" << c.load;
  }
}

TEST(Rules, AnUnknownLoadHoldsBothRulesBack) {
  // Memory under the alarm, a maximum load of 15 and a load that reads 0 however it is read.
  struct Case {
    const char* what;
    bool fails, known, answersAgain;
    bool starts;
    const char* alarmPanel2;
  } cases[] = {
      {"a source that answers", false, true, false, true, " Quantité récupérée : 0 Mo"},
      {"no source answers", true, true, false, false,
       "Alarme RAM , Charge CPU inconnue! Optimisation en attente."},
      {"a sampler with no source", false, false, false, false,
       "Alarme RAM , Charge CPU inconnue! Optimisation en attente."},
      {"a source that answers again", true, true, true, true, " Quantité récupérée : 0 Mo"},
  };
  for (const auto& c : cases) {
    for (const bool periodic : {false, true}) {
      Window w;
      w.memory.status.availPhys = 100 * kMB;  // 19 % free, under the alarm
      w.monitoring->Timer1Timer();
      w.loads.fails = c.fails;
      w.loads.known = c.known;
      w.monitoring->Timer2Timer();
      if (c.answersAgain) {
        w.loads.fails = false;
        w.monitoring->Timer2Timer();
      }
      EXPECT_EQ(w.Panel(1), " 0 %") << c.what << ": the display shows 0 all the same";
      EXPECT_EQ(w.monitoring->LoadKnown(), c.starts) << c.what;
      if (periodic)
        w.monitoring->Timer5Timer();
      else
        w.monitoring->Timer3Timer();
      EXPECT_EQ(w.memory.commitCalls, c.starts ? 1 : 0) << c.what << (periodic ? ", periodic" : "");
      if (!periodic) {
        EXPECT_EQ(w.Panel(2), c.alarmPanel2) << c.what;
      }
    }
  }
}

TEST(Rules, HeldBackWhileAPassRuns) {
  // A rule that fires during the first pass of a series of two neither starts a pass of its own
  // nor restarts the series: two passes, and a total that counts both.
  struct Case {
    const char* rule;
    const char* panel2;  // what the rule leaves while the pass runs
  } cases[] = {{"alarm", " "}, {"periodic", " optimisation en cours ... %"}};
  for (const auto& c : cases) {
    Window w;
    w.memory.status.availPhys = 100 * kMB;  // 19 % free, under the alarm
    w.monitoring->Timer1Timer();
    w.options.manualAmountMB = 3;
    w.options.repetitions = 2;
    std::string during;
    int pumps = 0;
    w.memory.onPump = [&] {
      w.memory.status.availPhys += kMB;
      if (pumps++ != 0) return;
      if (std::string(c.rule) == "alarm")
        w.monitoring->Timer3Timer();
      else
        w.monitoring->Timer5Timer();
      during = w.Panel(2);
    };
    w.BitBtn1.Click();
    EXPECT_EQ(w.memory.commitCalls, 6) << c.rule;
    EXPECT_EQ(w.recovery->RecoveredTotalMB(), 12) << c.rule;  // 1 MB a drain, 2 a block
    EXPECT_EQ(during, c.panel2) << c.rule;
  }
}

TEST(Rules, TimersHaveTheirIntervalsAndTheStartUpRecoveryRunsOnce) {
  for (bool recoverAtStart : {false, true}) {
    Window w;
    w.monitoring->SetUpTimers(500);
    for (ui::Timer* t : {&w.Timer1, &w.Timer2, &w.Timer3, &w.Timer4, &w.Timer5, &w.Timer6})
      EXPECT_FALSE(t->Enabled()) << "all disabled until start-up ends";
    w.monitoring->Start(recoverAtStart);
    const unsigned intervals[] = {500, 500, 30000, 10000, 5000};
    ui::Timer* timers[] = {&w.Timer1, &w.Timer2, &w.Timer3, &w.Timer4, &w.Timer6};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(timers[i]->Interval(), intervals[i]) << i;
    EXPECT_TRUE(w.Timer3.Enabled());
    EXPECT_EQ(w.Timer4.Enabled(), recoverAtStart);
    EXPECT_FALSE(w.Timer5.Enabled());
    if (!recoverAtStart) continue;
    w.Timer4.Tick();
    EXPECT_FALSE(w.Timer4.Enabled()) << "once only";
    EXPECT_EQ(w.memory.commitCalls, 1);
    EXPECT_EQ(w.Panel(2), " Quantité récupérée : 0 Mo");
  }
}

TEST(PeriodicRule, StartsUnlessTheLoadIsTooHigh) {
  struct Case {
    int load;
    int maxLoad;
    bool starts;
  } cases[] = {{10, 15, true}, {15, 15, true}, {16, 15, false}, {0, 0, true}};
  for (const auto& c : cases) {
    Window w;
    w.loads.values = {c.load};
    w.monitoring->Timer2Timer();
    w.SpinEdit3.SetValue(c.maxLoad);
    w.CheckBox5.SetChecked(true);
    w.Timer5.Tick();
    EXPECT_EQ(w.memory.commitCalls, c.starts ? 1 : 0) << c.load << "/" << c.maxLoad;
    EXPECT_EQ(w.SpinEdit3.Value(), c.maxLoad);
  }
}

TEST(PeriodicRule, AnErrorWhileStartingSetsTheMaximumLoadToZero) {
  Window w;
  w.memory.onPump = [] { throw std::runtime_error("handler"); };
  w.monitoring->Timer5Timer();
  EXPECT_EQ(w.SpinEdit3.Value(), 0);
  EXPECT_FALSE(w.engine.Busy());
}

TEST(PeriodicRule, LowResourcesCancelAndSaySo) {
  Window w;
  w.memory.status.availPageFile = w.memory.status.totalPageFile * 8 / 100;  // 92 % used
  w.CheckBox5.SetChecked(true);
  EXPECT_TRUE(w.Timer5.Enabled());
  EXPECT_EQ(w.Timer5.Interval(), 45u * 60000u);
  w.monitoring->Timer5Timer();
  EXPECT_TRUE(w.monitoring->LowResources());
  EXPECT_EQ(w.memory.commitCalls, 0);
  EXPECT_EQ(w.Panel(2), "Le niveau de ressource est faible.");
  // An idle cancel does not hold the alarm rule back afterwards.
  EXPECT_EQ(w.recovery->PassCount(), 0);
  w.memory.status.availPageFile = w.memory.status.totalPageFile;
  w.monitoring->Timer5Timer();
  EXPECT_EQ(w.memory.commitCalls, 1);
}

TEST(Options, SpinEditsAndSpeedPresets) {
  Window w;
  w.SpinEdit1.SetValue(0);
  EXPECT_EQ(w.SpinEdit1.Value(), 1);
  w.SpinEdit2.StepUp();
  EXPECT_EQ(w.Timer5.Interval(), 50u * 60000u);
  EXPECT_FALSE(w.Timer5.Enabled());
  w.monitoring->SetUpTimers(0);
  EXPECT_EQ(w.Timer1.Interval(), 1000u);
  w.monitoring->Start(false);
  EXPECT_TRUE(w.Normale1.Checked);
  EXPECT_FALSE(w.Timer4.Enabled());
  EXPECT_TRUE(w.Timer6.Enabled());
  w.Basse1.Click();
  EXPECT_EQ(w.Timer2.Interval(), 2000u);
  EXPECT_TRUE(w.Basse1.Checked);
  EXPECT_FALSE(w.Normale1.Checked);
  EXPECT_EQ(w.LabelTemps.Caption(), " 120 s");
  w.Timer6.Tick();
  EXPECT_FALSE(w.Timer6.Enabled());  // once only
  EXPECT_EQ(w.hides, 1);
}

}  // namespace
}  // namespace kvn
