#pragma once
// The last chance: a crash that is not a C++ exception (access violation, stack overflow, abort(),
// std::terminate, ...) leaves the fault report's lines in a text file under the user's local
// application data folder, Korvane\ (a portable copy: beside the program), a minidump of the same
// name beside it and the lines in the log, tells the user that the program closes and ends it.
// A crash that holds the loader lock or the heap's still leaves the text file, and the program
// ends even when no box can be shown.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kvn {

// The memory figures of the report, read at the time of the crash.
struct CrashFigures {
  std::int64_t freeMemoryBytes = 0;
  std::int64_t totalMemoryBytes = 0;
  std::int64_t swapFileUsageMB = 0;
  std::int64_t totalSwapFileSizeMB = 0;
};

// What the program adds to the dump. osLine is the report's second line, taken once installed:
// after a crash the report's text is put together without touching the heap.
struct CrashReportSinks {
  std::string osLine;
  // Where the report goes, with its final backslash: a portable copy's own folder. Empty: the
  // local application data folder's Korvane\ (UserDataFolder), looked up when installed.
  std::wstring folder;
  std::function<void(CrashFigures&)> ReadFigures;
  // The report's lines for the log, once the text file is written (told what happened and the
  // dump's path, empty when none could be written).
  std::function<void(const std::string& what, const std::string& dumpPath)> WriteReport;
  // Only when it is still safe: see SafeToSave in the source.
  std::function<void()> SaveSettings;
};

// Installs the filter for the whole process, abort() and std::terminate included; the sinks run
// on a thread started now, which waits for a crash, while the crashed thread waits for it. Also
// asks Windows not to swallow crashes in window and timer procedures.
void InstallCrashReport(CrashReportSinks sinks);
// Once start-up is over: that thread loads the dump's library (dbghelp.dll), which a crash then
// need not load. Until then a crash loads it after the text file is written.
void PrepareCrashDump();
// Back to the filter, handlers and exception policy there were before.
void RemoveCrashReport();
// The Windows session ends: a crash from now on shows no box.
void CrashReportSessionEnding();

// "Violation d'accès (C0000005) à l'adresse 0040112A" and the like, into text (no allocation).
void DescribeCrash(const EXCEPTION_RECORD& record, char* text, std::size_t size);

// The exception codes abort() and std::terminate end the program with.
inline constexpr DWORD kAbortCrashCode = 0xE04B0001;
inline constexpr DWORD kTerminateCrashCode = 0xE04B0002;

}  // namespace kvn
