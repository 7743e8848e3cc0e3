// The main window's start-up follows the stored settings, and "&Enregistrer" stores them, under
// a settings key of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/registry_win32.h"
#include "gui/screenshot.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

constexpr char kKey[] = "Software\\KorvaneTest\\Window";
constexpr char kSettings[] = "Software\\KorvaneTest\\Window\\settings";
constexpr char kRecover[] = "Software\\KorvaneTest\\Window\\settings\\Recover Property";

TEST(SettingsWindow, StartUpFollowsTheStoredSettingsAndTheSaveButtonStoresThem) {
  InitializeCpuLibrary();
  ui::win32::InitToolkit();
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest\\Window\\settings\\Recover Property");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest\\Window\\settings");
  {
    auto settings = Win32Registry().Open(RegistryRoot::CurrentUser, kSettings, true);
    settings->WriteDword("Inter", 2000);
    settings->WriteDword("DefragOnStart", 1);
    settings->WriteDword("HotKey", 0xC04B);  // Ctrl+Alt+K
    settings->WriteDword("Priority", 1);
    auto recover = Win32Registry().Open(RegistryRoot::CurrentUser, kRecover, true);
    recover->WriteDword("Time", 1);
    recover->WriteDword("Time value", 30);
  }
  auto window = std::make_unique<TfMainMem>(kKey);
  ASSERT_TRUE(window->Create());
  testing::PumpMessages(100);
  MainForm& form = window->form;
  EXPECT_EQ(form.Timer1.Interval(), 2000u);
  EXPECT_EQ(form.Timer2.Interval(), 2000u);
  EXPECT_TRUE(form.Basse1.Checked);
  EXPECT_TRUE(form.Timer4.Enabled());
  EXPECT_TRUE(form.Timer5.Enabled());
  EXPECT_EQ(form.Timer5.Interval(), 1800000u);
  EXPECT_EQ(window->GlobalHotKey.ShortCut(), 0xC04B);
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));

  form.SpinEdit1.SetValue(50);
  form.Btn2.Click();
  auto recover = Win32Registry().Open(RegistryRoot::CurrentUser, kRecover, false);
  ASSERT_NE(recover, nullptr);
  EXPECT_EQ(recover->ReadDword("Pourcentage").value_or(0), 50u);
  window.reset();
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest\\Window\\settings\\Recover Property");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest\\Window\\settings");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest\\Window");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KorvaneTest");
}

}  // namespace
}  // namespace kvn
