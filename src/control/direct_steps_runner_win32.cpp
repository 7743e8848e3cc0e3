#include "control/direct_steps_runner_win32.h"

#include <windows.h>

#include <vector>

#include "base/privileges_win32.h"
#include "control/direct_recovery_win32.h"

namespace kvn {

namespace {

struct DirectStepsJob {
  DirectRecoverySystem* system;
  std::vector<std::string> exclusions;  // a copy: the options may change while the steps run
  DirectRecoveryResult result;
  std::vector<std::string> log;
};

DWORD WINAPI DirectStepsThread(LPVOID param) {
  auto& job = *static_cast<DirectStepsJob*>(param);
  try {
    job.result = RunDirectRecovery(
        *job.system, [&job](const std::string& line) { job.log.push_back(line); }, job.exclusions);
  } catch (...) {
    job.log.push_back("Étapes directes interrompues");
  }
  return 0;
}

DWORD WINAPI StandbyPurgeThread(LPVOID) {
  try {
    PurgeStandbyList(*MakeWin32DirectRecovery());
  } catch (...) {
    // The rule tries again a minute later.
  }
  return 0;
}

}  // namespace

bool StandbyPurger::PrivilegeHeld() {
  const EnabledPrivilege probe(L"SeProfileSingleProcessPrivilege");  // put back as it was
  return probe.Held();
}

void StandbyPurger::Start() {
  if (!thread_.Join(0)) return;
  thread_.Start(StandbyPurgeThread, nullptr);
}

DirectStepsRunner::DirectStepsRunner() = default;
DirectStepsRunner::DirectStepsRunner(std::unique_ptr<DirectRecoverySystem> system)
    : system_(std::move(system)) {}
DirectStepsRunner::~DirectStepsRunner() = default;

DirectRecoveryResult DirectStepsRunner::Run(const std::function<bool()>& pump,
                                            const std::function<void(const std::string&)>& writeLog,
                                            const std::vector<std::string>& exclusions) {
  if (!system_) system_ = MakeWin32DirectRecovery();
  // The pass is still under way while the steps run: no new one can start meanwhile.
  DirectStepsJob job{system_.get(), exclusions, {}, {}};
  WorkerThread thread;  // ends before the job it writes into
  if (thread.Start(DirectStepsThread, &job)) {
    HANDLE handle = thread.Handle();
    bool quitting = false;
    while (!quitting &&
           MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
      quitting = pump();
    // A quit request stays posted for the main loop, and would wake every wait at once: the
    // program is ending, so the last of the steps is waited for without the window.
    if (quitting) thread.Join(INFINITE);
  } else {
    DirectStepsThread(&job);
  }
  for (const std::string& line : job.log) writeLog(line);
  return job.result;
}

}  // namespace kvn
