// The main window's start-up follows the stored settings, and "&Enregistrer" stores them, under
// a registry root of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/registry_win32.h"
#include "base/scope_guard.h"
#include "gui/registry_root.h"
#include "gui/screenshot.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

TEST(SettingsWindow, StartUpFollowsTheStoredSettingsAndTheSaveButtonStoresThem) {
  InitializeCpuLibrary();
  ui::win32::InitToolkit();
  const testing::RegistryRootForTest root("settings window");
  const std::string settingsKey = root.Path() + "\\settings";
  const std::string recoverKey = settingsKey + "\\Recover Property";
  {
    auto settings = Win32Registry().Open(RegistryRoot::CurrentUser, settingsKey, true);
    settings->WriteDword("Inter", 2000);
    settings->WriteDword("DefragOnStart", 1);
    settings->WriteDword("HotKey", 0xC04B);  // Ctrl+Alt+K
    settings->WriteDword("Priority", 1);
    auto recover = Win32Registry().Open(RegistryRoot::CurrentUser, recoverKey, true);
    recover->WriteDword("Time", 1);
    recover->WriteDword("Time value", 30);
  }
  // Another class than the stored one: only start-up's choice brings the process back to it.
  const DWORD before = GetPriorityClass(GetCurrentProcess());
  const ScopeGuard restore([before] { SetPriorityClass(GetCurrentProcess(), before); });
  ASSERT_TRUE(SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS));
  auto window = std::make_unique<MainWindow>(root.Places());
  ASSERT_TRUE(window->Create());
  testing::PumpMessages(100);
  MainForm& form = window->form;
  EXPECT_EQ(form.samplingTimer.Interval(), 2000u);
  EXPECT_EQ(form.loadTimer.Interval(), 2000u);
  EXPECT_TRUE(form.lowSpeedItem.Checked);
  EXPECT_TRUE(form.startRecoveryTimer.Enabled());
  EXPECT_TRUE(form.periodicTimer.Enabled());
  EXPECT_EQ(form.periodicTimer.Interval(), 1800000u);
  EXPECT_EQ(window->globalHotKey.ShortCut(), 0xC04B);
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));

  form.alarmLevelEdit.SetValue(50);
  form.saveButton.Click();
  auto recover = Win32Registry().Open(RegistryRoot::CurrentUser, recoverKey, false);
  ASSERT_NE(recover, nullptr);
  EXPECT_EQ(recover->ReadDword("Pourcentage").value_or(0), 50u);
}

}  // namespace
}  // namespace kvn
