// Where the HTML Help control is taken from: only the machine's registration counts, never the
// user's own classes that HKEY_CLASSES_ROOT merges in.
#include "shell/help_win32.h"

#include <gtest/gtest.h>

#include "base/late_bound_win32.h"
#include "fakes/fake_registry.h"

namespace kvn {
namespace {

TEST(HtmlHelpRegistration, OnlyTheMachinesClassesNameTheLibrary) {
  constexpr char kUsersClasses[] = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";
  const struct {
    const char* name;
    const char* users;    // HKCR, which the user can write through HKCU\Software\Classes
    const char* machine;  // HKLM\Software\Classes
    std::wstring expected;
  } cases[] = {
      {"the user's registration alone", "C:\\Users\\bob\\hh.dll", nullptr, L""},
      {"the machine's wins over the user's", "C:\\Users\\bob\\hh.dll",
       "C:\\windows\\system32\\hhctrl.ocx", L"C:\\windows\\system32\\hhctrl.ocx"},
      {"a bare name is the system folder's", nullptr, "hhctrl.ocx",
       SystemFolderFile(L"hhctrl.ocx")},
      {"a relative path is nothing", nullptr, "sub\\hhctrl.ocx", L""},
  };
  for (const auto& c : cases) {
    fake::FakeRegistry registry;
    if (c.users) registry.SetText(RegistryRoot::ClassesRoot, kUsersClasses, "", c.users);
    if (c.machine) registry.SetText(RegistryRoot::LocalMachine, kHtmlHelpServerKey, "", c.machine);
    EXPECT_EQ(RegisteredHtmlHelpLibrary(registry), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace kvn
