#include "sysinfo/cpu_services_win32.h"

#include <cpuid.h>
#include <windows.h>
#include <x86intrin.h>

#include <exception>
#include <functional>
#include <stdexcept>

#include "base/system_functions_win32.h"
#include "base/unique_handle_win32.h"
#include "base/worker_thread_win32.h"

namespace kvn {

namespace {

class WindowsCpuidSource : public ICpuidSource {
 public:
  CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t subLeaf) override {
    unsigned a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(leaf, subLeaf, a, b, c, d);
    return {a, b, c, d};
  }
};

class WindowsCpuSystem : public ICpuSystem {
 public:
  std::uint32_t ProcessorCount() override {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
  }
  // The reading's thread alone: the window's thread, a running pass and a mask the user gave the
  // process meanwhile stay as they are. Windows 9x lacks the function: nothing is pinned there.
  std::uint32_t SetThreadAffinityMask(std::uint32_t mask) override {
    const auto pin = Kernel32().SetThreadAffinityMask;
    return pin ? static_cast<std::uint32_t>(pin(GetCurrentThread(), mask)) : 0;
  }
  void YieldTimeSlice() override { Sleep(0); }
};

class WindowsCpuClock : public ICpuClock {
 public:
  std::uint64_t ReadTimeStampCounter() override { return __rdtsc(); }
  std::int64_t ReadPerformanceCounter() override {
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return value.QuadPart;
  }
  std::int64_t PerformanceFrequency() override {
    LARGE_INTEGER value{};
    if (!QueryPerformanceFrequency(&value)) return 0;
    return value.QuadPart;
  }
  std::uint32_t TickCount() override { return GetTickCount(); }

  void RunTimeCritical(const std::function<void()>& job) override {
    std::exception_ptr error;
    WorkerThread thread;  // waited for until it ends: the job is the caller's
    // No exception may leave a thread: it is carried back to the waiting caller.
    const auto body = [&job, &error] {
      try {
        job();
      } catch (...) {
        error = std::current_exception();
      }
    };
    if (!thread.Start(body, THREAD_PRIORITY_TIME_CRITICAL))
      throw std::runtime_error("Cannot create the processor speed thread");
    thread.Join(INFINITE);
    if (error) std::rethrow_exception(error);
  }
};

}  // namespace

std::shared_ptr<ICpuidSource> CreateWindowsCpuidSource() {
  return std::make_shared<WindowsCpuidSource>();
}
std::shared_ptr<ICpuSystem> CreateWindowsCpuSystem() {
  return std::make_shared<WindowsCpuSystem>();
}
std::shared_ptr<ICpuClock> CreateWindowsCpuClock() {
  return std::make_shared<WindowsCpuClock>();
}

std::unique_ptr<CpuLibrary> CreateWindowsCpuLibrary() {
  return std::make_unique<CpuLibrary>(CreateWindowsCpuidSource(), CreateWindowsCpuSystem(),
                                      CreateWindowsCpuClock());
}

void InitializeCpuLibrary() {
  InstallCpuLibrary(CreateWindowsCpuLibrary());
}

}  // namespace kvn
