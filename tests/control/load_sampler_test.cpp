#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "control/load_sampler.h"
#include "fakes/perf_buffer_builder.h"
#include "fakes/perf_fake_platform.h"

namespace kvn {
namespace {

using fake::BuildProcessorBlock;
using fake::FakeLoadPlatform;
using fake::MakeSystemTime;
using ::testing::ElementsAre;

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const LoadSamplingError& e) {
    return e.what();
  }
  return "";
}

// 1,000,000 units of time is 100 ms.
TEST(LoadSamplerNT, LoadIsOneMinusIdleOverElapsedTime) {
  FakeLoadPlatform p;
  p.blocks.push_back(BuildProcessorBlock({1000000, 5000000, 0}, MakeSystemTime(10, 0)).bytes);
  p.blocks.push_back(BuildProcessorBlock({1750000, 5000000, 0}, MakeSystemTime(10, 100)).bytes);
  p.blocks.push_back(BuildProcessorBlock({1750000, 5000000, 0}, MakeSystemTime(10, 100)).bytes);
  LoadSampler s(p);
  ASSERT_TRUE(s.IsNT());
  s.TakeLoadSnapshot();
  EXPECT_EQ(s.ProcessorCount(), 3);  // the "_Total" instance counts too
  EXPECT_EQ(s.ProcessorLoad(0), 0.0) << "one snapshot has nothing to compare with";
  s.TakeLoadSnapshot();
  EXPECT_DOUBLE_EQ(s.ProcessorLoad(0), 0.25);
  EXPECT_DOUBLE_EQ(s.ProcessorLoad(1), 1.0);
  // Same millisecond time stamp as the snapshot before: 0.
  s.TakeLoadSnapshot();
  EXPECT_EQ(s.ProcessorLoad(0), 0.0);
  EXPECT_EQ(ErrorOf([&] { s.ProcessorLoad(3); }), "CPU index out of bounds");
  EXPECT_EQ(ErrorOf([&] { s.ProcessorLoad(-1); }), kCpuIndexMessage);
}

TEST(LoadSamplerNT, UsageValueTakesAFreshSnapshotAndTruncates) {
  FakeLoadPlatform p;
  p.blocks.push_back(BuildProcessorBlock({0}, MakeSystemTime(0, 0)).bytes);
  p.blocks.push_back(BuildProcessorBlock({750000}, MakeSystemTime(0, 100)).bytes);
  p.blocks.push_back(BuildProcessorBlock({750000 + 9990}, MakeSystemTime(0, 101)).bytes);
  p.blocks.push_back(BuildProcessorBlock({750000 + 9990 + 10000}, MakeSystemTime(0, 102)).bytes);
  p.blocks.push_back(BuildProcessorBlock({760000 + 9990 + 25000}, MakeSystemTime(0, 103)).bytes);
  LoadSampler s(p);
  s.TakeLoadSnapshot();
  EXPECT_EQ(s.UsageValue(0), 25);
  EXPECT_EQ(p.queries, 2);
  EXPECT_EQ(s.UsageValue(0), 0) << "0.001 exactly idle gives 0.1 %, truncated";
  EXPECT_EQ(s.UsageValue(0), 0);
  EXPECT_EQ(s.UsageValue(0), -150) << "counters ahead of the clock: out of range, not limited";
}

TEST(LoadSamplerNT, BufferGrowsBy4096UntilTheBlockFits) {
  FakeLoadPlatform p;
  std::vector<std::int64_t> many(700, 5);  // 700 instances, about 34 KB
  p.blocks.push_back(BuildProcessorBlock(many, MakeSystemTime(0, 0)).bytes);
  LoadSampler s(p);
  s.TakeLoadSnapshot();
  const std::size_t need = p.blocks.front().size();
  EXPECT_GE(s.BufferSize(), need);
  EXPECT_LT(s.BufferSize(), need + 4096);
  EXPECT_EQ((s.BufferSize() - 8192) % 4096, 0u);
  EXPECT_EQ(p.moreDataAnswers, static_cast<int>((s.BufferSize() - 8192) / 4096));
  EXPECT_EQ(s.ProcessorCount(), 700);
}

