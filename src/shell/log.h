#pragma once
// The program's log: dated lines appended to "korvane.log" when the build switch is on (next to
// the program, or in the user's folder when the program's refuses it: base/data_folder_win32.h),
// or written to the standard output when it is off. Every failure is ignored: a lost line never
// stops the caller.
#include <memory>
#include <string>
#include <string_view>

namespace kvn {

#if defined(KORVANE_LOG_ENABLED) && KORVANE_LOG_ENABLED
inline constexpr bool LogEnabled = true;
#else
inline constexpr bool LogEnabled = false;
#endif

inline constexpr const char* kLogFileName = "korvane.log";
inline constexpr const char* kLogStartLine = "Démarrage Korvane.";
inline constexpr const char* kLogEmptySubstitute = "Exception";

// What the log needs from the system: the clock in the user's formats, its folder and the places
// lines go. Every operation reports failure by returning false, never by throwing.
class LogPlatform {
 public:
  virtual ~LogPlatform() = default;
  virtual std::string ShortDate() const = 0;  // today, user's short date format
  virtual std::string LongTime() const = 0;   // now, user's long time format
  // The folder the file goes in, ending in a path separator.
  virtual std::string LogFolder() const = 0;
  virtual bool CreateEmpty(const std::string& path) const = 0;  // truncates an existing file
  virtual bool Append(const std::string& path, std::string_view bytes) const = 0;
  virtual bool WriteStandardOutput(std::string_view bytes) const = 0;
};

// The C library's clock and files, in the current folder: what the log uses until the program
// installs its own platform.
class StdioLogPlatform : public LogPlatform {
 public:
  std::string ShortDate() const override { return Now("%x"); }
  std::string LongTime() const override { return Now("%X"); }
  std::string LogFolder() const override { return {}; }
  bool CreateEmpty(const std::string& path) const override;
  bool Append(const std::string& path, std::string_view bytes) const override;
  bool WriteStandardOutput(std::string_view bytes) const override;

 private:
  static std::string Now(const char* format);
};

// "<short date> <long time> : <text>", an empty text written as "Exception"; no line end.
std::string FormatLogLine(std::string_view shortDate, std::string_view longTime,
                          std::string_view text);

class Log {
 public:
  Log(const LogPlatform& platform, bool enabled) : platform_(&platform), enabled_(enabled) {}
  // The file name, once formed, stays: only where the clock and the files come from changes.
  void SetPlatform(const LogPlatform& platform) { platform_ = &platform; }

  // Start-up: when enabled, names the file, truncates it and writes the start line.
  void Prepare();
  // Appends one line ended by CR LF to the file, or to the standard output while no file is
  // named (switch off).
  void WriteLine(std::string_view text) const;
  // Empty while the switch is off or before Prepare.
  const std::string& FileName() const { return fileName_; }

 private:
  const LogPlatform* platform_;
  bool enabled_;
  std::string fileName_;
};

// The program's own log, built on the platform installed with SetLogPlatform (the Win32 one in
// the program; a portable stand-in with the C library clock until then).
void SetLogPlatform(const LogPlatform* platform);
void PrepareLog();
void WriteLogLine(std::string_view text);
// The program log's file; empty while the lines go to the standard output.
const std::string& LogFileName();

}  // namespace kvn
