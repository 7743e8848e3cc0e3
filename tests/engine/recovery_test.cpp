#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/kvn_max_mem.h"
#include "fakes/fake_memory_service.h"

namespace kvn {
namespace {

// Binds the three events and records them: "before", "after" and the progress values.
struct Recorder {
  explicit Recorder(MemoryEngine& engine) {
    engine.OnBeforeDefrag = [this](MemoryEngine& sender) {
      events.push_back("before");
      busyAtBefore = sender.Busy();
    };
    engine.OnProgress = [this](MemoryEngine&, int progress) {
      events.push_back("p" + std::to_string(progress));
      progressValues.push_back(progress);
    };
    engine.OnAfterDefrag = [this](MemoryEngine& sender) {
      events.push_back("after");
      busyAtAfter = sender.Busy();
    };
  }
  std::vector<std::string> events;
  std::vector<int> progressValues;
  bool busyAtBefore = false;
  bool busyAtAfter = true;
};

std::vector<std::string> Expected(const std::vector<int>& progress) {
  std::vector<std::string> out{"before"};
  for (int p : progress) out.push_back("p" + std::to_string(p));
  out.push_back("after");
  return out;
}

void ExpectAllReleased(const FakeMemoryService& fake) {
  EXPECT_TRUE(fake.held.empty()) << fake.held.size() << " blocks still held";
  EXPECT_EQ(fake.releases, fake.commits);
  EXPECT_EQ(fake.badBlockUses, 0);
}

TEST(Recovery, CompletePassesFireProgressAndReleaseEverything) {
  struct Case {
    int count;
    int blocks;
    std::vector<int> progress;
  };
  const Case cases[] = {
      {0, 0, {}},
      {-5, 0, {}},
      {1, 1, {50, 100}},
      {3, 3, {17, 33, 50, 67, 83, 100}},
      {8, 8, {6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("count " + std::to_string(c.count));
    FakeMemoryService fake;
    MemoryEngine engine(fake);
    Recorder rec(engine);
    engine.Defrag(c.count);
    EXPECT_EQ(rec.events, Expected(c.progress));
    EXPECT_EQ(fake.commits, c.blocks);
    EXPECT_EQ(fake.fillCalls, c.blocks);
    EXPECT_EQ(static_cast<int>(fake.peakHeld), c.blocks);
    EXPECT_EQ(fake.pumps, 2 * c.blocks);  // once per step, committing and releasing alike
    EXPECT_TRUE(rec.busyAtBefore);
    EXPECT_FALSE(rec.busyAtAfter);
    EXPECT_FALSE(engine.Busy());
    ExpectAllReleased(fake);
  }
}

TEST(Recovery, StepOrderIsCommitFillPumpProgressThenReleasePumpProgress) {
  FakeMemoryService fake;
  std::vector<std::string> journal;
  fake.journal = &journal;
  MemoryEngine engine(fake);
  engine.OnProgress = [&](MemoryEngine&, int p) { journal.push_back("p" + std::to_string(p)); };
  engine.Defrag(2);
  const std::vector<std::string> expected = {"commit", "fill",    "pump", "p25",     "commit",
                                             "fill",   "pump",    "p50",  "release", "pump",
                                             "p75",    "release", "pump", "p100"};
  EXPECT_EQ(journal, expected);
}

TEST(Recovery, LargeRequestIsCappedAtMaxBlocks) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.Defrag(2000);
  EXPECT_EQ(fake.commits, 1024);
  EXPECT_EQ(fake.peakHeld, 1024u);
  ASSERT_EQ(rec.progressValues.size(), 2048u);
  EXPECT_EQ(rec.progressValues.back(), 100);
  for (std::size_t i = 1; i < rec.progressValues.size(); ++i) {
    ASSERT_LE(rec.progressValues[i - 1], rec.progressValues[i]) << "at event " << i;
  }
  ExpectAllReleased(fake);
}

TEST(Recovery, DefragAllSizesThePassOnPhysicalMemory) {
  struct Case {
    std::uint64_t totalPhys;
    int blocks;
  };
  const Case cases[] = {
      {300ull * 1048576 + 1048575, 300},
      {535560192ull, 510},
      {16ull << 30, 1024},
  };
  for (const Case& c : cases) {
    FakeMemoryService fake;
    fake.status.totalPhys = c.totalPhys;
    MemoryEngine engine(fake);
    engine.DefragAll();
    EXPECT_EQ(fake.commits, c.blocks) << c.totalPhys;
    ExpectAllReleased(fake);
  }
}

TEST(Recovery, StopFromAMessageDuringTheThirdCommitStep) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  bool heldBlocksAtAfter = true;
  engine.OnAfterDefrag = [&](MemoryEngine&) {
    rec.events.push_back("after");
    heldBlocksAtAfter = !fake.held.empty();
  };
  fake.onPump = [&] {
    if (fake.pumps == 3) engine.StopDefrag();
  };
  engine.Defrag(10);
  EXPECT_EQ(rec.events, Expected({5, 10, 15}));
  EXPECT_EQ(fake.commits, 3);
  EXPECT_FALSE(heldBlocksAtAfter);
  ExpectAllReleased(fake);
}

TEST(Recovery, StopDuringTheReleasePhaseReleasesTheRestAtOnce) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.OnProgress = [&](MemoryEngine& sender, int p) {
    rec.progressValues.push_back(p);
    if (rec.progressValues.size() == 6) sender.StopDefrag();  // second release step of 4
  };
  engine.Defrag(4);
  EXPECT_EQ(rec.progressValues, (std::vector<int>{12, 25, 38, 50, 62, 75}));
  ExpectAllReleased(fake);
}

TEST(Recovery, CancelFromAMessageInEitherPhaseStillDrainsWhileTheRestIsReleased) {
  struct Case {
    const char* when;
    int blocks;
    int stopAtPump;
    std::vector<int> progress;
    int pumps;  // the blocks given back after the stop drain the queue too
  };
  const Case cases[] = {
      {"third commit step of 10", 10, 3, {5, 10, 15}, 3 + 3},
      {"second release step of 4", 4, 6, {12, 25, 38, 50, 62, 75}, 6 + 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    FakeMemoryService fake;
    MemoryEngine engine(fake);
    Recorder rec(engine);
    fake.onPump = [&] {
      if (fake.pumps == c.stopAtPump) engine.StopDefrag();
    };
    engine.Defrag(c.blocks);
    EXPECT_EQ(rec.events, Expected(c.progress));
    EXPECT_EQ(fake.pumps, c.pumps);
    ExpectAllReleased(fake);
  }
}

TEST(Recovery, FailedBlockEndsThePassAfterItsProgressEvent) {
  struct Case {
    const char* what;
    int failCommitAt;
    int failFillAt;
    int committed;
  };
  const Case cases[] = {
      {"commit refused at the fifth block", 4, -1, 4},
      {"fill failing at the fifth block", -1, 4, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMemoryService fake;
    fake.failCommitAt = c.failCommitAt;
    fake.failFillAt = c.failFillAt;
    MemoryEngine engine(fake);
    Recorder rec(engine);
    engine.Defrag(10);
    EXPECT_EQ(rec.events, Expected({5, 10, 15, 20, 25}));
    EXPECT_EQ(fake.commits, c.committed);
    EXPECT_EQ(fake.commitCalls, 5);
    EXPECT_TRUE(engine.StopRequested());
    ExpectAllReleased(fake);  // the null entry is skipped, not released
  }
}

TEST(Recovery, FailedBlockStillEndsThePassWhenAHandlerWithdrawsTheStop) {
  // A refused Defrag from a handler clears the stop flag; the failure must not be forgotten.
  FakeMemoryService fake;
  fake.failCommitAt = 4;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.OnProgress = [&](MemoryEngine& sender, int p) {
    rec.progressValues.push_back(p);
    sender.Defrag(3);
  };
  engine.Defrag(10);
  EXPECT_EQ(rec.progressValues, (std::vector<int>{5, 10, 15, 20, 25}));
  EXPECT_EQ(fake.commitCalls, 5);
  ExpectAllReleased(fake);
}

TEST(Recovery, QuitRequestDoesNotStopThePassAndStaysPending) {
  FakeMemoryService fake;
  fake.onPump = [&] {
    if (fake.pumps == 2) fake.quitQueued = true;  // WM_QUIT arrives during the second step
  };
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.Defrag(5);
  EXPECT_EQ(rec.progressValues.size(), 10u);
  EXPECT_EQ(rec.events.back(), "after");
  EXPECT_EQ(fake.quitsSeen, 9);  // met on pumps 2..10, put back each time
  EXPECT_TRUE(fake.quitQueued);
  EXPECT_TRUE(engine.PumpMessages());
  ExpectAllReleased(fake);
}

TEST(Recovery, StopRequestBetweenPassesIsDropped) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.StopDefrag();
  EXPECT_TRUE(engine.StopRequested());
  engine.Defrag(2);
  EXPECT_EQ(rec.events, Expected({25, 50, 75, 100}));
  ExpectAllReleased(fake);
}

TEST(Recovery, DefragFromOnProgressIsRefusedAndWithdrawsAPendingStop) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  engine.OnProgress = [&](MemoryEngine& sender, int p) {
    rec.events.push_back("p" + std::to_string(p));
    if (p == 20) {
      sender.StopDefrag();
      sender.Defrag(100);
      EXPECT_FALSE(sender.StopRequested());
    }
  };
  engine.Defrag(5);
  EXPECT_EQ(rec.events, Expected({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  EXPECT_EQ(fake.commits, 5);
  ExpectAllReleased(fake);
}

TEST(Recovery, DefragFromOnAfterDefragRunsAFullSecondPass) {
  FakeMemoryService fake;
  MemoryEngine engine(fake);
  Recorder rec(engine);
  int afterCalls = 0;
  engine.OnAfterDefrag = [&](MemoryEngine& sender) {
    rec.events.push_back("after");
    EXPECT_FALSE(sender.Busy());
    EXPECT_TRUE(fake.held.empty());
    if (++afterCalls == 1) {
      sender.Defrag(2);
      rec.events.push_back("outer returns");
    }
  };
  engine.Defrag(1);
  const std::vector<std::string> expected = {"before", "p50",   "p100",         "after",
                                             "before", "p25",   "p50",          "p75",
                                             "p100",   "after", "outer returns"};
  EXPECT_EQ(rec.events, expected);
  EXPECT_EQ(fake.commits, 3);
  ExpectAllReleased(fake);
}

TEST(Recovery, ThrowingHandlerReleasesBlocksClearsBusyAndPropagates) {
  struct Case {
    const char* where;
    int throwAtProgress;  // 1-based progress event that throws; 0 = none
    bool throwInBefore;
    bool throwInPump;
  };
  const Case cases[] = {
      {"OnBeforeDefrag", 0, true, false},
      {"OnProgress, third commit step", 3, false, false},
      {"OnProgress, second release step", 8, false, false},
      {"message handler in the pump", 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    FakeMemoryService fake;
    MemoryEngine engine(fake);
    int progressEvents = 0;
    bool afterFired = false;
    engine.OnBeforeDefrag = [&](MemoryEngine&) {
      if (c.throwInBefore) throw std::runtime_error("before");
    };
    engine.OnProgress = [&](MemoryEngine&, int) {
      if (++progressEvents == c.throwAtProgress) throw std::runtime_error("progress");
    };
    engine.OnAfterDefrag = [&](MemoryEngine&) { afterFired = true; };
    fake.onPump = [&] {
      if (c.throwInPump && fake.pumps == 4) throw std::runtime_error("pump");
    };
    EXPECT_THROW(engine.Defrag(6), std::runtime_error);
    EXPECT_FALSE(engine.Busy());
    EXPECT_FALSE(afterFired);
    ExpectAllReleased(fake);

    // The component is usable again.
    engine.OnBeforeDefrag = nullptr;
    engine.OnProgress = nullptr;
    fake.onPump = nullptr;
    engine.Defrag(2);
    EXPECT_TRUE(afterFired);
    ExpectAllReleased(fake);
  }
}

}  // namespace
}  // namespace kvn

namespace kvn {
namespace {

// A service that drains only every third block, as the Windows one spaces its draining in time.
class SpacedPumpService : public FakeMemoryService {
 public:
  bool PumpDue() override { return askedDue++ % 3 == 0; }
  int askedDue = 0;
};

TEST(Recovery, TheServiceDecidesWhichBlocksDrainTheQueue) {
  SpacedPumpService service;
  MemoryEngine engine(service);
  std::vector<int> progress;
  engine.OnProgress = [&](MemoryEngine&, int p) { progress.push_back(p); };
  engine.Defrag(7);
  EXPECT_EQ(service.askedDue, 14);  // asked once per step, committing and releasing
  EXPECT_EQ(service.pumps, 5);      // steps 1, 4, 7, 10 and 13
  // Reported at those steps and at the last one only: in between nothing would be drawn.
  EXPECT_EQ(progress, (std::vector<int>{7, 29, 50, 71, 93, 100}));
  EXPECT_EQ(service.releases, 7);
}

}  // namespace
}  // namespace kvn
