#pragma once
// The settings store and the Windows tuning over a fake registry, and what the tuning did to the
// process and the window: on the options alone (StoreTest), or with a form bound to them
// (SettingsTest).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_colors.h"
#include "fakes/fake_registry.h"
#include "settings/settings_store.h"
#include "settings/windows_tuning.h"

namespace kvn::test {

inline constexpr char kSettings[] = "Software\\Korvane\\settings";
inline constexpr char kRecover[] = "Software\\Korvane\\settings\\Recover Property";
inline constexpr char kProgram[] = "C:\\Program Files\\Korvane\\korvane.exe";
inline constexpr std::int64_t kRamMB = 1024;
inline const TuningLocations kWhere{};

// The controls the Windows tuning drives, without a form.
struct TuningWidgets {
  ui::ComboBox cacheSizeCombo;
  ui::CheckBox secondLevelCacheCheck;
  ui::RadioGroup largeSystemCacheGroup;
  ui::CheckBox kernelInMemoryCheck, clearPageFileCheck;
  ui::TrackBar opacityTrackBar;
  ui::CheckBox balloonsCheck, unloadDllsCheck;
  ui::Label adminRightsLabel;
  TuningControls Controls() {
    return {cacheSizeCombo,      secondLevelCacheCheck, largeSystemCacheGroup,
            kernelInMemoryCheck, clearPageFileCheck,    opacityTrackBar,
            balloonsCheck,       adminRightsLabel,      unloadDllsCheck};
  }
};

// The registry, the options and what the tuning reports.
class RegistryFixture : public ::testing::Test {
 protected:
  explicit RegistryFixture(TuningRelease release) : release_(release) {
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.memoryManagement);
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.explorer);
    registry.AddKey(RegistryRoot::CurrentUser, kWhere.run);
  }

  TuningSinks Sinks() {
    TuningSinks s;
    s.SetTopmost = [this](bool on) { events.push_back(on ? "topmost" : "not topmost"); };
    s.SetAlpha = [this](int alpha) { events.push_back("alpha " + std::to_string(alpha)); };
    s.SetPriorityClass = [this](std::uint32_t c) {
      events.push_back("class " + std::to_string(c));
    };
    s.ShowWarning = [this](const std::string& text) { events.push_back("warning: " + text); };
    s.WriteLog = [this](const std::string& line) { log.push_back(line); };
    s.SecondLevelCacheKB = [this] { return l2KB; };
    s.ProgramPath = [] { return std::string(kProgram); };
    return s;
  }

  std::uint32_t Dword(RegistryRoot root, const std::string& path, const char* name) {
    const auto* v = registry.Find(root, path, name);
    EXPECT_NE(v, nullptr) << name;
    if (!v) return 0xDEADBEEF;
    EXPECT_EQ(v->type, fake::FakeRegistry::Type::Dword) << name;
    return v->Dword();
  }
  std::uint32_t Memory(const char* name) {
    return Dword(RegistryRoot::LocalMachine, kWhere.memoryManagement, name);
  }
  void SetMemory(const char* name, std::uint32_t v) {
    registry.SetDword(RegistryRoot::LocalMachine, kWhere.memoryManagement, name, v);
  }

  TuningRelease release_;
  fake::FakeRegistry registry;
  Options options;
  std::vector<std::string> events;
  std::vector<std::string> log;
  std::uint32_t l2KB = 256;
  HistoryChart chart;
  fake::FakeSettingsKey chartKey;
  ChartColors colors{chart, chartKey.registry, fake::FakeSettingsKey::kPath};
};

// The registry's values and the options, without a form.
class StoreTest : public RegistryFixture {
 protected:
  StoreTest() : RegistryFixture({false, false, true}) {}

  TuningWidgets widgets;
  WindowsTuning tuning{widgets.Controls(), options, registry, Sinks(), release_};
  SettingsStore store{registry, tuning, colors, kRamMB, kProgram, "1.0.0"};
};

}  // namespace kvn::test
