#include <windows.h>
#include <winperf.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>

#include "control/load_sampler_win32.h"
#include "fakes/perf_buffer_builder.h"

namespace kvn {
namespace {

// The offsets the portable walk uses are those of the system's own structures.
TEST(PerfLayout, MatchesWinperf) {
  using namespace perf_layout;
  EXPECT_EQ(offsetof(PERF_DATA_BLOCK, TotalByteLength), kBlockTotalByteLength);
  EXPECT_EQ(offsetof(PERF_DATA_BLOCK, HeaderLength), kBlockHeaderLength);
  EXPECT_EQ(offsetof(PERF_DATA_BLOCK, NumObjectTypes), kBlockNumObjectTypes);
  EXPECT_EQ(offsetof(PERF_DATA_BLOCK, SystemTime), kBlockSystemTime);
  EXPECT_EQ(sizeof(PERF_DATA_BLOCK), kBlockSize);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, TotalByteLength), kObjTotalByteLength);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, DefinitionLength), kObjDefinitionLength);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, HeaderLength), kObjHeaderLength);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex), kObjNameTitleIndex);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, NumCounters), kObjNumCounters);
  EXPECT_EQ(offsetof(PERF_OBJECT_TYPE, NumInstances), kObjNumInstances);
  EXPECT_EQ(sizeof(PERF_OBJECT_TYPE), kObjSize);
  EXPECT_EQ(offsetof(PERF_COUNTER_DEFINITION, ByteLength), kCtrByteLength);
  EXPECT_EQ(offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex), kCtrNameTitleIndex);
  EXPECT_EQ(offsetof(PERF_COUNTER_DEFINITION, CounterOffset), kCtrCounterOffset);
  EXPECT_EQ(sizeof(PERF_COUNTER_DEFINITION), kCtrSize);
  EXPECT_EQ(offsetof(PERF_INSTANCE_DEFINITION, ByteLength), kInstByteLength);
  EXPECT_EQ(sizeof(PERF_INSTANCE_DEFINITION), kInstSize);
  EXPECT_EQ(sizeof(PERF_COUNTER_BLOCK), kCounterBlockSize);
}

// Our date arithmetic agrees with the system's on the dates a block carries.
TEST(PerfLayout, SystemTimeConversionMatchesWindows) {
  const PerfSystemTime dates[] = {
      {1601, 1, 1, 1, 0, 0, 0, 0},   {1999, 12, 5, 31, 23, 59, 59, 999},
      {2000, 2, 2, 29, 12, 0, 0, 0}, {2026, 12, 1, 7, 8, 30, 5, 1},
      {2100, 3, 1, 1, 0, 0, 0, 0},   {30827, 12, 0, 31, 23, 59, 59, 999}};
  for (const auto& d : dates) {
    SYSTEMTIME st{d.year, d.month, d.dayOfWeek, d.day, d.hour, d.minute, d.second, d.milliseconds};
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft)) << d.year;
    std::int64_t ours = 0;
    ASSERT_TRUE(SystemTimeToFileTime100ns(d, ours));
    EXPECT_EQ(ours, (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime)
        << d.year << "-" << d.month << "-" << d.day;
  }
}

// Every processor kept busy by a spinning thread: the load read over the next 600 ms rises well
// above 0 (idle machines read 0..10 %).
TEST(LoadSamplerWin32, BusyProcessorsShowAsLoad) {
  Win32LoadPlatform platform;
  LoadSampler sampler(platform);
  SystemProcessorLoads system(sampler);
  const int n = system.ProcessorCount();
  ASSERT_GE(n, 1);
  sampler.TakeLoadSnapshot();
  // The performance data carries a "_Total" instance beside the processors; the kernel's idle
  // times (used where the processor object is missing, as under Wine) carry the processors only.
  EXPECT_EQ(sampler.ProcessorCount(), sampler.UsingProcessorTimes() ? n : n + 1);
  std::printf("processors %d, %s\n", n,
              sampler.UsingProcessorTimes() ? "kernel idle times" : "performance data");
  std::atomic<bool> stop{false};
  std::vector<std::thread> spinners;
  for (int i = 0; i < n; ++i)
    spinners.emplace_back([&stop] {
      volatile unsigned x = 0;
      while (!stop.load(std::memory_order_relaxed)) x = x + 1;
    });
  Sleep(200);
  sampler.TakeLoadSnapshot();
  Sleep(600);
  int busiest = 0;
  for (int i = 0; i < n; ++i) busiest = std::max(busiest, static_cast<int>(sampler.UsageValue(i)));
  // The per-tick reading over the same busy machine.
  Sleep(600);
  ProcessorLoads loads;
  ReadProcessorLoads(system, loads);
  stop = true;
  for (auto& t : spinners) t.join();
  std::printf("busiest processor %d %%, tick: CpuLoad0 %d, CpuLoad1 %d, average %d\n", busiest,
              loads.CpuLoad0, loads.CpuLoad1, loads.CpuLoadAverage);
  EXPECT_GE(busiest, 40);
  EXPECT_GE(loads.CpuLoad0, 40);
  // Measured over the same tick as processor 0, not over the microseconds after its snapshot.
  if (n > 1) {
    EXPECT_GE(loads.CpuLoad1, 40);
  }
  EXPECT_GT(loads.CpuLoadAverage, 0);
  EXPECT_EQ(loads.SecondProcessorGaugeVisible, n > 1);
}

// The query made ahead answers the first query as the system itself does, with the buffer too
// small and with one large enough: the same answer and, given data, the same block.
TEST(LoadSamplerWin32, QueryMadeAheadAnswersAsTheSystem) {
  for (const std::uint32_t capacity : {16u, 1u << 20}) {
    Win32LoadPlatform live, ahead;
    ahead.PrefetchProcessorObject();
    std::vector<std::uint8_t> fromLive(capacity), fromAhead(capacity);
    std::uint32_t liveSize = capacity, aheadSize = capacity;
    const long liveAnswer = live.QueryProcessorObject(fromLive.data(), liveSize);
    const long aheadAnswer = ahead.QueryProcessorObject(fromAhead.data(), aheadSize);
    std::printf("capacity %u: system %ld, ahead %ld\n", capacity, liveAnswer, aheadAnswer);
    EXPECT_EQ(aheadAnswer, liveAnswer) << capacity;
    if (liveAnswer == 0 && aheadAnswer == 0) {
      EXPECT_EQ(std::memcmp(fromAhead.data(), fromLive.data(), 8), 0) << "PERF and its version";
    }
    live.ClosePerformanceData();
  }
}

TEST(LoadSamplerWin32, ProcessSamplerIsOneAndStops) {
  LoadSampler& a = ProcessLoadSampler();
  EXPECT_EQ(&a, &ProcessLoadSampler());
  a.UsageValue(0);
  a.StopLoadSampling();
}

}  // namespace
}  // namespace kvn
