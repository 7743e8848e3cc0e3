#pragma once
// The load sampler's Windows services and the program's one sampler.
#include <windows.h>

#include <vector>

#include "base/unique_handle_win32.h"
#include "base/worker_thread_win32.h"
#include "control/load_sampler.h"
#include "control/memory_lists.h"

namespace kvn {

class Win32LoadPlatform : public LoadPlatform {
 public:
  ~Win32LoadPlatform() override;

  bool PlatformId(std::uint32_t& id) override;
  // Makes the next QueryProcessorObject's query now, on a thread of its own (NT only), while the
  // window is built: Windows loads the counters' libraries at the first query, and the sampler's
  // buffer, grown 4 KB at a time, takes Wine some 7 ms of queries. That call waits for the
  // answer if it has not come, and is answered as the system would.
  void PrefetchProcessorObject();
  long QueryProcessorObject(std::uint8_t* buffer, std::uint32_t& size) override;
  void ClosePerformanceData() override;
  bool QueryProcessorTimes(std::vector<ProcessorTimes>& times) override;
  bool StartStat(std::uint32_t& value) override;
  bool OpenStatData() override;
  void ReadStatData(std::uint32_t& value) override;
  void CloseStatData() override;
  void StopStat() override;

 private:
  static DWORD WINAPI Prefetch(void* self);
  // Waits for the query made ahead, whose answer then waits to be served.
  void JoinPrefetch();

  WorkerThread prefetch_;    // the query made ahead, until its answer is taken
  bool prefetched_ = false;  // prefetchAnswer_ and prefetchData_ wait to be served
  long prefetchAnswer_ = 0;
  std::vector<std::uint8_t> prefetchData_;
  std::vector<std::uint8_t> timesBuffer_;
  RegistryKeyHandle statData_;
};

// Starts the program's sampler's first query of the performance data ahead (see
// PrefetchProcessorObject).
void PrefetchProcessorLoad();

// The program's sampler, created at the first call (start-up makes that call before any window
// exists). Throws "Can't get the Windows version" when the release detection's version query
// failed; the next call retries.
LoadSampler& ProcessLoadSampler();

class Win32MemoryListPlatform : public MemoryListPlatform {
 public:
  unsigned MajorVersion() override;
  bool ReadCounterNames(std::vector<std::uint8_t>& names) override;
  long QueryMemoryObject(std::uint8_t* buffer, std::uint32_t& size) override;
};

// The program's reader of the memory lists. The first call starts the lookup of their counters on
// a thread of its own (the name table takes a while to read); the reader answers nothing until
// it is done. The program's end waits for that thread.
MemoryListReader& ProcessMemoryListReader();

// The processor count Windows reports (GetSystemInfo) and the sampler's usage values.
class SystemProcessorLoads : public ProcessorLoadSource {
 public:
  explicit SystemProcessorLoads(LoadSampler& sampler) : sampler_(sampler) {}
  int ProcessorCount() override;
  // One snapshot per tick, taken for processor 0: the other processors are measured over the
  // same interval instead of over the microseconds since that snapshot, which would read 0.
  std::int32_t UsageValue(int index) override {
    return index == 0 ? sampler_.UsageValue(0) : sampler_.LoadValue(index);
  }
  bool LoadKnown() override { return !sampler_.LoadMissing(); }

 private:
  LoadSampler& sampler_;
};

}  // namespace kvn
