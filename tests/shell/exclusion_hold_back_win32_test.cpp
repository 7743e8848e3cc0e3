// The hold-back of the automatic rules against real processes: copies of this test program,
// started suspended under excluded names, found by the snapshot the rules take.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win32.h"
#include "control/monitoring_fixture.h"
#include "shell/running_exclusion_win32.h"

namespace kvn {
namespace {

TEST(ExclusionHoldBack, TheAlarmAndThePurgeWaitWhileAnExcludedProgramRuns) {
  wchar_t self[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  // The second name is outside every single-byte code page: toolhelp's ANSI records show it
  // with question marks.
  std::vector<std::wstring> copies;
  std::vector<PROCESS_INFORMATION> children;
  for (const wchar_t* name : {L"jeu_exclu.exe", L"Ωmega_Жук.exe"}) {
    copies.push_back(std::wstring(temp) + name);
    ASSERT_TRUE(CopyFileW(self, copies.back().c_str(), FALSE));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    children.emplace_back();
    ASSERT_TRUE(CreateProcessW(copies.back().c_str(), nullptr, nullptr, nullptr, FALSE,
                               CREATE_SUSPENDED, nullptr, nullptr, &startup, &children.back()));
  }
  const struct {
    std::string entry;
    const char* shown;  // none: not held back
  } cases[] = {
      {"JEU_EXCLU.exe", "JEU_EXCLU.exe"},       {Narrow(copies[0]), "jeu_exclu.exe"},
      {"C:\\ailleurs\\jeu_exclu.exe", nullptr}, {"Ωmega_Жук.exe", "Ωmega_Жук.exe"},
      {"ωMEGA_жУК.EXE", "ωMEGA_жУК.EXE"},       {Narrow(temp) + "ΩMEGA_ЖУК.exe", "ΩMEGA_ЖУК.exe"}};
  for (bool running : {true, false}) {
    if (!running) {
      for (const PROCESS_INFORMATION& child : children) {
        TerminateProcess(child.hProcess, 0);
        WaitForSingleObject(child.hProcess, 5000);
      }
    }
    for (const auto& c : cases) {
      test::Window w;
      w.options.exclusions = {c.entry};
      w.options.exclusionsPauseAuto = true;
      w.running = &FindRunningExclusion;
      w.memory.status.availPhys = 100 * test::kMB;  // under the alarm
      w.options.purgeStandby = true;
      w.lists = {400 * test::kMB, 10 * test::kMB, 20 * test::kMB};  // the purge is due
      w.monitoring->SetPurgePrivilege(true);
      w.monitoring->OnSampleTick();
      w.monitoring->OnAlarmTick();
      const bool held = running && c.shown;
      EXPECT_EQ(w.purges, held ? 0 : 1) << c.entry;
      EXPECT_EQ(w.Panel(2),
                held ? "Optimisation automatique suspendue : " + std::string(c.shown) + " en cours"
                     : " Quantité récupérée : 0 Mo");
    }
  }
  for (std::size_t i = 0; i < children.size(); ++i) {
    CloseHandle(children[i].hThread);
    CloseHandle(children[i].hProcess);
    DeleteFileW(copies[i].c_str());
  }
}

}  // namespace
}  // namespace kvn
