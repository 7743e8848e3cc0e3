// The hold-back of the automatic rules against a real process: a copy of this test program,
// started suspended under an excluded name, found by the snapshot the rules take.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win32.h"
#include "control/monitoring_fixture.h"
#include "shell/running_exclusion_win32.h"

namespace kvn {
namespace {

TEST(ExclusionHoldBack, TheAlarmWaitsWhileAnExcludedProgramRuns) {
  wchar_t self[MAX_PATH] = {}, temp[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  const std::wstring copy = std::wstring(temp) + L"jeu_exclu.exe";
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(copy.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &child));
  const struct {
    std::string entry;
    const char* shown;  // none: not held back
  } cases[] = {{"JEU_EXCLU.exe", "JEU_EXCLU.exe"},
               {Narrow(copy), "jeu_exclu.exe"},
               {"C:\\ailleurs\\jeu_exclu.exe", nullptr}};
  for (bool running : {true, false}) {
    if (!running) {
      TerminateProcess(child.hProcess, 0);
      WaitForSingleObject(child.hProcess, 5000);
    }
    for (const auto& c : cases) {
      test::Window w;
      w.options.exclusions = {c.entry};
      w.options.exclusionsPauseAuto = true;
      w.running = &FindRunningExclusion;
      w.memory.status.availPhys = 100 * test::kMB;  // under the alarm
      w.monitoring->OnSampleTick();
      w.monitoring->OnAlarmTick();
      const bool held = running && c.shown;
      EXPECT_EQ(w.Panel(2),
                held ? "Optimisation automatique suspendue : " + std::string(c.shown) + " en cours"
                     : " Quantité récupérée : 0 Mo");
    }
  }
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  DeleteFileW(copy.c_str());
}

}  // namespace
}  // namespace kvn
