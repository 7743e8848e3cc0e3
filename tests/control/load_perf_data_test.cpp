#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "control/perf_data.h"
#include "fakes/perf_buffer_builder.h"

namespace kvn {
namespace {

using fake::BuildPerfBlock;
using fake::BuildProcessorBlock;
using fake::MakeSystemTime;
using fake::PerfBlock;
using fake::PerfObjectSpec;
using namespace perf_layout;

std::string ParseError(const std::vector<std::uint8_t>& bytes, std::int32_t count) {
  try {
    ParseProcessorObject(bytes.data(), bytes.size(), count);
  } catch (const LoadSamplingError& e) {
    return e.what();
  }
  return "";
}

TEST(PerfData, ReadsIdleTimesOfEveryInstanceAndTheTimeStamp) {
  PerfBlock pb = BuildProcessorBlock({111, 222, 333}, MakeSystemTime(5, 250));
  ProcessorObjectData d = ParseProcessorObject(pb.bytes.data(), pb.bytes.size(), -1);
  EXPECT_EQ(d.numInstances, 3);
  EXPECT_EQ(d.idleTimes, (std::vector<std::int64_t>{111, 222, 333}));
  EXPECT_EQ(d.systemTime.second, 5);
  EXPECT_EQ(d.systemTime.milliseconds, 250);

  // Later snapshots read the count fixed at the first one, even if the object grew.
  d = ParseProcessorObject(pb.bytes.data(), pb.bytes.size(), 2);
  EXPECT_EQ(d.idleTimes, (std::vector<std::int64_t>{111, 222}));
}

TEST(PerfData, FindsTheProcessorObjectAndCounterAmongOthers) {
  PerfObjectSpec other;
  other.titleIndex = 230;  // Process
  other.idleTimes = {9, 9, 9, 9};
  PerfObjectSpec cpu;
  cpu.counters = {142, 144, 1746, 6, 240};
  cpu.idleTimes = {70, 80};
  PerfBlock pb = BuildPerfBlock({other, cpu}, MakeSystemTime(0, 0));
  ProcessorObjectData d = ParseProcessorObject(pb.bytes.data(), pb.bytes.size(), -1);
  EXPECT_EQ(d.idleTimes, (std::vector<std::int64_t>{70, 80}));
}

TEST(PerfData, MissingObjectOrCounterRaiseTheirMessages) {
  PerfObjectSpec notCpu;
  notCpu.titleIndex = 230;
  EXPECT_EQ(ParseError(BuildPerfBlock({notCpu}, MakeSystemTime(0, 0)).bytes, -1),
            "Unable to locate the \"Processor\" performance object");
  EXPECT_EQ(ParseError(BuildPerfBlock({}, MakeSystemTime(0, 0)).bytes, -1),
            kNoProcessorObjectMessage);
  PerfObjectSpec noCounter;
  noCounter.counters = {240, 142};
  EXPECT_EQ(ParseError(BuildPerfBlock({noCounter}, MakeSystemTime(0, 0)).bytes, -1),
            "Unable to locate the \"% of CPU usage\" performance counter");
}

// Every damaged field raises one of the two errors; none reads outside the block (the native
// build runs this under AddressSanitizer).
TEST(PerfData, DamagedFieldsRaiseInsteadOfReadingOutOfBounds) {
  PerfObjectSpec other;
  other.titleIndex = 230;
  PerfObjectSpec cpu;
  cpu.idleTimes = {1, 2, 3};
  const PerfBlock good = BuildPerfBlock({other, cpu}, MakeSystemTime(0, 0));
  const std::size_t obj = good.objectPos[1];
  const std::size_t ctr = good.counterPos[1][1];
  const std::size_t inst = good.instancePos[1][1];
  const std::size_t blk = good.blockPos[1][2];
  struct Case {
    const char* what;
    std::size_t pos;
    std::uint32_t value;
    const char* message;
  } cases[] = {
      {"header length past the end", kBlockHeaderLength, 0xFFFFFFF0u, kNoProcessorObjectMessage},
      {"no object types", kBlockNumObjectTypes, 0, kNoProcessorObjectMessage},
      {"one object type only", kBlockNumObjectTypes, 1, kNoProcessorObjectMessage},
      {"endless object types, zero length", good.objectPos[0], 0, kNoProcessorObjectMessage},
      {"object length jumps out", good.objectPos[0], 0x7FFFFFFFu, kNoProcessorObjectMessage},
      {"instances -1", obj + kObjNumInstances, 0xFFFFFFFFu, kNoProcessorObjectMessage},
      {"instances 0", obj + kObjNumInstances, 0, kNoProcessorObjectMessage},
      {"a billion instances", obj + kObjNumInstances, 1000000000u, kNoUsageCounterMessage},
      {"four instances in a block of three", obj + kObjNumInstances, 4, kNoUsageCounterMessage},
      {"counter header past the end", obj + kObjHeaderLength, 0x80000000u, kNoUsageCounterMessage},
      {"counter length zero", good.counterPos[1][0], 0, kNoUsageCounterMessage},
      {"counter length jumps out", good.counterPos[1][0], 0xFFFFFF00u, kNoUsageCounterMessage},
      {"counter 6 beyond the declared count", obj + kObjNumCounters, 1, kNoUsageCounterMessage},
      {"counter offset past the block", ctr + kCtrCounterOffset, 28, kNoUsageCounterMessage},
      {"counter offset near 4 GB", ctr + kCtrCounterOffset, 0xFFFFFFFCu, kNoUsageCounterMessage},
      {"definition length past the end", obj + kObjDefinitionLength, 0xFFFFFFFFu,
       kNoUsageCounterMessage},
      {"instance length past the end", inst, 0x7FFFFFFFu, kNoUsageCounterMessage},
      {"instance length too short", inst, 3, kNoUsageCounterMessage},
      {"counter block longer than the data", blk, 0x00100000u, kNoUsageCounterMessage},
      {"counter block length zero", blk, 0, kNoUsageCounterMessage},
  };
  for (const auto& c : cases) {
    PerfBlock pb = good;
    pb.Put32(c.pos, c.value);
    EXPECT_EQ(ParseError(pb.bytes, -1), c.message) << c.what;
  }
}

TEST(PerfData, EveryTruncationRaisesOrReadsOnlyWhatIsThere) {
  const PerfBlock good = BuildProcessorBlock({10, 20}, MakeSystemTime(1, 2));
  for (std::size_t n = 0; n < good.bytes.size(); ++n) {
    // A copy of exactly n bytes, so AddressSanitizer sees any read past it.
    std::vector<std::uint8_t> cut(good.bytes.begin(), good.bytes.begin() + n);
    const std::string error = ParseError(cut, -1);
    EXPECT_TRUE(error == kNoProcessorObjectMessage || error == kNoUsageCounterMessage)
        << "length " << n << ": '" << error << "'";
  }
  EXPECT_EQ(ParseError(good.bytes, -1), "");
  EXPECT_THROW(ParseProcessorObject(nullptr, 100, -1), LoadSamplingError);
}

TEST(PerfData, SystemTimeToFileTime) {
  struct Case {
    PerfSystemTime st;
    bool ok;
    std::int64_t expected;
  } cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, true, 0},
      {{1601, 1, 1, 2, 0, 0, 0, 1}, true, 864000000000LL + 10000},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, true, 116444736000000000LL},
      {{2000, 2, 2, 29, 12, 0, 0, 0}, true, 125962992000000000LL},
      {{2026, 12, 1, 7, 8, 30, 5, 999}, true, 134411058059990000LL},
      {{1900, 2, 0, 29, 0, 0, 0, 0}, false, 0},
      {{2026, 13, 0, 1, 0, 0, 0, 0}, false, 0},
      {{2026, 4, 0, 31, 0, 0, 0, 0}, false, 0},
      {{2026, 1, 0, 1, 24, 0, 0, 0}, false, 0},
      {{2026, 1, 0, 1, 0, 0, 0, 1000}, false, 0},
      {{1600, 12, 0, 31, 0, 0, 0, 0}, false, 0},
      {{0, 0, 0, 0, 0, 0, 0, 0}, false, 0},
  };
  for (const auto& c : cases) {
    std::int64_t out = -1;
    EXPECT_EQ(SystemTimeToFileTime100ns(c.st, out), c.ok) << c.st.year << "-" << c.st.month;
    if (c.ok) {
      EXPECT_EQ(out, c.expected) << c.st.year << "-" << c.st.month << "-" << c.st.day;
    }
  }
}

}  // namespace
}  // namespace kvn
