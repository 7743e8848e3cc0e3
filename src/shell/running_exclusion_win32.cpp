#include "shell/running_exclusion_win32.h"

#include "control/direct_recovery_win32.h"
#include "processes/process_system_win32.h"
#include "settings/exclusions.h"

namespace kvn {

std::string FindRunningExclusion(const std::vector<std::string>& exclusions) {
  std::vector<RunningProgram> running;
  for (ProcessEntry& p : RunningProcessNames())
    running.push_back({p.processId, std::move(p.exeFile)});
  std::unique_ptr<DirectRecoverySystem> system;  // only when a full path must be read
  const std::string* entry = RunningExcluded(exclusions, running, [&system](std::uint32_t id) {
    if (!system) system = MakeWin32DirectRecovery();
    return system->ProgramOf(id);
  });
  return entry ? *entry : std::string();
}

}  // namespace kvn
