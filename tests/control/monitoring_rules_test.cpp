// The load-gated rules of the monitoring loop: the alarm, the periodic recovery and the start-up
// recovery, against the load and a pass under way.
#include "control/monitoring.h"

#include <gtest/gtest.h>

#include "monitoring_fixture.h"

namespace kvn {
namespace {

using test::kMB;
using test::Window;

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
    w.alarmCheck.SetChecked(c.alarmOn);
    w.statusBar.SetPanelText(2, "unchanged");
    w.memory.status.availPhys = static_cast<std::uint64_t>(c.freeMB) * kMB;
    w.loads.values = {c.load};
    w.monitoring->OnSampleTick();
    w.monitoring->OnLoadTick();
    w.monitoring->OnAlarmTick();
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
      w.monitoring->OnSampleTick();
      w.loads.fails = c.fails;
      w.loads.known = c.known;
      w.monitoring->OnLoadTick();
      if (c.answersAgain) {
        w.loads.fails = false;
        w.monitoring->OnLoadTick();
      }
      EXPECT_EQ(w.Panel(1), " 0 %") << c.what << ": the display shows 0 all the same";
      EXPECT_EQ(w.monitoring->LoadKnown(), c.starts) << c.what;
      if (periodic)
        w.monitoring->OnPeriodicTick();
      else
        w.monitoring->OnAlarmTick();
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
    w.monitoring->OnSampleTick();
    w.options.manualAmountMB = 3;
    w.options.repetitions = 2;
    std::string during;
    int pumps = 0;
    w.memory.onPump = [&] {
      w.memory.status.availPhys += kMB;
      if (pumps++ != 0) return;
      if (std::string(c.rule) == "alarm")
        w.monitoring->OnAlarmTick();
      else
        w.monitoring->OnPeriodicTick();
      during = w.Panel(2);
    };
    w.optimiseButton.Click();
    EXPECT_EQ(w.memory.commitCalls, 6) << c.rule;
    EXPECT_EQ(w.recovery->RecoveredTotalMB(), 12) << c.rule;  // 1 MB a drain, 2 a block
    EXPECT_EQ(during, c.panel2) << c.rule;
  }
}

TEST(Rules, TimersHaveTheirIntervalsAndTheStartUpRecoveryRunsOnce) {
  for (bool recoverAtStart : {false, true}) {
    Window w;
    w.loads.values = {40};
    w.monitoring->SetUpTimers(500);
    for (ui::Timer* t : {&w.samplingTimer, &w.loadTimer, &w.alarmTimer, &w.startRecoveryTimer,
                         &w.periodicTimer, &w.hideTimer})
      EXPECT_FALSE(t->Enabled()) << "all disabled until start-up ends";
    w.monitoring->Start(recoverAtStart);
    // Read before the first showing: 128 of 512 MB free, the page file (commit less RAM), the load.
    EXPECT_EQ(w.freeMemoryGauge.Progress(), 25);
    EXPECT_EQ(w.swapUsageValue.Caption(), "128 Mo / 512 Mo.");
    EXPECT_EQ(w.processorLoadGauge.Progress(), 40);
    const unsigned intervals[] = {500, 500, 30000, 10000, 5000};
    ui::Timer* timers[] = {&w.samplingTimer, &w.loadTimer, &w.alarmTimer, &w.startRecoveryTimer,
                           &w.hideTimer};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(timers[i]->Interval(), intervals[i]) << i;
    EXPECT_TRUE(w.alarmTimer.Enabled());
    EXPECT_EQ(w.startRecoveryTimer.Enabled(), recoverAtStart);
    EXPECT_FALSE(w.periodicTimer.Enabled());
    if (!recoverAtStart) continue;
    w.startRecoveryTimer.Tick();
    EXPECT_FALSE(w.startRecoveryTimer.Enabled()) << "once only";
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
    w.monitoring->OnLoadTick();
    w.maximumLoadEdit.SetValue(c.maxLoad);
    w.periodicCheck.SetChecked(true);
    w.periodicTimer.Tick();
    EXPECT_EQ(w.memory.commitCalls, c.starts ? 1 : 0) << c.load << "/" << c.maxLoad;
    EXPECT_EQ(w.maximumLoadEdit.Value(), c.maxLoad);
  }
}

