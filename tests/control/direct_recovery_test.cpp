#include "control/direct_recovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_direct_recovery.h"

namespace kvn {
namespace {

using ::testing::ElementsAre;
using Emptied = DirectRecoverySystem::Emptied;
using FakeSystem = fakes::FakeDirectRecoverySystem;

TEST(DirectRecovery, StepsRunInOrderWithTheirPrivilegesAndNeverTheIdleProcess) {
  FakeSystem system;
  std::vector<std::string> log;
  const auto result = RunDirectRecovery(system, [&](const std::string& l) { log.push_back(l); });
  EXPECT_THAT(system.calls, ElementsAre("empty 4", "empty 8", "enable SeIncreaseQuotaPrivilege",
                                        "trim", "restore SeIncreaseQuotaPrivilege",
                                        "enable SeProfileSingleProcessPrivilege", "list 3",
                                        "list 4", "restore SeProfileSingleProcessPrivilege"));
  EXPECT_THAT(result.ran, ElementsAre("working sets", "cache de fichiers", "liste modifiée",
                                      "liste d'attente"));
  EXPECT_EQ(result.processesEmptied, 2);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(DirectStepsHint(result),
            " Étapes directes : working sets, cache de fichiers, liste modifiée, liste d'attente");
}

TEST(DirectRecovery, AStepThatCannotRunIsSkippedWithOneLineAndTheOthersGoOn) {
  struct Case {
    const char* name;
    std::function<void(FakeSystem&)> arrange;
    std::vector<std::string> ran;
    std::vector<std::string> log;
  };
  const std::string all[] = {"working sets", "cache de fichiers", "liste modifiée",
                             "liste d'attente"};
  const Case cases[] = {
      {"no EmptyWorkingSet",
       [](FakeSystem& s) { s.emptyWorkingSet = false; },
       {all[1], all[2], all[3]},
       {"Étape directe sautée (working sets) : fonction absente"}},
      {"a process that cannot be opened and one that ended meanwhile",
       [](FakeSystem& s) {
         s.processes = {{4, Emptied::CannotOpen}, {8, Emptied::Gone}, {12, Emptied::Done}};
       },
       {all[0], all[1], all[2], all[3]},
       {}},
      {"no process could be emptied",
       [](FakeSystem& s) {
         s.processes = {{4, Emptied::CannotOpen}, {8, Emptied::Failed}};
       },
       {all[1], all[2], all[3]},
       {"Étape directe sautée (working sets) : aucun processus accessible"}},
      {"no file cache function",
       [](FakeSystem& s) { s.fileCache = false; },
       {all[0], all[2], all[3]},
       {"Étape directe sautée (cache de fichiers) : fonction absente"}},
      {"quota privilege not held",
       [](FakeSystem& s) { s.held["SeIncreaseQuotaPrivilege"] = false; },
       {all[0], all[2], all[3]},
       {"Étape directe sautée (cache de fichiers) : privilège non accordé"}},
      {"the trim fails",
       [](FakeSystem& s) { s.trimWorks = false; },
       {all[0], all[2], all[3]},
       {"Étape directe sautée (cache de fichiers) : échec"}},
      {"no NtSetSystemInformation (before Vista, or Wine)",
       [](FakeSystem& s) { s.setInformation = false; },
       {all[0], all[1]},
       {"Étape directe sautée (liste modifiée) : fonction absente",
        "Étape directe sautée (liste d'attente) : fonction absente"}},
      {"profile privilege not held",
       [](FakeSystem& s) { s.held["SeProfileSingleProcessPrivilege"] = false; },
       {all[0], all[1]},
       {"Étape directe sautée (liste modifiée) : privilège non accordé",
        "Étape directe sautée (liste d'attente) : privilège non accordé"}},
      {"the flush fails, the purge still runs",
       [](FakeSystem& s) { s.commandWorks[3] = false; },
       {all[0], all[1], all[3]},
       {"Étape directe sautée (liste modifiée) : échec"}},
  };
  for (const Case& c : cases) {
    FakeSystem system;
    c.arrange(system);
    std::vector<std::string> log;
    const auto result = RunDirectRecovery(system, [&](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(result.ran, c.ran) << c.name;
    EXPECT_EQ(log, c.log) << c.name;
    // A privilege enabled is always given back.
    for (const char* privilege : {"SeIncreaseQuotaPrivilege", "SeProfileSingleProcessPrivilege"}) {
      const auto count = [&](const std::string& call) {
        return std::count(system.calls.begin(), system.calls.end(), call);
      };
      if (!system.held[privilege]) continue;
      EXPECT_EQ(count(std::string("enable ") + privilege),
                count(std::string("restore ") + privilege))
          << c.name;
    }
  }
  EXPECT_EQ(DirectStepsHint({}), " Étapes directes : aucune");
}

// A name covers every copy, a full path only its own; letter case never matters, whatever the
// script. A process whose program cannot be learnt is no excluded one.
TEST(DirectRecovery, AnExcludedProgramIsNeverEmptied) {
  const struct {
    std::vector<std::string> exclusions;
    // of 4 C:\Jeux\Jeu.exe, 8 D:\Autre\jeu.EXE, 12 ÉDIT.exe, 16 ?, 20 C:\Игры\Ωmega.exe
    std::vector<int> emptied;
  } cases[] = {
      {{}, {4, 8, 12, 16, 20}},
      {{"JEU.exe"}, {12, 16, 20}},
      {{"c:/jeux/jeu.exe"}, {8, 12, 16, 20}},
      {{"C:\\Autre\\jeu.exe"}, {4, 8, 12, 16, 20}},
      {{"jeu"}, {4, 8, 12, 16, 20}},
      {{"édit.exe"}, {4, 8, 16, 20}},
      {{"ωMEGA.EXE"}, {4, 8, 12, 16}},
      {{"c:/иГРЫ/ΩMEGA.exe"}, {4, 8, 12, 16}},
  };
  for (const auto& c : cases) {
    FakeSystem system;
    system.processes = {{4, Emptied::Done},
                        {8, Emptied::Done},
                        {12, Emptied::Done},
                        {16, Emptied::Done},
                        {20, Emptied::Done}};
    system.programs = {{4, "C:\\Jeux\\Jeu.exe"},
                       {8, "D:\\Autre\\jeu.EXE"},
                       {12, "ÉDIT.exe"},
                       {20, "C:\\Игры\\Ωmega.exe"}};
    const auto result = RunDirectRecovery(system, nullptr, c.exclusions);
    std::vector<int> emptied;
    for (int id : {4, 8, 12, 16, 20})
      if (std::count(system.calls.begin(), system.calls.end(), "empty " + std::to_string(id)))
        emptied.push_back(id);
    const std::string label = c.exclusions.empty() ? "(none)" : c.exclusions[0];
    EXPECT_EQ(emptied, c.emptied) << label;
    EXPECT_EQ(result.processesSpared, 5 - static_cast<int>(c.emptied.size())) << label;
    // Without exclusions no process is even opened to learn its program.
    EXPECT_EQ(std::count(system.calls.begin(), system.calls.end(), "program 4"),
              c.exclusions.empty() ? 0 : 1)
        << label;
  }
}

}  // namespace
}  // namespace kvn