TEST(LoadSamplerNT, ErrorsWhenTheObjectIsMissingAndNoFallbackExists) {
  struct Case {
    const char* what;
    std::function<void(FakeLoadPlatform&)> setup;
    const char* message;
  } cases[] = {
      {"query fails", [](FakeLoadPlatform& p) { p.failAnswer = 2; }, kNoProcessorObjectMessage},
      {"query never has room", [](FakeLoadPlatform& p) { p.alwaysMoreData = true; },
       kNoProcessorObjectMessage},
      {"other object only",
       [](FakeLoadPlatform& p) {
         fake::PerfObjectSpec o;
         o.titleIndex = 230;
         p.blocks.push_back(fake::BuildPerfBlock({o}, MakeSystemTime(0, 0)).bytes);
       },
       kNoProcessorObjectMessage},
      {"counter missing",
       [](FakeLoadPlatform& p) {
         fake::PerfObjectSpec o;
         o.counters = {240};
         p.blocks.push_back(fake::BuildPerfBlock({o}, MakeSystemTime(0, 0)).bytes);
       },
       kNoUsageCounterMessage},
  };
  for (const auto& c : cases) {
    FakeLoadPlatform p;
    c.setup(p);
    LoadSampler s(p);
    EXPECT_EQ(ErrorOf([&] { s.TakeLoadSnapshot(); }), c.message) << c.what;
    EXPECT_EQ(ErrorOf([&] { s.UsageValue(0); }), c.message) << c.what << ", next tick";
    EXPECT_EQ(s.ProcessorCount(), -1) << c.what;
  }
}

TEST(LoadSamplerNT, FallsBackToProcessorTimesWhenTheObjectIsMissing) {
  FakeLoadPlatform p;
  p.failAnswer = 2;  // as under Wine: no processor object at all
  p.processorTimesAvailable = true;
  // kernel includes idle; total = kernel + user.
  p.processorTimes.push_back({{1000, 1500, 500}, {2000, 2000, 0}});
  p.processorTimes.push_back({{1750, 2250, 750}, {2000, 3000, 0}});
  p.processorTimes.push_back({{1750, 2250, 750}, {2000, 3000, 0}});
  LoadSampler s(p);
  s.TakeLoadSnapshot();
  EXPECT_TRUE(s.UsingProcessorTimes());
  EXPECT_EQ(s.ProcessorCount(), 2);
  s.TakeLoadSnapshot();
  EXPECT_DOUBLE_EQ(s.ProcessorLoad(0), 0.25);  // idle 750 of 1000
  EXPECT_DOUBLE_EQ(s.ProcessorLoad(1), 1.0);
  EXPECT_EQ(s.UsageValue(0), 0) << "no time elapsed between two readings";
  const int queriesAfterSwitch = p.queries;
  s.TakeLoadSnapshot();
  EXPECT_EQ(p.queries, queriesAfterSwitch) << "the performance data is not queried again";

  // Once the fallback fails, the sampler's own message comes out.
  p.processorTimesAvailable = false;
  EXPECT_EQ(ErrorOf([&] { s.TakeLoadSnapshot(); }), kStatDataMessage);
}

TEST(LoadSamplerNT, PerformanceDataThatBreaksLaterFallsBackToProcessorTimes) {
  FakeLoadPlatform p;
  p.blocks.push_back(BuildProcessorBlock({0, 0, 0}, MakeSystemTime(0, 0)).bytes);
  p.blocks.push_back(BuildProcessorBlock({500000, 500000, 500000}, MakeSystemTime(0, 100)).bytes);
  p.processorTimesAvailable = true;
  p.processorTimes.push_back({{9000, 9000, 0}, {9000, 9000, 0}});
  p.processorTimes.push_back({{9100, 9400, 0}, {9400, 9400, 0}});
  LoadSampler s(p);
  std::vector<std::string> log;
  s.WriteLog = [&](const std::string& line) { log.push_back(line); };
  s.TakeLoadSnapshot();
  s.TakeLoadSnapshot();
  EXPECT_EQ(s.LoadValue(0), 50);
  EXPECT_EQ(s.ProcessorCount(), 3);
  EXPECT_TRUE(log.empty());
  p.blocks.front().resize(40);  // damaged from now on
  s.TakeLoadSnapshot();
  EXPECT_TRUE(s.UsingProcessorTimes());
  EXPECT_EQ(p.performanceDataClosed, 1) << "the performance data is let go at the switch";
  EXPECT_EQ(s.ProcessorCount(), 2) << "counted afresh: no \"_Total\" among the idle times";
  EXPECT_EQ(s.LoadValue(0), 0) << "the first reading of the new source compares with nothing";
  EXPECT_EQ(s.UsageValue(0), 75);
  EXPECT_EQ(s.LoadValue(1), 0);
  EXPECT_THAT(log, ElementsAre(std::string(kNoProcessorObjectMessage) +
                               " : charge lue sur les temps d'inactivité"))
      << "the switch is logged, once";
  s.StopLoadSampling();
  EXPECT_EQ(p.performanceDataClosed, 1);

  // With no idle times either, the object's error stands.
  FakeLoadPlatform q;
  q.blocks.push_back(BuildProcessorBlock({0, 0}, MakeSystemTime(0, 0)).bytes);
  LoadSampler t(q);
  t.TakeLoadSnapshot();
  q.blocks.front().resize(40);
  EXPECT_EQ(ErrorOf([&] { t.TakeLoadSnapshot(); }), kNoProcessorObjectMessage);
  EXPECT_FALSE(t.UsingProcessorTimes());
}

