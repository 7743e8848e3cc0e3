#include "control/recovery.h"

#include <gtest/gtest.h>

#include "control/recovery_controls.h"
#include "fakes/fake_memory_service.h"

namespace kvn {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;

class FakeClipboard : public ClipboardService {
 public:
  bool HasContent() override { return hasContent; }
  bool Empty() override {
    ++empties;
    return !busy;
  }
  bool hasContent = false;
  bool busy = false;
  int empties = 0;
};

// The window's controls and options as the form gives them at start.
struct Window : RecoveryControlSet {
  Options options;

  FakeMemoryService memory;
  MemoryEngine engine{memory};
  FakeClipboard clipboard;
  std::unique_ptr<Recovery> recovery;
  std::vector<std::string> balloons;
  std::vector<int> passSizes;  // blocks asked by each pass

  explicit Window(std::int64_t installedMB = 512) {
    manualAmountTrackBar.SetRange(0, static_cast<int>(installedMB));
    manualAmountTrackBar.SetEnabled(false);
    cancelButton.SetEnabled(false);
    cancelItem.Enabled = false;
    statusBar.SetPanels({{" 0 %", 36}, {" 100 %", 60}, {" ", 320}});
    memory.status.totalPhys = static_cast<std::uint64_t>(installedMB) * kMB;
    memory.status.availPhys = 100 * kMB;
    recovery = std::make_unique<Recovery>(Bundle(), options, engine, clipboard, installedMB);
    recovery->Bind();
    recovery->ShowBalloonHint = [this](const std::string& title, const std::string& text, int icon,
                                       int seconds) {
      balloons.push_back(title + "|" + text + "|" + std::to_string(icon) + "|" +
                         std::to_string(seconds));
    };
    // Record each pass's size from the engine's own events, on top of the window's handlers.
    auto before = engine.OnBeforeDefrag;
    engine.OnBeforeDefrag = [this, before](MemoryEngine& s) {
      passSizes.push_back(0);
      before(s);
    };
  }
  std::string Panel2() const { return statusBar.PanelText(2); }
  // A choice in the window, recorded as the options binding records it.
  void SetMethod(RecoveryMethod method) {
    options.method = method;
    recovery->OnMethodClick();
  }
  void SetAmount(int megabytes) {
    manualAmountTrackBar.SetPosition(megabytes);
    options.manualAmountMB = manualAmountTrackBar.Position();
    recovery->OnManualAmountChange();
  }
};

TEST(Recovery, MethodDecidesTheSizeOfThePass) {
  struct Case {
    const char* method;
    std::int64_t installedMB;
    int slider;
    int expectedBlocks;
  } cases[] = {
      {"Système", 768, 0, 384}, {"Système", 512, 0, 256},
      {"Système", 511, 0, 255},  // truncated toward zero
      {"Manuel", 512, 0, 0},    {"Manuel", 512, 37, 37},
      {"Tout", 2048, 0, 1024},  // the engine never holds more than 1 GB
      {"Tout", 256, 0, 256},
  };
  for (const auto& c : cases) {
    Window w(c.installedMB);
    if (std::string(c.method) == "Manuel") w.SetMethod(RecoveryMethod::Manual);
    if (std::string(c.method) == "Tout") w.SetMethod(RecoveryMethod::All);
    w.SetAmount(c.slider);
    w.optimiseButton.Click();
    EXPECT_EQ(w.memory.commitCalls, c.expectedBlocks) << c.method << " " << c.installedMB;
    EXPECT_EQ(w.passSizes.size(), 1u) << c.method;
    EXPECT_FALSE(w.recovery->Optimising());
    EXPECT_EQ(w.recovery->PassCount(), 0);
  }
}

// Whoever asks (the command line, a second copy's message with any 32-bit number), the amount
// is clamped in one place.
TEST(Recovery, AnAskedAmountStaysWithinTheInstalledMemory) {
  const struct {
    std::int64_t asked, installedMB, expected;
  } rows[] = {{0xFFFFFFFF, 2048, 2048}, {1 << 20, 512, 512}, {-1, 512, 1}, {5, 0, 1}, {0, 0, 1}};
  for (const auto& r : rows)
    EXPECT_EQ(SeriesAmountMB(r.asked, r.installedMB), r.expected) << r.asked;
}

// A series of a given amount (the command line's) recovers that much on every pass, within the
// installed memory, whatever the window's method; the next ordinary start uses the window again.
TEST(Recovery, ASeriesOfAGivenAmount) {
  struct Case {
    int asked;
    std::int64_t installedMB;
    int expectedBlocks;
  } cases[] = {{300, 512, 300}, {0, 512, 1}, {-5, 512, 1}, {4000, 512, 512}, {4000, 2048, 1024}};
  for (const auto& c : cases) {
    Window w(c.installedMB);
    w.SetMethod(RecoveryMethod::Manual);
    w.SetAmount(7);
    w.options.repetitions = 2;  // two passes a series
    w.recovery->StartSeries(c.asked);
    EXPECT_EQ(w.memory.commitCalls, 2 * c.expectedBlocks) << c.asked;
    EXPECT_EQ(w.manualAmountTrackBar.Position(), 7) << "the window's amount is untouched";
    w.memory.commitCalls = 0;
    w.recovery->StartSeries();
    EXPECT_EQ(w.memory.commitCalls, 2 * 7) << c.asked;
  }
}

// What runs once the blocks are released (the direct steps) counts in every pass's amount.
TEST(Recovery, WhatTheStepsAfterThePassFreeIsCounted) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(1);
  w.options.repetitions = 2;
  int ran = 0;
  w.recovery->AfterBlocksReleased = [&] {
    ++ran;
    w.memory.status.availPhys += 50 * kMB;
  };
  w.optimiseButton.Click();
  EXPECT_EQ(ran, 2);
  EXPECT_EQ(w.recovery->RecoveredTotalMB(), 100);
  EXPECT_EQ(w.Panel2(), " Quantité récupérée : 100 Mo");
}

