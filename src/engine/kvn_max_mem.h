// engine/: the MemoryEngine component, the machine's memory quantities and the recovery pass,
// and the memory service it reaches Windows through. Includes base/ and ui/ only.
#pragma once
// MemoryEngine: the machine's memory quantities and the recovery pass that commits, zero-fills and
// releases up to MaxBlocks blocks of 1 MB on the user-interface thread.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/memory_service.h"

namespace kvn {

class MemoryEngine;

using EngineEvent = std::function<void(MemoryEngine& Sender)>;
using EngineProgressEvent = std::function<void(MemoryEngine& Sender, int Progress)>;

// Arithmetic of the quantities on one status reading; the properties below apply them to a
// fresh reading each. Byte and MB quantities are 64-bit, percentages 0..100.
std::int64_t TotalSwapFileSizeOf(const MemoryStatus& status);
int SwapFileUsageOf(const MemoryStatus& status);
std::int64_t SwapFileUsageMBOf(const MemoryStatus& status);
std::int64_t VirtualUsageOf(const MemoryStatus& status);
std::int64_t PageSizeOf(const MemoryStatus& status);

// Installed memory in MB as the program shows it: total bytes / 1024 / 1024, truncated, plus 1
// (535,560,192 bytes give 511).
std::int64_t InstalledRamMB(std::int64_t totalMemoryBytes);

// Progress of a pass after `done` of `steps` steps: nearest whole percentage, halves to even.
int PassProgress(int done, int steps);

class MemoryEngine {
 public:
  static constexpr std::size_t BlockSize = 0x100000;
  static constexpr int MaxBlocks = 1024;

  // The service must outlive the component.
  explicit MemoryEngine(MemoryService& service) : service_(service) {}
  MemoryEngine(const MemoryEngine&) = delete;
  MemoryEngine& operator=(const MemoryEngine&) = delete;

  // Each read is a fresh status reading.
  std::int64_t TotalMemory();        // bytes
  std::int64_t FreeMemory();         // bytes
  std::int64_t TotalSwapFileSize();  // MB; 0 when the commit limit is below physical memory
  std::int64_t SwapFileUsageMB();    // MB, from the rounded percentage
  int SwapFileUsage();               // percent
  std::int64_t VirtualUsage();       // MB of address space
  std::int64_t PageSize();           // MB, negative when the commit limit is below physical memory

  // Runs one pass of min(count, MaxBlocks) blocks. Refused silently while a pass runs. When a
  // handler throws, the blocks held are released, Busy is cleared and the error goes on to the
  // caller without OnAfterDefrag.
  void Defrag(int count);
  // A pass sized on the physical memory (capped at MaxBlocks).
  void DefragAll();
  // Asks the running pass to stop; a request made between passes is dropped by the next Defrag.
  void StopDefrag() { StopRequested_ = true; }
  // Drains the thread's message queue; true when a quit request was met (and put back).
  bool PumpMessages() { return service_.PumpMessages(); }

  bool Busy() const { return Busy_; }
  bool StopRequested() const { return StopRequested_; }

  EngineEvent OnBeforeDefrag;
  EngineProgressEvent OnProgress;
  EngineEvent OnAfterDefrag;

 private:
  void FireProgress(int done, int steps) {
    if (OnProgress) OnProgress(*this, PassProgress(done, steps));
  }

  MemoryService& service_;
  bool StopRequested_ = false;
  bool Busy_ = false;
};

}  // namespace kvn
