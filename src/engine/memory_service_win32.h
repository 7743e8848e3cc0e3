#pragma once
// The engine's memory service on Windows: GlobalMemoryStatusEx where the system has it
// (GlobalMemoryStatus before Windows 2000), VirtualAlloc/VirtualFree for the blocks and
// PeekMessage for the queue.
#include <windows.h>

#include <functional>
#include <memory>

#include "engine/memory_service.h"

namespace kvn {

class Win32MemoryService final : public MemoryService {
 public:
  Win32MemoryService();

  MemoryStatus ReadStatus() override;
  void* CommitBlock() override;
  bool ZeroFillBlock(void* block) override;
  void ReleaseBlock(void* block) override;
  bool PumpMessages() override;
  // At most one draining every kPumpSpacingMs during a pass (the first block always drains):
  // faster than the screen redraws.
  bool PumpDue() override;
  static constexpr int kPumpSpacingMs = 12;

  // What the pump does with each message other than WM_QUIT: the window's own loop handling
  // (its keyboard navigation first), so that the keyboard works the same during a pass. Without
  // one, messages are translated and dispatched.
  void SetDispatcher(std::function<void(MSG&)> dispatch) { dispatch_ = std::move(dispatch); }

 private:
  long long lastPump_ = 0;     // performance-counter time of the last draining
  long long pumpSpacing_ = 0;  // kPumpSpacingMs in counter units
  std::function<void(MSG&)> dispatch_;
};

std::unique_ptr<MemoryService> MakeWin32MemoryService();

// The raw block operations, shared with the benchmark's bare loop so both measure the same work.
void* CommitRawBlock();
bool ZeroFillRawBlock(void* block);
void ReleaseRawBlock(void* block);

}  // namespace kvn
