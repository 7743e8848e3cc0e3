#include "settings/settings_store.h"

#include <gmock/gmock.h>

#include <functional>

#include "settings_fixture.h"

namespace kvn::test {
namespace {

using ::testing::ElementsAre;
using Root = RegistryRoot;
using Type = fake::FakeRegistry::Type;

TEST_F(SettingsTest, FirstStartStoresTheDefaultsThenEveryValue) {
  EXPECT_EQ(store.LoadInterval(), 1000u);
  store.LoadSettings();

  // Written when absent by the loader; the others wait for the save.
  struct Row {
    const char* key;
    const char* name;
    std::uint32_t value;
  };
  const Row loaded[] = {{kSettings, "Inter", 1000},  {kSettings, "Recover MB", 512},
                        {kSettings, "Opacite", 255}, {kSettings, "Recover Method", 1},
                        {kSettings, "StayOnTop", 0}, {kSettings, "StartWithWindows", 1},
                        {kSettings, "tray", 0},      {kSettings, "balloon", 0},
                        {kSettings, "Clipboard", 0}, {kSettings, "CNBR", 0},
                        {kSettings, "Priority", 0},  {kRecover, "Pourcentage", 35},
                        {kRecover, "Pcpu", 15},      {kRecover, "Free%", 1},
                        {kRecover, "Time", 0}};
  for (const Row& r : loaded) EXPECT_EQ(Dword(Root::CurrentUser, r.key, r.name), r.value) << r.name;
  for (const char* name : {"HotKey", "DefragOnStart"})
    EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, name), nullptr) << name;
  EXPECT_EQ(registry.Find(Root::CurrentUser, kRecover, "Time value"), nullptr);
  // New keys get the names the saver writes.
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "clipboard")->name, "Clipboard");
  EXPECT_EQ(registry.Find(Root::CurrentUser, kRecover, "pcpu")->name, "Pcpu");
  EXPECT_TRUE(form.CheckBox1.Checked());

  store.SaveSettings();
  for (const Row& r : loaded) EXPECT_EQ(Dword(Root::CurrentUser, r.key, r.name), r.value) << r.name;
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "HotKey"), 24658u);
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "DefragOnStart"), 0u);
  EXPECT_EQ(Dword(Root::CurrentUser, kRecover, "Time value"), 45u);
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Path")->text,
            std::string("\"") + kProgram + "\"");
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Version")->text, "1.0.0");
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue)->text,
            std::string("\"") + kProgram + "\"");
  EXPECT_EQ(registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL")->text, "0");
  EXPECT_EQ(registry.liveKeys, 0);
}

TEST_F(SettingsTest, ValuesAreReadAndWrittenInTheirOrderEachUnderItsOwnOpen) {
  store.LoadSettings();
  EXPECT_THAT(registry.tested,
              ElementsAre("Recover MB", "Opacite", "Recover Method", "HotKey", "StayOnTop",
                          "StartWithWindows", "tray", "balloon", "clipboard", "CNBR", "DirectSteps",
                          "Priority", "DefragOnStart", "Pourcentage", "Time Value", "PCpu", "Free%",
                          "Time"));
  // The settings key: one probe, then one open for each of its thirteen values.
  EXPECT_EQ(registry.opens[fake::FakeRegistry::PathOf(Root::CurrentUser, kSettings)], 14);
  EXPECT_EQ(registry.opens[fake::FakeRegistry::PathOf(Root::CurrentUser, kRecover)], 5);

  registry.written.clear();
  store.SaveSettings();
  EXPECT_THAT(
      registry.written,
      ElementsAre("Path", "Version", "Recover MB", "StayOnTop", "StartWithWindows", "Opacite",
                  "Recover Method", "tray", "balloon", "Clipboard", "Priority", "CNBR",
                  "DirectSteps", "HotKey", "DefragOnStart", "Pourcentage", "Time value", "Pcpu",
                  "Free%", "Time", "Korvane", "AlwaysUnloadDLL", "Inter"));
  EXPECT_TRUE(chartKey.Has("AlarmColor"));
}

// One stored value, what the loaded form shows, and what the next save stores in its place.
struct StoredCase {
  const char* what;
  std::function<void(fake::FakeRegistry&)> store;
  std::function<bool(const MainForm&)> shows;
  const char* key;
  const char* savedName;
  std::uint32_t saved;
};

