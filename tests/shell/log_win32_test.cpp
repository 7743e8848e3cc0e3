#include "shell/log_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "base/text_win32.h"

namespace kvn {
namespace {

std::string ReadAll(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(h, nullptr), '\0');
  DWORD read = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(h);
  bytes.resize(read);
  return bytes;
}

TEST(Win32LogPlatformTest, FilesInAFolderWithAccentsKeepTheBytesAsWritten) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"korvane journal \u00e9t\u00e9\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"korvane.log";
  const std::string path = Narrow(file);

  const LogPlatform& platform = Win32LogPlatform();
  ASSERT_TRUE(platform.Append(path, "old line\r\n"));  // created when missing
  ASSERT_TRUE(platform.CreateEmpty(path));             // truncated
  EXPECT_EQ(ReadAll(file), "");
  ASSERT_TRUE(platform.Append(path, "D\xC3\xA9marrage Korvane.\r\n"));
  ASSERT_TRUE(platform.Append(path, "Exception\r\n"));
  EXPECT_EQ(ReadAll(file), "D\xC3\xA9marrage Korvane.\r\nException\r\n");  // no CR doubled

  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
  EXPECT_FALSE(platform.Append(Narrow(folder + L"missing\\korvane.log"), "x"));
}

TEST(Win32LogPlatformTest, ClockAndFolderComeFromTheSystem) {
  const LogPlatform& platform = Win32LogPlatform();
  auto hasDigit = [](const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
  };
  EXPECT_TRUE(hasDigit(platform.ShortDate())) << platform.ShortDate();
  EXPECT_TRUE(hasDigit(platform.LongTime())) << platform.LongTime();
  const std::string folder = platform.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  const DWORD attributes = GetFileAttributesW(Widen(folder).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  // The date is the user's short format for today, as the system writes it.
  wchar_t today[128];
  const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, today, 128);
  ASSERT_GT(n, 0);
  EXPECT_EQ(platform.ShortDate(), Narrow(std::wstring(today, n - 1)));
}

}  // namespace
}  // namespace kvn
