#include "base/registry_win32.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kvn {
namespace {

// Only the machine's keys take the 64-bit view, and only under WOW64.
TEST(RegistryAccess, MachineKeysTakeThe64BitViewUnderWow64) {
  using R = RegistryRoot;
  const std::tuple<R, bool, REGSAM> rows[] = {{R::LocalMachine, true, KEY_WOW64_64KEY},
                                              {R::LocalMachine, false, 0},
                                              {R::CurrentUser, true, 0},
                                              {R::ClassesRoot, true, 0}};
  for (const auto& [root, underWow64, added] : rows)
    EXPECT_EQ(KeyAccess(root, KEY_READ | KEY_WRITE, underWow64), KEY_READ | KEY_WRITE | added)
        << static_cast<int>(root) << " " << underWow64;
}

TEST(RegistryAccess, AMissingKeyIsToldAsMissing) {
  OpenFailure why = OpenFailure::None;
  EXPECT_EQ(
      Win32Registry().Open(RegistryRoot::CurrentUser, "Software\\Korvane no such key", false, &why),
      nullptr);
  EXPECT_EQ(why, OpenFailure::Missing);
}

}  // namespace
}  // namespace kvn
