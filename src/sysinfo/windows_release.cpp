#include "sysinfo/windows_release.h"

#include <algorithm>

#include "base/text.h"

namespace kvn {

namespace {

std::string Trimmed(const std::string& text) {
  const auto blank = [](unsigned char c) { return c <= ' '; };
  auto first = std::find_if_not(text.begin(), text.end(), blank);
  auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
  return first < last ? std::string(first, last) : std::string();
}

bool IsServer(const WindowsVersionRecord& v) {
  return v.ProductType != 0 && v.ProductType != kProductWorkstation;
}

std::string Name10(const WindowsVersionRecord& v) {
  if (!IsServer(v)) return v.BuildNumber >= 22000 ? "Windows 11" : "Windows 10";
  if (v.BuildNumber >= 26100) return "Windows Server 2025";
  if (v.BuildNumber >= 20348) return "Windows Server 2022";
  if (v.BuildNumber >= 17763) return "Windows Server 2019";
  return "Windows Server 2016";
}

}  // namespace

WindowsKind DetectWindowsKind(const WindowsVersionRecord& v, std::uint32_t kernel32Version) {
  if (v.PlatformId == kPlatformWin9x) {
    const std::string csd = Trimmed(v.CSDVersion);
    if (v.MinorVersion < 10) return csd == "B" ? WindowsKind::Win95OSR2 : WindowsKind::Win95;
    if (v.MinorVersion < 90) {
      if (kernel32Version == 0x0004005A) return WindowsKind::WinME;
      return csd == "A" ? WindowsKind::Win98SE : WindowsKind::Win98;
    }
    return v.MinorVersion == 90 ? WindowsKind::WinME : WindowsKind::Unknown;
  }
  if (v.PlatformId != kPlatformNT) return WindowsKind::Unknown;
  switch (v.MajorVersion) {
    case 3:
      if (v.MinorVersion == 1) return WindowsKind::WinNT31;
      if (v.MinorVersion == 5) return WindowsKind::WinNT35;
      if (v.MinorVersion == 51) return WindowsKind::WinNT351;
      return WindowsKind::Unknown;
    case 4:
      return WindowsKind::WinNT4;
    case 5:
      if (v.MinorVersion == 0) return WindowsKind::Win2000;
      if (v.MinorVersion == 1) return WindowsKind::WinXP;
      return WindowsKind::Unknown;
    default:
      return WindowsKind::Unknown;
  }
}

WindowsFlags FlagsOf(WindowsKind kind, std::uint32_t platformId) {
  WindowsFlags f;
  f.IsWinNT = platformId == kPlatformNT;
  switch (kind) {
    case WindowsKind::Win95:
      f.IsWin95 = true;
      break;
    case WindowsKind::Win95OSR2:
      f.IsWin95OSR2 = true;
      break;
    case WindowsKind::Win98:
      f.IsWin98 = true;
      break;
    case WindowsKind::Win98SE:
      f.IsWin98SE = true;
      break;
    case WindowsKind::WinME:
      f.IsWinME = true;
      break;
    case WindowsKind::WinNT31:
      f.IsWinNT3 = f.IsWinNT31 = true;
      break;
    case WindowsKind::WinNT35:
      f.IsWinNT3 = f.IsWinNT35 = true;
      break;
    case WindowsKind::WinNT351:
      f.IsWinNT3 = f.IsWinNT351 = true;
      break;
    case WindowsKind::WinNT4:
      f.IsWinNT4 = true;
      break;
    case WindowsKind::Win2000:
      f.IsWin2000 = true;
      break;
    case WindowsKind::WinXP:
      f.IsWinXP = true;
      break;
    case WindowsKind::Unknown:
      break;
  }
  return f;
}

std::string LaterWindowsName(const WindowsVersionRecord& v) {
  if (v.PlatformId != kPlatformNT) return {};
  const bool server = IsServer(v);
  if (v.MajorVersion == 5 && v.MinorVersion == 2)
    return server ? "Windows Server 2003" : "Windows XP x64";
  if (v.MajorVersion == 6) {
    switch (v.MinorVersion) {
      case 0:
        return server ? "Windows Server 2008" : "Windows Vista";
      case 1:
        return server ? "Windows Server 2008 R2" : "Windows 7";
      case 2:
        return server ? "Windows Server 2012" : "Windows 8";
      case 3:
        return server ? "Windows Server 2012 R2" : "Windows 8.1";
      default:
        break;
    }
  }
  if (v.MajorVersion == 10 && v.MinorVersion == 0) return Name10(v);
  // A release newer than this program still gets its numbers rather than nothing.
  if (v.MajorVersion >= 6)
    return "Windows NT " + std::to_string(v.MajorVersion) + "." + std::to_string(v.MinorVersion);
  return {};
}

WindowsRelease DetectWindowsRelease(WindowsReleaseSource& source) {
  WindowsRelease r;
  if (auto version = source.VersionRecord()) {
    r.Version = *version;
    r.VersionKnown = true;
  }
  if (r.Version.PlatformId == kPlatformWin9x) r.Kernel32Version = source.Kernel32FileVersion();
  r.Kind = DetectWindowsKind(r.Version, r.Kernel32Version);
  r.Flags = FlagsOf(r.Kind, r.Version.PlatformId);
  // The plain query lowers the numbers of 8.1 and later for programs that do not declare them;
  // the kernel's record tells the truth.
  if (r.Kind == WindowsKind::Unknown && r.Version.PlatformId == kPlatformNT) {
    r.Kernel = source.KernelVersionRecord();
    if (!r.Kernel) r.Kernel = source.ExtendedVersionRecord();
    if (!r.Kernel) r.Kernel = r.Version;
    r.LaterName = LaterWindowsName(*r.Kernel);
  }
  return r;
}

std::string WindowsName(const WindowsRelease& r) {
  const std::string minor = std::to_string(r.Version.MinorVersion);
  switch (r.Kind) {
    case WindowsKind::Win95:
      return "Windows 95";
    case WindowsKind::Win95OSR2:
      return "Windows 95 OSR2";
    case WindowsKind::Win98:
      return "Windows 98";
    case WindowsKind::Win98SE:
      return "Windows 98 SE";
    case WindowsKind::WinME:
      return "Windows ME";
    case WindowsKind::WinNT31:
    case WindowsKind::WinNT35:
    case WindowsKind::WinNT351:
      return "Windows NT 3." + minor;
    case WindowsKind::WinNT4:
      return "Windows NT 4." + minor;
    case WindowsKind::Win2000:
      return "Windows 2000";
    case WindowsKind::WinXP:
      return "Windows XP";
    case WindowsKind::Unknown:
      break;
  }
  return r.LaterName;
}

int ServicePackFromCsdValue(std::uint32_t value) {
  // The hexadecimal digits (at least four) read back as a decimal number: 0x0600 is "0600",
  // service pack 6. A letter among them makes no number.
  int digits = 4;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  std::int64_t number = 0;
  for (int i = digits - 1; i >= 0; --i) {
    const unsigned digit = (value >> (4 * i)) & 0xF;
    if (digit > 9) return 0;
    number = number * 10 + digit;
  }
  return static_cast<int>(number / 100);
}

int ServicePackNumber(const WindowsRelease& r, WindowsReleaseSource& source) {
  if (r.Flags.IsWin2000 || r.Flags.IsWinXP || !r.LaterName.empty()) {
    const auto extended = source.ExtendedVersionRecord();
    return extended ? extended->ServicePackMajor : 0;
  }
  const auto csd = source.CsdVersionValue();
  return csd ? ServicePackFromCsdValue(*csd) : 0;
}

std::string ServicePackText(int servicePackNumber) {
  return servicePackNumber >= 1 ? "SP" + std::to_string(servicePackNumber) : std::string();
}

int WindowsProductType(const WindowsRelease& r, WindowsReleaseSource& source) {
  if (r.Flags.IsWinNT4 && ServicePackNumber(r, source) > 5) {
    const auto extended = source.ExtendedVersionRecord();
    if (!extended) return 0;
    return extended->ProductType == kProductWorkstation ? 1 : 2;
  }
  const std::string type = AsciiUpper(source.ProductTypeValue().value_or(""));
  if (type == "WINNT") return 1;
  if (type == "LANMANNT") return 2;
  if (type == "SERVERNT") return 3;
  return 0;
}

std::string WindowsVersionText(const WindowsRelease& r, WindowsReleaseSource& source) {
  return WindowsName(r) + "  " + ServicePackText(ServicePackNumber(r, source));
}

const char* WindowsLogoName(WindowsLogo logo) {
  switch (logo) {
    case WindowsLogo::LogoWin95:
      return "LogoWin95";
    case WindowsLogo::LogoWin98:
      return "LogoWin98";
    case WindowsLogo::LogoWinME:
      return "LogoWinME";
    case WindowsLogo::LogoWinNT:
      return "LogoWinNT";
    case WindowsLogo::LogoWinNTS:
      return "LogoWinNTS";
    case WindowsLogo::LogoWin2K:
      return "LogoWin2K";
    case WindowsLogo::LogoWinXP:
      return "LogoWinXP";
    case WindowsLogo::LogoWinLater:
      return "LogoWinLater";
    case WindowsLogo::None:
      break;
  }
  return "none";
}

WindowsLogo SelectWindowsLogo(const WindowsRelease& r, int productType) {
  const WindowsFlags& f = r.Flags;
  if (!r.LaterName.empty()) return WindowsLogo::LogoWinLater;
  // A release the table does not know shows no picture, NT platform or not.
  if (r.Kind == WindowsKind::Unknown) return WindowsLogo::None;
  if (f.IsWinXP) return WindowsLogo::LogoWinXP;
  if (f.IsWin2000) return WindowsLogo::LogoWin2K;
  if (f.IsWinNT && productType == 2) return WindowsLogo::LogoWinNTS;
  if (f.IsWinNT) return WindowsLogo::LogoWinNT;
  if (f.IsWinME) return WindowsLogo::LogoWinME;
  if (f.IsWin98 || f.IsWin98SE) return WindowsLogo::LogoWin98;
  if (f.IsWin95 || f.IsWin95OSR2) return WindowsLogo::LogoWin95;
  return WindowsLogo::None;
}

}  // namespace kvn
