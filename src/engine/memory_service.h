#pragma once
// The engine's narrow view of the operating system: the memory status record, one 1 MB block
// committed, zero-filled and released, and the thread's message queue drained. The Win32
// implementation lives in memory_service_win32.*; tests substitute a fake.
#include <cstdint>

namespace kvn {

// One reading of the memory status record, widened to 64 bits: the 32-bit record wraps or caps
// its members on machines with more than 2 to 4 GB.
struct MemoryStatus {
  std::uint64_t totalPhys = 0;
  std::uint64_t availPhys = 0;
  std::uint64_t totalPageFile = 0;
  std::uint64_t availPageFile = 0;
  std::uint64_t totalVirtual = 0;
  std::uint64_t availVirtual = 0;
};

class MemoryService {
 public:
  virtual ~MemoryService() = default;

  // A fresh reading on every call; nothing is cached.
  virtual MemoryStatus ReadStatus() = 0;
  // Commits one block of BlockSize bytes, read-write and uncached; null when no commit charge
  // is left.
  virtual void* CommitBlock() = 0;
  // Writes zeros over the whole block so that every page gets physical memory. False when the
  // block could not be written.
  virtual bool ZeroFillBlock(void* block) = 0;
  // Gives a block back to the system.
  virtual void ReleaseBlock(void* block) = 0;
  // Dispatches every queued message of the calling thread. A quit request is put back at once
  // and ends the draining: returns true then, false when the queue ran empty.
  virtual bool PumpMessages() = 0;
  // Whether the pass should drain the queue (and report its progress) after this block. Every
  // block by default; a service whose draining is dear may space it out in time, as long as the
  // window stays responsive.
  virtual bool PumpDue() { return true; }
};

}  // namespace kvn