TEST(Recovery, ManualAtZeroStillReportsTheAmount) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  EXPECT_TRUE(w.manualAmountTrackBar.Enabled());
  w.SetAmount(0);
  w.recovery->StartSeries();
  EXPECT_EQ(w.Panel2(), " Quantité récupérée : 0 Mo");
  EXPECT_EQ(w.memory.commitCalls, 0);
}

TEST(Recovery, CommandsAndStatusFollowThePass) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(2);
  std::vector<std::string> seen;
  w.memory.onPump = [&] {
    seen.push_back(w.Panel2() + "|" + std::to_string(w.statusBar.GaugePosition()));
    EXPECT_FALSE(w.optimiseButton.Enabled());
    EXPECT_TRUE(w.cancelButton.Enabled());
    EXPECT_FALSE(w.optimiseItem.Enabled);
    EXPECT_TRUE(w.cancelItem.Enabled);
    EXPECT_TRUE(w.recovery->Optimising());
    w.memory.status.availPhys += 3 * kMB;
  };
  w.optimiseItem.Click();
  // The pump runs before the progress event of its step: it sees the previous text.
  EXPECT_EQ(seen, (std::vector<std::string>{
                      " optimisation en cours ... %|0", " optimisation en cours ...25 %|25",
                      " optimisation en cours ...50 %|50", " optimisation en cours ...75 %|75"}));
  EXPECT_EQ(w.Panel2(), " Quantité récupérée : 12 Mo");
  EXPECT_EQ(w.statusBar.GaugePosition(), 0);
  EXPECT_TRUE(w.optimiseButton.Enabled());
  EXPECT_FALSE(w.cancelButton.Enabled());
  EXPECT_TRUE(w.optimiseItem.Enabled);
  EXPECT_FALSE(w.cancelItem.Enabled);
  EXPECT_EQ(w.recovery->FreeAfterBytes() - w.recovery->FreeBeforeBytes(),
            static_cast<std::int64_t>(12 * kMB));
}

TEST(Recovery, AmountsRoundHalvesToEvenAndNeverGoBelowZero) {
  struct Case {
    std::int64_t changeBytes;
    const char* text;
  } cases[] = {
      {-3 * static_cast<std::int64_t>(kMB), " Quantité récupérée : 0 Mo"},
      {static_cast<std::int64_t>(kMB) * 5 / 2, " Quantité récupérée : 2 Mo"},  // 2.5 -> 2
      {static_cast<std::int64_t>(kMB) * 7 / 2, " Quantité récupérée : 4 Mo"},  // 3.5 -> 4
      {0, " Quantité récupérée : 0 Mo"},
  };
  for (const auto& c : cases) {
    Window w;
    w.SetMethod(RecoveryMethod::Manual);
    w.SetAmount(1);
    w.memory.onPump = [&] {
      w.memory.status.availPhys = static_cast<std::uint64_t>(100 * kMB + c.changeBytes);
    };
    w.optimiseButton.Click();
    EXPECT_EQ(w.Panel2(), c.text) << c.changeBytes;
  }
}

