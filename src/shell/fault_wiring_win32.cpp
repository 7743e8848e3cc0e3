// The fault report's ties to the window: what it stops, logs, shows and mails, the crash report
// for faults that are no C++ exception, and the facts both write down.
#include "shell/main_window_win32.h"

#include <string>
#include <vector>

#include "base/message_box_win32.h"
#include "base/text_win32.h"
#include "shell/crash_report_win32.h"
#include "shell/log.h"
#include "sysinfo/system_info_win32.h"
#include "sysinfo/windows_release_win32.h"

namespace kvn {

namespace {

std::string DescribeError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Exception";
  }
}

}  // namespace

void MainWindow::InstallFaultReport() {
  FaultReportSinks report;
  report.CancelRecovery = [this] {
    if (recovery_) recovery_->CancelRecovery();
  };
  report.StopTimers = [this] { StopTimers(); };
  report.Facts = [this] { return CurrentFaultFacts(); };
  report.WriteLog = [](const std::string& line) { WriteLogLine(line); };
  report.ShowMessage = [this](const std::string& text, const std::string& title) {
    ShowMessageBox(host_.Handle(), text, MB_OK | MB_ICONERROR, title);
  };
  report.AskYesNo = [this](const std::string& text, const std::string& title) {
    return ShowMessageBox(host_.Handle(), text, MB_YESNO | MB_ICONERROR, title) == IDYES;
  };
  report.SendMail = [this](const std::string& subject, const std::vector<std::string>& to,
                           const std::vector<std::string>& files) {
    reportMail.Subject = subject;
    reportMail.Body.clear();
    reportMail.Recipients = to;
    reportMail.Attachments = files;
    reportMail.SendReportMail();
  };
  report.ExitApplication = [this] { ExitApplication(); };
  faultReport_ = std::make_unique<FaultReport>(std::move(report), LogEnabled, ProgramFileVersion());
  // A crash that is no C++ exception: a minidump and the same lines, settings saved when safe.
  CrashReportSinks crash;
  const FaultFacts facts = CurrentFaultFacts();
  crash.osLine = FaultReportLines("", facts)[1];
  if (portable_) crash.folder = Widen(portable_->Folder());
  crash.ReadFigures = [this](CrashFigures& figures) {
    figures.freeMemoryBytes = engine_.FreeMemory();
    figures.totalMemoryBytes = engine_.TotalMemory();
    figures.swapFileUsageMB = engine_.SwapFileUsageMB();
    figures.totalSwapFileSizeMB = engine_.TotalSwapFileSize();
  };
  crash.WriteReport = [this](const std::string& what, const std::string& dumpPath) {
    for (const std::string& line : FaultReportLines(what, CurrentFaultFacts())) WriteLogLine(line);
    if (!dumpPath.empty()) WriteLogLine("Rapport de plantage : " + dumpPath);
  };
  // Not before start-up has saved once: until then the controls hold the form's defaults, and
  // saving them would replace the stored options and the Run entry. Nothing of the window is
  // touched: its thread waits for this one.
  crash.SaveSettings = [this] {
    if (!startedUp_ || !binding_) return;
    const IniRegistry::Batch once(PortableFile());
    binding_->SaveSettings();
  };
  InstallCrashReport(std::move(crash));
}

FaultFacts MainWindow::CurrentFaultFacts() {
  FaultFacts facts;
  facts.windowsName = WindowsName(CurrentWindowsRelease());
  facts.servicePackText =
      ServicePackText(ServicePackNumber(CurrentWindowsRelease(), SystemReleaseSource()));
  facts.freeMemoryBytes = engine_.FreeMemory();
  facts.totalMemoryBytes = engine_.TotalMemory();
  facts.swapFileUsageMB = engine_.SwapFileUsageMB();
  facts.totalSwapFileSizeMB = engine_.TotalSwapFileSize();
  return facts;
}

void MainWindow::OnUnhandledException(std::exception_ptr error) {
  faultReport_->OnUnhandledException(DescribeError(error), LogFileName());
}

}  // namespace kvn