TEST(LoadSampler, VersionFailureRaises) {
  FakeLoadPlatform p;
  p.versionOk = false;
  EXPECT_EQ(ErrorOf([&] { LoadSampler s(p); }), "Can't get the Windows version");
}

TEST(LoadSampler9x, KernelUsageIsAPercentage) {
  struct Case {
    std::uint32_t reading;
    std::int32_t usage;
  } cases[] = {{29, 28}, {57, 56}, {58, 57}, {0, 0}, {100, 100}, {25, 25}, {50, 50}};
  for (const auto& c : cases) {
    FakeLoadPlatform p;
    p.platformId = 1;
    p.statValues = {c.reading};
    LoadSampler s(p);
    EXPECT_FALSE(s.IsNT());
    EXPECT_EQ(s.UsageValue(0), c.usage) << c.reading;
    EXPECT_DOUBLE_EQ(s.ProcessorLoad(0), c.reading / 100.0);
  }
}

TEST(LoadSampler9x, StartReadStopAndErrors) {
  FakeLoadPlatform p;
  p.platformId = 1;
  p.startValue = 12;
  LoadSampler s(p);
  EXPECT_DOUBLE_EQ(s.ProcessorLoad(0), 0.12) << "first read starts the statistic";
  EXPECT_TRUE(p.statDataOpen);
  EXPECT_EQ(ErrorOf([&] { s.ProcessorLoad(1); }), "CPU index out of bounds");
  s.StopLoadSampling();
  EXPECT_FALSE(p.statDataOpen);
  EXPECT_EQ(p.stopStatCalls, 1);
  s.StopLoadSampling();
  EXPECT_EQ(p.stopStatCalls, 1) << "stopping twice stops once";
}

