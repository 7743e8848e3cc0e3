#include "control/load_sampler_win32.h"

#include <algorithm>
#include <cstring>

#include "base/startup_trace_win32.h"
#include "base/system_functions_win32.h"
#include "sysinfo/windows_release_win32.h"

namespace kvn {

namespace {

constexpr ULONG kSystemProcessorPerformanceInformation = 8;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
// SYSTEM_PROCESSOR_PERFORMANCE_INFORMATION: IdleTime, KernelTime, UserTime, DpcTime,
// InterruptTime (LARGE_INTEGERs), InterruptCount, padded to 48 bytes.
constexpr std::size_t kTimesEntrySize = 48;
constexpr std::size_t kMaxProcessors = 1024;

// The kernel statistics of Windows 9x live under HKEY_DYN_DATA, and NT's counters under
// HKEY_PERFORMANCE_DATA: neither is a key of stored values that the Registry interface serves
// (9x implements only the A forms, a statistic's value is read whatever its type, and the
// performance data is a predefined handle closed by hand), so these calls stay as they are.
constexpr char kStartStatKey[] = "PerfStats\\StartStat";
constexpr char kStatDataKey[] = "PerfStats\\StatData";
constexpr char kStopStatKey[] = "PerfStats\\StopStat";
constexpr char kCpuUsageValue[] = "KERNEL\\CPUUsage";

bool ReadCpuUsage(HKEY key, std::uint32_t& value) {
  DWORD v = 0;
  DWORD size = sizeof v;
  if (RegQueryValueExA(key, kCpuUsageValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size) !=
      ERROR_SUCCESS)
    return false;
  value = v;
  return true;
}

// Opens a statistic key, reads the usage once and closes it again.
bool TouchStatKey(const char* path, std::uint32_t& value) {
  RegistryKeyHandle key;
  if (RegOpenKeyExA(HKEY_DYN_DATA, path, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
    return false;
  ReadCpuUsage(key.get(), value);  // a failed read leaves the value as it was
  return true;
}

}  // namespace

Win32LoadPlatform::~Win32LoadPlatform() {
  JoinPrefetch();  // it writes into this object
}

void Win32LoadPlatform::JoinPrefetch() {
  if (!prefetch_) return;
  prefetch_.Join(INFINITE);
  prefetched_ = true;
}

bool Win32LoadPlatform::PlatformId(std::uint32_t& id) {
  // The release detected at start-up, not a query of its own.
  const WindowsRelease& release = CurrentWindowsRelease();
  if (!release.VersionKnown) return false;
  id = release.Version.PlatformId;
  return true;
}

void Win32LoadPlatform::PrefetchProcessorObject() {
  std::uint32_t platform = 0;
  if (prefetch_ || prefetched_ || !PlatformId(platform) || platform != VER_PLATFORM_WIN32_NT)
    return;
  // The program's usual stack: the counters' libraries run on this thread.
  prefetch_.Start(&Prefetch, this);
}

DWORD WINAPI Win32LoadPlatform::Prefetch(void* self) {
  auto& platform = *static_cast<Win32LoadPlatform*>(self);
  // The query does not say how much it needs: the buffer doubles until the answer fits, up to
  // the sampler's own limit.
  std::vector<std::uint8_t> data(64 * 1024);
  LONG answer = ERROR_MORE_DATA;
  for (;;) {
    DWORD bytes = static_cast<DWORD>(data.size());
    answer = RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"238", nullptr, nullptr, data.data(), &bytes);
    if (answer == ERROR_SUCCESS) data.resize(std::min<std::size_t>(bytes, data.size()));
    if (answer != ERROR_MORE_DATA || data.size() >= LoadSampler::kMaxBufferSize) break;
    data.resize(data.size() * 2);
  }
  platform.prefetchAnswer_ = answer;
  platform.prefetchData_ = std::move(data);
  return 0;
}

long Win32LoadPlatform::QueryProcessorObject(std::uint8_t* buffer, std::uint32_t& size) {
  const StartupWork work("processor load");
  JoinPrefetch();
  if (prefetched_) {
    // Served as the system would: too small a buffer is told so, and asked again.
    if (prefetchAnswer_ == ERROR_SUCCESS && prefetchData_.size() > size) return ERROR_MORE_DATA;
    prefetched_ = false;
    const long answer = prefetchAnswer_;
    if (answer == ERROR_SUCCESS) {
      std::memcpy(buffer, prefetchData_.data(), prefetchData_.size());
      size = static_cast<std::uint32_t>(prefetchData_.size());
    }
    std::vector<std::uint8_t>().swap(prefetchData_);
    return answer;
  }
  DWORD bytes = size;
  const LONG answer =
      RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"238", nullptr, nullptr, buffer, &bytes);
  size = bytes;
  return answer;
}

void Win32LoadPlatform::ClosePerformanceData() {
  RegCloseKey(HKEY_PERFORMANCE_DATA);
}

bool Win32LoadPlatform::QueryProcessorTimes(std::vector<ProcessorTimes>& times) {
  const StartupWork work("processor load");
  const auto ntQuerySystemInformation = Ntdll().NtQuerySystemInformation;
  if (!ntQuerySystemInformation) return false;
  if (timesBuffer_.empty()) timesBuffer_.resize(64 * kTimesEntrySize);
  ULONG returned = 0;
  LONG status;
  for (;;) {
    status = ntQuerySystemInformation(kSystemProcessorPerformanceInformation, timesBuffer_.data(),
                                      static_cast<ULONG>(timesBuffer_.size()), &returned);
    if (status != kStatusInfoLengthMismatch ||
        timesBuffer_.size() >= kMaxProcessors * kTimesEntrySize)
      break;
    timesBuffer_.resize(timesBuffer_.size() * 2);
  }
  if (status < 0) return false;
  const std::size_t count = std::min<std::size_t>(returned, timesBuffer_.size()) / kTimesEntrySize;
  times.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = timesBuffer_.data() + i * kTimesEntrySize;
    std::memcpy(&times[i].idle, entry, 8);
    std::memcpy(&times[i].kernel, entry + 8, 8);
    std::memcpy(&times[i].user, entry + 16, 8);
  }
  return count > 0;
}

