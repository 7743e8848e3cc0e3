#include "base/registry_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

// Values as another program may store them, read through the real registry.
TEST(RegistryAccess, StoredBytesReadByTheRules) {
  auto key = Win32Registry().Open(RegistryRoot::CurrentUser, "Software\\Korvane tests\\raw", true);
  ASSERT_NE(key, nullptr);
  HKEY raw = nullptr;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Korvane tests\\raw", 0, KEY_SET_VALUE, &raw),
      ERROR_SUCCESS);
  // Longer than one query's buffer, and the longest text that fits it.
  const auto utf16 = [](std::size_t letters) {
    std::string bytes;
    for (std::size_t i = 0; i < letters; ++i) bytes += std::string("a\0", 2);
    return bytes + std::string("\0\0", 2);
  };
  const struct {
    DWORD type;
    std::string bytes;
    std::optional<std::uint32_t> number;
    std::optional<std::string> text;
  } cases[] = {
      {REG_DWORD, std::string("\x46\0", 2), std::nullopt, std::nullopt},
      {REG_DWORD, std::string("\x46\0\0\0\0\0\0\0", 8), std::nullopt, std::nullopt},
      {REG_DWORD, std::string("\x46\0\0\0", 4), 70u, std::nullopt},
      {REG_SZ, std::string("1\0", 2), std::nullopt, "1"},
      {REG_SZ, std::string("1\0\x37", 3), std::nullopt, "1"},
      {REG_SZ,
       std::string("1\0\0\0"
                   "2\0",
                   6),
       std::nullopt, "1"},
      {REG_SZ, utf16(300), std::nullopt, std::string(300, 'a')},
      {REG_SZ, utf16(127), std::nullopt, std::string(127, 'a')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    ASSERT_EQ(RegSetValueExW(raw, L"v", 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                             static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(key->ReadDword("v"), c.number);
    EXPECT_EQ(key->ReadText("v"), c.text);
  }
  RegCloseKey(raw);
  key.reset();
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Korvane tests\\raw");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Korvane tests");
}

}  // namespace
}  // namespace kvn
