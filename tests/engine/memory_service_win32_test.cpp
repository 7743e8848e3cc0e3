#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/message_window_win32.h"
#include "engine/kvn_max_mem.h"
#include "engine/memory_service_win32.h"

namespace kvn {
namespace {

// The real service, with the addresses it hands out written down so the test can look at them.
class RecordingService : public MemoryService {
 public:
  MemoryStatus ReadStatus() override { return real_.ReadStatus(); }
  void* CommitBlock() override {
    void* block = real_.CommitBlock();
    blocks.push_back(block);
    return block;
  }
  bool ZeroFillBlock(void* block) override { return real_.ZeroFillBlock(block); }
  void ReleaseBlock(void* block) override { real_.ReleaseBlock(block); }
  bool PumpMessages() override { return real_.PumpMessages(); }

  std::vector<void*> blocks;

 private:
  Win32MemoryService real_;
};

MEMORY_BASIC_INFORMATION Query(void* address) {
  MEMORY_BASIC_INFORMATION info{};
  EXPECT_EQ(VirtualQuery(address, &info, sizeof(info)), sizeof(info));
  return info;
}

// The process's working set in bytes, through psapi looked up at run time as the program does
// with functions Windows 95 lacks; 0 when it cannot be read.
std::size_t WorkingSetBytes() {
  struct Counters {  // PROCESS_MEMORY_COUNTERS
    DWORD cb;
    DWORD PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
    SIZE_T QuotaPeakPagedPoolUsage;
    SIZE_T QuotaPagedPoolUsage;
    SIZE_T QuotaPeakNonPagedPoolUsage;
    SIZE_T QuotaNonPagedPoolUsage;
    SIZE_T PagefileUsage;
    SIZE_T PeakPagefileUsage;
  };
  using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
  static const auto getInfo = reinterpret_cast<GetProcessMemoryInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"psapi.dll"), "GetProcessMemoryInfo")));
  Counters counters{};
  counters.cb = sizeof(counters);
  if (!getInfo || !getInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return counters.WorkingSetSize;
}

bool AllZero(void* block) {
  const auto* word = static_cast<const std::uint32_t*>(block);
  for (std::size_t i = 0; i < MemoryEngine::BlockSize / 4; i += 1024 / 4) {
    if (word[i] != 0) return false;
  }
  return word[MemoryEngine::BlockSize / 4 - 1] == 0;
}

TEST(Win32Recovery, PassOf64BlocksCommitsWritesAndReleasesRealMemory) {
  RecordingService service;
  MemoryEngine engine(service);
  int progressEvents = 0;
  std::size_t committedAtPeak = 0;
  std::size_t workingSetBefore = 0, workingSetAtPeak = 0;
  engine.OnBeforeDefrag = [&](MemoryEngine&) { workingSetBefore = WorkingSetBytes(); };
  engine.OnProgress = [&](MemoryEngine&, int) {
    if (++progressEvents != 64) return;  // last commit step: every block is held now
    // Before anything reads the blocks: committed pages that were never written take no
    // physical memory (and read as zeros anyway), so only the writing makes the set grow.
    workingSetAtPeak = WorkingSetBytes();
    for (void* block : service.blocks) {
      ASSERT_NE(block, nullptr);
      const MEMORY_BASIC_INFORMATION info = Query(block);
      EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
      EXPECT_EQ(info.AllocationBase, block);
      EXPECT_GE(info.RegionSize, MemoryEngine::BlockSize);
      EXPECT_NE(info.Protect & PAGE_READWRITE, 0u);
      EXPECT_TRUE(AllZero(block));
      if (info.State == MEM_COMMIT) ++committedAtPeak;
    }
  };
  engine.Defrag(64);
  const std::size_t workingSetAfter = WorkingSetBytes();
  EXPECT_EQ(progressEvents, 128);
  ASSERT_GT(workingSetBefore, 0u);
  constexpr std::size_t kNearly64MB = 60 * MemoryEngine::BlockSize;  // room for the rest moving
  EXPECT_GE(workingSetAtPeak, workingSetBefore + kNearly64MB);
  EXPECT_LE(workingSetAfter + kNearly64MB, workingSetAtPeak);
  ASSERT_EQ(service.blocks.size(), 64u);
  EXPECT_EQ(committedAtPeak, 64u);
  for (void* block : service.blocks) {
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_FREE)) << block;
  }
}