// A 9x version record whose kernel statistic cannot be started (Wine's Windows 98 mode has no
// HKEY_DYN_DATA statistics): the idle times where the kernel has them, else a load of 0. Either
// way no tick raises, and the log hears of it once.
TEST(LoadSampler9x, MissingStatisticFallsBackAndNeverRaises) {
  struct Case {
    const char* what;
    std::uint32_t platformId;
    bool startOpens, statDataOpens, idleTimes;
    std::int32_t secondUsage0, secondUsage1;
    int stopStatCalls;
    const char* logLine;
  } cases[] = {
      {"no start key, idle times", 1, false, true, true, 50, 25, 0,
       "Unable to start performance monitoring : charge lue sur les temps d'inactivité"},
      {"no data key, idle times", 1, true, false, true, 50, 25, 1,
       "Unable to read performance data : charge lue sur les temps d'inactivité"},
      {"no start key, nothing else", 1, false, true, false, 0, 0, 0,
       "Unable to start performance monitoring : charge processeur lue à 0"},
      {"Win32s, no start key", 0, false, true, false, 0, 0, 0,
       "Unable to start performance monitoring : charge processeur lue à 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeLoadPlatform p;
    p.platformId = c.platformId;
    p.startOpens = c.startOpens;
    p.statDataOpens = c.statDataOpens;
    p.processorTimesAvailable = c.idleTimes;
    // Two processors: the first idle half of the span, the second three quarters.
    p.processorTimes = {{{0, 0, 0}, {0, 0, 0}}, {{50, 60, 40}, {75, 80, 20}}};
    LoadSampler s(p);
    std::vector<std::string> log;
    s.WriteLog = [&](const std::string& line) { log.push_back(line); };
    // A tick as the program reads it: a snapshot for processor 0, the others over that interval.
    EXPECT_EQ(s.UsageValue(0), 0) << "the first reading has nothing to compare with";
    EXPECT_EQ(s.UsageValue(0), c.secondUsage0);
    EXPECT_EQ(s.LoadValue(1), c.secondUsage1);
    for (int tick = 0; tick < 3; ++tick) EXPECT_NO_THROW(s.UsageValue(0));
    EXPECT_THAT(log, ElementsAre(c.logLine));
    EXPECT_EQ(s.UsingProcessorTimes(), c.idleTimes);
    EXPECT_EQ(s.LoadMissing(), !c.idleTimes);
    EXPECT_EQ(p.stopStatCalls, c.stopStatCalls) << "a started statistic is stopped again";
    EXPECT_NO_THROW(s.StopLoadSampling());
  }
}

// Usage values handed out in order, with the processor count Windows reports.
class ScriptedLoads : public ProcessorLoadSource {
 public:
  ScriptedLoads(int count, std::deque<std::int32_t> values) : count_(count), values_(values) {}
  int ProcessorCount() override { return count_; }
  std::int32_t UsageValue(int index) override {
    indexes.push_back(index);
    if (values_.empty()) throw LoadSamplingError(kCpuIndexMessage);
    const std::int32_t v = values_.front();
    values_.pop_front();
    return v;
  }
  std::vector<int> indexes;

 private:
  int count_;
  std::deque<std::int32_t> values_;
};

TEST(ReadProcessorLoads, TableOfMachines) {
  struct Case {
    const char* what;
    int count;
    std::deque<std::int32_t> values;
    std::int32_t load0, load1, average;
    bool bar;
    std::vector<int> indexes;
  } cases[] = {
      {"one cpu, 0 then 7", 1, {0, 7}, 7, 0, 7, false, {0, 0}},
      {"one cpu, 0 twice", 1, {0, 0}, 0, 0, 0, false, {0, 0}},
      {"one cpu, 33", 1, {33}, 33, 0, 33, false, {0}},
      {"one cpu, -12", 1, {-12}, 0, 0, 0, false, {0}},
      {"one cpu, 130", 1, {130}, 100, 0, 100, false, {0}},
      {"two cpus, 40 and 0", 2, {40, 0}, 40, 0, 20, true, {0, 1}},
      {"two cpus, 130 and -12", 2, {130, -12}, 100, 0, 50, true, {0, 1}},
      {"two cpus, 25 and 130", 2, {25, 130}, 25, 100, 62, true, {0, 1}},
      // The average is every processor's; the second bar still stops at the first busy one.
      {"four cpus, 40 0 30 90", 4, {40, 0, 30, 90}, 40, 30, 40, true, {0, 1, 2, 3}},
      {"four cpus, all 0", 4, {0, 0, 0, 0}, 0, 0, 0, true, {0, 1, 2, 3}},
      {"four cpus, 10 then -5 -3 -1", 4, {10, -5, -3, -1}, 10, 0, 2, true, {0, 1, 2, 3}},
      {"three cpus, 0 25 0: 8.33", 3, {0, 25, 0}, 0, 25, 8, true, {0, 1, 2}},
      {"eight cpus, all 100 but one",
       8,
       {100, 100, 100, 100, 0, 100, 100, 100},
       100,
       100,
       88,
       true,
       {0, 1, 2, 3, 4, 5, 6, 7}},
      {"two cpus, 25 and 0: 12.5", 2, {25, 0}, 25, 0, 12, true, {0, 1}},
      {"two cpus, 27 and 0: 13.5", 2, {27, 0}, 27, 0, 14, true, {0, 1}},
  };
  for (const auto& c : cases) {
    ScriptedLoads src(c.count, c.values);
    ProcessorLoads loads;
    ReadProcessorLoads(src, loads);
    EXPECT_EQ(loads.CpuLoad0, c.load0) << c.what;
    EXPECT_EQ(loads.CpuLoad1, c.load1) << c.what;
    EXPECT_EQ(loads.CpuLoadAverage, c.average) << c.what;
    EXPECT_EQ(loads.SecondProcessorGaugeVisible, c.bar) << c.what;
    EXPECT_EQ(src.indexes, c.indexes) << c.what;
  }
}

TEST(ReadProcessorLoads, AnErrorAbandonsTheRestOfTheTick) {
  ScriptedLoads src(2, {55});  // the second processor's read raises
  ProcessorLoads loads;
  loads.CpuLoadAverage = 9;
  EXPECT_THROW(ReadProcessorLoads(src, loads), LoadSamplingError);
  EXPECT_EQ(loads.CpuLoad0, 55);
  EXPECT_TRUE(loads.SecondProcessorGaugeVisible);
  EXPECT_EQ(loads.CpuLoadAverage, 9) << "not recomputed";
}

}  // namespace
}  // namespace kvn
