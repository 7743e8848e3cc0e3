#pragma once
// Processor load sampler: NT performance data (object 238, counter 6), the 9x kernel statistic
// "KERNEL\CPUUsage", and where the processor object is missing (counters disabled, Wine) the
// per-processor idle times of NtQuerySystemInformation, with the same arithmetic.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "control/perf_data.h"

namespace kvn {

// One processor's times as NtQuerySystemInformation gives them, 100 ns units. Kernel time
// includes idle time.
struct ProcessorTimes {
  std::int64_t idle = 0;
  std::int64_t kernel = 0;
  std::int64_t user = 0;
};

// The system services the sampler calls; one method per operation.
class LoadPlatform {
 public:
  static constexpr long kErrorMoreData = 234;

  virtual ~LoadPlatform() = default;

  // The platform id of the version query (GetVersionEx's dwPlatformId); false when it failed.
  virtual bool PlatformId(std::uint32_t& id) = 0;

  // NT: RegQueryValueEx(HKEY_PERFORMANCE_DATA, "238") into buffer, size in and out. Returns the
  // system's answer (0, kErrorMoreData, or any other error code).
  virtual long QueryProcessorObject(std::uint8_t* buffer, std::uint32_t& size) = 0;
  // NT: closes HKEY_PERFORMANCE_DATA at the end of the run.
  virtual void ClosePerformanceData() = 0;
  // NT fallback: one entry per processor; false when the call is not available or fails.
  virtual bool QueryProcessorTimes(std::vector<ProcessorTimes>& times) = 0;

  // 9x: open HKEY_DYN_DATA "PerfStats\StartStat", read "KERNEL\CPUUsage" into value, close.
  // False when the key cannot be opened (value untouched when only the read fails).
  virtual bool StartStat(std::uint32_t& value) = 0;
  // 9x: open "PerfStats\StatData" with KEY_READ and keep it open.
  virtual bool OpenStatData() = 0;
  // 9x: read "KERNEL\CPUUsage" from the open StatData key; value untouched on failure.
  virtual void ReadStatData(std::uint32_t& value) = 0;
  virtual void CloseStatData() = 0;
  // 9x: open "PerfStats\StopStat", read "KERNEL\CPUUsage", close; failures ignored.
  virtual void StopStat() = 0;
};

class LoadSampler {
 public:
  static constexpr std::uint32_t kInitialBufferSize = 8192;
  static constexpr std::uint32_t kBufferStep = 4096;
  // A query that keeps answering "more data" past this size is treated as a missing object
  // instead of growing the buffer for ever.
  static constexpr std::uint32_t kMaxBufferSize = 16u << 20;

  // Reads the Windows version (throws "Can't get the Windows version").
  explicit LoadSampler(LoadPlatform& platform);
  LoadSampler(const LoadSampler&) = delete;
  LoadSampler& operator=(const LoadSampler&) = delete;
  ~LoadSampler() = default;

  // Where a 9x kernel statistic cannot be started, the sampler reads the idle times or, without
  // them, a load of 0, and says so here once; so does a switch to the idle times on NT.
  std::function<void(const std::string&)> WriteLog;

  void TakeLoadSnapshot();
  double ProcessorLoad(int index);
  void StopLoadSampling();
  // The usage value of processor index: a fresh snapshot, then the load in percent truncated.
  std::int32_t UsageValue(int index);
  // The load in percent, truncated, between the last two snapshots (none is taken).
  std::int32_t LoadValue(int index);

  bool IsNT() const { return isNT_; }
  std::int32_t ProcessorCount() const { return processorCount_; }
  // True once the processor object proved missing or broken and the NT idle times are read
  // instead.
  bool UsingProcessorTimes() const { return useProcessorTimes_; }
  // True once no load source could be started: every load reads 0.
  bool LoadMissing() const { return loadMissing_; }
  std::uint32_t BufferSize() const { return bufferSize_; }

 private:
  void SnapshotNT();
  void SwitchToProcessorTimes();
  void SnapshotProcessorTimes();
  void CommitProcessorTimes(const std::vector<ProcessorTimes>& times);
  void Snapshot9x();
  void FallBackFrom9x(const char* failure);
  void Commit(std::vector<std::int64_t> idle, std::int64_t time);

  LoadPlatform& platform_;
  bool isNT_ = false;
  std::vector<std::uint8_t> buffer_;
  std::uint32_t bufferSize_ = kInitialBufferSize;
  std::int32_t processorCount_ = -1;
  std::vector<std::int64_t> counters_;
  std::vector<std::int64_t> previousCounters_;
  std::int64_t time_ = 0;
  std::int64_t previousTime_ = 0;
  // Fallback only: each processor's kernel + user time, the span its idle time is measured in.
  std::vector<std::int64_t> totals_;
  std::vector<std::int64_t> previousTotals_;
  int snapshots_ = 0;
  bool useProcessorTimes_ = false;
  bool started_ = false;
  std::uint32_t load9x_ = 0;
  bool loadMissing_ = false;
};

// What ReadProcessorLoads needs: the processor count Windows reports and the usage value of a
// processor (the processor library exposes both; a sampler-backed source serves the program).
class ProcessorLoadSource {
 public:
  virtual ~ProcessorLoadSource() = default;
  virtual int ProcessorCount() = 0;
  virtual std::int32_t UsageValue(int index) = 0;
  // False while no load source answers and the usage values are mere zeros.
  virtual bool LoadKnown() { return true; }
};

struct ProcessorLoads {
  std::int32_t CpuLoad0 = 0;
  std::int32_t CpuLoad1 = 0;
  std::int32_t CpuLoadAverage = 0;
  bool SecondProcessorGaugeVisible = false;  // set once the machine shows more than one processor
};

// The per-tick reading: processor 0, the first busy one after it for the second bar, and the
// mean of every processor's load (each limited to 0..100, halves to even). Fields are written as
// they are computed, so an error part-way leaves the ones already read in place.
void ReadProcessorLoads(ProcessorLoadSource& source, ProcessorLoads& loads);

}  // namespace kvn
