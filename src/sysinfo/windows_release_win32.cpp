#include "sysinfo/windows_release_win32.h"

#include "base/file_version_win32.h"
#include "base/registry_win32.h"
#include "base/system_functions_win32.h"

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
  const auto rtlGetVersion = Ntdll().RtlGetVersion;
  if (!rtlGetVersion) return std::nullopt;
  OSVERSIONINFOEXW info{};  // the wide record, RtlGetVersion's
  info.dwOSVersionInfoSize = sizeof info;
  if (rtlGetVersion(&info) != 0) return std::nullopt;
  WindowsVersionRecord r = RecordOf(info);
  r.ServicePackMajor = info.wServicePackMajor;
  r.ProductType = info.wProductType;
  return r;
}

std::uint32_t FileProductVersion(const wchar_t* path) {
  const std::optional<VS_FIXEDFILEINFO> fixed = FixedFileVersion(path);
  return fixed ? fixed->dwProductVersionMS : 0;
}

std::uint32_t Win32WindowsReleaseSource::Kernel32FileVersion() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  wchar_t path[MAX_PATH] = {};
  if (!kernel || GetModuleFileNameW(kernel, path, MAX_PATH) == 0) return 0;
  return FileProductVersion(path);
}

std::optional<std::uint32_t> Win32WindowsReleaseSource::CsdVersionValue() {
  const auto key = Win32Registry().OpenReadOnly(RegistryRoot::LocalMachine,
                                                "SYSTEM\\CurrentControlSet\\Control\\Windows");
  return key ? key->ReadDword("CSDVersion") : std::nullopt;
}

std::optional<std::string> Win32WindowsReleaseSource::ProductTypeValue() {
  const auto key = Win32Registry().OpenReadOnly(
      RegistryRoot::LocalMachine, "System\\CurrentControlSet\\Control\\ProductOptions");
  if (!key) return std::nullopt;
  std::optional<RegistryText> value = key->ReadAnyText("ProductType");
  if (!value) return std::nullopt;
  return std::move(value->text);
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
