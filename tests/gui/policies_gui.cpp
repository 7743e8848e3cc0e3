// The real window under a machine policy of the test's own root: the control shows it, disabled;
// the save keeps the user's value; Windows announcing the policy's removal gives the control back.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/registry_win32.h"
#include "gui/registry_root.h"
#include "gui/screenshot.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

TEST(PolicyWindow, APolicyLocksItsControlUntilWindowsAnnouncesItIsGone) {
  InitializeCpuLibrary();
  ui::win32::InitToolkit();
  const testing::RegistryRootForTest root("policy window");
  const RegistryPlaces places = root.Places();
  const std::string recoverKey = root.Path() + "\\settings\\Recover Property";
  Win32Registry().Open(RegistryRoot::CurrentUser, recoverKey, true)->WriteDword("Pourcentage", 20);
  const PolicyPlace& machine = places.policies.machine;
  Win32Registry().Open(machine.root, machine.path, true)->WriteDword("AlarmPercent", 60);
  auto window = std::make_unique<MainWindow>(places);
  ASSERT_TRUE(window->Create());
  MainForm& form = window->form;
  form.pages.SetActivePage(&form.recoveryPage);
  testing::PumpMessages(100);
  const HWND spin = ui::win32::FormHost::WindowOf(form.alarmLevelEdit);
  wchar_t shown[8] = L"";
  GetWindowTextW(spin, shown, 8);
  EXPECT_STREQ(shown, L"60");
  EXPECT_FALSE(IsWindowEnabled(spin));
  EXPECT_FALSE(
      IsWindowEnabled(ui::win32::FormHost::WindowOf(form.alarmLevelEdit, 1)));  // its arrows
  testing::SaveWindowShot(window->Handle(), "policy_alarm_level");
  form.saveButton.Click();
  EXPECT_EQ(
      Win32Registry().Open(RegistryRoot::CurrentUser, recoverKey, false)->ReadDword("Pourcentage"),
      20u);

  Win32Registry().Open(machine.root, machine.path, false)->DeleteValue("AlarmPercent");
  SendMessageW(window->Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
  GetWindowTextW(spin, shown, 8);
  EXPECT_STREQ(shown, L"20");
  EXPECT_TRUE(IsWindowEnabled(spin));
}

}  // namespace
}  // namespace kvn
