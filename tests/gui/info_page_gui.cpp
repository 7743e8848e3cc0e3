// The "Informations" page of the real window under Wine: the labels and the drive memo read
// back from their controls against the system's own answers, the clock measured while the
// window goes on, and the page under the Windows releases Wine can pretend to be.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "base/text_win32.h"
#include "gui/caption_fit.h"
#include "gui/main_window_fixture.h"
#include "gui/painted_label.h"
#include "gui/screenshot.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

using ui::win32::FormHost;

// The text the label paints.
std::string TextOf(const ui::Label& label) {
  const auto* peer = testing::PaintedLabel(label);
  return peer ? Narrow(peer->Text()) : "<not built>";
}

// The logo that shows on the screen with a picture in it, by its form name.
std::string ShownLogo(MainForm& form) {
  std::string shown;
  for (ui::Image* logo :
       {&form.win95Logo, &form.win98Logo, &form.winMELogo, &form.winNTLogo, &form.winNTServerLogo,
        &form.win2000Logo, &form.winXPLogo, &form.laterWindowsLogo}) {
    HWND hwnd = FormHost::WindowOf(*logo);
    if (hwnd && IsWindowVisible(hwnd) && SendMessageW(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0))
      shown += (shown.empty() ? "" : " ") + logo->Name();
  }
  return shown.empty() ? "none" : shown;
}

// std::regex: GoogleTest's own expressions on Windows know no classes, groups or alternatives.
::testing::AssertionResult Matches(const std::string& text, const std::string& pattern) {
  if (std::regex_match(text, std::regex(pattern))) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\" does not match " << pattern;
}

// Shows the page as the user does, and lets the window run until the clock is measured.
void ShowInformationPage(MainWindow& window) {
  window.form.pages.UserSelectPage(&window.form.systemInfoPage);
  for (int i = 0; i < 100 && window.infoPage().Measuring(); ++i) testing::PumpMessages(50);
  testing::PumpMessages(50);
}

using InfoPageWindow = testing::MainWindowFixture;

TEST_F(InfoPageWindow, LabelsAndDrivesAsTheSystemGivesThem) {
  MainForm& form = window->form;
  form.pages.UserSelectPage(&form.systemInfoPage);
  // The showing has returned to the message loop while the clock is still being measured.
  EXPECT_TRUE(window->infoPage().Measuring());
  EXPECT_EQ(TextOf(form.processorSpeedLabel), "Vitesse réelle Processeur : ");
  ShowInformationPage(*window);
  ASSERT_FALSE(window->infoPage().Measuring());

  wchar_t computer[256] = {}, user[256] = {};
  DWORD size = 255;
  GetComputerNameW(computer, &size);
  size = 255;
  GetUserNameW(user, &size);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);

  EXPECT_EQ(TextOf(form.computerNameLabel), "Nom Machine : " + Narrow(computer));
  EXPECT_EQ(TextOf(form.userNameLabel), "Nom Utilisateur : " + Narrow(user));
  EXPECT_TRUE(
      Matches(TextOf(form.ipAddressLabel), "Addresse IP : ([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+)?"));
  EXPECT_EQ(TextOf(form.installedRamLabel),
            "RAM Installée : " + std::to_string(memory.ullTotalPhys / 1048576 + 1) + " MB");
  const std::string speed = TextOf(form.processorSpeedLabel);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      speed, m, std::regex("Vitesse réelle Processeur : ([0-9]+)[.,]([0-9]{2}) Mhz")))
      << speed;
  EXPECT_GT(std::stoi(m[1]), 0);
  EXPECT_TRUE(Matches(TextOf(form.directXLabel),
                      "Version de DirectX : [0-9]+\\.[0-9]+[a-i]?|DirectX non installé\\."));
  // The mode in use: the screen's width and height.
  EXPECT_TRUE(Matches(TextOf(form.resolutionLabel),
                      "Résolution : " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " \\* " +
                          std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " [0-9]+ Bits\\."));

  // The memo as the control holds it: one line per drive with free space, C: among them.
  HWND memo = FormHost::WindowOf(form.drivesMemo);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(memo)) + 1, L'\0');
  GetWindowTextW(memo, text.data(), static_cast<int>(text.size()));
  std::istringstream lines(Narrow(text.c_str()));
  std::vector<std::string> drives;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) drives.push_back(line);
  }
  EXPECT_EQ(drives, form.drivesMemo.Lines());
  ULARGE_INTEGER freeC{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &freeC, nullptr, nullptr));
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].substr(0, 4), "C:\\ ");
  for (const std::string& line : drives)
    EXPECT_TRUE(Matches(line, "[C-Z]:\\\\ [0-9][^A-Za-z]*[.,][0-9]{2} Mo libres"));

  const auto shot = testing::TakeWindowShot(window->Handle(), "info_page");
  EXPECT_THAT(testing::BlankPartsOf(window->Handle(), shot), ::testing::IsEmpty());
  EXPECT_THAT(testing::CaptionsThatDoNotFit(form), ::testing::IsEmpty());
  EXPECT_NE(ShownLogo(form), "none") << "Wine reports a release the page knows";

  // The About text ends with the program's version and date.
  EXPECT_TRUE(Matches(form.aboutText.Caption(),
                      "(.|\n|\r)*Version : 1\\.0\\.0 [0-9]+[/.-][0-9]+[/.-][0-9]+"));
}

