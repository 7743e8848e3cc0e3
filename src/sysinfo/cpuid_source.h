#pragma once
// Where the processor library gets its CPUID registers, processor count, affinity and clock
// from. The real services execute the instructions on Windows; a dump file or a test stands in
// for them everywhere else.
#include <cstdint>
#include <functional>

namespace kvn {

// One CPUID record. A register renders as text as its four bytes in memory order.
struct CpuidRegisters {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
  friend bool operator==(const CpuidRegisters&, const CpuidRegisters&) = default;
};

// Executes CPUID with a leaf in EAX and a sub-leaf in ECX on whatever processor runs the calling
// thread. Leaves without sub-leaves ignore ECX; the library passes 0 for them.
class ICpuidSource {
 public:
  virtual ~ICpuidSource() = default;
  virtual CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t subLeaf) = 0;
};

// The process-wide services around CPUID: processor count and pinning.
class ICpuSystem {
 public:
  virtual ~ICpuSystem() = default;
  // dwNumberOfProcessors of the system information query.
  virtual std::uint32_t ProcessorCount() = 0;
  // Pins the calling thread, and only it, to the processors of `mask`; the thread's mask before,
  // 0 when refused (a processor outside the process's own mask, which the user may have narrowed)
  // or impossible (Windows 9x): the reading then runs unpinned.
  virtual std::uint32_t SetThreadAffinityMask(std::uint32_t mask) = 0;
  // Sleep(0): gives up the time slice so the thread moves to the processor just chosen.
  virtual void YieldTimeSlice() = 0;
};

// The counters the clock measurement reads, and the thread it runs on.
class ICpuClock {
 public:
  virtual ~ICpuClock() = default;
  virtual std::uint64_t ReadTimeStampCounter() = 0;
  virtual std::int64_t ReadPerformanceCounter() = 0;
  virtual std::int64_t PerformanceFrequency() = 0;
  virtual std::uint32_t TickCount() = 0;
  // Runs the job on a worker thread at time-critical priority and waits for it to end.
  // Throws when the thread cannot be created.
  virtual void RunTimeCritical(const std::function<void()>& job) = 0;
};

}  // namespace kvn
