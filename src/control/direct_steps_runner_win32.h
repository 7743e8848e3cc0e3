#pragma once
// The direct recovery steps away from the window's thread. Emptying every process's working set
// takes longer than the window may wait, so the steps run on a thread of their own while the
// caller's message pump keeps the window going.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/worker_thread_win32.h"
#include "control/direct_recovery.h"

namespace kvn {

class DirectStepsRunner {
 public:
  DirectStepsRunner();
  // Runs the steps on the given system instead of the one Windows offers.
  explicit DirectStepsRunner(std::unique_ptr<DirectRecoverySystem> system);
  ~DirectStepsRunner();
  DirectStepsRunner(const DirectStepsRunner&) = delete;
  DirectStepsRunner& operator=(const DirectStepsRunner&) = delete;

  // Runs the steps and returns once they are done, calling pump whenever messages arrive
  // meanwhile. Pump answers true when it met a quit request (and left it posted): the rest of
  // the wait pumps no more. Their log lines reach writeLog afterwards, in order, on the caller's
  // thread.
  DirectRecoveryResult Run(const std::function<bool()>& pump,
                           const std::function<void(const std::string&)>& writeLog,
                           const std::vector<std::string>& exclusions = {});

 private:
  std::unique_ptr<DirectRecoverySystem> system_;  // looked up by the first pass that asks
};

// The standby cache rule's purge, on a thread of its own so that a long purge never holds the
// window; a purge asked for while one runs is dropped. The destructor waits for the last one.
class StandbyPurger {
 public:
  StandbyPurger() = default;
  StandbyPurger(const StandbyPurger&) = delete;
  StandbyPurger& operator=(const StandbyPurger&) = delete;

  // The program's token holds the privilege the purge needs (administrators have it).
  static bool PrivilegeHeld();
  void Start();

 private:
  WorkerThread thread_;  // the last purge, waited for until it ends
};

}  // namespace kvn
