// settings/: the options as plain data, their registry mapping, and the Windows tuning. Includes
// base/, ui/, engine/, chart/, sysinfo/, processes/ and news/; never control/ or shell/.
#pragma once
// Every option of the window, kept in the current user's registry: the settings key, its
// "Recover Property" subkey, and through the Windows tuning the Run entry and the DLL switch.
// The options live in the controls; loading copies values into them, saving copies them back.
#include <cstdint>
#include <string>

#include "base/registry.h"
#include "chart/chart_colors.h"
#include "settings/windows_tuning.h"
#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn {

struct SettingsControls {
  ui::TrackBar& TrackBar1;
  ui::TrackBar& TrackBar2;
  ui::RadioButton& RadioButton1;
  ui::RadioButton& RadioButton2;
  ui::RadioButton& RadioButton3;
  ui::HotKeyEdit& HotKey1;
  ui::CheckBox& CheckBox2;
  ui::CheckBox& CheckBox1;
  ui::RadioGroup& RadioGroup2;
  ui::CheckBox& cbxballoon;
  ui::CheckBox& CBPressePapier;
  ui::ComboBox& CNBRepetitions;
  ui::ComboBox& CBPriorite;
  ui::CheckBox& CBDefragOnStart;
  ui::SpinEdit& SpinEdit1;
  ui::SpinEdit& SpinEdit2;
  ui::SpinEdit& SpinEdit3;
  ui::CheckBox& CheckBox3;
  ui::CheckBox& CheckBox5;
  ui::CheckBox& CDechargeDll;
  ui::Timer& Timer1;
  ui::Timer& Timer5;
  ui::CheckBox& CBDirectSteps;  // the direct recovery steps (only the value 1 checks it)
};

// The program's own key under HKEY_CURRENT_USER; tests give another.
inline constexpr char kProgramKey[] = "Software\\Korvane";

class SettingsStore {
 public:
  static constexpr unsigned kDefaultInterval = 1000;

  // programPath is the running program file; version at most 10 characters.
  SettingsStore(const SettingsControls& controls, Registry& registry, WindowsTuning& tuning,
                ChartColors& colors, std::int64_t installedRamMB, std::string programPath,
                std::string version, std::string programKey = kProgramKey);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  unsigned LoadInterval();
  void SaveInterval(unsigned milliseconds);
  void LoadSettings();
  void SaveSettings();

  const std::string& SettingsKey() const { return settingsKey_; }
  const std::string& RecoverPropertyKey() const { return recoverKey_; }

 private:
  std::unique_ptr<RegistryKey> OpenSettings();
  std::unique_ptr<RegistryKey> OpenRecoverProperty();

  SettingsControls c_;
  Registry& registry_;
  WindowsTuning& tuning_;
  ChartColors& colors_;
  std::int64_t installedRamMB_;
  std::string programPath_;
  std::string version_;
  std::string settingsKey_;
  std::string recoverKey_;
};

}  // namespace kvn
