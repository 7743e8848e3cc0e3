// The HTML Help control comes from the machine's registration only, never from the user's own
// classes that HKEY_CLASSES_ROOT merges in.
#include "shell/help_win32.h"

#include <gtest/gtest.h>

#include "base/late_bound_win32.h"
#include "fakes/fake_registry.h"

namespace kvn {
namespace {

TEST(HtmlHelpRegistration, OnlyTheMachinesClassesNameTheLibrary) {
  const struct {
    const char *users, *machine;
    std::wstring expected;
  } cases[] = {{"C:\\Users\\bob\\hh.dll", nullptr, L""},
               {"C:\\Users\\bob\\hh.dll", "C:\\windows\\hh.ocx", L"C:\\windows\\hh.ocx"},
               {nullptr, "hhctrl.ocx", SystemFolderFile(L"hhctrl.ocx")},
               {nullptr, "sub\\hhctrl.ocx", L""}};
  // The same key as HKEY_CLASSES_ROOT shows it.
  const std::string_view merged =
      std::string_view(kHtmlHelpServerKey).substr(sizeof "Software\\Classes\\" - 1);
  for (const auto& c : cases) {
    fake::FakeRegistry registry;
    if (c.users) registry.SetText(RegistryRoot::ClassesRoot, merged, "", c.users);
    if (c.machine) registry.SetText(RegistryRoot::LocalMachine, kHtmlHelpServerKey, "", c.machine);
    EXPECT_EQ(RegisteredHtmlHelpLibrary(registry), c.expected) << (c.machine ? c.machine : "-");
  }
}

}  // namespace
}  // namespace kvn
