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
    w.loads.values = {40};
    w.monitoring->SetUpTimers(500);
    for (ui::Timer* t : {&w.Timer1, &w.Timer2, &w.Timer3, &w.Timer4, &w.Timer5, &w.Timer6})
      EXPECT_FALSE(t->Enabled()) << "all disabled until start-up ends";
    w.monitoring->Start(recoverAtStart);
    // Read before the first showing: 128 of 512 MB free, the page file (commit less RAM), the load.
    EXPECT_EQ(w.Gauge1.Progress(), 25);
    EXPECT_EQ(w.LSwap.Caption(), "128 Mo / 512 Mo.");
    EXPECT_EQ(w.LoadGauge1.Progress(), 40);
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

// While an excluded program runs the automatic rules wait and say why; the programs are looked
// for only when a rule would start; the user's own recovery still runs.
TEST(Rules, AnExcludedProgramRunningHoldsTheAutomaticRulesBack) {
  const struct {
    bool pauseAuto;
    const char* running;
    bool starts;
  } cases[] = {{true, "jeu.exe", false}, {true, "", true}, {false, "jeu.exe", true}};
  for (const auto& c : cases) {
    for (const char* rule : {"alarm", "periodic", "start-up"}) {
      Window w;
      w.options.exclusions = {"C:\\Jeux\\jeu.exe"};
      w.options.exclusionsPauseAuto = c.pauseAuto;
      int asked = 0;
      w.running = [&](const std::vector<std::string>&) { return ++asked, std::string(c.running); };
      w.memory.status.availPhys = 300 * kMB;  // above the alarm: nothing looks
      w.loads.values = {5, 5};
      w.monitoring->Timer1Timer();
      w.monitoring->Timer2Timer();
      w.monitoring->Timer3Timer();
      w.memory.status.availPhys = 100 * kMB;
      w.monitoring->Timer1Timer();
      std::string(rule) == "alarm"      ? w.monitoring->Timer3Timer()
      : std::string(rule) == "periodic" ? w.monitoring->Timer5Timer()
                                        : w.monitoring->Timer4Timer();
      EXPECT_EQ(w.memory.commitCalls, c.starts ? 1 : 0) << rule << " " << c.running;
      EXPECT_EQ(asked, c.pauseAuto ? 1 : 0) << rule;
      EXPECT_EQ(w.Panel(2) == "Optimisation automatique suspendue : jeu.exe en cours", !c.starts);
      w.recovery->RecupRam();
      EXPECT_EQ(w.memory.commitCalls, c.starts ? 2 : 1) << rule;
    }
  }
}

}  // namespace
}  // namespace kvn
