#include "shell/fault_report.h"

#include <type_traits>
#include <utility>

namespace kvn {

namespace {
constexpr std::int64_t kBytesPerMB = 1048576;

// Each step of the report runs on its own: a step that fails (the memory reading, the log, the
// mail) never keeps the program from ending.
template <class F, class... Args>
void Call(const F& f, Args&&... args) {
  if constexpr (std::is_constructible_v<bool, const F&>)
    if (!static_cast<bool>(f)) return;
  try {
    f(std::forward<Args>(args)...);
  } catch (...) {
  }
}
}  // namespace

std::vector<std::string> FaultReportLines(const std::string& exceptionMessage,
                                          const FaultFacts& facts) {
  return {
      "Exception : " + exceptionMessage,
      "OS: " + facts.windowsName + "  " + facts.servicePackText,
      "Memoire libre : " + std::to_string(facts.freeMemoryBytes / kBytesPerMB) + "Mo",
      "RAM installée : " + std::to_string(facts.totalMemoryBytes / kBytesPerMB) + "Mo",
      "SwapFile usage : " + std::to_string(facts.swapFileUsageMB) + "Mo",
      "Total Swap : " + std::to_string(facts.totalSwapFileSizeMB) + "Mo",
  };
}

std::string FaultMailSubject(const std::string& programVersion) {
  return "Korvane Version " + programVersion + " Rapport de bug.";
}

void FaultReport::OnUnhandledException(const std::string& exceptionMessage,
                                       const std::string& logFileName) {
  if (reporting_) {
    // The box below runs a message loop: a handler may fail again meanwhile. The program is
    // already on its way out; one report is enough.
    Call(sinks_.WriteLog, "Exception : " + exceptionMessage);
    return;
  }
  reporting_ = true;
  Call(sinks_.CancelRecovery);
  Call(sinks_.StopTimers);
  FaultFacts facts;
  Call([&] {
    if (sinks_.Facts) facts = sinks_.Facts();
  });
  for (const std::string& line : FaultReportLines(exceptionMessage, facts))
    Call(sinks_.WriteLog, line);
  if (!logEnabled_) {
    Call(sinks_.ShowMessage, kFaultMessage, kFaultTitle);
  } else {
    bool send = false;
    Call([&] {
      if (sinks_.AskYesNo)
        send = sinks_.AskYesNo(std::string(kFaultMessage) + kFaultMailQuestion, kFaultTitle);
    });
    if (send) {
      std::vector<std::string> attachments;
      if (!logFileName.empty()) attachments.push_back(logFileName);
      Call(sinks_.SendMail, FaultMailSubject(programVersion_),
           std::vector<std::string>{kSupportAddress}, attachments);
    }
  }
  Call(sinks_.StopTimers);
  Call(sinks_.ExitApplication);
}

}  // namespace kvn
