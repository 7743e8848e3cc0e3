#include "sysinfo/system_info_win32.h"

#include <shellapi.h>
#include <winsock2.h>
#include <x86intrin.h>

#include <cstdio>
#include <vector>

#include "base/message_window_win32.h"
#include "base/scope_guard.h"
#include "base/text_win32.h"

namespace kvn {

namespace {

constexpr UINT kMeasured = WM_APP + 1;

std::string AnsiOf(const std::string& utf8) {
  const std::wstring wide = Widen(utf8);
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(static_cast<std::size_t>(size - 1));
  return ansi;
}

}  // namespace

double MeasureCpuSpeed() {
  const HANDLE process = GetCurrentProcess();
  const HANDLE thread = GetCurrentThread();
  const DWORD oldClass = GetPriorityClass(process);
  const int oldPriority = GetThreadPriority(thread);
  std::uint64_t start = 0, end = 0;
  {
    // The thread first, then the process, as they were taken.
    ScopeGuard restore([&] {
      SetThreadPriority(thread, oldPriority);
      if (oldClass != 0) SetPriorityClass(process, oldClass);
    });
    SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
    Sleep(10);
    start = __rdtsc();
    Sleep(500);
    end = __rdtsc();
  }
  return static_cast<double>(static_cast<std::uint32_t>(end - start)) / 500000.0;
}

Win32SystemInfoServices::Win32SystemInfoServices()
    : window_(
          std::make_unique<MessageWindow>(L"KorvaneInfoPage", MessageWindow::Kind::MessageOnly,
                                          [this](UINT message, WPARAM, LPARAM, LRESULT& result) {
                                            if (message != kMeasured) return false;
                                            JoinMeasurement();
                                            result = 0;
                                            if (auto done = std::move(done_)) done(measured_);
                                            return true;
                                          })) {}

Win32SystemInfoServices::~Win32SystemInfoServices() {
  // A measurement still running ends within half a second; its message then finds no window.
  JoinMeasurement();
}

void Win32SystemInfoServices::JoinMeasurement() {
  if (!thread_) return;
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI Win32SystemInfoServices::MeasureThread(void* self) {
  auto* services = static_cast<Win32SystemInfoServices*>(self);
  services->measured_ = MeasureCpuSpeed();
  PostMessageW(services->window_->Handle(), kMeasured, 0, 0);
  return 0;
}

bool Win32SystemInfoServices::StartCpuSpeedMeasurement(std::function<void(double)> done) {
  if (thread_) return false;  // one at a time
  done_ = std::move(done);
  thread_ = CreateThread(nullptr, 0, MeasureThread, this, 0, nullptr);
  if (!thread_) done_ = nullptr;
  return thread_ != nullptr;
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
  WSADATA data{};
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return {};
  ScopeGuard cleanup([] { WSACleanup(); });
  std::string host = AnsiOf(hostName);
  if (host.empty()) {
    char local[260] = {};
    if (gethostname(local, sizeof local) != 0) return {};
    host = local;
  }
  const hostent* entry = gethostbyname(host.c_str());
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0])
    return {};
  in_addr address{};
  memcpy(&address, entry->h_addr_list[0], sizeof address);
  const char* text = inet_ntoa(address);
  return text ? text : std::string();
}

std::optional<std::string> Win32SystemInfoServices::DirectXVersionValue() {
  // Read access is all a reading needs; asking for full access fails for every user who is not
  // an administrator and would report DirectX missing.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\DirectX", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return std::nullopt;
  ScopeGuard close([key] { RegCloseKey(key); });
  wchar_t value[64] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return std::string();
  return Narrow(value);
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
  using FreeSpaceExFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  static const auto freeSpaceEx = reinterpret_cast<FreeSpaceExFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetDiskFreeSpaceExW")));
  if (freeSpaceEx) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!freeSpaceEx(root, &available, &total, &free)) return -1;
    return static_cast<std::int64_t>(available.QuadPart);
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return -1;
  return static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

std::string ReadFileVersionText(const std::wstring& path) {
  if (SHGetFileInfoW(path.c_str(), 0, nullptr, 0, SHGFI_EXETYPE) == 0) return {};
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      !translation || length < 2 * sizeof(WORD))
    return {};
  wchar_t query[64];
  swprintf(query, 64, L"\\StringFileInfo\\%.4x%.4x\\%ls", translation[0], translation[1],
           L"FileVersion");
  wchar_t* text = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text ||
      length == 0)
    return {};
  return Narrow(std::wstring(text, wcsnlen(text, length)));
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
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

const std::string& ProgramFileVersion() {
  static const std::string version = FirstCharacters(ReadFileVersionText(ProgramFileName()), 10);
  return version;
}

const std::string& ProgramFileDate() {
  static const std::string date = FirstCharacters(ReadFileDateText(ProgramFileName()), 20);
  return date;
}

}  // namespace kvn