// ---- Under the releases Wine can pretend to be ---------------------------------------------

constexpr char kReportVariable[] = "KORVANE_INFO_REPORT";

// Run in a child process whose Windows version Wine sets from the program's own key: opens the
// window, shows the page and writes what its controls show.
TEST(InfoPageChild, ReportsThePage) {
  char path[MAX_PATH] = {};
  if (GetEnvironmentVariableA(kReportVariable, path, MAX_PATH) == 0)
    GTEST_SKIP() << "run by InfoPageReleases with the release to pretend";
  InitializeCpuLibrary();
  ui::win32::InitToolkit();
  const testing::RegistryRootForTest root("info page child");
  auto window = std::make_unique<MainWindow>(root.Places());
  ASSERT_TRUE(window->Create());
  testing::PumpMessages(100);
  ShowInformationPage(*window);
  // A few load ticks with both cores kept busy: the processor load must read on every release,
  // the ones without the 9x kernel statistic included.
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (int i = 0; i < 2; ++i)
    busy.emplace_back([&] {
      while (!stop) {
      }
    });
  int load = 0;
  for (int i = 0; i < 25; ++i) {
    testing::PumpMessages(100);
    load = std::max(load, window->form.processorLoadGauge.Progress());
  }
  stop = true;
  for (std::thread& t : busy) t.join();
  // The report is named after the release: so is the picture kept for a person to look at.
  const std::string report = path;
  const auto stem = report.rfind("korvane_info_");
  const std::string release =
      stem == std::string::npos ? "child" : report.substr(stem + 13, report.size() - stem - 17);
  const auto shot = testing::TakeWindowShot(window->Handle(), "info_page_" + release);
  EXPECT_THAT(testing::BlankPartsOf(window->Handle(), shot), ::testing::IsEmpty());
  std::ofstream out(path, std::ios::binary);
  out << "version\t" << TextOf(window->form.windowsVersionLabel) << "\n";
  out << "logo\t" << ShownLogo(window->form) << "\n";
  out << "ram\t" << TextOf(window->form.installedRamLabel) << "\n";
  out << "drives\t" << window->form.drivesMemo.Lines().size() << "\n";
  out << "cpu\t" << TextOf(window->form.processorSpeedLabel) << "\n";
  out << "load\t" << load << "\n";
}

class AppVersion {
 public:
  explicit AppVersion(const wchar_t* version) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    RegSetValueExW(key_, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
  }
  ~AppVersion() {
    RegDeleteValueW(key_, L"Version");
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\gui_tests.exe";
  HKEY key_ = nullptr;
};

std::map<std::string, std::string> RunChild(const wchar_t* version) {
  AppVersion pretend(version);
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring report = std::wstring(temp) + L"korvane_info_" + version + L".txt";
  DeleteFileW(report.c_str());
  SetEnvironmentVariableW(Widen(kReportVariable).c_str(), report.c_str());
  std::wstring command =
      L"\"" + std::wstring(exe) + L"\" --gtest_filter=InfoPageChild.ReportsThePage --gtest_brief=1";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(Widen(kReportVariable).c_str(), nullptr);
  std::map<std::string, std::string> fields;
  if (!started) return fields;
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  fields["exit"] = std::to_string(code);
  std::ifstream in(Narrow(report), std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) fields[line.substr(0, tab)] = line.substr(tab + 1);
  }
  DeleteFileW(report.c_str());
  return fields;
}

TEST(InfoPageReleases, NameAndLogoOfEachRelease) {
  const struct {
    const wchar_t* wine;
    const char* versionPattern;
    const char* logo;
  } releases[] = {
      {L"winxp", "Windows XP  SP[0-9]+", "winXPLogo"},
      {L"win2k", "Windows 2000  SP[0-9]+", "win2000Logo"},
      {L"nt40", "Windows NT 4\\.0  (SP[0-9]+)?", "winNTLogo"},
      {L"win98", "Windows 98( SE)?  (SP[0-9]+)?", "win98Logo"},
  };
  for (const auto& r : releases) {
    SCOPED_TRACE(Narrow(r.wine));
    auto fields = RunChild(r.wine);
    std::printf("%s: %s | %s | load %s\n", Narrow(r.wine).c_str(), fields["version"].c_str(),
                fields["logo"].c_str(), fields["load"].c_str());
    EXPECT_EQ(fields["exit"], "0") << "the window ran and ended without a fault";
    EXPECT_TRUE(Matches(fields["version"], r.versionPattern));
    EXPECT_EQ(fields["logo"], r.logo);
    EXPECT_THAT(fields["ram"], ::testing::StartsWith("RAM Installée : "));
    EXPECT_NE(fields["drives"], "0");
    EXPECT_GT(std::atoi(fields["load"].c_str()), 0) << "the processor load reads";
    EXPECT_TRUE(Matches(fields["cpu"], "Vitesse réelle Processeur : [0-9]+[.,][0-9]{2} Mhz"));
  }
}

}  // namespace
}  // namespace kvn
