#include "sysinfo/windows_release_win32.h"

#include <vector>

#include "base/scope_guard.h"

namespace kvn {

namespace {

template <class Info>
WindowsVersionRecord RecordOf(const Info& info) {
  WindowsVersionRecord r;
  r.PlatformId = info.dwPlatformId;
  r.MajorVersion = info.dwMajorVersion;
  r.MinorVersion = info.dwMinorVersion;
  r.BuildNumber = info.dwBuildNumber;
  for (auto c : info.szCSDVersion) {
    if (c == 0) break;
    r.CSDVersion += static_cast<char>(c);
  }
  return r;
}

// RtlGetVersion's record, wide characters.
struct KernelVersionInfo {
  ULONG dwOSVersionInfoSize;
  ULONG dwMajorVersion;
  ULONG dwMinorVersion;
  ULONG dwBuildNumber;
  ULONG dwPlatformId;
  WCHAR szCSDVersion[128];
  USHORT wServicePackMajor;
  USHORT wServicePackMinor;
  USHORT wSuiteMask;
  UCHAR wProductType;
  UCHAR wReserved;
};

std::optional<std::vector<BYTE>> ReadValue(const char* path, const char* name, DWORD& type) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  ScopeGuard close([key] { RegCloseKey(key); });
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size > 4096)
    return std::nullopt;
  std::vector<BYTE> data(size + 1, 0);
  if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return data;
}

}  // namespace

std::optional<WindowsVersionRecord> Win32WindowsReleaseSource::VersionRecord() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return std::nullopt;
  return RecordOf(info);
}

std::optional<WindowsVersionRecord> Win32WindowsReleaseSource::ExtendedVersionRecord() {
  OSVERSIONINFOEXA info{};
  static_assert(sizeof info == 156, "the extended version record is 156 bytes");
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  WindowsVersionRecord r = RecordOf(info);
  r.ServicePackMajor = info.wServicePackMajor;
  r.ProductType = info.wProductType;
  return r;
}

std::optional<WindowsVersionRecord> Win32WindowsReleaseSource::KernelVersionRecord() {
  using RtlGetVersionFn = LONG(WINAPI*)(KernelVersionInfo*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return std::nullopt;
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!rtlGetVersion) return std::nullopt;
  KernelVersionInfo info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (rtlGetVersion(&info) != 0) return std::nullopt;
  WindowsVersionRecord r = RecordOf(info);
  r.ServicePackMajor = info.wServicePackMajor;
  r.ProductType = info.wProductType;
  return r;
}

std::uint32_t FileProductVersion(const wchar_t* path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return 0;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(path, 0, size, block.data())) return 0;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO))
    return 0;
  return fixed->dwProductVersionMS;
}

std::uint32_t Win32WindowsReleaseSource::Kernel32FileVersion() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  wchar_t path[MAX_PATH] = {};
  if (!kernel || GetModuleFileNameW(kernel, path, MAX_PATH) == 0) return 0;
  return FileProductVersion(path);
}

std::optional<std::uint32_t> Win32WindowsReleaseSource::CsdVersionValue() {
  DWORD type = 0;
  const auto data = ReadValue("SYSTEM\\CurrentControlSet\\Control\\Windows", "CSDVersion", type);
  if (!data || type != REG_DWORD || data->size() != 4) return std::nullopt;
  return static_cast<std::uint32_t>((*data)[0] | (*data)[1] << 8 | (*data)[2] << 16 |
                                    (*data)[3] << 24);
}

std::optional<std::string> Win32WindowsReleaseSource::ProductTypeValue() {
  DWORD type = 0;
  const auto data =
      ReadValue("System\\CurrentControlSet\\Control\\ProductOptions", "ProductType", type);
  if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::string text(data->begin(), data->end());
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return text;
}

WindowsReleaseSource& SystemReleaseSource() {
  static Win32WindowsReleaseSource source;
  return source;
}

const WindowsRelease& CurrentWindowsRelease() {
  static const WindowsRelease release = DetectWindowsRelease(SystemReleaseSource());
  return release;
}

std::string CurrentWindowsVersionText() {
  return WindowsVersionText(CurrentWindowsRelease(), SystemReleaseSource());
}

}  // namespace kvn
