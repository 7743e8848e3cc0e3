#include "base/privileges_win32.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

bool Enabled(HANDLE token, LUID luid) {
  alignas(TOKEN_PRIVILEGES) BYTE buffer[4096];
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenPrivileges, buffer, sizeof(buffer), &size)) return false;
  const auto& list = *reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
  for (DWORD i = 0; i < list.PrivilegeCount; ++i)
    if (list.Privileges[i].Luid.LowPart == luid.LowPart &&
        list.Privileges[i].Luid.HighPart == luid.HighPart)
      return list.Privileges[i].Attributes & SE_PRIVILEGE_ENABLED;
  return false;
}

// Enabled for the call, then as it was: one enabled already (by whoever started the program)
// is not turned off behind its back.
TEST(EnabledPrivilege, GoesBackToItsStateBefore) {
  KernelHandle token;
  ASSERT_TRUE(
      OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()));
  TOKEN_PRIVILEGES set{1, {}};
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &set.Privileges[0].Luid));
  for (const DWORD before : {DWORD{0}, DWORD{SE_PRIVILEGE_ENABLED}}) {
    set.Privileges[0].Attributes = before;
    ASSERT_TRUE(AdjustTokenPrivileges(token.get(), FALSE, &set, 0, nullptr, nullptr));
    {
      const EnabledPrivilege shutdown(L"SeShutdownPrivilege");
      EXPECT_TRUE(shutdown.Held() && Enabled(token.get(), set.Privileges[0].Luid));
    }
    EXPECT_EQ(Enabled(token.get(), set.Privileges[0].Luid), before != 0);
  }
  EXPECT_FALSE(EnabledPrivilege(L"SeKorvaneNoSuchPrivilege").Held());
}

}  // namespace
}  // namespace kvn
