// The "Informations" page: labels, DirectX values, display modes, drives and the refresh rule,
// and the clock measured away from the window.
#include "sysinfo/system_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/fake_system_info.h"

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const NumberSeparators kFrench{",", "\xC2\xA0"};  // decimal comma, no-break space
const NumberSeparators kEnglish{".", ","};

TEST(DirectXVersion, ValuesOfTheRegistry) {
  const struct {
    const char* value;
    bool ok;
    int major, minor;
    const char* letter;
  } cases[] = {
      {"4.09.00.0902", true, 9, 0, "b"},
      {"4.08.01.0810", true, 8, 1, ""},
      {"4.09.00.0901", true, 9, 0, "a"},
      {"4.09.00.0904", true, 9, 0, "d"},
      {"4.07.00.0700", true, 7, 0, ""},
      {"4.09.00.0909", true, 9, 0, "i"},
      {"", false, 0, 0, ""},
      {"4", false, 0, 0, ""},
      {"4.09", false, 0, 0, ""},
      {"4.09.00", false, 0, 0, ""},
      {"4.09.00.", false, 0, 0, ""},
      {"4.x9.00.0902", false, 0, 0, ""},
      {"4.09.zz.0902", false, 0, 0, ""},
      {"4.09.00.090b", false, 0, 0, ""},
      {"4..00.0902", false, 0, 0, ""},
      {"4.99999999999.00.0902", false, 0, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const auto v = ParseDirectXVersion(c.value);
    ASSERT_EQ(v.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(v->Major, c.major);
    EXPECT_EQ(v->Minor, c.minor);
    EXPECT_EQ(v->Letter, c.letter);
  }
}

TEST(NumberFormat, LocaleSeparators) {
  const struct {
    double value;
    int decimals;
    bool grouped;
    const NumberSeparators& separators;
    const char* text;
  } cases[] = {
      {1234.56, 2, true, kFrench,
       "1\xC2\xA0"
       "234,56"},
      {1234.56, 2, true, kEnglish, "1,234.56"},
      {1234567.891, 2, true, kEnglish, "1,234,567.89"},
      {999.999, 2, true, kEnglish, "1,000.00"},
      {123.0, 2, true, kEnglish, "123.00"},
      {0.004, 2, true, kFrench, "0,00"},
      {2394.5123, 2, false, kFrench, "2394,51"},
      {-1234.5, 1, true, kEnglish, "-1,234.5"},
      {42.0, 0, true, kEnglish, "42"},
      {0.125, 2, true, kEnglish, "0.12"},
      {0.375, 2, true, kEnglish, "0.38"},
      {-0.001, 2, true, kEnglish, "-0.00"},
      {1.0, 5, true, kEnglish, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatNumber(c.value, c.decimals, c.separators, c.grouped), c.text) << c.value;
}

TEST(DisplayMode, LastModeOfTheScreenWidth) {
  const std::vector<DisplayMode> modes = {
      {800, 600, 16}, {1024, 768, 16}, {1280, 1024, 32}, {1024, 768, 32}, {640, 480, 8}};
  auto mode = CurrentDisplayMode(modes, 1024);
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->Height, 768);
  EXPECT_EQ(mode->BitsPerPixel, 32);
  EXPECT_FALSE(CurrentDisplayMode(modes, 1920));
  EXPECT_FALSE(CurrentDisplayMode({}, 1024));
}

TEST(Drives, OneLinePerDriveWithFreeSpace) {
  fake::FakeSystemInfo system;
  system.drives = {{1, 1 << 20},                          // A: is never asked
                   {2, 1 << 20},                          // nor B:
                   {3, 1234567 * std::int64_t{1048576}},  // C:
                   {4, 0},                                // D: full or empty removable: no line
                   {5, -1},                               // E: cannot be asked
                   {8, 5 * 1048576 + 5242},               // H: just under 5.005 MB
                   {26, 1024}};                           // Z: 1 KB = 0.00 MB, still above 0 bytes
  EXPECT_THAT(DrivesFreeSpaceList(system, kFrench),
              ElementsAre("C:\\ 1\xC2\xA0"
                          "234\xC2\xA0"
                          "567,00 Mo libres",
                          "H:\\ 5,00 Mo libres", "Z:\\ 0,00 Mo libres"));
  std::vector<int> expected;
  for (int d = 3; d <= 26; ++d) expected.push_back(d);
  EXPECT_EQ(system.probed, expected);

  // The other units of the setting.
  system.drives = {{3, 1536}};
  EXPECT_THAT(DrivesFreeSpaceList(system, kEnglish, 0, 2), ElementsAre("C:\\ 1.50 Ko libres"));
  system.drives = {{3, std::int64_t{3} << 29}};
  EXPECT_THAT(DrivesFreeSpaceList(system, kEnglish, 2, 2), ElementsAre("C:\\ 1.50 Go libres"));
}

class InfoPageTest : public ::testing::Test {
 protected:
  InfoPageTest() {
    release.version = WindowsVersionRecord{2, 5, 1, 2600, "Service Pack 3", 0, 0};
    release.extended = WindowsVersionRecord{2, 5, 1, 2600, "Service Pack 3", 3, 1};
    detected = DetectWindowsRelease(release);
    system.drives = {{3, 10 * 1048576}};
  }
  InfoPage& Page() {
    if (!page) {
      page = std::make_unique<InfoPage>(InfoPageControlsOf(form), system, release, detected,
                                        kFrench, 2048);
      page->Bind();
    }
    return *page;
  }
  std::vector<std::string> Labels() {
    return {form.windowsVersionLabel.Caption(), form.computerNameLabel.Caption(),
            form.userNameLabel.Caption(),       form.ipAddressLabel.Caption(),
            form.installedRamLabel.Caption(),   form.processorSpeedLabel.Caption(),
            form.directXLabel.Caption(),        form.resolutionLabel.Caption()};
  }

  // The page's controls and a page control to show it with, without the rest of the window.
  struct Controls {
    Controls() {
      for (ui::TabSheet* page : {&mainPage, &systemInfoPage}) page->SetParent(&pages);
      pages.SetActivePage(&mainPage);
      processorSpeedLabel.SetCaption("Vitesse réelle Processeur : ");  // until it is measured
    }
    ui::PageControl pages{"pages"};
    ui::TabSheet mainPage{"mainPage"}, systemInfoPage{"systemInfoPage"};
    ui::Label windowsVersionLabel{"windowsVersionLabel"}, computerNameLabel{"computerNameLabel"},
        userNameLabel{"userNameLabel"}, ipAddressLabel{"ipAddressLabel"},
        installedRamLabel{"installedRamLabel"}, processorSpeedLabel{"processorSpeedLabel"},
        directXLabel{"directXLabel"}, resolutionLabel{"resolutionLabel"};
    ui::Memo drivesMemo{"drivesMemo"};
    ui::Button refreshInfoButton{"refreshInfoButton"};
  } form;
  fake::FakeReleaseSource release;
  WindowsRelease detected;
  fake::FakeSystemInfo system;
  std::unique_ptr<InfoPage> page;
};

TEST_F(InfoPageTest, EightLabelsFromTheMachine) {
  Page();
  form.pages.UserSelectPage(&form.systemInfoPage);
  ASSERT_EQ(system.measurementsStarted, 1);
  system.FinishMeasurement(2394.5149);
  EXPECT_THAT(Labels(),
              ElementsAre("Windows XP  SP3", "Nom Machine : POSTE-1", "Nom Utilisateur : alice",
                          "Addresse IP : 192.168.1.20", "RAM Installée : 2048 MB",
                          "Vitesse réelle Processeur : 2394,51 Mhz", "Version de DirectX : 9.0d",
                          "Résolution : 1024 * 768 32 Bits."));
}

TEST_F(InfoPageTest, ResolutionIsTheModeInUse) {
  // A 1920 x 1080 screen whose width also has a later 1920 x 1440 mode.
  const std::vector<DisplayMode> modes = {{1920, 1080, 32}, {1920, 1440, 16}, {1280, 1024, 32}};
  struct Case {
    std::optional<DisplayMode> current;
    const char* caption;
  } cases[] = {
      {DisplayMode{1920, 1080, 32}, "Résolution : 1920 * 1080 32 Bits."},
      {DisplayMode{1366, 768, 24}, "Résolution : 1366 * 768 24 Bits."},  // not even listed
      {std::nullopt, "Résolution : 1920 * 1440 16 Bits."},  // no current mode: the old guess
  };
  system.modes = modes;
  system.screenWidth = 1920;
  for (const Case& c : cases) {
    system.current = c.current;
    Page().GetInfoSystem();
    EXPECT_EQ(form.resolutionLabel.Caption(), c.caption);
  }
}

TEST_F(InfoPageTest, FailuresShowTheirCaptions) {
  system.computer = "";
  system.user = "";
  system.addresses.clear();
  system.directX = std::nullopt;
  system.modes = {{800, 600, 16}};
  Page().GetInfoSystem();
  EXPECT_THAT(Labels(), ElementsAre("Windows XP  SP3", "Nom Machine : ", "Nom Utilisateur : ",
                                    "Addresse IP : ", "RAM Installée : 2048 MB",
                                    "Vitesse réelle Processeur : ", "DirectX non installé.",
                                    "Erreur récup. résol."));
  // A key without a readable value is no DirectX either.
  system.directX = std::string("");
  Page().GetInfoSystem();
  EXPECT_EQ(form.directXLabel.Caption(), "DirectX non installé.");
}

TEST_F(InfoPageTest, OneMeasurementAtATime) {
  Page();
  form.pages.UserSelectPage(&form.systemInfoPage);
  form.pages.UserSelectPage(&form.mainPage);
  form.pages.UserSelectPage(&form.systemInfoPage);  // shown again while the clock is measured
  form.refreshInfoButton.Click();
  EXPECT_EQ(system.measurementsStarted, 1);
  EXPECT_TRUE(Page().Measuring());
  system.FinishMeasurement(1000.0);
  EXPECT_EQ(form.processorSpeedLabel.Caption(), "Vitesse réelle Processeur : 1000,00 Mhz");
  EXPECT_FALSE(Page().Measuring());
  form.refreshInfoButton.Click();
  EXPECT_EQ(system.measurementsStarted, 2) << "the next showing measures again";

  // No thread to measure on: nothing waits for ever, the next showing tries again.
  system.FinishMeasurement(1000.0);
  system.threadAvailable = false;
  form.refreshInfoButton.Click();
  EXPECT_FALSE(Page().Measuring());
  system.threadAvailable = true;
  form.refreshInfoButton.Click();
  EXPECT_EQ(system.measurementsStarted, 3);
}

TEST_F(InfoPageTest, DrivesReadAtFirstShowingAndAfterRefresh) {
  Page();
  auto reads = [&] {
    const auto n = system.probed.size() / 24;
    system.probed.clear();
    return n;
  };
  auto show = [&] { form.pages.UserSelectPage(&form.systemInfoPage); };
  auto showAgain = [&] {
    form.pages.UserSelectPage(&form.mainPage);
    show();
  };
  // Each step: what happens, then how many times the drives were read and what the memo holds.
  const struct {
    const char* step;
    std::function<void()> act;
    std::size_t reads;
    const char* memo;
  } steps[] = {
      {"first showing", show, 1, "C:\\ 10,00 Mo libres"},
      {"second showing", showAgain, 0, "C:\\ 10,00 Mo libres"},
      {"refresh", [&] { form.refreshInfoButton.Click(); }, 1, "C:\\ 30,00 Mo libres"},
      {"showing after refresh", showAgain, 1, "C:\\ 40,00 Mo libres"},
      {"later showing", showAgain, 0, "C:\\ 40,00 Mo libres"},
  };
  EXPECT_TRUE(Page().DrivesRefreshPending) << "start-up asks for a first reading";
  std::int64_t freeMB = 10;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    s.act();
    system.FinishMeasurement(1000);
    EXPECT_EQ(reads(), s.reads);
    EXPECT_THAT(form.drivesMemo.Lines(), ElementsAre(s.memo));
    // The drive changes between steps: only a reading shows it.
    freeMB += 10;
    system.drives[3] = freeMB * 1048576;
  }
  // The page's labels are read on every showing, the drives not.
  system.user = "bob";
  form.pages.UserSelectPage(&form.mainPage);
  form.pages.UserSelectPage(&form.systemInfoPage);
  EXPECT_EQ(form.userNameLabel.Caption(), "Nom Utilisateur : bob");
  EXPECT_THAT(system.probed, IsEmpty());
}

TEST(AboutText, VersionAndDateAppendedAndCut) {
  EXPECT_EQ(AboutCaptionWithVersion("Version : ", "1.0.0", "07/12/2026"),
            "Version : 1.0.0 07/12/2026");
  EXPECT_EQ(AboutCaptionWithVersion("Version : ", "1.0.0.12345-beta", "mardi 7 décembre 2026 xyz"),
            "Version : 1.0.0.1234 mardi 7 décembre 202");
  EXPECT_EQ(AboutCaptionWithVersion("Version : ", "", ""), "Version :  ");
}

}  // namespace
}  // namespace kvn
