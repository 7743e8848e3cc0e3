// The cost of the monitoring loop: one display tick plus one load tick of the real main window,
// hidden in the notification area as it runs all day, against the bare system calls those ticks
// must make (the memory status reads and one processor-times read), in the same run. Prints
// microseconds per tick for both, the idle processor share at the default speed, the working
// set and the handle counts over 3,600 ticks, and the ratio last.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "control/memory_lists.h"
#include "fakes/perf_buffer_builder.h"
#include "gui/registry_root.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemProcessorPerformanceInformation = 8;

// Microseconds.
double Now() {
  return kvn::bench::ClockMs() * 1000.0;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// What the two ticks cannot avoid: five memory-status readings (free, total, page-file use, its
// size and its use in MB), one reading of the processors' times, and the Windows tuning's five
// values under one opening of the memory-management key.
double BareCalls(int rounds, NtQuerySystemInformationFn query) {
  std::vector<unsigned char> buffer(48 * 64);
  const wchar_t* tuningValues[] = {L"DisablePagingExecutive", L"SecondLevelDataCache",
                                   L"LargeSystemCache", L"IOPageLockLimit",
                                   L"ClearPageFileAtShutdown"};
  const double start = Now();
  for (int i = 0; i < rounds; ++i) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                      L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      for (const wchar_t* name : tuningValues) {
        DWORD value = 0, size = sizeof value;
        RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
      }
      RegCloseKey(key);
    }
    for (int k = 0; k < 5; ++k) {
      MEMORYSTATUSEX status{};
      status.dwLength = sizeof(status);
      GlobalMemoryStatusEx(&status);
    }
    ULONG returned = 0;
    if (query)
      query(kSystemProcessorPerformanceInformation, buffer.data(),
            static_cast<ULONG>(buffer.size()), &returned);
  }
  return (Now() - start) / rounds;
}

// The two handlers as WM_TIMER runs them; the messages their updates post are handled between
// ticks, outside the measure, as the message loop would between two timer messages.
double Ticks(kvn::MainWindow& window, int rounds) {
  double spent = 0;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    window.form.samplingTimer.Tick();
    window.form.loadTimer.Tick();
    spent += Now() - start;
    Pump();
  }
  return spent / rounds;
}

struct Usage {
  double workingSetKB = 0;
  DWORD gdi = 0;
  DWORD user = 0;
};

Usage ReadUsage() {
  Usage u;
  struct Counters {
    DWORD cb;
    DWORD pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
    SIZE_T rest[6];
  } counters{};
  counters.cb = sizeof(counters);
  using GetInfo = BOOL(WINAPI*)(HANDLE, void*, DWORD);
  HMODULE psapi = LoadLibraryW(L"psapi.dll");
  auto getInfo = psapi ? reinterpret_cast<GetInfo>(
                             reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")))
                       : nullptr;
  if (getInfo && getInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    u.workingSetKB = static_cast<double>(counters.workingSetSize) / 1024.0;
  using GetGui = DWORD(WINAPI*)(HANDLE, DWORD);
  auto getGui = reinterpret_cast<GetGui>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetGuiResources")));
  if (getGui) {
    u.gdi = getGui(GetCurrentProcess(), 0);
    u.user = getGui(GetCurrentProcess(), 1);
  }
  return u;
}

// Where GetGuiResources answers 0 (Wine), the slot a new object gets still shows growth.
unsigned GdiSlot() {
  HBRUSH probe = CreateSolidBrush(0);
  const unsigned slot = static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF);
  DeleteObject(probe);
  return slot;
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

// The program as it runs all day: its own message loop and timers at the default speed, the
// window hidden in the notification area. Returns the share of one core it used.
double IdleShare(double seconds) {
  const UINT_PTR stop = SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000), nullptr);
  const double cpuBefore = ProcessCpuSeconds();
  const double wallBefore = Now();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == stop) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, stop);
  const double used = std::max(0.0, ProcessCpuSeconds() - cpuBefore);
  return used / ((Now() - wallBefore) / 1e6) * 100.0;
}

