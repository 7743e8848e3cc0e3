#pragma once
// Which Windows release runs: worked out once at start-up, before any window exists, from the
// system's version record. The release flags enable the options a release offers; the name and
// service-pack text are shown on the "Informations" page and written in the fault report.
#include <cstdint>
#include <optional>
#include <string>

namespace kvn {

enum class WindowsKind {
  Unknown = 0,
  Win95 = 1,
  Win95OSR2 = 2,
  Win98 = 3,
  Win98SE = 4,
  WinME = 5,
  WinNT31 = 6,
  WinNT35 = 7,
  WinNT351 = 8,
  WinNT4 = 9,
  Win2000 = 10,
  WinXP = 11,
};

inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformNT = 2;
inline constexpr std::uint8_t kProductWorkstation = 1;

// What the version query reports. The extended fields are only meaningful when the record comes
// from the extended form of the query.
struct WindowsVersionRecord {
  std::uint32_t PlatformId = 0;
  std::uint32_t MajorVersion = 0;
  std::uint32_t MinorVersion = 0;
  std::uint32_t BuildNumber = 0;
  std::string CSDVersion;  // the service-pack text
  std::uint16_t ServicePackMajor = 0;
  std::uint8_t ProductType = 0;  // 1 workstation, 2 domain controller, 3 server
};

struct WindowsFlags {
  bool IsWinNT = false;  // the NT platform, whatever the release
  bool IsWin95 = false;
  bool IsWin95OSR2 = false;
  bool IsWin98 = false;
  bool IsWin98SE = false;
  bool IsWinME = false;
  bool IsWinNT3 = false;
  bool IsWinNT31 = false;
  bool IsWinNT35 = false;
  bool IsWinNT351 = false;
  bool IsWinNT4 = false;
  bool IsWin2000 = false;
  bool IsWinXP = false;
};

// The facts the release detection asks the system for; one method per question.
class WindowsReleaseSource {
 public:
  virtual ~WindowsReleaseSource() = default;
  // The plain version query; nullopt when it fails.
  virtual std::optional<WindowsVersionRecord> VersionRecord() = 0;
  // The extended query (service pack major, product type); nullopt when it fails.
  virtual std::optional<WindowsVersionRecord> ExtendedVersionRecord() = 0;
  // The kernel's own record (RtlGetVersion), which no compatibility layer lowers; nullopt where
  // the call does not exist.
  virtual std::optional<WindowsVersionRecord> KernelVersionRecord() = 0;
  // The product version of the loaded kernel32.dll (major << 16 | minor); 0 when unreadable.
  virtual std::uint32_t Kernel32FileVersion() = 0;
  // HKLM "SYSTEM\CurrentControlSet\Control\Windows" value "CSDVersion" when it is a DWORD.
  virtual std::optional<std::uint32_t> CsdVersionValue() = 0;
  // HKLM "System\CurrentControlSet\Control\ProductOptions" value "ProductType" when it is a
  // string or expandable string.
  virtual std::optional<std::string> ProductTypeValue() = 0;
};

// The releases after XP, which the release table does not know.
enum class LaterWindows { None, Known, Unrecognised };

// Everything settled at start-up.
struct WindowsRelease {
  WindowsVersionRecord Version;  // the plain query's record
  bool VersionKnown = false;     // false when the plain query failed (Version is then empty)
  std::uint32_t Kernel32Version = 0;
  WindowsKind Kind = WindowsKind::Unknown;
  WindowsFlags Flags;
  // Releases after XP: the kernel's own record and the name it gives ("" when none).
  std::optional<WindowsVersionRecord> Kernel;
  std::string LaterName;
};

WindowsKind DetectWindowsKind(const WindowsVersionRecord& version, std::uint32_t kernel32Version);
WindowsFlags FlagsOf(WindowsKind kind, std::uint32_t platformId);
// The name of an NT release after XP from the kernel's record ("Windows 7", "Windows Server
// 2008 R2", ...); "" for anything else.
std::string LaterWindowsName(const WindowsVersionRecord& kernel);

// Runs the whole detection through the source (kernel32 only on the 9x platform).
WindowsRelease DetectWindowsRelease(WindowsReleaseSource& source);

// The name the page shows: the release table's text, else a later release's name, else "".
std::string WindowsName(const WindowsRelease& release);
int ServicePackNumber(const WindowsRelease& release, WindowsReleaseSource& source);
std::string ServicePackText(int servicePackNumber);
int WindowsProductType(const WindowsRelease& release, WindowsReleaseSource& source);
// "CSDVersion" as the registry keeps it (0x0600) to the service pack number (6).
int ServicePackFromCsdValue(std::uint32_t value);
// Name, two blanks, service-pack text: the page's first label and the fault report's "OS:" line.
std::string WindowsVersionText(const WindowsRelease& release, WindowsReleaseSource& source);

enum class WindowsLogo {
  None,
  LogoWin95,
  LogoWin98,
  LogoWinME,
  LogoWinNT,
  LogoWinNTS,
  LogoWin2K,
  LogoWinXP,
  LogoWinLater,  // every release after XP
};
const char* WindowsLogoName(WindowsLogo logo);
WindowsLogo SelectWindowsLogo(const WindowsRelease& release, int productType);

}  // namespace kvn
