#include "base/privileges_win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace kvn {
namespace {

LUID LuidOf(const wchar_t* name) {
  LUID luid{};
  LookupPrivilegeValueW(nullptr, name, &luid);
  return luid;
}

bool IsEnabled(const wchar_t* name) {
  const KernelHandle token = [] {
    KernelHandle t;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, t.put());
    return t;
  }();
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.get(), TokenPrivileges, buffer.data(), size, &size)) return false;
  const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  const LUID luid = LuidOf(name);
  for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& p = list->Privileges[i];
    if (p.Luid.LowPart == luid.LowPart && p.Luid.HighPart == luid.HighPart)
      return (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  return false;
}

void SetEnabled(const wchar_t* name, bool enabled) {
  KernelHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()));
  TOKEN_PRIVILEGES set{1, {{LuidOf(name), enabled ? DWORD{SE_PRIVILEGE_ENABLED} : 0}}};
  ASSERT_TRUE(AdjustTokenPrivileges(token.get(), FALSE, &set, 0, nullptr, nullptr));
}

// Enabled for the call, then as it was: one enabled before (by whoever started the program)
// is not turned off behind its back.
TEST(EnabledPrivilege, GoesBackToItsStateBefore) {
  for (const wchar_t* name : {L"SeShutdownPrivilege", L"SeIncreaseQuotaPrivilege"}) {
    for (const bool before : {false, true}) {
      SetEnabled(name, before);
      ASSERT_EQ(IsEnabled(name), before) << "the token (Wine's) holds it";
      {
        const EnabledPrivilege privilege(name);
        EXPECT_TRUE(privilege.Held());
        EXPECT_TRUE(IsEnabled(name));
      }
      EXPECT_EQ(IsEnabled(name), before) << before;
    }
  }
  EXPECT_FALSE(EnabledPrivilege(L"SeKorvaneNoSuchPrivilege").Held());
}

}  // namespace
}  // namespace kvn
