#pragma once
// Every option the user sets in the window, as plain data. The defaults are the window's design
// state, given with everything else about each option by its row (settings/option_table.h); the
// settings store loads and saves them, the shell keeps them and the controls in step, and the
// recovery, the monitoring and the Windows tuning read them from here.
#include <cstdint>
#include <string>
#include <vector>

namespace kvn {

// How much a recovery pass asks for (the numbers are those the registry keeps).
enum class RecoveryMethod { System = 1, Manual = 2, All = 3 };

// Half the installed memory, remainder dropped: the "Système" method's amount and the first
// manual amount.
constexpr std::int64_t HalfRamMB(std::int64_t installedRamMB) {
  return installedRamMB / 2;
}

struct Options {
  // Every option at its row's default.
  Options();

  // Recovery.
  RecoveryMethod method{};
  int manualAmountMB{};
  int repetitions{};  // passes per series; 0 when the list shows no choice
  bool clipboard{};
  bool balloons{};
  bool directSteps{};
  // The standby cache rule: purge the standby list above this share of the installed memory.
  bool purgeStandby{};
  int purgeStandbyPercent{};
  std::uint16_t hotKey{};
  // Programs whose working sets are never emptied (settings/exclusions.h), and whether the
  // automatic rules hold back while one of them runs.
  std::vector<std::string> exclusions;
  bool exclusionsPauseAuto{};

  // The automatic rules.
  bool alarmOn{};
  int alarmPercent{};
  bool periodicOn{};
  int periodicMinutes{};
  int maximumLoad{};
  bool optimiseAtStart{};

  // Display and the system.
  unsigned samplingIntervalMs{};
  int trayMode{};  // 0 percentage, 1 megabytes free, -1 neither chosen
  int opacity{};
  bool stayOnTop{};
  bool startWithWindows{};
  int priority{};  // 0 low, 1 normal, 2 high, 3 real time, -1 none chosen
  bool unloadDlls{};
};

}  // namespace kvn
