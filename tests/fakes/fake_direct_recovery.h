#pragma once
// A direct recovery system that records every call and answers as a test says.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "control/direct_recovery.h"

namespace kvn::fakes {

struct FakeDirectRecoverySystem : DirectRecoverySystem {
  bool emptyWorkingSet = true, fileCache = true, setInformation = true;
  std::map<std::string, bool> held{{"SeIncreaseQuotaPrivilege", true},
                                   {"SeProfileSingleProcessPrivilege", true}};
  std::map<std::uint32_t, Emptied> processes{
      {0, Emptied::Done}, {4, Emptied::Done}, {8, Emptied::Done}};
  bool trimWorks = true;
  std::map<std::uint32_t, bool> commandWorks{{3, true}, {4, true}};
  std::vector<std::string> calls;
  std::map<std::uint32_t, std::string> programs;  // what ProgramOf answers; none: empty
  std::function<void()> onEmpty;                  // runs inside each emptying, on the steps' thread

  bool HasEmptyWorkingSet() override { return emptyWorkingSet; }
  std::vector<std::uint32_t> ProcessIds() override {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, answer] : processes) ids.push_back(id);
    return ids;
  }
  Emptied EmptyWorkingSetOf(std::uint32_t id) override {
    calls.push_back("empty " + std::to_string(id));
    if (onEmpty) onEmpty();
    return processes[id];
  }
  std::string ProgramOf(std::uint32_t id) override {
    calls.push_back("program " + std::to_string(id));
    return programs[id];
  }
  bool HasSystemFileCacheSize() override { return fileCache; }
  bool HasSetSystemInformation() override { return setInformation; }
  bool EnablePrivilege(const char* name) override {
    calls.push_back(std::string("enable ") + name);
    return held[name];
  }
  void RestorePrivilege(const char* name) override {
    calls.push_back(std::string("restore ") + name);
  }
  bool TrimSystemFileCache() override {
    calls.push_back("trim");
    return trimWorks;
  }
  bool MemoryListCommand(std::uint32_t command) override {
    calls.push_back("list " + std::to_string(command));
    return commandWorks[command];
  }
};

}  // namespace kvn::fakes