TEST(Win32Recovery, QuitRequestDuringAPassIsStillPendingAfterIt) {
  Win32MemoryService service;
  MemoryEngine engine(service);
  std::vector<int> progress;
  engine.OnProgress = [&](MemoryEngine&, int p) {
    if (progress.empty()) PostQuitMessage(3);  // at the first draining
    progress.push_back(p);
  };
  engine.Defrag(64);
  EXPECT_GT(progress.size(), 2u);  // later drainings met the request and put it back
  EXPECT_EQ(progress.back(), 100);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

// A hidden window whose WM_APP runs `onApp`, as a button's click would during a pass.
MessageWindow AppMessageWindow(std::function<void()> onApp) {
  return MessageWindow(L"KorvaneEngineTest", MessageWindow::Kind::MessageOnly,
                       [onApp](UINT message, WPARAM, LPARAM, LRESULT&) {
                         if (message != WM_APP) return false;
                         onApp();
                         return true;
                       });
}

TEST(Win32Recovery, PumpMessagesDispatchesAndPutsQuitBack) {
  int appMessages = 0;
  MessageWindow window = AppMessageWindow([&] { ++appMessages; });
  Win32MemoryService service;
  MemoryEngine engine(service);
  PostMessageW(window.Handle(), WM_APP, 0, 0);
  PostMessageW(window.Handle(), WM_APP, 0, 0);
  EXPECT_FALSE(engine.PumpMessages());  // empty queue after dispatching both
  EXPECT_EQ(appMessages, 2);

  PostMessageW(window.Handle(), WM_APP, 0, 0);
  PostQuitMessage(42);
  EXPECT_TRUE(engine.PumpMessages());
  EXPECT_EQ(appMessages, 3);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Win32Recovery, CancelMessageHandledByThePumpStopsThePass) {
  RecordingService service;  // drains after every block
  MemoryEngine engine(service);
  MessageWindow window = AppMessageWindow([&] { engine.StopDefrag(); });
  std::vector<int> progress;
  engine.OnProgress = [&](MemoryEngine&, int p) {
    progress.push_back(p);
    // Like a click on Cancel between two blocks: handled by the pump of the third step.
    if (progress.size() == 2) PostMessageW(window.Handle(), WM_APP, 0, 0);
  };
  engine.Defrag(10);

  EXPECT_EQ(progress, (std::vector<int>{5, 10, 15}));
  ASSERT_EQ(service.blocks.size(), 3u);
  for (void* block : service.blocks) {
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_FREE)) << block;
  }
}

TEST(Win32Recovery, RealPassDrainsTheQueueSpacedInTimeFirstBlockFirst) {
  Win32MemoryService service;
  EXPECT_TRUE(service.PumpDue());  // nothing drained yet
  service.PumpMessages();
  EXPECT_FALSE(service.PumpDue());  // just drained
  Sleep(Win32MemoryService::kPumpSpacingMs * 3);
  EXPECT_TRUE(service.PumpDue());

  // A message waiting when the pass starts is handled after the first block: a cancel clicked
  // just before is never missed.
  MemoryEngine engine(service);
  MessageWindow window = AppMessageWindow([&] { engine.StopDefrag(); });
  std::vector<int> progress;
  engine.OnProgress = [&](MemoryEngine&, int p) { progress.push_back(p); };
  PostMessageW(window.Handle(), WM_APP, 0, 0);
  engine.Defrag(64);
  EXPECT_EQ(progress, std::vector<int>{1});  // 1 of 128 steps, then the stop
}

// Windows' own counts, read apart from the memory status record the service reads: the physical
// memory and the commit limit and charge, in pages of GetSystemInfo's size.
struct NativeCounts {
  std::int64_t physicalPages = 0, commitLimit = 0, committed = 0, pageSize = 0;
};

NativeCounts ReadNativeCounts() {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  NativeCounts counts;
  ULONG basic[11] = {}, performance[256] = {};  // SYSTEM_BASIC_ and _PERFORMANCE_INFORMATION
  if (!query || query(0, basic, sizeof basic, nullptr) != 0 ||
      query(2, performance, sizeof performance, nullptr) != 0)
    return counts;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  counts.physicalPages = basic[3];  // NumberOfPhysicalPages
  counts.committed =
      performance[12];  // TotalCommittedPages, after four 64-bit counters and 4 ULONGs
  counts.commitLimit = performance[13];
  counts.pageSize = system.dwPageSize;
  return counts;
}

TEST(Win32MemoryStatus, PropertiesAgreeWithWindowsOwnCounts) {
  Win32MemoryService service;
  MemoryEngine engine(service);
  MEMORYSTATUSEX ex{};
  ex.dwLength = sizeof(ex);
  ASSERT_TRUE(GlobalMemoryStatusEx(&ex));
  const NativeCounts native = ReadNativeCounts();
  ASSERT_GT(native.physicalPages, 0);
  ASSERT_GT(native.commitLimit, 0);

  EXPECT_EQ(engine.TotalMemory(), native.physicalPages * native.pageSize);
  EXPECT_EQ(engine.VirtualUsage(), static_cast<std::int64_t>(ex.ullTotalVirtual >> 20));
  // The page file: what the commit limit holds beyond the physical memory.
  const std::int64_t pageFileMB =
      (native.commitLimit - native.physicalPages) * native.pageSize / 1048576;
  EXPECT_EQ(engine.PageSize(), pageFileMB);
  EXPECT_EQ(engine.TotalSwapFileSize(), std::max<std::int64_t>(pageFileMB, 0));
  // Free memory and the commit charge move on their own (and the record is read a moment
  // apart from the counts): in range, and near the charge Windows counts.
  EXPECT_GT(engine.FreeMemory(), 0);
  EXPECT_LE(engine.FreeMemory(), engine.TotalMemory());
  EXPECT_NEAR(engine.SwapFileUsage(), native.committed * 100 / native.commitLimit, 3);
  EXPECT_LE(engine.SwapFileUsage(), 100);
  EXPECT_LE(engine.SwapFileUsageMB(), engine.TotalSwapFileSize());
}

}  // namespace
}  // namespace kvn
