#include "shell/fault_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace kvn {
namespace {

using ::testing::ElementsAre;

TEST(FaultReport, LinesStateTheExceptionTheSystemAndTheMemoryInWholeMegabytes) {
  FaultFacts facts{"Windows XP", "Service Pack 3", 3 * 1048576LL + 1048575, 2048 * 1048576LL, 12,
                   4096};
  EXPECT_THAT(FaultReportLines("Division par zéro", facts),
              ElementsAre("Exception : Division par zéro", "OS: Windows XP  Service Pack 3",
                          "Memoire libre : 3Mo", "RAM installée : 2048Mo", "SwapFile usage : 12Mo",
                          "Total Swap : 4096Mo"));
  EXPECT_EQ(FaultMailSubject("1.2.0"), "Korvane Version 1.2.0 Rapport de bug.");
}

// Everything the report does, in order, as one trace.
struct Recorder {
  std::vector<std::string> trace;
  bool answer = false;
  bool factsThrow = false;
  FaultReport* report = nullptr;
  bool faultAgainInBox = false;

  FaultReportSinks Sinks() {
    FaultReportSinks s;
    s.CancelRecovery = [this] { trace.push_back("annul"); };
    s.StopTimers = [this] { trace.push_back("timers off"); };
    s.Facts = [this] {
      if (factsThrow) throw std::runtime_error("no memory reading");
      return FaultFacts{"Windows 2000", "", 1048576, 1048576, 0, 0};
    };
    s.WriteLog = [this](const std::string& line) { trace.push_back("log " + line); };
    s.ShowMessage = [this](const std::string& text, const std::string& title) {
      trace.push_back("box " + title + " " + text);
      if (faultAgainInBox) report->OnUnhandledException("again", "");
    };
    s.AskYesNo = [this](const std::string& text, const std::string& title) {
      trace.push_back("ask " + title + " " + text);
      return answer;
    };
    s.SendMail = [this](const std::string& subject, const std::vector<std::string>& to,
                        const std::vector<std::string>& files) {
      std::string line = "mail " + subject;
      for (const auto& t : to) line += " to:" + t;
      for (const auto& f : files) line += " file:" + f;
      trace.push_back(line);
    };
    s.ExitApplication = [this] { trace.push_back("exit"); };
    return s;
  }
};

TEST(FaultReport, StopsReportsAsksAndEnds) {
  const std::string lines[] = {"log Exception : boom",     "log OS: Windows 2000  ",
                               "log Memoire libre : 1Mo",  "log RAM installée : 1Mo",
                               "log SwapFile usage : 0Mo", "log Total Swap : 0Mo"};
  const std::string message = kFaultMessage;
  const std::string question = message + "\r\nVoulez-vous envoyer le rapport à l'auteur?";
  struct Case {
    const char* name;
    bool logEnabled;
    bool answer;
    std::string logFile;
    std::vector<std::string> middle;  // between the report lines and the end
  };
  const Case cases[] = {
      {"log off: one OK box", false, true, "", {"box Erreur! " + message}},
      {"log on, No: nothing sent", true, false, "C:\\k\\korvane.log", {"ask Erreur! " + question}},
      {"log on, Yes: the log goes with the mail",
       true,
       true,
       "C:\\k\\korvane.log",
       {"ask Erreur! " + question,
        "mail Korvane Version 2.1 Rapport de bug. to:support@korvane.example "
        "file:C:\\k\\korvane.log"}},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.answer = c.answer;
    FaultReport report(r.Sinks(), c.logEnabled, "2.1");
    report.OnUnhandledException("boom", c.logFile);
    std::vector<std::string> expected = {"annul", "timers off"};
    expected.insert(expected.end(), std::begin(lines), std::end(lines));
    expected.insert(expected.end(), c.middle.begin(), c.middle.end());
    expected.push_back("timers off");
    expected.push_back("exit");
    EXPECT_EQ(r.trace, expected) << c.name;
  }
}

TEST(FaultReport, AFailingStepOrASecondFaultNeverKeepsTheProgramRunning) {
  Recorder r;
  r.factsThrow = true;
  r.faultAgainInBox = true;
  FaultReport report(r.Sinks(), false, "2.1");
  r.report = &report;
  report.OnUnhandledException("boom", "");
  // The lines still go out (with no figures), the second fault is only logged, one box, one exit.
  EXPECT_THAT(r.trace, ElementsAre("annul", "timers off", "log Exception : boom", "log OS:   ",
                                   "log Memoire libre : 0Mo", "log RAM installée : 0Mo",
                                   "log SwapFile usage : 0Mo", "log Total Swap : 0Mo",
                                   std::string("box Erreur! ") + kFaultMessage,
                                   "log Exception : again", "timers off", "exit"));
}

}  // namespace
}  // namespace kvn
