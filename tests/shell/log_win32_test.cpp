#include "shell/log_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

TEST(Win32LogPlatformTest, DateAndTimeInTheLocalesFormats) {
  const SYSTEMTIME morning{2026, 12, 1, 7, 8, 15, 5, 0};  // Monday 7 December 2026, 08:15:05
  const SYSTEMTIME evening{2026, 12, 1, 7, 20, 15, 5, 0};
  const struct {
    LCID locale;
    const SYSTEMTIME& when;
    const char* date;
    const char* time;
  } cases[] = {
      {MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT), morning, "07/12/2026",
       "08:15:05"},
      {MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT), evening, "07/12/2026",
       "20:15:05"},
      {MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT), morning, "12/7/2026",
       "8:15:05 AM"},
      {MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT), evening, "12/7/2026",
       "8:15:05 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    EXPECT_EQ(ShortDateText(c.locale, c.when), c.date);
    EXPECT_EQ(LongTimeText(c.locale, c.when), c.time);
  }
}

// The numbers written in a text, smallest first.
std::vector<int> SortedNumbers(const std::string& text) {
  std::vector<int> numbers;
  int value = -1;
  for (const char ch : text + " ") {
    if (ch >= '0' && ch <= '9') {
      value = (value < 0 ? 0 : value * 10) + (ch - '0');
    } else if (value >= 0) {
      numbers.push_back(value);
      value = -1;
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

TEST(Win32LogPlatformTest, ClockAndFolderComeFromTheSystem) {
  const LogPlatform& platform = Win32LogPlatform();
  // Today's day, month and year, in whatever order and form the user's format writes them.
  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  const std::string date = platform.ShortDate();
  GetLocalTime(&after);
  const std::vector<int> written = SortedNumbers(date);
  auto isDayOf = [&](const SYSTEMTIME& t) {
    for (int year : {t.wYear % 10000, t.wYear % 100})
      if (written == SortedNumbers(std::to_string(t.wDay) + " " + std::to_string(t.wMonth) + " " +
                                   std::to_string(year)))
        return true;
    return false;
  };
  EXPECT_TRUE(isDayOf(before) || isDayOf(after)) << date;
  EXPECT_EQ(SortedNumbers(platform.LongTime()).size(), 3u)
      << platform.LongTime();  // hours to seconds

  const std::string folder = platform.LogFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  const DWORD attributes = GetFileAttributesW(Widen(folder).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
}  // namespace kvn
