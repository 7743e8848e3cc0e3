#include "sysinfo/system_info_win32.h"

#include <winsock2.h>
#include <x86intrin.h>

#include <vector>

#include "base/file_version_win32.h"
#include "base/message_window_win32.h"
#include "base/program_file_win32.h"
#include "base/registry_win32.h"
#include "base/scope_guard.h"
#include "base/system_functions_win32.h"
#include "base/text_win32.h"
#include "ui/dispatch.h"

namespace kvn {

namespace {

constexpr UINT kMeasured = WM_APP + 1;

}  // namespace

double MeasureCpuSpeed() {
  // Only this thread is raised: the process class is the user's "Priorité", and raising it
  // would take the window and a running pass along and undo a choice made meanwhile.
  const HANDLE thread = GetCurrentThread();
  const int oldPriority = GetThreadPriority(thread);
  std::uint64_t start = 0, end = 0;
  {
    ScopeGuard restore([&] { SetThreadPriority(thread, oldPriority); });
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    Sleep(10);
    start = __rdtsc();
    Sleep(500);
    end = __rdtsc();
  }
  return static_cast<double>(static_cast<std::uint32_t>(end - start)) / 500000.0;
}

// What the measuring thread writes and where it reports; the window forgets it when it goes
// first, under the lock, so that the thread never posts to a window destroyed meanwhile.
struct Win32SystemInfoServices::Measurement {
  Measurement() { InitializeCriticalSection(&lock); }
  ~Measurement() { DeleteCriticalSection(&lock); }
  Measurement(const Measurement&) = delete;
  Measurement& operator=(const Measurement&) = delete;
  CRITICAL_SECTION lock;
  HWND report = nullptr;
  double mhz = 0;
};

Win32SystemInfoServices::Win32SystemInfoServices()
    : window_(
          std::make_unique<MessageWindow>(L"KorvaneInfoPage", MessageWindow::Kind::MessageOnly,
                                          [this](UINT message, WPARAM, LPARAM, LRESULT& result) {
                                            if (message != kMeasured || !measurement_) return false;
                                            thread_.Join(INFINITE);
                                            result = 0;
                                            // Through the dispatcher: the message window would
                                            // drop what the result's handler throws.
                                            if (auto done = std::move(done_))
                                              ui::Fire(done, measurement_->mhz);
                                            return true;
                                          })) {}

Win32SystemInfoServices::~Win32SystemInfoServices() {
  // The program is ending: a measurement still running reports to nobody.
  if (!measurement_) return;
  EnterCriticalSection(&measurement_->lock);
  measurement_->report = nullptr;
  LeaveCriticalSection(&measurement_->lock);
}

void Win32SystemInfoServices::MeasureThread(Measurement& measurement) {
  const double mhz = MeasureCpuSpeed();
  EnterCriticalSection(&measurement.lock);
  measurement.mhz = mhz;
  if (measurement.report) PostMessageW(measurement.report, kMeasured, 0, 0);
  LeaveCriticalSection(&measurement.lock);
}

bool Win32SystemInfoServices::StartCpuSpeedMeasurement(std::function<void(double)> done) {
  if (thread_) return false;  // one at a time
  done_ = std::move(done);
  measurement_ = std::make_shared<Measurement>();
  measurement_->report = window_->Handle();
  // The thread keeps the measurement alive until it is done with it.
  if (!thread_.Start([measurement = measurement_] { MeasureThread(*measurement); })) {
    done_ = nullptr;
    return false;
  }
  return true;
}

std::string Win32SystemInfoServices::ComputerName() {
  wchar_t name[256] = {};
  DWORD size = 255;
  return GetComputerNameW(name, &size) ? Narrow(name) : std::string();
}

std::string Win32SystemInfoServices::UserName() {
  wchar_t name[256] = {};
  DWORD size = 255;
  return GetUserNameW(name, &size) ? Narrow(name) : std::string();
}

std::string Win32SystemInfoServices::LocalIpAddress(const std::string& hostName) {
  // Looked up when the information page asks rather than imported: loading ws2_32.dll with the
  // program lengthens every start under Wine.
  const WinSock& ws = SystemWinSock();
  if (!ws.startup || !ws.cleanup || !ws.hostName || !ws.hostByName || !ws.addressText) return {};
  WSADATA data{};
  if (ws.startup(MAKEWORD(1, 1), &data) != 0) return {};
  ScopeGuard cleanup([&ws] { ws.cleanup(); });
  std::string host = ToAnsi(hostName);
  if (host.empty()) {
    char local[260] = {};
    if (ws.hostName(local, sizeof local) != 0) return {};
    host = local;
  }
  const hostent* entry = ws.hostByName(host.c_str());
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0])
    return {};
  in_addr address{};
  memcpy(&address, entry->h_addr_list[0], sizeof address);
  const char* text = ws.addressText(address);
  return text ? text : std::string();
}

std::optional<std::string> Win32SystemInfoServices::DirectXVersionValue() {
  // Read access is all a reading needs; asking for full access fails for every user who is not
  // an administrator and would report DirectX missing.
  const auto key =
      Win32Registry().OpenReadOnly(RegistryRoot::LocalMachine, "Software\\Microsoft\\DirectX");
  if (!key) return std::nullopt;
  return key->ReadText("Version").value_or(std::string());
}

std::optional<DisplayMode> Win32SystemInfoServices::CurrentMode() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return std::nullopt;
  return DisplayMode{static_cast<std::int32_t>(mode.dmPelsWidth),
                     static_cast<std::int32_t>(mode.dmPelsHeight),
                     static_cast<std::int32_t>(mode.dmBitsPerPel)};
}

std::vector<DisplayMode> Win32SystemInfoServices::DisplayModes() {
  std::vector<DisplayMode> modes;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &mode); ++i)
    modes.push_back({static_cast<std::int32_t>(mode.dmPelsWidth),
                     static_cast<std::int32_t>(mode.dmPelsHeight),
                     static_cast<std::int32_t>(mode.dmBitsPerPel)});
  return modes;
}

std::int32_t Win32SystemInfoServices::ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

std::int64_t Win32SystemInfoServices::DriveFreeBytes(int driveNumber) {
  if (driveNumber < 1 || driveNumber > 26) return -1;
  // Letters Windows does not know cost nothing to leave out.
  if (!(GetLogicalDrives() & (1u << (driveNumber - 1)))) return -1;
  const wchar_t root[] = {static_cast<wchar_t>(L'A' + driveNumber - 1), L':', L'\\', 0};
  // An empty removable drive must not ask the user to insert a disk.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  ScopeGuard restore([oldMode] { SetErrorMode(oldMode); });
  if (const auto freeSpaceEx = Kernel32().GetDiskFreeSpaceExW) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!freeSpaceEx(root, &available, &total, &free)) return -1;
    return static_cast<std::int64_t>(available.QuadPart);
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return -1;
  return static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

std::string ReadFileDateText(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToSystemTime(&local, &time))
    return {};
  wchar_t text[80] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 80) == 0) return {};
  return Narrow(text);
}

std::wstring ProgramFileName() {
  return Widen(ProgramFilePath());
}

const std::string& ProgramFileVersion() {
  // The program's own resource, as loaded: its file is the one running.
  static const std::string version =
      FirstCharacters(ModuleVersionText(nullptr, L"FileVersion"), 10);
  return version;
}

const std::string& ProgramFileDate() {
  static const std::string date = FirstCharacters(ReadFileDateText(ProgramFileName()), 20);
  return date;
}

}  // namespace kvn
