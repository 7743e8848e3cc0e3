// The release table, the names and service packs the page shows, and the logo each release gets.
#include "sysinfo/windows_release.h"

#include <gtest/gtest.h>

#include "fakes/fake_system_info.h"
#include "settings/windows_tuning.h"

namespace kvn {
namespace {

using fake::FakeReleaseSource;

WindowsVersionRecord Record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
                            const char* csd = "", std::uint32_t build = 0) {
  WindowsVersionRecord r;
  r.PlatformId = platform;
  r.MajorVersion = major;
  r.MinorVersion = minor;
  r.CSDVersion = csd;
  r.BuildNumber = build;
  return r;
}

WindowsVersionRecord Extended(WindowsVersionRecord r, std::uint16_t servicePack,
                              std::uint8_t productType) {
  r.ServicePackMajor = servicePack;
  r.ProductType = productType;
  return r;
}

// The release flags that are set, by name: exactly the kind's (and NT3 with the NT 3 kinds).
std::string SetFlags(const WindowsFlags& f) {
  std::string s;
  const std::pair<bool, const char*> flags[] = {
      {f.IsWin95, "95"},     {f.IsWin95OSR2, "95OSR2"}, {f.IsWin98, "98"},
      {f.IsWin98SE, "98SE"}, {f.IsWinME, "ME"},         {f.IsWinNT3, "NT3"},
      {f.IsWinNT31, "NT31"}, {f.IsWinNT35, "NT35"},     {f.IsWinNT351, "NT351"},
      {f.IsWinNT4, "NT4"},   {f.IsWin2000, "2000"},     {f.IsWinXP, "XP"}};
  for (const auto& [set, name] : flags)
    if (set) s += std::string(s.empty() ? "" : " ") + name;
  return s;
}

struct ReleaseRow {
  const char* what;
  WindowsVersionRecord version;
  std::uint32_t kernel32;
  std::optional<std::uint32_t> csdValue;
  std::optional<std::string> productType;
  std::optional<WindowsVersionRecord> extended;
  std::optional<WindowsVersionRecord> kernel;
  WindowsKind kind;
  const char* flags;
  const char* label;  // name, two blanks, service pack
  WindowsLogo logo;
};

TEST(WindowsRelease, TableOfReleases) {
  const auto none = std::nullopt;
  const ReleaseRow rows[] = {
      {"95", Record(1, 4, 0), 0, none, none, none, none, WindowsKind::Win95, "95", "Windows 95  ",
       WindowsLogo::LogoWin95},
      {"95 B with blanks", Record(1, 4, 0, " B "), 0, none, none, none, none,
       WindowsKind::Win95OSR2, "95OSR2", "Windows 95 OSR2  ", WindowsLogo::LogoWin95},
      {"95 C", Record(1, 4, 3, "C"), 0, none, none, none, none, WindowsKind::Win95, "95",
       "Windows 95  ", WindowsLogo::LogoWin95},
      {"98", Record(1, 4, 10), 0x0004000A, none, none, none, none, WindowsKind::Win98, "98",
       "Windows 98  ", WindowsLogo::LogoWin98},
      {"98 SE", Record(1, 4, 10, " A "), 0x0004000A, 0x0100, none, none, none, WindowsKind::Win98SE,
       "98SE", "Windows 98 SE  SP1", WindowsLogo::LogoWin98},
      {"ME by kernel32 4.90", Record(1, 4, 10, "A"), 0x0004005A, none, none, none, none,
       WindowsKind::WinME, "ME", "Windows ME  ", WindowsLogo::LogoWinME},
      {"ME by minor 90", Record(1, 4, 90), 0x00040000, none, none, none, none, WindowsKind::WinME,
       "ME", "Windows ME  ", WindowsLogo::LogoWinME},
      {"9x minor 95", Record(1, 4, 95), 0, none, none, none, none, WindowsKind::Unknown, "", "  ",
       WindowsLogo::None},
      {"NT 3.1", Record(2, 3, 1), 0, none, "WinNT", none, none, WindowsKind::WinNT31, "NT3 NT31",
       "Windows NT 3.1  ", WindowsLogo::LogoWinNT},
      {"NT 3.5", Record(2, 3, 5), 0, 0x0300, "WinNT", none, none, WindowsKind::WinNT35, "NT3 NT35",
       "Windows NT 3.5  SP3", WindowsLogo::LogoWinNT},
      {"NT 3.51 server", Record(2, 3, 51), 0, none, "LanmanNT", none, none, WindowsKind::WinNT351,
       "NT3 NT351", "Windows NT 3.51  ", WindowsLogo::LogoWinNTS},
      {"NT 3.2", Record(2, 3, 2), 0, none, none, none, none, WindowsKind::Unknown, "", "  ",
       WindowsLogo::None},
      {"NT 4.0 SP6 workstation", Record(2, 4, 0, "Service Pack 6"), 0, 0x0600, "LanmanNT",
       Extended(Record(2, 4, 0), 6, 1), none, WindowsKind::WinNT4, "NT4", "Windows NT 4.0  SP6",
       WindowsLogo::LogoWinNT},
      {"NT 4.0 SP6 server", Record(2, 4, 0), 0, 0x0600, "WinNT", Extended(Record(2, 4, 0), 6, 3),
       none, WindowsKind::WinNT4, "NT4", "Windows NT 4.0  SP6", WindowsLogo::LogoWinNTS},
      {"NT 4.0 SP6, extended query fails", Record(2, 4, 0), 0, 0x0600, "LanmanNT", none, none,
       WindowsKind::WinNT4, "NT4", "Windows NT 4.0  SP6", WindowsLogo::LogoWinNT},
      {"NT 4.0 SP3 WINNT", Record(2, 4, 0), 0, 0x0300, "WINNT", none, none, WindowsKind::WinNT4,
       "NT4", "Windows NT 4.0  SP3", WindowsLogo::LogoWinNT},
      {"NT 4.0 SP3 lanmannt", Record(2, 4, 0), 0, 0x0300, "lanmannt", none, none,
       WindowsKind::WinNT4, "NT4", "Windows NT 4.0  SP3", WindowsLogo::LogoWinNTS},
      {"NT 4.0 SERVERNT", Record(2, 4, 0), 0, 0, "SERVERNT", none, none, WindowsKind::WinNT4, "NT4",
       "Windows NT 4.0  ", WindowsLogo::LogoWinNT},
      {"NT 4.0 damaged CSDVersion", Record(2, 4, 0), 0, 0x0A00, "WinNT", none, none,
       WindowsKind::WinNT4, "NT4", "Windows NT 4.0  ", WindowsLogo::LogoWinNT},
      {"2000 SP4", Record(2, 5, 0), 0, 0x0900, "ServerNT", Extended(Record(2, 5, 0), 4, 1), none,
       WindowsKind::Win2000, "2000", "Windows 2000  SP4", WindowsLogo::LogoWin2K},
      {"XP SP3", Record(2, 5, 1), 0, none, none, Extended(Record(2, 5, 1), 3, 1), none,
       WindowsKind::WinXP, "XP", "Windows XP  SP3", WindowsLogo::LogoWinXP},
      {"XP, extended query fails", Record(2, 5, 1), 0, 0x0200, none, none, none, WindowsKind::WinXP,
       "XP", "Windows XP  ", WindowsLogo::LogoWinXP},
      // After XP the release table knows nothing; the kernel's record names the release.
      {"NT 5.2 server", Record(2, 5, 2), 0, none, none, Extended(Record(2, 5, 2), 2, 3),
       Extended(Record(2, 5, 2), 2, 3), WindowsKind::Unknown, "", "Windows Server 2003  SP2",
       WindowsLogo::LogoWinLater},
      {"7 SP1", Record(2, 6, 1), 0, none, none, Extended(Record(2, 6, 1), 1, 1),
       Extended(Record(2, 6, 1), 1, 1), WindowsKind::Unknown, "", "Windows 7  SP1",
       WindowsLogo::LogoWinLater},
      {"8.1 reported as 8", Record(2, 6, 2), 0, none, none, Extended(Record(2, 6, 2), 0, 1),
       Extended(Record(2, 6, 3), 0, 1), WindowsKind::Unknown, "", "Windows 8.1  ",
       WindowsLogo::LogoWinLater},
      {"10.0 reported as 6.2", Record(2, 6, 2), 0, none, none, none,
       Extended(Record(2, 10, 0, "", 19045), 0, 1), WindowsKind::Unknown, "", "Windows 10  ",
       WindowsLogo::LogoWinLater},
      {"11 from build 22000", Record(2, 10, 0), 0, none, none, none,
       Extended(Record(2, 10, 0, "", 22000), 0, 1), WindowsKind::Unknown, "", "Windows 11  ",
       WindowsLogo::LogoWinLater},
      {"Server 2022", Record(2, 10, 0), 0, none, none, none,
       Extended(Record(2, 10, 0, "", 20348), 0, 3), WindowsKind::Unknown, "",
       "Windows Server 2022  ", WindowsLogo::LogoWinLater},
      {"Server 2008 R2 domain controller", Record(2, 6, 1), 0, none, none, none,
       Extended(Record(2, 6, 1), 0, 2), WindowsKind::Unknown, "", "Windows Server 2008 R2  ",
       WindowsLogo::LogoWinLater},
      {"10.0 without RtlGetVersion", Record(2, 10, 0, "", 19045), 0, none, none, none, none,
       WindowsKind::Unknown, "", "Windows 10  ", WindowsLogo::LogoWinLater},
      {"Win32s", Record(0, 3, 10), 0, none, none, none, none, WindowsKind::Unknown, "", "  ",
       WindowsLogo::None},
  };
  for (const ReleaseRow& r : rows) {
    SCOPED_TRACE(r.what);
    FakeReleaseSource source;
    source.version = r.version;
    source.kernel32 = r.kernel32;
    source.csdValue = r.csdValue;
    source.productType = r.productType;
    source.extended = r.extended;
    source.kernel = r.kernel;
    const WindowsRelease release = DetectWindowsRelease(source);
    EXPECT_EQ(release.Kind, r.kind);
    EXPECT_EQ(SetFlags(release.Flags), r.flags);
    EXPECT_EQ(release.Flags.IsWinNT, r.version.PlatformId == kPlatformNT);
    // kernel32's version is a 9x fact only.
    EXPECT_EQ(source.kernel32Reads, r.version.PlatformId == kPlatformWin9x ? 1 : 0);
    EXPECT_EQ(WindowsVersionText(release, source), r.label);
    EXPECT_EQ(WindowsLogoName(SelectWindowsLogo(release, WindowsProductType(release, source))),
              std::string(WindowsLogoName(r.logo)));
  }
}

TEST(WindowsRelease, FailedVersionQueryIsAnUnknownRelease) {
  FakeReleaseSource source;
  const WindowsRelease release = DetectWindowsRelease(source);
  EXPECT_EQ(release.Kind, WindowsKind::Unknown);
  EXPECT_EQ(WindowsName(release), "");
  EXPECT_EQ(SelectWindowsLogo(release, 0), WindowsLogo::None);
}

TEST(WindowsRelease, ServicePackFromTheRegistrysDigits) {
  const struct {
    std::uint32_t value;
    int servicePack;
  } cases[] = {{0x0600, 6},  {0x0300, 3}, {0x0000, 0}, {0x0650, 6},   {0x0099, 0},
               {0x1000, 10}, {0x0A00, 0}, {0x060F, 0}, {0x10600, 106}};
  for (const auto& c : cases)
    EXPECT_EQ(ServicePackFromCsdValue(c.value), c.servicePack) << std::hex << c.value;
}

TEST(WindowsRelease, TuningOptionsFollowTheDetectedRelease) {
  const struct {
    WindowsVersionRecord version;
    std::optional<WindowsVersionRecord> kernel;
    bool nt, w2000, xp;
  } cases[] = {
      {Record(1, 4, 10), std::nullopt, false, false, false},
      {Record(2, 3, 51), std::nullopt, true, false, false},
      {Record(2, 4, 0), std::nullopt, true, false, false},
      {Record(2, 5, 0), std::nullopt, false, true, false},
      {Record(2, 5, 1), std::nullopt, false, false, true},
      {Record(2, 6, 2), Record(2, 10, 0, "", 22631), false, false, true},
  };
  for (const auto& c : cases) {
    FakeReleaseSource source;
    source.version = c.version;
    source.kernel = c.kernel;
    const TuningRelease t = TuningReleaseOf(DetectWindowsRelease(source));
    EXPECT_EQ(t.IsWinNT, c.nt) << c.version.MajorVersion << "." << c.version.MinorVersion;
    EXPECT_EQ(t.IsWin2000, c.w2000) << c.version.MajorVersion << "." << c.version.MinorVersion;
    EXPECT_EQ(t.IsWinXP, c.xp) << c.version.MajorVersion << "." << c.version.MinorVersion;
  }
}

}  // namespace
}  // namespace kvn
