#pragma once
// The fault report: an exception that escapes a handler stops the program's activity, leaves six
// lines about the failure and the machine's memory in the log, tells the user that the program
// closes (offering to mail the report when the log goes to a file) and ends the program through
// its orderly exit.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kvn {

inline constexpr const char* kFaultTitle = "Erreur!";
inline constexpr const char* kFaultMessage =
    "Un problème est survenu pendant l'exécution de Korvane.\r\nL'application va se terminer.";
inline constexpr const char* kFaultMailQuestion = "\r\nVoulez-vous envoyer le rapport à l'auteur?";
inline constexpr const char* kSupportAddress = "support@korvane.example";

// The machine's state when the fault happened, as the report states it.
struct FaultFacts {
  std::string windowsName;
  std::string servicePackText;
  std::int64_t freeMemoryBytes = 0;
  std::int64_t totalMemoryBytes = 0;
  std::int64_t swapFileUsageMB = 0;
  std::int64_t totalSwapFileSizeMB = 0;
};

// The six report lines, in order: the exception, the system, free and installed memory, the swap
// in use and its size.
std::vector<std::string> FaultReportLines(const std::string& exceptionMessage,
                                          const FaultFacts& facts);

// "Korvane Version <version> Rapport de bug."
std::string FaultMailSubject(const std::string& programVersion);

// What the report does to the program and asks of the user.
struct FaultReportSinks {
  std::function<void()> CancelRecovery;  // stops a running recovery
  std::function<void()> StopTimers;      // the six timers of the main window
  std::function<FaultFacts()> Facts;     // read when the report is written
  std::function<void(const std::string&)> WriteLog;
  std::function<void(const std::string& text, const std::string& title)> ShowMessage;
  std::function<bool(const std::string& text, const std::string& title)> AskYesNo;
  // Subject, recipients, attachments; failures are silent.
  std::function<void(const std::string&, const std::vector<std::string>&,
                     const std::vector<std::string>&)>
      SendMail;
  std::function<void()> ExitApplication;
};

class FaultReport {
 public:
  // logFileName is empty while the log goes to the standard output (no file to attach).
  FaultReport(FaultReportSinks sinks, bool logEnabled, std::string programVersion)
      : sinks_(std::move(sinks)),
        logEnabled_(logEnabled),
        programVersion_(std::move(programVersion)) {}

  // An exception reached the application's hook: report it and end. A second fault while the
  // report runs (its message box still lets messages through) is only logged.
  void OnUnhandledException(const std::string& exceptionMessage, const std::string& logFileName);
  // From the first fault on: the program is on its way out.
  bool Reporting() const { return reporting_; }

 private:
  FaultReportSinks sinks_;
  bool logEnabled_;
  std::string programVersion_;
  bool reporting_ = false;
};

}  // namespace kvn
