#pragma once
// The direct recovery steps current Windows offers, run after a pass has released its blocks
// when the user asks for them: every process's working set emptied, the system file cache
// trimmed, the modified page list written out and the standby list purged. A step the system
// lacks, refuses or fails is skipped with one log line naming it; nothing here ever stops a pass.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvn {

// What the steps need from the system. Every function is looked up at run time by the Windows
// implementation; "Has" answers false where it is missing.
class DirectRecoverySystem {
 public:
  enum class Emptied { Done, CannotOpen, Gone, Failed };

  virtual ~DirectRecoverySystem() = default;
  virtual bool HasEmptyWorkingSet() = 0;
  virtual std::vector<std::uint32_t> ProcessIds() = 0;
  virtual Emptied EmptyWorkingSetOf(std::uint32_t processId) = 0;
  // The program's full path, or its file name alone, or empty when neither can be learnt.
  virtual std::string ProgramOf(std::uint32_t processId) = 0;

  virtual bool HasSystemFileCacheSize() = 0;
  virtual bool HasSetSystemInformation() = 0;
  // Enables a privilege of the program's own token; false when it is not held.
  virtual bool EnablePrivilege(const char* name) = 0;
  // Puts it back as it was before EnablePrivilege.
  virtual void RestorePrivilege(const char* name) = 0;
  virtual bool TrimSystemFileCache() = 0;                     // SetSystemFileCacheSize(-1, -1, 0)
  virtual bool MemoryListCommand(std::uint32_t command) = 0;  // class 80, the command
};

inline constexpr std::uint32_t kMemoryFlushModifiedList = 3;
inline constexpr std::uint32_t kMemoryPurgeStandbyList = 4;

// The privilege the two list commands need.
inline constexpr const char* kProfilePrivilege = "SeProfileSingleProcessPrivilege";

// The steps' names, as the log and the status hint give them.
inline constexpr const char* kStepWorkingSets = "working sets";
inline constexpr const char* kStepFileCache = "cache de fichiers";
inline constexpr const char* kStepModifiedList = "liste modifiée";
inline constexpr const char* kStepStandbyList = "liste d'attente";

struct DirectRecoveryResult {
  std::vector<std::string> ran;  // the steps that did their work, in order
  int processesEmptied = 0;
  int processesSpared = 0;  // excluded by the user
};

// Runs the steps in their order; skipped steps are told to writeLog, one line each. The programs
// the exclusions cover (settings/exclusions.h) keep their working sets.
DirectRecoveryResult RunDirectRecovery(DirectRecoverySystem& system,
                                       const std::function<void(const std::string&)>& writeLog,
                                       const std::vector<std::string>& exclusions = {});

// The steps' last command alone, for the standby cache rule: true when the list was purged.
bool PurgeStandbyList(DirectRecoverySystem& system);

// " Étapes directes : working sets, cache de fichiers" or " Étapes directes : aucune".
std::string DirectStepsHint(const DirectRecoveryResult& result);

}  // namespace kvn
