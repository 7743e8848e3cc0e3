#include "engine/kvn_max_mem.h"

#include <array>

#include "base/rounding.h"
#include "base/scope_guard.h"

namespace kvn {

namespace {
constexpr std::int64_t kMB = 1048576;
}  // namespace

std::int64_t TotalSwapFileSizeOf(const MemoryStatus& status) {
  // Without a page file the commit limit can sit below physical memory: that is no page file at
  // all, not a difference wrapped round to some 4095 MB.
  if (status.totalPageFile <= status.totalPhys) return 0;
  return static_cast<std::int64_t>((status.totalPageFile - status.totalPhys) >> 20);
}

int SwapFileUsageOf(const MemoryStatus& status) {
  if (status.totalPageFile == 0) return 0;
  const std::uint64_t used =
      status.availPageFile < status.totalPageFile ? status.totalPageFile - status.availPageFile : 0;
  // Multiplying first keeps a true half (12.5) exact, so it goes to the even neighbour.
  return static_cast<int>(RoundHalfEven(static_cast<long double>(used) * 100.0L /
                                        static_cast<long double>(status.totalPageFile)));
}

std::int64_t SwapFileUsageMBOf(const MemoryStatus& status) {
  // From the rounded percentage, in whole numbers: 29 % of 100 MB is 29, not 28.999... truncated.
  return static_cast<std::int64_t>(SwapFileUsageOf(status)) * TotalSwapFileSizeOf(status) / 100;
}

std::int64_t VirtualUsageOf(const MemoryStatus& status) {
  return static_cast<std::int64_t>(status.totalVirtual >> 20);
}

std::int64_t PageSizeOf(const MemoryStatus& status) {
  // Signed on purpose: negative when the commit limit is below physical memory. Integer division
  // truncates toward zero.
  return (static_cast<std::int64_t>(status.totalPageFile) -
          static_cast<std::int64_t>(status.totalPhys)) /
         kMB;
}

std::int64_t InstalledRamMB(std::int64_t totalMemoryBytes) {
  return totalMemoryBytes / 1024 / 1024 + 1;
}

int PassProgress(int done, int steps) {
  if (steps <= 0) return 0;
  return static_cast<int>(
      RoundHalfEven(static_cast<long double>(done) * 100.0L / static_cast<long double>(steps)));
}

std::int64_t MemoryEngine::TotalMemory() {
  return static_cast<std::int64_t>(service_.ReadStatus().totalPhys);
}

std::int64_t MemoryEngine::FreeMemory() {
  return static_cast<std::int64_t>(service_.ReadStatus().availPhys);
}

std::int64_t MemoryEngine::TotalSwapFileSize() {
  return TotalSwapFileSizeOf(service_.ReadStatus());
}

std::int64_t MemoryEngine::SwapFileUsageMB() {
  return SwapFileUsageMBOf(service_.ReadStatus());
}

int MemoryEngine::SwapFileUsage() {
  return SwapFileUsageOf(service_.ReadStatus());
}

std::int64_t MemoryEngine::VirtualUsage() {
  return VirtualUsageOf(service_.ReadStatus());
}

std::int64_t MemoryEngine::PageSize() {
  return PageSizeOf(service_.ReadStatus());
}

void MemoryEngine::DefragAll() {
  const std::int64_t mb = TotalMemory() / kMB;
  Defrag(static_cast<int>(mb < MaxBlocks ? mb : MaxBlocks));
}

void MemoryEngine::Defrag(int count) {
  // Cleared before the busy test: a refused call also withdraws a stop the running pass has not
  // seen yet.
  StopRequested_ = false;
  if (Busy_) return;
  Busy_ = true;

  const int n = count < MaxBlocks ? count : MaxBlocks;
  const int steps = 2 * n;
  int done = 0;

  // Fixed table on the stack: a pass allocates nothing on the heap. Entries [released,
  // committed) may still hold a block; a null entry is a block that could not be committed.
  std::array<void*, MaxBlocks> BlockTable;
  int committed = 0;
  int released = 0;
  // Every block of a pass, committed or released, is followed by a chance to drain the queue:
  // giving back a thousand blocks takes long enough to freeze the window otherwise. A quit
  // request stays posted; the main message loop acts on it after the pass. The service says
  // which blocks drain (spaced in time on Windows), and only those and the last step report
  // progress: nothing reported in between would be drawn before the next draining anyway.
  auto pumpIfDue = [&] {
    if (!service_.PumpDue()) return false;
    service_.PumpMessages();
    return true;
  };
  auto step = [&] {
    ++done;
    if (pumpIfDue() || done == steps) FireProgress(done, steps);
  };
  auto releaseHeld = [&](bool pumping) {
    while (released < committed) {
      void* block = BlockTable[released++];
      if (block != nullptr) service_.ReleaseBlock(block);
      if (pumping) pumpIfDue();
    }
  };

  {
    // Whichever way the pass ends, a handler's exception included, no block outlives it and the
    // component is idle again. An error is on its way out then: no message runs meanwhile.
    ScopeGuard idle([&] {
      releaseHeld(false);
      Busy_ = false;
    });

    if (OnBeforeDefrag) OnBeforeDefrag(*this);

    bool ended = n <= 0;
    // A failed block ends the pass even when a handler withdraws the stop request meanwhile:
    // going on would fill the release phase with a block that does not exist.
    bool failed = false;
    for (int i = 0; i < n && !ended; ++i) {
      void* block = service_.CommitBlock();
      BlockTable[i] = block;
      committed = i + 1;
      if (block == nullptr || !service_.ZeroFillBlock(block)) {
        StopRequested_ = true;
        failed = true;
      }
      step();
      if (StopRequested_ || failed) {
        releaseHeld(true);  // no progress events for these
        ended = true;
      }
    }

    for (int i = 0; i < n && !ended; ++i) {
      void* block = BlockTable[i];
      released = i + 1;
      if (block != nullptr) service_.ReleaseBlock(block);
      step();
      if (StopRequested_) {
        releaseHeld(true);
        ended = true;
      }
    }
  }

  if (OnAfterDefrag) OnAfterDefrag(*this);
}

}  // namespace kvn