// What the memory lists add to a display tick once Windows counts them: the walk of a memory
// object of Windows 10's size (36 counters, the lists' five among them). The query itself is
// Windows' own; Wine gives no such object, so the ticks above run without it.
double ListsWalk(int rounds) {
  std::vector<kvn::fake::MemoryCounterSpec> counters;
  for (std::uint32_t k = 0; k < 36; ++k) counters.push_back({1000 + 2 * k, 8, k * 1048576LL});
  const std::vector<std::uint8_t> block = kvn::fake::BuildMemoryBlock(counters).bytes;
  const std::vector<kvn::MemoryListCounter> lists = {{1060, kvn::MemoryListPart::FreeZero},
                                                     {1062, kvn::MemoryListPart::Modified},
                                                     {1064, kvn::MemoryListPart::StandbyReserve},
                                                     {1066, kvn::MemoryListPart::StandbyNormal},
                                                     {1068, kvn::MemoryListPart::StandbyCore}};
  kvn::MemoryListParts parts;
  std::size_t shown = 0;
  const double start = Now();
  for (int i = 0; i < rounds; ++i) {
    kvn::ParseMemoryObject(block.data(), block.size(), lists, parts);
    shown += kvn::MemoryListsText(kvn::ListsFromParts(parts)).size();
  }
  const double spent = (Now() - start) / rounds;
  return shown > 0 ? spent : -1;
}

}  // namespace

int main() {
  // The same wait with two empty one-second timers: what any idle Win32 program costs here.
  const UINT_PTR emptyA = SetTimer(nullptr, 0, 1000, nullptr);
  const UINT_PTR emptyB = SetTimer(nullptr, 0, 1000, nullptr);
  const double emptyIdle = IdleShare(30.0);
  KillTimer(nullptr, emptyA);
  KillTimer(nullptr, emptyB);

  kvn::InitializeCpuLibrary();
  kvn::ui::win32::InitToolkit();
  kvn::testing::RegistryRootForTest root{"bench"};
  kvn::MainWindow window(root.Places());
  if (!window.Create()) {
    std::printf("cannot create the main window\n");
    return 1;
  }
  // As it lives all day: hidden into the notification area by the start-up timer.
  window.form.hideTimer.Tick();
  Pump();
  auto query = reinterpret_cast<NtQuerySystemInformationFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));

  Ticks(window, 100);  // warm-up: first readings, caches, the tray image
  BareCalls(100, query);
  const Usage before = ReadUsage();
  const unsigned slotBefore = GdiSlot();

  std::vector<double> ratios, tickTimes, bareTimes;
  constexpr int kRounds = 9, kPerRound = 400;  // 3,600 tick pairs in all
  for (int r = 0; r < kRounds; ++r) {
    const double bare = BareCalls(kPerRound, query);
    const double ticks = Ticks(window, kPerRound);
    bareTimes.push_back(bare);
    tickTimes.push_back(ticks);
    ratios.push_back(ticks / bare);
  }
  const Usage after = ReadUsage();
  const unsigned slotAfter = GdiSlot();
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double tickUs = median(tickTimes);
  const double idle = IdleShare(30.0);
  std::printf(
      "bare calls: %.1f us per tick pair (5 memory readings + 1 processor-times read + 5 tuning "
      "values)\n",
      median(bareTimes));
  std::printf("ticks:      %.1f us per display tick + load tick, window hidden in the tray\n",
              tickUs);
  std::printf("ticks' share at the default speed (one pair per second): %.4f %% of one core\n",
              tickUs / 1e6 * 100.0);
  std::printf(
      "measured idle in the tray for 30 s, timers at %u ms: %.3f %% of one core "
      "(an empty program with two such timers: %.3f %%)\n",
      window.form.samplingTimer.Interval(), idle, emptyIdle);
  std::printf("after 100 ticks:  working set %.0f KB, GDI %lu, USER %lu, GDI slot %u\n",
              before.workingSetKB, static_cast<unsigned long>(before.gdi),
              static_cast<unsigned long>(before.user), slotBefore);
  std::printf("after 3700 ticks: working set %.0f KB, GDI %lu, USER %lu, GDI slot %u\n",
              after.workingSetKB, static_cast<unsigned long>(after.gdi),
              static_cast<unsigned long>(after.user), slotAfter);
  const double walk = ListsWalk(20000);
  std::printf("memory lists' walk and text: %.2f us, %.2f %% of the tick pair\n", walk,
              walk / tickUs * 100.0);
  std::printf("ratio %.2f\n", median(ratios));
  return 0;
}
