#pragma once
// A scripted LoadPlatform: each performance query answers with the next block of a queue (the
// last one repeats), the 9x statistic reads the next value of its own queue.
#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "control/load_sampler.h"
#include "control/memory_lists.h"

namespace kvn::fake {

class FakeLoadPlatform : public LoadPlatform {
 public:
  bool versionOk = true;
  std::uint32_t platformId = 2;

  // NT
  std::deque<std::vector<std::uint8_t>> blocks;
  long failAnswer = 0;          // when not 0, every query answers this
  bool alwaysMoreData = false;  // a broken provider that never has enough room
  int queries = 0;
  int moreDataAnswers = 0;
  int performanceDataClosed = 0;
  bool processorTimesAvailable = false;
  std::deque<std::vector<ProcessorTimes>> processorTimes;

  // 9x
  bool startOpens = true;
  bool statDataOpens = true;
  std::uint32_t startValue = 0;
  std::deque<std::uint32_t> statValues;
  bool statDataOpen = false;
  int stopStatCalls = 0;

  bool PlatformId(std::uint32_t& id) override {
    if (!versionOk) return false;
    id = platformId;
    return true;
  }

  long QueryProcessorObject(std::uint8_t* buffer, std::uint32_t& size) override {
    ++queries;
    if (failAnswer != 0) return failAnswer;
    if (alwaysMoreData || blocks.empty() || blocks.front().size() > size) {
      ++moreDataAnswers;
      return kErrorMoreData;
    }
    const auto& b = blocks.front();
    std::copy(b.begin(), b.end(), buffer);
    size = static_cast<std::uint32_t>(b.size());
    if (blocks.size() > 1) blocks.pop_front();
    return 0;
  }
  void ClosePerformanceData() override { ++performanceDataClosed; }
  bool QueryProcessorTimes(std::vector<ProcessorTimes>& times) override {
    if (!processorTimesAvailable || processorTimes.empty()) return false;
    times = processorTimes.front();
    if (processorTimes.size() > 1) processorTimes.pop_front();
    return true;
  }

  bool StartStat(std::uint32_t& value) override {
    if (!startOpens) return false;
    value = startValue;
    return true;
  }
  bool OpenStatData() override { return statDataOpen = statDataOpens; }
  void ReadStatData(std::uint32_t& value) override {
    if (statValues.empty()) return;
    value = statValues.front();
    if (statValues.size() > 1) statValues.pop_front();
  }
  void CloseStatData() override { statDataOpen = false; }
  void StopStat() override { ++stopStatCalls; }
};

// The memory lists' services: a release, a name table (none: unreadable) and one block.
struct FakeMemoryListPlatform : MemoryListPlatform {
  unsigned major = 6;
  std::optional<std::vector<std::uint8_t>> names;
  std::vector<std::uint8_t> block;
  int namesRead = 0, queries = 0;
  unsigned MajorVersion() override { return major; }
  bool ReadCounterNames(std::vector<std::uint8_t>& out) override {
    ++namesRead;
    out = names.value_or(out);
    return names.has_value();
  }
  long QueryMemoryObject(std::uint8_t* buffer, std::uint32_t& size) override {
    ++queries;
    if (block.size() > size) return kErrorMoreData;
    size = static_cast<std::uint32_t>(std::copy(block.begin(), block.end(), buffer) - buffer);
    return 0;
  }
};

}  // namespace kvn::fake
