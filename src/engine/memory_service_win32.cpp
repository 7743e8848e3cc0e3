#include "engine/memory_service_win32.h"

#include <windows.h>

#include <cstdint>

#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "engine/kvn_max_mem.h"

namespace kvn {

namespace {

constexpr DWORD kBlockProtection = PAGE_READWRITE | PAGE_NOCACHE;

}  // namespace

Win32MemoryService::Win32MemoryService() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  pumpSpacing_ = frequency.QuadPart * kPumpSpacingMs / 1000;
}

MemoryStatus Win32MemoryService::ReadStatus() {
  const StartupWork work("memory status");
  MemoryStatus status;
  // Windows 2000 and later; looked up at run time so the program still starts on older systems.
  if (const auto globalMemoryStatusEx = Kernel32().GlobalMemoryStatusEx) {
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof(ex);
    if (globalMemoryStatusEx(&ex)) {
      status.totalPhys = ex.ullTotalPhys;
      status.availPhys = ex.ullAvailPhys;
      status.totalPageFile = ex.ullTotalPageFile;
      status.availPageFile = ex.ullAvailPageFile;
      status.totalVirtual = ex.ullTotalVirtual;
      status.availVirtual = ex.ullAvailVirtual;
      return status;
    }
  }
  MEMORYSTATUS old{};
  old.dwLength = sizeof(old);
  GlobalMemoryStatus(&old);  // reports no failure
  status.totalPhys = old.dwTotalPhys;
  status.availPhys = old.dwAvailPhys;
  status.totalPageFile = old.dwTotalPageFile;
  status.availPageFile = old.dwAvailPageFile;
  status.totalVirtual = old.dwTotalVirtual;
  status.availVirtual = old.dwAvailVirtual;
  return status;
}

void* CommitRawBlock() {
  return VirtualAlloc(nullptr, MemoryEngine::BlockSize, MEM_COMMIT, kBlockProtection);
}

bool ZeroFillRawBlock(void* block) {
  // The stores below cannot fault on a region that is committed read-write over the whole
  // block: its commit charge is already taken. Anything else is refused rather than written.
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(block, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT ||
      (info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE)) == 0 ||
      info.RegionSize < MemoryEngine::BlockSize) {
    return false;
  }
  // Volatile so the compiler keeps every store: the point is to touch each page for real.
  volatile std::uint32_t* word = static_cast<volatile std::uint32_t*>(block);
  constexpr std::size_t kWords = MemoryEngine::BlockSize / sizeof(std::uint32_t);
  for (std::size_t i = 0; i < kWords; ++i) word[i] = 0;
  return true;
}

void ReleaseRawBlock(void* block) {
  VirtualFree(block, 0, MEM_RELEASE);  // cannot fail for a base address we were given
}

void* Win32MemoryService::CommitBlock() {
  return CommitRawBlock();
}

bool Win32MemoryService::ZeroFillBlock(void* block) {
  return ZeroFillRawBlock(block);
}

void Win32MemoryService::ReleaseBlock(void* block) {
  ReleaseRawBlock(block);
}

bool Win32MemoryService::PumpDue() {
  // Even an empty queue costs a round trip to Wine's server: 60 to 170 microseconds once the
  // server has gone idle during a block's fill (asking GetQueueStatus first costs as much), and a
  // block takes about half a millisecond. A look every 12 ms costs about one per cent of the pass
  // and still answers within 15 ms, the paint of what came meanwhile included.
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart - lastPump_ >= pumpSpacing_;
}

bool Win32MemoryService::PumpMessages() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  lastPump_ = now.QuadPart;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Put back for the main message loop, which ends the program after the pass.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    if (dispatch_) {
      dispatch_(msg);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return false;
}

std::unique_ptr<MemoryService> MakeWin32MemoryService() {
  return std::make_unique<Win32MemoryService>();
}

}  // namespace kvn
