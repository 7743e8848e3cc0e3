// The hold-back of the automatic rules against a real process: a copy of this test program,
// started suspended under an excluded name, found by the snapshot the rules take.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/text_win32.h"
#include "monitoring_fixture.h"
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
  std::wstring line = L"\"" + copy + L"\" --gtest_list_tests";
  ASSERT_TRUE(CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &child));
  const struct {
    std::string entry;
    const char* shown;  // none: not held back
  } cases[] = {{"JEU_EXCLU.exe", "JEU_EXCLU.exe"},
               {Narrow(copy), "jeu_exclu.exe"},
               {"C:\\ailleurs\\jeu_exclu.exe", nullptr},
               {"jeu.exe", nullptr}};
  for (bool running : {true, false}) {
    if (!running) {
      TerminateProcess(child.hProcess, 0);
      WaitForSingleObject(child.hProcess, 5000);
    }
    for (const auto& c : cases) {
      test::Window w;
      w.options.exclusions = {c.entry};
      w.options.exclusionsPauseAuto = true;
      MonitoringSinks sinks;
      sinks.RunningExclusion = &FindRunningExclusion;
      w.monitoring = std::make_unique<Monitoring>(
          MonitoringControls{w.Gauge1,     w.InfoLabel3, w.PBSwap,          w.LSwap,
                             w.LoadGauge1, w.Cpu2Bar,    w.LoadGauge2,      w.Label_uptime,
                             w.LabelTemps, w.StatusBar,  w.BtnPressePapier, w.ViderLepressepapier1,
                             w.SpinEdit1,  w.SpinEdit3,  w.Timer1,          w.Timer2,
                             w.Timer3,     w.Timer4,     w.Timer5,          w.Timer6,
                             w.Basse1,     w.Normale1,   w.Haute1},
          w.options, sinks, w.engine, *w.recovery, w.clipboard, w.loads);
      w.memory.status.availPhys = 100 * test::kMB;  // under the alarm
      w.loads.values = {5};
      w.monitoring->Timer1Timer();
      w.monitoring->Timer2Timer();
      w.monitoring->Timer3Timer();
      const bool held = running && c.shown;
      EXPECT_EQ(w.memory.commitCalls, held ? 0 : 1) << c.entry << (running ? " running" : "");
      if (held) {
        EXPECT_EQ(w.Panel(2),
                  std::string("Optimisation automatique suspendue : ") + c.shown + " en cours");
      }
    }
  }
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  DeleteFileW(copy.c_str());
}

}  // namespace
}  // namespace kvn
