#pragma once
// Every option the user sets in the window, as plain data. The defaults are the window's design
// state; the settings store loads and saves them, the shell keeps them and the controls in step,
// and the recovery, the monitoring and the Windows tuning read them from here.
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
  // Recovery.
  RecoveryMethod method = RecoveryMethod::System;
  int manualAmountMB = 0;
  int repetitions = 1;  // passes per series; 0 when the list shows no choice
  bool clipboard = false;
  bool balloons = false;
  bool directSteps = false;
  // The standby cache rule: purge the standby list above this share of the installed memory.
  bool purgeStandby = false;
  int purgeStandbyPercent = 50;
  std::uint16_t hotKey = 24658;  // Ctrl+Shift+R
  // Programs whose working sets are never emptied (settings/exclusions.h), and whether the
  // automatic rules hold back while one of them runs.
  std::vector<std::string> exclusions;
  bool exclusionsPauseAuto = false;

  // The automatic rules.
  bool alarmOn = true;
  int alarmPercent = 35;
  bool periodicOn = false;
  int periodicMinutes = 45;
  int maximumLoad = 15;
  bool optimiseAtStart = false;

  // Display and the system.
  unsigned samplingIntervalMs = 1000;
  int trayMode = 0;  // 0 percentage, 1 megabytes free, -1 neither chosen
  int opacity = 255;
  bool stayOnTop = false;
  bool startWithWindows = false;
  int priority = 0;  // 0 low, 1 normal, 2 high, 3 real time, -1 none chosen
  bool unloadDlls = false;
};

}  // namespace kvn
