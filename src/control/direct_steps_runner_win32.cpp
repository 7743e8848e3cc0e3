#include "control/direct_steps_runner_win32.h"

#include <windows.h>

#include <vector>

#include "control/direct_recovery_win32.h"

namespace kvn {

namespace {

struct DirectStepsJob {
  DirectRecoverySystem* system;
  DirectRecoveryResult result;
  std::vector<std::string> log;
};

DWORD WINAPI DirectStepsThread(LPVOID param) {
  auto& job = *static_cast<DirectStepsJob*>(param);
  try {
    job.result = RunDirectRecovery(*job.system,
                                   [&job](const std::string& line) { job.log.push_back(line); });
  } catch (...) {
    job.log.push_back("Étapes directes interrompues");
  }
  return 0;
}

}  // namespace

DirectStepsRunner::DirectStepsRunner() = default;
DirectStepsRunner::~DirectStepsRunner() = default;

DirectRecoveryResult DirectStepsRunner::Run(
    const std::function<void()>& pump, const std::function<void(const std::string&)>& writeLog) {
  if (!system_) system_ = MakeWin32DirectRecovery();
  // The pass is still under way while the steps run: no new one can start meanwhile.
  DirectStepsJob job{system_.get(), {}, {}};
  if (HANDLE thread = CreateThread(nullptr, 0, DirectStepsThread, &job, 0, nullptr)) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
      pump();
    CloseHandle(thread);
  } else {
    DirectStepsThread(&job);
  }
  for (const std::string& line : job.log) writeLog(line);
  return job.result;
}

}  // namespace kvn