TEST(Recovery, TheAccountOfASeriesFollowsTheAmountAndTheSteps) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(1);
  w.options.repetitions = 2;
  w.options.balloons = true;
  // Each pass: 600 MB out of the standby cache, 100 MB of working sets to the free list.
  MemoryLists lists{3000 * kMB, 100 * kMB, 500 * kMB};
  w.recovery->ReadMemoryLists = [&] { return lists; };
  w.recovery->AfterBlocksReleased = [&] {
    *lists.standby -= 600 * kMB;
    *lists.freeZero += 700 * kMB;
    w.statusBar.SetHint(" Étapes directes : aucune");
  };
  w.optimiseButton.Click();
  const std::string account = "Provenance : cache en attente -1200 Mo, working sets -200 Mo";
  EXPECT_EQ(w.statusBar.Hint(), " Étapes directes : aucune\r\n " + account);
  ASSERT_EQ(w.balloons.size(), 4u);
  EXPECT_EQ(w.balloons[3], "Korvane|Optimisation terminée!\n\rQuantité récupérée : 0 Mo.\n\r" +
                               account + ".|1|10");
}

TEST(Recovery, RepetitionsRunBackToBackAndSum) {
  for (int passes = 1; passes <= 4; ++passes) {
    Window w;
    w.SetMethod(RecoveryMethod::Manual);
    w.SetAmount(1);
    w.options.repetitions = passes;
    w.memory.onPump = [&] { w.memory.status.availPhys += kMB; };  // twice per block
    w.optimiseButton.Click();
    EXPECT_EQ(static_cast<int>(w.passSizes.size()), passes);
    EXPECT_EQ(w.recovery->RecoveredTotalMB(), 2 * passes);
    EXPECT_EQ(w.Panel2(), " Quantité récupérée : " + std::to_string(2 * passes) + " Mo");
    EXPECT_EQ(w.recovery->PassCount(), 0) << "series over after " << passes;
    EXPECT_FALSE(w.recovery->Optimising());
  }
}

TEST(Recovery, CancelDuringTheFirstOfFourEndsTheSeries) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(10);
  w.options.repetitions = 4;
  int pumps = 0;
  w.memory.onPump = [&] {
    w.memory.status.availPhys += kMB;
    if (++pumps == 3) w.cancelButton.Click();
  };
  w.optimiseButton.Click();
  EXPECT_EQ(w.passSizes.size(), 1u);
  EXPECT_EQ(w.memory.commitCalls, 3);
  EXPECT_EQ(w.memory.releases, 3);
  // Three commit steps, and the three blocks given back after the cancel, drained once each.
  EXPECT_EQ(w.Panel2(), " Quantité récupérée : 6 Mo");
  EXPECT_EQ(w.recovery->PassCount(), 0);
  EXPECT_TRUE(w.optimiseButton.Enabled());
  EXPECT_FALSE(w.cancelButton.Enabled());
}

TEST(Recovery, CancelDuringTheStepsAfterAPassEndsTheSeries) {
  // The engine is idle while the direct steps run, but the series is not over.
  for (int cancelAfter = 1; cancelAfter <= 4; ++cancelAfter) {
    Window w;
    w.SetMethod(RecoveryMethod::Manual);
    w.SetAmount(1);
    w.options.repetitions = 4;
    int steps = 0;
    w.recovery->AfterBlocksReleased = [&] {
      if (++steps == cancelAfter) w.cancelItem.Click();
    };
    w.optimiseButton.Click();
    EXPECT_EQ(static_cast<int>(w.passSizes.size()), cancelAfter);
    EXPECT_EQ(w.recovery->PassCount(), 0) << "no series held open after " << cancelAfter;
    EXPECT_FALSE(w.recovery->Optimising());
    EXPECT_TRUE(w.optimiseButton.Enabled());
  }
}

TEST(Recovery, CancelWhileIdleLeavesTheSeriesCounterAlone) {
  Window w;
  w.options.repetitions = 4;
  w.statusBar.SetPanelText(2, " Quantité récupérée : 12 Mo");
  w.recovery->CancelRecovery();
  EXPECT_EQ(w.recovery->PassCount(), 0);
  EXPECT_EQ(w.Panel2(), " ");
  EXPECT_EQ(w.statusBar.GaugePosition(), 0);
  // The stop request of an idle cancel is dropped by the next pass.
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(2);
  w.options.repetitions = 1;
  w.optimiseButton.Click();
  EXPECT_EQ(w.memory.commitCalls, 2);
}

