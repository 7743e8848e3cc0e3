#pragma once
// The last chance: a crash that is not a C++ exception (access violation, stack overflow, ...)
// leaves a minidump under the user's local application data folder, Korvane\, and the fault
// report's lines in the log, then ends the program.
#include <windows.h>

#include <functional>
#include <string>

namespace kvn {

// What the program adds to the dump: the report lines (told what happened and the dump's path,
// empty when none could be written) and, when it is still safe, the settings.
struct CrashReportSinks {
  std::function<void(const std::string& what, const std::string& dumpPath)> WriteReport;
  std::function<void()> SaveSettings;
};

// Installs the filter for the whole process; the sinks run on a thread of their own while the
// crashed thread waits. Also asks Windows not to swallow crashes in window and timer procedures.
void InstallCrashReport(CrashReportSinks sinks);
// Back to no filter (the program is ending, or a test is done).
void RemoveCrashReport();

// "<local application data>\Korvane\", created when missing; empty when there is none.
std::wstring CrashDumpFolder();
// "Violation d'accès (C0000005) à l'adresse 0040112A" and the like.
std::string DescribeCrash(const EXCEPTION_RECORD& record);

}  // namespace kvn
