#include "shell/log_win32.h"

#include <windows.h>

#include <iterator>
#include <string>

#include "base/data_folder_win32.h"
#include "base/text_win32.h"
#include "base/unique_handle_win32.h"

namespace kvn {

namespace {

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

class Win32Platform : public LogPlatform {
 public:
  std::string ShortDate() const override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ShortDateText(LOCALE_USER_DEFAULT, now);
  }
  std::string LongTime() const override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LongTimeText(LOCALE_USER_DEFAULT, now);
  }
  std::string LogFolder() const override { return Narrow(WritableFolder()); }
  bool CreateEmpty(const std::string& path) const override {
    return static_cast<bool>(NewFile(Widen(path)));
  }
  bool Append(const std::string& path, std::string_view bytes) const override {
    const KernelHandle file(CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const bool written = WriteAll(file.get(), bytes);
    FlushFileBuffers(file.get());
    return written;
  }
  bool WriteStandardOutput(std::string_view bytes) const override {
    // A program started from the desktop has no standard output: the line is lost.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) return false;
    return WriteAll(out, bytes);
  }
};

}  // namespace

std::string ShortDateText(LCID locale, const SYSTEMTIME& when) {
  wchar_t text[128];
  const int n = GetDateFormatW(locale, DATE_SHORTDATE, &when, nullptr, text,
                               static_cast<int>(std::size(text)));
  return n > 0 ? Narrow(std::wstring_view(text, n - 1)) : std::string();
}

std::string LongTimeText(LCID locale, const SYSTEMTIME& when) {
  wchar_t text[128];
  const int n = GetTimeFormatW(locale, 0, &when, nullptr, text, static_cast<int>(std::size(text)));
  return n > 0 ? Narrow(std::wstring_view(text, n - 1)) : std::string();
}

const LogPlatform& Win32LogPlatform() {
  static const Win32Platform platform;
  return platform;
}

}  // namespace kvn
