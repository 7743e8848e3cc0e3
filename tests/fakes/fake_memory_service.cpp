#include "fakes/fake_memory_service.h"

#include <cstdint>

namespace kvn {

MemoryStatus FakeMemoryService::ReadStatus() {
  ++statusReads;
  return status;
}

void* FakeMemoryService::CommitBlock() {
  const int index = commitCalls++;
  Note("commit");
  if (index == failCommitAt) return nullptr;
  ++commits;
  void* block = reinterpret_cast<void*>(static_cast<std::uintptr_t>(index + 1) << 20);
  held.insert(block);
  if (held.size() > peakHeld) peakHeld = held.size();
  return block;
}

bool FakeMemoryService::ZeroFillBlock(void* block) {
  const int index = fillCalls++;
  Note("fill");
  if (held.count(block) == 0) ++badBlockUses;
  return index != failFillAt;
}

void FakeMemoryService::ReleaseBlock(void* block) {
  Note("release");
  if (held.erase(block) == 0) {
    ++badBlockUses;
    return;
  }
  ++releases;
}

bool FakeMemoryService::PumpMessages() {
  ++pumps;
  Note("pump");
  if (onPump) onPump();
  if (quitQueued) {
    ++quitsSeen;  // taken and put straight back
    return true;
  }
  return false;
}

}  // namespace kvn