bool Win32LoadPlatform::StartStat(std::uint32_t& value) {
  return TouchStatKey(kStartStatKey, value);
}

bool Win32LoadPlatform::OpenStatData() {
  return RegOpenKeyExA(HKEY_DYN_DATA, kStatDataKey, 0, KEY_READ, statData_.put()) == ERROR_SUCCESS;
}

void Win32LoadPlatform::ReadStatData(std::uint32_t& value) {
  if (statData_) ReadCpuUsage(statData_.get(), value);
}

void Win32LoadPlatform::CloseStatData() {
  statData_.reset();
}

void Win32LoadPlatform::StopStat() {
  std::uint32_t ignored = 0;
  TouchStatKey(kStopStatKey, ignored);
}

unsigned Win32MemoryListPlatform::MajorVersion() {
  const WindowsRelease& release = CurrentWindowsRelease();
  if (!release.VersionKnown || release.Version.PlatformId != VER_PLATFORM_WIN32_NT) return 0;
  return release.Version.MajorVersion;
}

bool Win32MemoryListPlatform::ReadCounterNames(std::vector<std::uint8_t>& names) {
  // The table of a current Windows runs to a few hundred kilobytes; more is no table.
  constexpr DWORD kLimit = 16u << 20;
  DWORD type = 0;
  DWORD bytes = 0;
  LONG answer =
      RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"Counter 009", nullptr, &type, nullptr, &bytes);
  for (int tries = 0; tries < 4 && (answer == ERROR_SUCCESS || answer == ERROR_MORE_DATA);
       ++tries) {
    if (bytes == 0 || bytes > kLimit) return false;
    names.resize(bytes);
    answer = RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"Counter 009", nullptr, &type, names.data(),
                              &bytes);
    if (answer == ERROR_SUCCESS) {
      names.resize(std::min<std::size_t>(bytes, names.size()));
      return type == REG_MULTI_SZ;
    }
  }
  return false;
}

long Win32MemoryListPlatform::QueryMemoryObject(std::uint8_t* buffer, std::uint32_t& size) {
  DWORD bytes = size;
  const LONG answer =
      RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"4", nullptr, nullptr, buffer, &bytes);
  size = bytes;
  return answer;
}

namespace {

// The lookup thread, waited for when the program ends so the reader never goes first.
class MemoryListLookup {
 public:
  explicit MemoryListLookup(MemoryListReader& reader) : reader_(reader) {
    if (!thread_.Start(Run, &reader_)) reader_.FindCounters();  // no thread: looked up here, once
  }

 private:
  static DWORD WINAPI Run(LPVOID param) {
    try {
      static_cast<MemoryListReader*>(param)->FindCounters();
    } catch (...) {
      // No lists then: nothing else depends on them.
    }
    return 0;
  }
  MemoryListReader& reader_;
  WorkerThread thread_;  // waited for until it ends
};

}  // namespace

MemoryListReader& ProcessMemoryListReader() {
  static Win32MemoryListPlatform platform;
  static MemoryListReader reader(platform);
  static MemoryListLookup lookup(reader);
  return reader;
}

namespace {

// Made before the sampler, so gone after it.
Win32LoadPlatform& ProcessLoadPlatform() {
  static Win32LoadPlatform platform;
  return platform;
}

}  // namespace

void PrefetchProcessorLoad() {
  ProcessLoadPlatform().PrefetchProcessorObject();
}

LoadSampler& ProcessLoadSampler() {
  static LoadSampler sampler(ProcessLoadPlatform());
  return sampler;
}

int SystemProcessorLoads::ProcessorCount() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return static_cast<int>(info.dwNumberOfProcessors);
}

}  // namespace kvn