TEST_F(SettingsTest, StoredValuesAtTheEdges) {
  auto dword = [](const char* key, const char* name, std::uint32_t v) {
    return [=](fake::FakeRegistry& r) { r.SetDword(Root::CurrentUser, key, name, v); };
  };
  const StoredCase cases[] = {
      {"Time value 0", dword(kRecover, "Time value", 0),
       [](const MainForm& f) { return f.SpinEdit2.Value() == 45; }, kRecover, "Time value", 45},
      {"Time value negative", dword(kRecover, "Time value", static_cast<std::uint32_t>(-20)),
       [](const MainForm& f) { return f.SpinEdit2.Value() == 45; }, kRecover, "Time value", 45},
      {"Time value 2000", dword(kRecover, "Time value", 2000),
       [](const MainForm& f) { return f.SpinEdit2.Value() == 1440; }, kRecover, "Time value", 1440},
      {"Opacite 10", dword(kSettings, "Opacite", 10),
       [](const MainForm& f) { return f.TrackBar2.Position() == 70; }, kSettings, "Opacite", 70},
      {"Recover MB past the memory", dword(kSettings, "Recover MB", 5000),
       [](const MainForm& f) { return f.TrackBar1.Position() == 1024; }, kSettings, "Recover MB",
       1024},
      {"balloon 2", dword(kSettings, "balloon", 2),
       [](const MainForm& f) { return !f.cbxballoon.Checked(); }, kSettings, "balloon", 0},
      {"clipboard 2", dword(kSettings, "Clipboard", 2),
       [](const MainForm& f) { return !f.CBPressePapier.Checked(); }, kSettings, "Clipboard", 0},
      {"lower-case clipboard 1", dword(kSettings, "clipboard", 1),
       [](const MainForm& f) { return f.CBPressePapier.Checked(); }, kSettings, "Clipboard", 1},
      {"direct steps 1", dword(kSettings, "DirectSteps", 1),
       [](const MainForm& f) { return f.CBDirectSteps.Checked(); }, kSettings, "DirectSteps", 1},
      {"direct steps absent", [](fake::FakeRegistry&) {},
       [](const MainForm& f) { return !f.CBDirectSteps.Checked(); }, kSettings, "DirectSteps", 0},
      {"direct steps as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "DirectSteps", "1"); },
       [](const MainForm& f) { return !f.CBDirectSteps.Checked(); }, kSettings, "DirectSteps", 0},
      {"StayOnTop 2", dword(kSettings, "StayOnTop", 2),
       [](const MainForm& f) { return f.CheckBox2.Checked(); }, kSettings, "StayOnTop", 1},
      {"Recover Method 7", dword(kSettings, "Recover Method", 7),
       [](const MainForm& f) { return f.RadioButton1.Checked() && !f.TrackBar1.Enabled(); },
       kSettings, "Recover Method", 1},
      {"Recover Method 3", dword(kSettings, "Recover Method", 3),
       [](const MainForm& f) { return f.RadioButton3.Checked() && !f.RadioButton1.Checked(); },
       kSettings, "Recover Method", 3},
      {"tray 5", dword(kSettings, "tray", 5),
       [](const MainForm& f) { return f.RadioGroup2.ItemIndex() == 1; }, kSettings, "tray", 1},
      {"tray -3", dword(kSettings, "tray", static_cast<std::uint32_t>(-3)),
       [](const MainForm& f) { return f.RadioGroup2.ItemIndex() == -1; }, kSettings, "tray", 1},
      {"CNBR 9", dword(kSettings, "CNBR", 9),
       [](const MainForm& f) { return f.CNBRepetitions.ItemIndex() == -1; }, kSettings, "CNBR",
       0xFFFFFFFF},
      {"PCpu in upper case", dword(kRecover, "PCPU", 40),
       [](const MainForm& f) { return f.SpinEdit3.Value() == 40; }, kRecover, "Pcpu", 40},
      {"HotKey Ctrl+Alt+K", dword(kSettings, "HotKey", 0xC04B),
       [](const MainForm& f) { return f.HotKey1.HotKey() == 0xC04B; }, kSettings, "HotKey", 0xC04B},
      // Another type or size: the default, and the save puts a number back.
      {"StayOnTop as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "StayOnTop", "1"); },
       [](const MainForm& f) { return !f.CheckBox2.Checked(); }, kSettings, "StayOnTop", 0},
      {"StartWithWindows as text",
       [](fake::FakeRegistry& r) {
         r.SetText(Root::CurrentUser, kSettings, "StartWithWindows", "0");
       },
       [](const MainForm& f) { return f.CheckBox1.Checked(); }, kSettings, "StartWithWindows", 1},
      {"Opacite of two bytes",
       [](fake::FakeRegistry& r) { r.SetBinary(Root::CurrentUser, kSettings, "Opacite", 2); },
       [](const MainForm& f) { return f.TrackBar2.Position() == 255; }, kSettings, "Opacite", 255},
      {"Pourcentage of eight bytes",
       [](fake::FakeRegistry& r) { r.SetBinary(Root::CurrentUser, kRecover, "Pourcentage", 8); },
       [](const MainForm& f) { return f.SpinEdit1.Value() == 35; }, kRecover, "Pourcentage", 35},
      {"HotKey as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "HotKey", "x"); },
       [](const MainForm& f) { return f.HotKey1.HotKey() == 24658; }, kSettings, "HotKey", 24658},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(c.what);
    MainForm f;
    f.TrackBar1.SetRange(0, kRamMB);
    fake::FakeRegistry r;
    WindowsTuning t{TuningOf(f), r, Sinks(), release_};
    fake::FakeSettingsKey k;
    ChartColors cc{chart, k.registry, fake::FakeSettingsKey::kPath};
    SettingsStore s{SettingsOf(f), r, t, cc, kRamMB, kProgram, "1.0.0"};
    t.Bind();
    // The recovery method's handlers as the window binds them.
    for (ui::RadioButton* b : {&f.RadioButton1, &f.RadioButton2, &f.RadioButton3})
      b->OnClick = [&f] { f.TrackBar1.SetEnabled(f.RadioButton2.Checked()); };
    c.store(r);
    const auto before = r.keys;
    s.LoadSettings();
    EXPECT_TRUE(c.shows(f));
    // The loader rewrote nothing that was there.
    for (const auto& [path, key] : before)
      for (const auto& [name, value] : key.values) {
        const auto& now = r.keys[path].values[name];
        EXPECT_TRUE(now.type == value.type && now.dword == value.dword && now.text == value.text)
            << name;
      }
    s.SaveSettings();
    const auto* saved = r.Find(Root::CurrentUser, c.key, c.savedName);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->type, Type::Dword);
    EXPECT_EQ(saved->dword, c.saved);
  }
}

