#include "control/direct_recovery.h"

#include "settings/exclusions.h"

namespace kvn {

namespace {

constexpr const char* kQuotaPrivilege = "SeIncreaseQuotaPrivilege";

void Skip(const std::function<void(const std::string&)>& writeLog, const char* step,
          const char* why) {
  if (writeLog) writeLog(std::string("Étape directe sautée (") + step + ") : " + why);
}

}  // namespace

DirectRecoveryResult RunDirectRecovery(DirectRecoverySystem& system,
                                       const std::function<void(const std::string&)>& writeLog,
                                       const std::vector<std::string>& exclusions) {
  DirectRecoveryResult result;

  // Every process the program may open; one that cannot be opened or ended meanwhile is no
  // failure of the step.
  if (!system.HasEmptyWorkingSet()) {
    Skip(writeLog, kStepWorkingSets, "fonction absente");
  } else {
    for (std::uint32_t id : system.ProcessIds()) {
      if (id == 0) continue;
      // The program is only asked for when there is something to compare it with.
      if (!exclusions.empty() && ExcludedBy(exclusions, system.ProgramOf(id))) {
        ++result.processesSpared;
        continue;
      }
      if (system.EmptyWorkingSetOf(id) == DirectRecoverySystem::Emptied::Done)
        ++result.processesEmptied;
    }
    if (result.processesEmptied > 0)
      result.ran.push_back(kStepWorkingSets);
    else
      Skip(writeLog, kStepWorkingSets, "aucun processus accessible");
  }

  if (!system.HasSystemFileCacheSize()) {
    Skip(writeLog, kStepFileCache, "fonction absente");
  } else if (!system.EnablePrivilege(kQuotaPrivilege)) {
    Skip(writeLog, kStepFileCache, "privilège non accordé");
  } else {
    if (system.TrimSystemFileCache())
      result.ran.push_back(kStepFileCache);
    else
      Skip(writeLog, kStepFileCache, "échec");
    system.RestorePrivilege(kQuotaPrivilege);
  }

  // The modified pages are written out first, so that the purge also frees what they held.
  if (!system.HasSetSystemInformation()) {
    Skip(writeLog, kStepModifiedList, "fonction absente");
    Skip(writeLog, kStepStandbyList, "fonction absente");
  } else if (!system.EnablePrivilege(kProfilePrivilege)) {
    Skip(writeLog, kStepModifiedList, "privilège non accordé");
    Skip(writeLog, kStepStandbyList, "privilège non accordé");
  } else {
    for (const auto& [command, step] : {std::pair{kMemoryFlushModifiedList, kStepModifiedList},
                                        std::pair{kMemoryPurgeStandbyList, kStepStandbyList}}) {
      if (system.MemoryListCommand(command))
        result.ran.push_back(step);
      else
        Skip(writeLog, step, "échec");
    }
    system.RestorePrivilege(kProfilePrivilege);
  }
  return result;
}

bool PurgeStandbyList(DirectRecoverySystem& system) {
  if (!system.HasSetSystemInformation() || !system.EnablePrivilege(kProfilePrivilege)) return false;
  const bool purged = system.MemoryListCommand(kMemoryPurgeStandbyList);
  system.RestorePrivilege(kProfilePrivilege);
  return purged;
}

std::string DirectStepsHint(const DirectRecoveryResult& result) {
  std::string hint = " Étapes directes : ";
  if (result.ran.empty()) return hint + "aucune";
  for (size_t i = 0; i < result.ran.size(); ++i) hint += (i ? ", " : "") + result.ran[i];
  return hint;
}

}  // namespace kvn
