// settings/: the options as plain data, their registry mapping, and the Windows tuning. Includes
// base/, ui/, engine/, chart/, sysinfo/, processes/ and news/; never control/ or shell/.
#pragma once
// The options kept in the current user's registry: the settings key, its "Recover Property"
// subkey, and through the Windows tuning the Run entry and the DLL switch. Every value's names,
// default and limits are its option's row (settings/option_table.h); loading checks each once.
#include <cstdint>
#include <memory>
#include <string>

#include "base/registry.h"
#include "chart/chart_colors.h"
#include "settings/options.h"
#include "settings/policies.h"
#include "settings/windows_tuning.h"

namespace kvn {

// The program's own key under HKEY_CURRENT_USER; tests give another.
inline constexpr char kProgramKey[] = "Software\\Korvane";

// Where the program keeps its settings and finds the Windows values it changes: the real places,
// or for a test one root of its own, so that nothing of the user's is read or written.
struct RegistryPlaces {
  std::string programKey = kProgramKey;  // under HKEY_CURRENT_USER
  TuningLocations tuning;
  // Windows' switch for every program's balloons ("EnableBalloonTips"), under HKEY_CURRENT_USER.
  std::string explorerAdvanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
  PolicyLocations policies;
};
// Everything under root in HKEY_CURRENT_USER: the settings in root itself, the Windows values in
// subkeys of it named after theirs, the policies in "Policies\Machine" and "Policies\User".
RegistryPlaces PlacesUnder(const std::string& root);

class SettingsStore {
 public:
  // programPath is the running program file; version at most 10 characters.
  SettingsStore(Registry& registry, WindowsTuning& tuning, ChartColors& colors,
                std::int64_t installedRamMB, std::string programPath, std::string version,
                std::string programKey = kProgramKey);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // The sampling interval, read before everything else; the default when missing, unreadable or
  // not one the speed menu offers (kSamplingIntervalOption).
  unsigned LoadInterval();
  void SaveInterval(unsigned milliseconds);
  // Reads every stored option into options, in the registry's order, each value under its own
  // open; defaults marked so are stored at once. An option whose key does not open keeps the
  // value it had.
  void Load(Options& options);
  // No earlier start saved these settings: Load found no "Version" (the setup may have stored an
  // option or two before).
  bool FirstStart() const { return firstStart_; }
  // The chart's colours, last of the loading.
  void LoadColors();
  void Save(const Options& options);
  // A portable copy writes nothing in the registry but the Run entry it is asked for: unchecked,
  // only an entry naming this copy goes, and the DLL switch is left to the user's own clicks.
  void SetPortable(bool portable) { portable_ = portable; }

 private:
  std::unique_ptr<RegistryKey> OpenSettings();
  std::unique_ptr<RegistryKey> OpenRecoverProperty();

  Registry& registry_;
  WindowsTuning& tuning_;
  ChartColors& colors_;
  std::int64_t installedRamMB_;
  std::string programPath_;
  std::string version_;
  std::string settingsKey_;
  std::string recoverKey_;
  bool firstStart_ = false;
  bool portable_ = false;
};

}  // namespace kvn
