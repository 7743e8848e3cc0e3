#pragma once
// A memory service that hands out fake block addresses (never dereferenced), can be told to fail
// a commit or a fill, and records what the engine did, for tests that Windows cannot stage.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/memory_service.h"

namespace kvn {

class FakeMemoryService : public MemoryService {
 public:
  MemoryStatus ReadStatus() override;
  void* CommitBlock() override;
  bool ZeroFillBlock(void* block) override;
  void ReleaseBlock(void* block) override;
  bool PumpMessages() override;

  // Set by the test.
  MemoryStatus status;
  int failCommitAt = -1;         // 0-based index of the commit call that returns null
  int failFillAt = -1;           // 0-based index of the fill call that fails
  bool quitQueued = false;       // a WM_QUIT waiting in the queue
  std::function<void()> onPump;  // runs as a message handler inside the pump
  std::vector<std::string>* journal = nullptr;  // "commit", "fill", "pump", "release" in order

  // Observed.
  int statusReads = 0;
  int commits = 0;  // successful commits
  int commitCalls = 0;
  int fillCalls = 0;
  int releases = 0;
  int pumps = 0;
  int quitsSeen = 0;     // pumps that met the WM_QUIT and put it back
  int badBlockUses = 0;  // fills or releases of a null, unknown or released block
  std::size_t peakHeld = 0;
  std::set<void*> held;

 private:
  void Note(const char* what) {
    if (journal != nullptr) journal->push_back(what);
  }
};

}  // namespace kvn
