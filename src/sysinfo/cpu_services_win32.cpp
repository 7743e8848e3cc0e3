#include "sysinfo/cpu_services_win32.h"

#include <cpuid.h>
#include <windows.h>
#include <x86intrin.h>

#include <exception>
#include <functional>
#include <stdexcept>

#include "base/system_functions_win32.h"
#include "base/unique_handle_win32.h"

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
  // Windows 9x lacks the affinity functions: without them nothing is pinned.
  bool CanSetAffinity() override { return Kernel32().SetProcessAffinityMask != nullptr; }
  std::uint32_t ProcessAffinityMask() override {
    const auto getMask = Kernel32().GetProcessAffinityMask;
    DWORD_PTR process = 1, system = 1;
    if (!getMask || !getMask(GetCurrentProcess(), &process, &system)) return 1;
    return static_cast<std::uint32_t>(process);
  }
  void SetProcessAffinityMask(std::uint32_t mask) override {
    // A refused mask leaves the process where it was: the reading is then merely unpinned.
    if (const auto setMask = Kernel32().SetProcessAffinityMask) setMask(GetCurrentProcess(), mask);
  }
  void YieldTimeSlice() override { Sleep(0); }
};

struct SpeedThreadContext {
  const std::function<void()>* job;
  std::exception_ptr error;
};

// No exception may leave a thread: it is carried back to the waiting caller.
DWORD WINAPI SpeedThreadProc(LPVOID param) {
  auto* context = static_cast<SpeedThreadContext*>(param);
  try {
    (*context->job)();
  } catch (...) {
    context->error = std::current_exception();
  }
  return 0;
}

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
    SpeedThreadContext context{&job, nullptr};
    const KernelHandle thread(
        CreateThread(nullptr, 0, SpeedThreadProc, &context, CREATE_SUSPENDED, nullptr));
    if (!thread) throw std::runtime_error("Cannot create the processor speed thread");
    SetThreadPriority(thread.get(), THREAD_PRIORITY_TIME_CRITICAL);
    ResumeThread(thread.get());
    WaitForSingleObject(thread.get(), INFINITE);
    if (context.error) std::rethrow_exception(context.error);
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

std::unique_ptr<TCpuLibrary> CreateWindowsCpuLibrary() {
  return std::make_unique<TCpuLibrary>(CreateWindowsCpuidSource(), CreateWindowsCpuSystem(),
                                       CreateWindowsCpuClock());
}

void InitializeCpuLibrary() {
  InstallCpuLibrary(CreateWindowsCpuLibrary());
}

}  // namespace kvn
