#pragma once
// A form without windows, the settings store and the Windows tuning over a fake registry, and
// what the tuning did to the process and the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_colors.h"
#include "fakes/fake_registry.h"
#include "settings/settings_store.h"
#include "settings/windows_tuning.h"
#include "shell/main_form.h"

namespace kvn::test {

inline constexpr char kSettings[] = "Software\\Korvane\\settings";
inline constexpr char kRecover[] = "Software\\Korvane\\settings\\Recover Property";
inline constexpr char kProgram[] = "C:\\Program Files\\Korvane\\korvane.exe";
inline constexpr std::int64_t kRamMB = 1024;
inline const TuningLocations kWhere{};

inline TuningControls TuningOf(MainForm& f) {
  return {f.CbCache,      f.cbxCacheNiveau2, f.RGLargeSystemCache, f.Cbxnoyau,  f.cbxSwap,
          f.CDechargeDll, f.CheckBox2,       f.CBPriorite,         f.TrackBar2, f.cbxballoon,
          f.LDroits};
}

inline SettingsControls SettingsOf(MainForm& f) {
  return {f.TrackBar1,      f.TrackBar2,      f.RadioButton1, f.RadioButton2,    f.RadioButton3,
          f.HotKey1,        f.CheckBox2,      f.CheckBox1,    f.RadioGroup2,     f.cbxballoon,
          f.CBPressePapier, f.CNBRepetitions, f.CBPriorite,   f.CBDefragOnStart, f.SpinEdit1,
          f.SpinEdit2,      f.SpinEdit3,      f.CheckBox3,    f.CheckBox5,       f.CDechargeDll,
          f.Timer1,         f.Timer5,         f.CBDirectSteps};
}

class SettingsTest : public ::testing::Test {
 protected:
  explicit SettingsTest(TuningRelease release = {false, false, true}) : release_(release) {
    form.TrackBar1.SetRange(0, kRamMB);
    form.Timer1.SetInterval(1000);
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.memoryManagement);
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.explorer);
    registry.AddKey(RegistryRoot::CurrentUser, kWhere.run);
    tuning.Bind();
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
    return v->dword;
  }
  std::uint32_t Memory(const char* name) {
    return Dword(RegistryRoot::LocalMachine, kWhere.memoryManagement, name);
  }
  void SetMemory(const char* name, std::uint32_t v) {
    registry.SetDword(RegistryRoot::LocalMachine, kWhere.memoryManagement, name, v);
  }

  TuningRelease release_;
  MainForm form;
  fake::FakeRegistry registry;
  std::vector<std::string> events;
  std::vector<std::string> log;
  std::uint32_t l2KB = 256;
  WindowsTuning tuning{TuningOf(form), registry, Sinks(), release_};
  TGRAPHKVN chart;
  fake::FakeSettingsKey chartKey;
  ChartColors colors{chart, chartKey.registry, fake::FakeSettingsKey::kPath};
  SettingsStore store{SettingsOf(form), registry, tuning, colors, kRamMB, kProgram, "1.0.0"};
};

}  // namespace kvn::test