TEST_F(SettingsTest, TheStoredPeriodicRuleArmsTimer5) {
  registry.SetDword(Root::CurrentUser, kRecover, "Time", 1);
  registry.SetDword(Root::CurrentUser, kRecover, "Time value", 30);
  store.LoadSettings();
  EXPECT_TRUE(form.Timer5.Enabled());
  EXPECT_EQ(form.Timer5.Interval(), 1800000u);

  MainForm off;
  fake::FakeRegistry empty;
  WindowsTuning t{TuningOf(off), empty, Sinks(), release_};
  SettingsStore s{SettingsOf(off), empty, t, colors, kRamMB, kProgram, "1.0.0"};
  s.LoadSettings();
  EXPECT_FALSE(off.Timer5.Enabled());
}

TEST_F(SettingsTest, StoredIntervalAndItsMissingForms) {
  registry.SetDword(Root::CurrentUser, kSettings, "Inter", 2000);
  EXPECT_EQ(store.LoadInterval(), 2000u);
  registry.SetText(Root::CurrentUser, kSettings, "Inter", "500");
  EXPECT_EQ(store.LoadInterval(), 1000u);  // not a number: the default, kept for the save
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Inter")->type, Type::Text);
  form.Timer1.SetInterval(500);
  store.SaveSettings();
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "Inter"), 500u);
}

TEST_F(SettingsTest, AnUnopenableSettingsKeyLeavesTheFirstControlsAsDesigned) {
  registry.refuseOpen.insert(fake::FakeRegistry::PathOf(Root::CurrentUser, kSettings));
  form.CBPriorite.SetItemIndex(2);
  store.LoadSettings();
  EXPECT_TRUE(form.RadioButton1.Checked());
  EXPECT_EQ(form.TrackBar2.Position(), 255);
  EXPECT_FALSE(form.CheckBox1.Checked());
  EXPECT_EQ(form.CBPriorite.ItemIndex(), 2);  // its step opens the key again, which fails too
  EXPECT_EQ(Dword(Root::CurrentUser, kRecover, "Pourcentage"), 35u);  // the subkey still works
}

TEST_F(SettingsTest, LoadedOptionsRunTheirHandlers) {
  registry.SetDword(Root::CurrentUser, kSettings, "StayOnTop", 1);
  registry.SetDword(Root::CurrentUser, kSettings, "Opacite", 70);
  registry.SetDword(Root::CurrentUser, kSettings, "Priority", 3);
  store.LoadSettings();
  // Topmost and opacity at once; the priority list runs nothing (start-up applies it).
  EXPECT_THAT(events, ElementsAre("alpha 70", "topmost"));
  EXPECT_EQ(form.TrackBar2.Hint(), "27%");
  EXPECT_EQ(form.CBPriorite.ItemIndex(), 3);
}

TEST_F(SettingsTest, UncheckedStartWithWindowsRemovesTheRunEntry) {
  registry.SetText(Root::CurrentUser, kWhere.run, kRunValue, "C:\\old\\korvane.exe");
  registry.SetDword(Root::CurrentUser, kSettings, "StartWithWindows", 1);
  store.LoadSettings();
  store.SaveSettings();
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue)->text,
            std::string("\"") + kProgram + "\"");
  form.CheckBox1.SetChecked(false);
  store.SaveSettings();
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue), nullptr);
}

}  // namespace
}  // namespace kvn::test
