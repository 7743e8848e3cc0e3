#include "base/registry_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/text_win32.h"

namespace kvn {
namespace {

// The machine's values go where the 64-bit system reads them: under WOW64 a 32-bit view of the
// same path (WOW6432Node) does not show them; on 32-bit Windows both views are the one registry.
TEST(RegistryAccess, MachineValuesLandInThe64BitView) {
  const wchar_t* const path = L"Software\\Korvane tests\\view";
  auto key = Win32Registry().Open(RegistryRoot::LocalMachine, Narrow(path), true);
  ASSERT_NE(key, nullptr);
  ASSERT_TRUE(key->WriteDword("v", 64));
  key.reset();
  const auto seenThrough = [path](REGSAM view) {
    HKEY raw = nullptr;
    DWORD value = 0, size = sizeof value;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | view, &raw) != ERROR_SUCCESS)
      return false;
    const LONG read =
        RegQueryValueExW(raw, L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(raw);
    return read == ERROR_SUCCESS && value == 64;
  };
  BOOL wow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
  EXPECT_TRUE(seenThrough(KEY_WOW64_64KEY));
  EXPECT_EQ(seenThrough(KEY_WOW64_32KEY), !wow64) << "under WOW64: " << wow64;
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    for (const wchar_t* k : {path, L"Software\\Korvane tests"})
      RegDeleteKeyExW(HKEY_LOCAL_MACHINE, k, view, 0);
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
