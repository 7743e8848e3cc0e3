#include "shell/log.h"

#include <cstdio>
#include <ctime>
#include <exception>

namespace kvn {

namespace {

const StdioLogPlatform& PortablePlatform() {
  static const StdioLogPlatform platform;
  return platform;
}

Log& ProgramLog() {
  static Log log(PortablePlatform(), LogEnabled);
  return log;
}

}  // namespace

std::string StdioLogPlatform::Now(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  if (localtime_s(&local, &now) != 0) return {};
#else
  if (localtime_r(&now, &local) == nullptr) return {};
#endif
  char text[64];
  const size_t n = std::strftime(text, sizeof text, format, &local);
  return std::string(text, n);
}

bool StdioLogPlatform::CreateEmpty(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  return f != nullptr && std::fclose(f) == 0;
}

bool StdioLogPlatform::Append(const std::string& path, std::string_view bytes) const {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

bool StdioLogPlatform::WriteStandardOutput(std::string_view bytes) const {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  return std::fflush(stdout) == 0 && written;
}

std::string FormatLogLine(std::string_view shortDate, std::string_view longTime,
                          std::string_view text) {
  std::string line;
  line.reserve(shortDate.size() + longTime.size() + text.size() + 4);
  line.append(shortDate).append(" ").append(longTime).append(" : ");
  line.append(text.empty() ? std::string_view(kLogEmptySubstitute) : text);
  return line;
}

void Log::Prepare() {
  if (!enabled_) return;
  try {
    fileName_ = platform_->LogFolder() + kLogFileName;
    platform_->CreateEmpty(fileName_);  // a refused file loses the lines, nothing more
  } catch (...) {
    return;
  }
  WriteLine(kLogStartLine);
}

void Log::WriteLine(std::string_view text) const {
  try {
    const std::string line =
        FormatLogLine(platform_->ShortDate(), platform_->LongTime(), text) + "\r\n";
    if (!fileName_.empty())
      platform_->Append(fileName_, line);
    else
      platform_->WriteStandardOutput(line);
  } catch (...) {
    // The log never stops its caller (out of memory while building the line included).
  }
}

void SetLogPlatform(const LogPlatform* platform) {
  ProgramLog().SetPlatform(platform != nullptr ? *platform : PortablePlatform());
}

void PrepareLog() {
  ProgramLog().Prepare();
}

void WriteLogLine(std::string_view text) {
  ProgramLog().WriteLine(text);
}

const std::string& LogFileName() {
  return ProgramLog().FileName();
}

}  // namespace kvn
