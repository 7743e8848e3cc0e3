#include "control/memory_lists.h"

#include <gtest/gtest.h>

#include "control/monitoring_fixture.h"
#include "fakes/perf_buffer_builder.h"
#include "fakes/perf_fake_platform.h"

namespace kvn {
namespace {

constexpr std::int64_t kMB = 1 << 20;
// Windows 7's names and indices; the free list first, the standby cache's parts last.
const char* kSeven =
    "4|Memory|1380|Free & Zero Page List Bytes|1382|Modified Page List Bytes|1384|Standby Cache "
    "Reserve Bytes|1386|Standby Cache Normal Priority Bytes|1388|Standby Cache Core Bytes";
std::vector<fake::MemoryCounterSpec> Lists(std::size_t k = 0, fake::MemoryCounterSpec c = {}) {
  const std::int64_t mb[] = {830, 210, 1024, 3072, 1024};
  std::vector<fake::MemoryCounterSpec> lists;
  for (std::uint32_t i = 0; i < 5; ++i) lists.push_back({1380 + 2 * i, 8, mb[i] * kMB});
  if (c.index) lists[k] = c;
  return lists;
}

TEST(MemoryListReader, ShowsTheListsWindowsCountsAndNothingElse) {
  const char* all = "En attente : 5120 Mo, modifiée : 210 Mo, libre : 830 Mo";
  struct Case {
    const char* what;
    unsigned major;
    const char* names;
    std::vector<fake::MemoryCounterSpec> counters;
    const char* shown;
  } cases[] = {
      {"present", 6, kSeven, Lists(), all},
      {"XP", 5, kSeven, Lists(), ""},
      {"Wine's table", 6, "1|1847|1846|End Marker", Lists(), ""},
      {"modified missing", 6, kSeven, Lists(1, {9, 8, 1}), "En attente : 5120 Mo, libre : 830 Mo"},
      {"a standby part missing", 6, kSeven, Lists(3, {9, 8, 1}),
       "Modifiée : 210 Mo, libre : 830 Mo"},
      {"free of another size", 6, kSeven, Lists(0, {1380, 4, 1}),
       "En attente : 5120 Mo, modifiée : 210 Mo"},
  };
  for (const Case& c : cases) {
    fake::FakeMemoryListPlatform platform;
    platform.major = c.major;
    platform.names = fake::CounterNames(c.names);
    platform.block = fake::BuildMemoryBlock(c.counters).bytes;
    MemoryListReader reader(platform);
    reader.FindCounters();
    EXPECT_EQ(MemoryListsText(reader.Read()), c.shown) << c.what;
    EXPECT_EQ(platform.namesRead, c.major >= 6 ? 1 : 0) << c.what;
    EXPECT_EQ(platform.queries > 0, reader.Available()) << c.what;  // never asked for nothing
  }
}

TEST(MemoryListReader, HostileBlocksAreRefusedWithinTheirBytes) {
  const std::vector<std::uint8_t> names = fake::CounterNames(kSeven);
  const auto counters = FindMemoryListCounters(names.data(), names.size());
  const fake::PerfBlock good = fake::BuildMemoryBlock(Lists());
  MemoryListParts parts;
  // Cut anywhere: never a read past the end (the sanitizers watch), never the whole set of lists.
  for (std::size_t n = 0; n < good.bytes.size(); ++n) {
    ParseMemoryObject(std::vector<std::uint8_t>(good.bytes.begin(), good.bytes.begin() + n).data(),
                      n, counters, parts);
    EXPECT_FALSE(ListsFromParts(parts).standby && ListsFromParts(parts).freeZero) << n;
  }
  fake::PerfBlock far = good;  // a counter far beyond the bytes
  far.Put32(far.counterPos[0][0] + perf_layout::kCtrCounterOffset, 0xFFFFFFF8u);
  ASSERT_TRUE(ParseMemoryObject(far.bytes.data(), far.bytes.size(), counters, parts));
  EXPECT_FALSE(ListsFromParts(parts).freeZero);
}

TEST(StandbyPurgeRule, PurgesAboveTheThresholdBelowTheAlarmOnceAMinute) {
  using Facts = StandbyPurgeRule::Facts;
  const Facts base{.on = true,
                   .thresholdPercent = 50,
                   .alarmPercent = 20,
                   .privilegeHeld = true,
                   .totalBytes = 1000 * kMB,
                   .lists = {501 * kMB, 0, 199 * kMB}};
  const std::pair<void (*)(Facts&), bool> cases[] = {
      {[](Facts&) {}, true},
      {[](Facts& f) { f.on = false; }, false},
      {[](Facts& f) { f.privilegeHeld = false; }, false},
      {[](Facts& f) { f.passRunning = true; }, false},
      {[](Facts& f) { f.lists.standby = 500 * kMB; }, false},   // at the threshold
      {[](Facts& f) { f.lists.freeZero = 200 * kMB; }, false},  // at the alarm level
      {[](Facts& f) { f.lists = {}; }, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    Facts f = base;
    cases[i].first(f);
    EXPECT_EQ(StandbyPurgeRule().Due(f), cases[i].second) << i;
  }
  StandbyPurgeRule rule;  // across the tick count's wrap
  Facts f = base;
  for (const auto& [now, due] : {std::pair{~0u - 9, true}, {59989u, false}, {59990u, true}}) {
    f.nowMs = now;
    EXPECT_EQ(rule.Due(f), due) << now;
  }
}

TEST(MemoryLists, TheDisplayTickShowsThemAndAppliesTheRule) {
  test::Window w;
  w.lists = {400 * kMB, 10 * kMB, 20 * kMB};  // of 512 MB installed
  w.options.purgeStandby = true;
  w.samplingTimer.Tick();
  const std::string lists = "En attente : 400 Mo, modifiée : 10 Mo, libre : 20 Mo";
  EXPECT_EQ(w.freeMemoryGauge.Hint(), lists);
  EXPECT_EQ(w.trayHint, "RAM Libre : 128 Mo sur 512 Mo RAM Installée\n" + lists);
  EXPECT_EQ(w.purges, 0);  // without the privilege
  w.monitoring->SetPurgePrivilege(true);
  for (std::uint32_t t : {1000u, 2000u, 61000u}) {
    w.ticks = t;
    w.samplingTimer.Tick();
  }
  EXPECT_EQ(w.purges, 2);
}

}  // namespace
}  // namespace kvn
