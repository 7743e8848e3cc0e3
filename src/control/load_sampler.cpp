#include "control/load_sampler.h"

#include <algorithm>

#include "base/rounding.h"

namespace kvn {

namespace {
constexpr std::uint32_t kPlatformWin32NT = 2;
constexpr char kIdleTimesNote[] = " : charge lue sur les temps d'inactivité";
}  // namespace

LoadSampler::LoadSampler(LoadPlatform& platform)
    : platform_(platform), buffer_(kInitialBufferSize, 0) {
  std::uint32_t id = 0;
  if (!platform_.PlatformId(id)) throw LoadSamplingError(kNoVersionMessage);
  isNT_ = id == kPlatformWin32NT;
}

void LoadSampler::TakeLoadSnapshot() {
  if (useProcessorTimes_) return SnapshotProcessorTimes();
  if (!isNT_) return Snapshot9x();
  SnapshotNT();
}

void LoadSampler::SnapshotNT() {
  std::uint32_t size = bufferSize_;
  long answer = platform_.QueryProcessorObject(buffer_.data(), size);
  while (answer == LoadPlatform::kErrorMoreData && bufferSize_ < kMaxBufferSize) {
    bufferSize_ += kBufferStep;
    size = bufferSize_;
    buffer_.resize(bufferSize_);
    answer = platform_.QueryProcessorObject(buffer_.data(), size);
  }
  // Only the bytes the query says it wrote are walked; a failed query leaves none.
  const std::size_t valid = answer == 0 ? std::min<std::size_t>(size, buffer_.size()) : 0;

  ProcessorObjectData data;
  try {
    data = ParseProcessorObject(buffer_.data(), valid, processorCount_);
  } catch (const LoadSamplingError& error) {
    // No usable processor object: counters disabled, a system without them (Wine), or data that
    // went bad during the run. Read the kernel's idle times instead, for the rest of the run;
    // without them the object's error stands.
    std::vector<ProcessorTimes> probe;
    if (!platform_.QueryProcessorTimes(probe) || probe.empty()) throw;
    SwitchToProcessorTimes();
    CommitProcessorTimes(probe);
    // Said once, as on 9x: the switch is for good.
    if (WriteLog) WriteLog(std::string(error.what()) + kIdleTimesNote);
    return;
  }
  std::int64_t stamp = time_;
  // A date Windows itself would refuse leaves the time stamp as it was: the load reads 0.
  SystemTimeToFileTime100ns(data.systemTime, stamp);
  processorCount_ = static_cast<std::int32_t>(data.idleTimes.size());
  Commit(std::move(data.idleTimes), stamp);
}

void LoadSampler::SwitchToProcessorTimes() {
  // The performance data will not be asked again: let its key go now.
  if (processorCount_ != -1) platform_.ClosePerformanceData();
  useProcessorTimes_ = true;
  // Nothing of the other source compares with the new one: the count is fixed afresh (the
  // object counted "_Total" too) and the first reading has nothing to compare with.
  processorCount_ = -1;
  counters_.clear();
  previousCounters_.clear();
  totals_.clear();
  previousTotals_.clear();
  time_ = previousTime_ = 0;
  snapshots_ = 0;
}

void LoadSampler::SnapshotProcessorTimes() {
  std::vector<ProcessorTimes> times;
  if (!platform_.QueryProcessorTimes(times)) throw LoadSamplingError(kStatDataMessage);
  CommitProcessorTimes(times);
}

void LoadSampler::CommitProcessorTimes(const std::vector<ProcessorTimes>& times) {
  if (times.empty()) throw LoadSamplingError(kStatDataMessage);
  if (processorCount_ == -1) processorCount_ = static_cast<std::int32_t>(times.size());
  if (times.size() < static_cast<std::size_t>(processorCount_))
    throw LoadSamplingError(kStatDataMessage);

  std::vector<std::int64_t> idle(processorCount_);
  std::vector<std::int64_t> total(processorCount_);
  for (std::int32_t i = 0; i < processorCount_; ++i) {
    idle[i] = times[i].idle;
    total[i] = times[i].kernel + times[i].user;
  }
  previousTotals_ = totals_.empty() ? std::vector<std::int64_t>(total.size(), 0) : totals_;
  totals_ = std::move(total);
  // Each processor's idle time is measured against its own kernel + user time, which runs on
  // the same clock; the shared time stamp is not used on this path.
  Commit(std::move(idle), time_);
}

void LoadSampler::Commit(std::vector<std::int64_t> idle, std::int64_t time) {
  previousCounters_ = counters_.empty() ? std::vector<std::int64_t>(idle.size(), 0) : counters_;
  counters_ = std::move(idle);
  previousTime_ = time_;
  time_ = time;
  if (snapshots_ < 2) ++snapshots_;
}

void LoadSampler::Snapshot9x() {
  if (loadMissing_) return;
  if (!started_) {
    if (!platform_.StartStat(load9x_)) return FallBackFrom9x(kStartStatMessage);
    if (!platform_.OpenStatData()) {
      platform_.StopStat();
      return FallBackFrom9x(kStatDataMessage);
    }
    started_ = true;
  }
  platform_.ReadStatData(load9x_);
}

void LoadSampler::FallBackFrom9x(const char* failure) {
  // A 9x version record without the kernel statistic (a compatibility layer, Wine's Windows 98
  // mode): the kernel's idle times where they exist, else no load at all. A missing load source
  // is never worth ending the program over.
  std::vector<ProcessorTimes> probe;
  if (platform_.QueryProcessorTimes(probe) && !probe.empty()) {
    SwitchToProcessorTimes();
    CommitProcessorTimes(probe);
    if (WriteLog) WriteLog(std::string(failure) + kIdleTimesNote);
    return;
  }
  loadMissing_ = true;
  load9x_ = 0;
  if (WriteLog) WriteLog(std::string(failure) + " : charge processeur lue à 0");
}

double LoadSampler::ProcessorLoad(int index) {
  if (!isNT_ && !useProcessorTimes_) {
    if (!started_ && !loadMissing_) TakeLoadSnapshot();
    if (loadMissing_) return 0;
    if (!useProcessorTimes_) {
      if (index != 0) throw LoadSamplingError(kCpuIndexMessage);
      return load9x_ / 100.0;
    }
  }
  if (processorCount_ == -1) TakeLoadSnapshot();
  if (index < 0 || index >= processorCount_) throw LoadSamplingError(kCpuIndexMessage);
  // One snapshot alone has nothing to compare with.
  if (snapshots_ < 2) return 0;
  const std::int64_t idle = counters_[index] - previousCounters_[index];
  const std::int64_t span =
      useProcessorTimes_ ? totals_[index] - previousTotals_[index] : time_ - previousTime_;
  if (span == 0) return 0;
  return 1.0 - static_cast<double>(idle) / static_cast<double>(span);
}

std::int32_t LoadSampler::UsageValue(int index) {
  TakeLoadSnapshot();
  return LoadValue(index);
}

std::int32_t LoadSampler::LoadValue(int index) {
  // Held in memory as doubles: the x87 unit would otherwise keep extra precision and turn the
  // 9x reading 29 (0.28999...) into 29 instead of 28.
  volatile double load = ProcessorLoad(index);
  volatile double scaled = load * 100;
  const double percent = scaled;
  // Truncated toward zero; a wild value (counters that went backwards) saturates.
  if (!(percent > -1e9)) return -1000000000;
  if (percent > 1e9) return 1000000000;
  return static_cast<std::int32_t>(percent);
}

void LoadSampler::StopLoadSampling() {
  if (!isNT_ && started_) {
    started_ = false;
    platform_.CloseStatData();
    platform_.StopStat();
  }
  if (isNT_ && !useProcessorTimes_ && processorCount_ != -1) platform_.ClosePerformanceData();
  buffer_.clear();
  buffer_.shrink_to_fit();
}

void ReadProcessorLoads(ProcessorLoadSource& source, ProcessorLoads& loads) {
  auto limit = [](std::int32_t v) { return std::clamp<std::int32_t>(v, 0, 100); };
  int n = source.ProcessorCount();
  if (n <= 1) {
    loads.CpuLoad0 = source.UsageValue(0);
    if (loads.CpuLoad0 == 0) loads.CpuLoad0 = source.UsageValue(0);
    loads.CpuLoad0 = limit(loads.CpuLoad0);
    loads.CpuLoad1 = 0;
    loads.CpuLoadAverage = loads.CpuLoad0;
    return;
  }
  loads.SecondProcessorGaugeVisible = true;
  loads.CpuLoad0 = limit(source.UsageValue(0));
  loads.CpuLoad1 = 0;
  // The second bar shows the first busy processor after 0; the average is that of every
  // processor, so that on a machine with many of them the rules see the load it really has.
  std::int64_t sum = loads.CpuLoad0;
  int counted = 1;
  bool busyFound = false;
  n = source.ProcessorCount();
  for (int i = 1; i < n; ++i, ++counted) {
    const std::int32_t value = source.UsageValue(i);
    if (!busyFound) {
      loads.CpuLoad1 = value;
      busyFound = value > 0;
    }
    sum += limit(value);
  }
  loads.CpuLoad1 = limit(loads.CpuLoad1);
  loads.CpuLoadAverage =
      static_cast<std::int32_t>(RoundHalfEven(static_cast<long double>(sum) / counted));
}

}  // namespace kvn