TEST(PeriodicRule, AnErrorWhileStartingSetsTheMaximumLoadToZero) {
  Window w;
  w.memory.onPump = [] { throw std::runtime_error("handler"); };
  w.monitoring->OnPeriodicTick();
  EXPECT_EQ(w.maximumLoadEdit.Value(), 0);
  EXPECT_FALSE(w.engine.Busy());
}

TEST(PeriodicRule, LowResourcesCancelAndSaySo) {
  Window w;
  w.memory.status.availPageFile = w.memory.status.totalPageFile * 8 / 100;  // 92 % used
  w.periodicCheck.SetChecked(true);
  EXPECT_TRUE(w.periodicTimer.Enabled());
  EXPECT_EQ(w.periodicTimer.Interval(), 45u * 60000u);
  w.monitoring->OnPeriodicTick();
  EXPECT_TRUE(w.monitoring->LowResources());
  EXPECT_EQ(w.memory.commitCalls, 0);
  EXPECT_EQ(w.Panel(2), "Le niveau de ressource est faible.");
  // An idle cancel does not hold the alarm rule back afterwards.
  EXPECT_EQ(w.recovery->PassCount(), 0);
  w.memory.status.availPageFile = w.memory.status.totalPageFile;
  w.monitoring->OnPeriodicTick();
  EXPECT_EQ(w.memory.commitCalls, 1);
}

// While an excluded program runs the automatic rules and the standby cache purge wait and say
// why; the programs are looked for only when a rule would start; the user's own recovery still
// runs.
TEST(Rules, AnExcludedProgramRunningHoldsTheAutomaticRulesBack) {
  const struct {
    bool pauseAuto;
    const char* running;
    bool starts;
  } cases[] = {{true, "jeu.exe", false}, {true, "", true}, {false, "jeu.exe", true}};
  for (const auto& c : cases) {
    for (const std::string rule : {"alarm", "periodic", "start-up", "purge"}) {
      Window w;
      w.options.exclusions = {"C:\\Jeux\\jeu.exe"};
      w.options.exclusionsPauseAuto = c.pauseAuto;
      int asked = 0;
      w.running = [&](const std::vector<std::string>&) { return ++asked, std::string(c.running); };
      w.options.purgeStandby = true;
      w.monitoring->SetPurgePrivilege(true);
      w.memory.status.availPhys = 300 * kMB;  // above the alarm: nothing looks
      w.loads.values = {5, 5};
      w.monitoring->OnSampleTick();
      w.monitoring->OnLoadTick();
      w.monitoring->OnAlarmTick();
      w.memory.status.availPhys = 100 * kMB;
      if (rule == "purge") w.lists = {400 * kMB, 10 * kMB, 20 * kMB};  // the purge is due
      w.monitoring->OnSampleTick();
      rule == "alarm"      ? w.monitoring->OnAlarmTick()
      : rule == "periodic" ? w.monitoring->OnPeriodicTick()
      : rule == "start-up" ? w.monitoring->OnStartRecoveryTick()
                           : void();
      const int started = rule == "purge" ? w.purges : w.memory.commitCalls;
      EXPECT_EQ(started, c.starts ? 1 : 0) << rule << " " << c.running;
      EXPECT_EQ(asked, c.pauseAuto ? 1 : 0) << rule;
      EXPECT_EQ(w.Panel(2) == "Optimisation automatique suspendue : jeu.exe en cours", !c.starts);
      const int commits = w.memory.commitCalls;
      w.recovery->RecoverRam();
      EXPECT_EQ(w.memory.commitCalls, commits + 1) << rule;
    }
  }
}

}  // namespace
}  // namespace kvn
