#include "control/memory_lists.h"

#include <gtest/gtest.h>

#include "control/monitoring_fixture.h"
#include "fakes/perf_buffer_builder.h"
#include "fakes/perf_fake_platform.h"

namespace kvn {
namespace {

using fake::MemoryCounterSpec;
constexpr std::int64_t kMB = 1 << 20;

const std::vector<const char*> kSeven = {"1",    "1847",
                                         "4",    "Memory",
                                         "1380", "Free & Zero Page List Bytes",
                                         "1382", "Modified Page List Bytes",
                                         "1384", "Standby Cache Reserve Bytes",
                                         "1386", "Standby Cache Normal Priority Bytes",
                                         "1388", "Standby Cache Core Bytes"};
const std::vector<MemoryCounterSpec> kLists = {{1380, 8, 830 * kMB},
                                               {1382, 8, 210 * kMB},
                                               {1384, 8, 1024 * kMB},
                                               {1386, 8, 3072 * kMB},
                                               {1388, 8, 1024 * kMB}};

std::vector<MemoryCounterSpec> With(std::size_t k, MemoryCounterSpec changed) {
  auto counters = kLists;
  counters[k] = changed;
  return counters;
}

TEST(MemoryListReader, ShowsTheListsWindowsCountsAndNothingElse) {
  struct Case {
    const char* what;
    unsigned major;
    std::vector<const char*> names;
    std::vector<MemoryCounterSpec> counters;
    const char* shown;
  } cases[] = {
      {"present", 6, kSeven, kLists, "En attente : 5120 Mo, modifiée : 210 Mo, libre : 830 Mo"},
      {"XP", 5, kSeven, kLists, ""},
      {"Wine's table", 6, {"1", "1847", "1846", "End Marker"}, kLists, ""},
      {"modified missing", 6, kSeven, With(1, {9999, 8, 1}),
       "En attente : 5120 Mo, libre : 830 Mo"},
      {"a standby part missing", 6, kSeven, With(3, {9999, 8, 1}),
       "Modifiée : 210 Mo, libre : 830 Mo"},
      {"free of another size", 6, kSeven, With(0, {1380, 4, 1}),
       "En attente : 5120 Mo, modifiée : 210 Mo"},
      {"negative", 6, kSeven, With(0, {1380, 8, -1}), "En attente : 5120 Mo, modifiée : 210 Mo"},
  };
  for (const Case& c : cases) {
    fake::FakeMemoryListPlatform platform;
    platform.major = c.major;
    platform.names = fake::CounterNames(c.names);
    platform.block = fake::BuildMemoryBlock(c.counters).bytes;
    MemoryListReader reader(platform);
    EXPECT_EQ(MemoryListsText(reader.Read()), "") << c.what << ": read before the lookup";
    reader.FindCounters();
    EXPECT_EQ(MemoryListsText(reader.Read()), c.shown) << c.what;
    EXPECT_EQ(platform.namesRead, c.major >= 6 ? 1 : 0) << c.what;
    // Where nothing was named, the performance data is never asked.
    if (!reader.Available()) {
      EXPECT_EQ(platform.queries, 0) << c.what;
    }
  }
}

TEST(MemoryListReader, HostileBlocksAreRefusedWithinTheirBytes) {
  const std::vector<std::uint8_t> names = fake::CounterNames(kSeven);
  const auto counters = FindMemoryListCounters(names.data(), names.size());
  ASSERT_EQ(counters.size(), 5u);
  const fake::PerfBlock good = fake::BuildMemoryBlock(kLists);
  MemoryListParts parts;
  // Cut anywhere: never a read past the end (the sanitizers watch), never the whole set of lists.
  for (std::size_t n = 0; n < good.bytes.size(); ++n) {
    const std::vector<std::uint8_t> cut(good.bytes.begin(), good.bytes.begin() + n);
    ParseMemoryObject(cut.data(), cut.size(), counters, parts);
    EXPECT_FALSE(ListsFromParts(parts).standby && ListsFromParts(parts).freeZero) << n;
  }
  // A counter offset or a counter block length pointing far beyond the block.
  fake::PerfBlock far = good;
  far.Put32(far.counterPos[0][0] + perf_layout::kCtrCounterOffset, 0xFFFFFFF8u);
  ASSERT_TRUE(ParseMemoryObject(far.bytes.data(), far.bytes.size(), counters, parts));
  EXPECT_FALSE(ListsFromParts(parts).freeZero);
  far.Put32(far.objectPos[0] + perf_layout::kObjDefinitionLength, 0x7FFFFFFFu);
  EXPECT_FALSE(ParseMemoryObject(far.bytes.data(), far.bytes.size(), counters, parts));
}

TEST(MemoryLists, AccountOfASeriesAndTheTrayTip) {
  const MemoryLists before{5000 * kMB, 200 * kMB, 800 * kMB};
  const MemoryLists after{3800 * kMB, 100 * kMB, 2400 * kMB};
  EXPECT_EQ(PassAccountText(before, after),
            "Provenance : cache en attente -1200 Mo, working sets -300 Mo");
  EXPECT_EQ(PassAccountText(before, {after.standby, std::nullopt, after.freeZero}),
            "Provenance : cache en attente -1200 Mo");
  EXPECT_EQ(PassAccountText({}, after), "");

  const std::string tip(70, 'x'), lists(56, 'y');
  EXPECT_EQ(TrayTipWithLists(tip, lists), tip + "\n" + lists);  // 127 characters
  EXPECT_EQ(TrayTipWithLists(tip + "é", lists), tip + "é");     // 128: left out
}

TEST(StandbyPurgeRule, PurgesAboveTheThresholdBelowTheAlarmOnceAMinute) {
  StandbyPurgeRule::Facts base;
  base.on = true;
  base.thresholdPercent = 50;
  base.alarmPercent = 20;
  base.privilegeHeld = true;
  base.totalBytes = 1000 * kMB;
  base.lists = {501 * kMB, 0, 199 * kMB};
  base.nowMs = 1000;
  struct Case {
    const char* what;
    void (*change)(StandbyPurgeRule::Facts&);
    bool due;
  } cases[] = {
      {"every condition met", [](auto&) {}, true},
      {"rule off", [](auto& f) { f.on = false; }, false},
      {"no privilege", [](auto& f) { f.privilegeHeld = false; }, false},
      {"a pass running", [](auto& f) { f.passRunning = true; }, false},
      {"cache at the threshold", [](auto& f) { f.lists.standby = 500 * kMB; }, false},
      {"free at the alarm level", [](auto& f) { f.lists.freeZero = 200 * kMB; }, false},
      {"lists not counted", [](auto& f) { f.lists = {}; }, false},
  };
  for (const Case& c : cases) {
    StandbyPurgeRule rule;
    StandbyPurgeRule::Facts f = base;
    c.change(f);
    EXPECT_EQ(rule.Due(f), c.due) << c.what;
  }
  StandbyPurgeRule rule;
  StandbyPurgeRule::Facts f = base;
  f.nowMs = 0xFFFFF000u;  // the tick count wraps round within the minute
  EXPECT_TRUE(rule.Due(f));
  for (std::uint32_t gap : {1u, 30000u, 59999u}) {
    f.nowMs = 0xFFFFF000u + gap;
    EXPECT_FALSE(rule.Due(f)) << gap;
  }
  f.nowMs = 0xFFFFF000u + 60000u;
  EXPECT_TRUE(rule.Due(f));
}

TEST(MemoryLists, TheDisplayTickShowsThemAndAppliesTheRule) {
  test::Window w;
  w.lists = {400 * kMB, 10 * kMB, 20 * kMB};  // of 512 MB installed
  w.options.purgeStandby = true;
  w.options.purgeStandbyPercent = 50;
  w.Timer1.Tick();
  EXPECT_EQ(w.Gauge1.Hint(), "En attente : 400 Mo, modifiée : 10 Mo, libre : 20 Mo");
  EXPECT_EQ(w.trayHint,
            "RAM Libre : 128 Mo sur 512 Mo RAM Installée\nEn attente : 400 Mo, modifiée : 10 Mo, "
            "libre : 20 Mo");
  EXPECT_EQ(w.purges, 0);  // without the privilege
  w.monitoring->SetPurgePrivilege(true);
  for (std::uint32_t t : {1000u, 2000u, 61000u}) {
    w.ticks = t;
    w.Timer1.Tick();
  }
  EXPECT_EQ(w.purges, 2);
  w.lists = {};
  w.Timer1.Tick();
  EXPECT_EQ(w.Gauge1.Hint(), "");
  EXPECT_EQ(w.trayHint, "RAM Libre : 128 Mo sur 512 Mo RAM Installée");
}

}  // namespace
}  // namespace kvn