TEST(Recovery, AStartDuringAPassDoesNothing) {
  // Each start command, given during the second pass of a series of three, or right after a
  // cancel of the first pass (which must still stop it).
  struct Case {
    const char* what;
    bool afterCancel;
    int passes;     // passes the series ends up with
    int commits;    // blocks committed in all
    int recovered;  // 1 MB more free at each drain of the queue
  } cases[] = {
      {"button", false, 3, 6, 12},   {"menu", false, 3, 6, 12},   {"hot key", false, 3, 6, 12},
      {"start-up", false, 3, 6, 12}, {"button", true, 1, 1, 2},   {"menu", true, 1, 1, 2},
      {"hot key", true, 1, 1, 2},    {"start-up", true, 1, 1, 2}, {"/optimiser", false, 3, 6, 12},
      {"/optimiser", true, 1, 1, 2},
  };
  for (const auto& c : cases) {
    Window w;
    w.SetMethod(RecoveryMethod::Manual);
    w.SetAmount(2);
    w.options.repetitions = 3;
    const std::string command = c.what;
    auto start = [&] {
      if (command == "button") w.optimiseButton.Click();
      if (command == "menu") w.optimiseItem.Click();
      if (command == "hot key") w.recovery->StartSeries();
      if (command == "start-up") w.recovery->RecoverRam();
      if (command == "/optimiser") w.recovery->StartSeries(50);
    };
    int pumps = 0;
    w.memory.onPump = [&] {
      w.memory.status.availPhys += kMB;
      ++pumps;
      if (c.afterCancel && pumps == 1) {
        w.cancelButton.Click();
        start();
      }
      if (!c.afterCancel && w.passSizes.size() == 2 && pumps % 2 == 1) start();
    };
    w.optimiseButton.Click();
    EXPECT_EQ(static_cast<int>(w.passSizes.size()), c.passes) << c.what << " " << c.afterCancel;
    EXPECT_EQ(w.memory.commitCalls, c.commits) << c.what << " " << c.afterCancel;
    EXPECT_EQ(w.recovery->RecoveredTotalMB(), c.recovered) << c.what << " " << c.afterCancel;
    EXPECT_EQ(w.recovery->PassCount(), 0) << c.what;
    EXPECT_FALSE(w.recovery->Optimising()) << c.what;
  }
}

TEST(Recovery, ClipboardAndBalloonsOncePerPass) {
  Window w;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(1);
  w.options.repetitions = 3;
  w.options.clipboard = true;
  w.options.balloons = true;
  w.memory.onPump = [&] { w.memory.status.availPhys += kMB; };
  w.optimiseButton.Click();
  EXPECT_EQ(w.clipboard.empties, 3);
  ASSERT_EQ(w.balloons.size(), 6u);
  EXPECT_EQ(w.balloons[0], "Korvane|Optimisation en cours ...|1|10");
  EXPECT_EQ(w.balloons[1], "Korvane|Optimisation terminée!\n\rQuantité récupérée : 2 Mo.|1|10");
  EXPECT_EQ(w.balloons[5], "Korvane|Optimisation terminée!\n\rQuantité récupérée : 6 Mo.|1|10");
}

TEST(Recovery, ABusyClipboardIsLoggedNotFatal) {
  Window w;
  std::vector<std::string> log;
  w.recovery->WriteLog = [&](const std::string& line) { log.push_back(line); };
  w.clipboard.busy = true;
  w.options.clipboard = true;
  w.SetMethod(RecoveryMethod::Manual);
  w.SetAmount(1);
  w.optimiseButton.Click();
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(w.Panel2(), " Quantité récupérée : 0 Mo");
}

TEST(Recovery, SliderShowsItsAmount) {
  Window w;
  w.SetMethod(RecoveryMethod::All);
  EXPECT_FALSE(w.manualAmountTrackBar.Enabled());
  w.SetMethod(RecoveryMethod::Manual);
  EXPECT_TRUE(w.manualAmountTrackBar.Enabled());
  w.SetAmount(256);
  EXPECT_EQ(w.manualAmountValue.Caption(), "256 MB");
  EXPECT_EQ(w.manualAmountTrackBar.Hint(), "256");
}

}  // namespace
}  // namespace kvn
