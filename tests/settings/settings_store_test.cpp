#include "settings/settings_store.h"

#include <gmock/gmock.h>

#include <functional>

#include "settings_fixture.h"

namespace kvn::test {
namespace {

using ::testing::ElementsAre;
using Root = RegistryRoot;
using Type = fake::FakeRegistry::Type;

TEST_F(StoreTest, FirstStartStoresTheDefaultsThenEveryValue) {
  EXPECT_EQ(store.LoadInterval(), 1000u);
  store.Load(options);

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
  EXPECT_TRUE(options.startWithWindows);

  store.Save(options);
  for (const Row& r : loaded) EXPECT_EQ(Dword(Root::CurrentUser, r.key, r.name), r.value) << r.name;
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "HotKey"), 24658u);
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "DefragOnStart"), 0u);
  EXPECT_EQ(Dword(Root::CurrentUser, kRecover, "Time value"), 45u);
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Path")->Text(),
            std::string("\"") + kProgram + "\"");
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Version")->Text(), "1.0.0");
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue)->Text(),
            std::string("\"") + kProgram + "\"");
  EXPECT_EQ(registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL")->Text(), "0");
  EXPECT_EQ(registry.liveKeys, 0);
}

TEST_F(StoreTest, ValuesAreReadAndWrittenInTheirOrderEachUnderItsOwnOpen) {
  store.Load(options);
  EXPECT_THAT(registry.tested,
              ElementsAre("Recover MB", "Opacite", "Recover Method", "HotKey", "StayOnTop",
                          "StartWithWindows", "tray", "balloon", "clipboard", "CNBR", "DirectSteps",
                          "PurgeStandby", "PurgeStandbyPercent", "ExclusionsPauseAuto", "Priority",
                          "DefragOnStart", "Pourcentage", "Time Value", "PCpu", "Free%", "Time"));
  // The settings key: one probe, then one open for each of its sixteen values, one for the
  // exclusions' list.
  EXPECT_EQ(registry.opens[fake::FakeRegistry::PathOf(Root::CurrentUser, kSettings)], 18);
  EXPECT_EQ(registry.opens[fake::FakeRegistry::PathOf(Root::CurrentUser, kRecover)], 5);

  registry.written.clear();
  store.Save(options);
  EXPECT_THAT(
      registry.written,
      ElementsAre("Path", "Version", "Recover MB", "StayOnTop", "StartWithWindows", "Opacite",
                  "Recover Method", "tray", "balloon", "Clipboard", "Priority", "CNBR",
                  "DirectSteps", "PurgeStandby", "PurgeStandbyPercent", "ExclusionsPauseAuto",
                  "HotKey", "DefragOnStart", "Pourcentage", "Time value", "Pcpu", "Free%", "Time",
                  "Korvane", "AlwaysUnloadDLL", "Inter"));
  EXPECT_TRUE(chartKey.Has("AlarmColor"));
}

// One stored value, the option it loads as, and what the next save stores in its place.
struct StoredCase {
  const char* what;
  std::function<void(fake::FakeRegistry&)> store;
  std::function<bool(const Options&)> loads;
  const char* key;
  const char* savedName;
  std::uint32_t saved;
};

TEST_F(StoreTest, StoredValuesAtTheEdges) {
  auto dword = [](const char* key, const char* name, std::uint32_t v) {
    return [=](fake::FakeRegistry& r) { r.SetDword(Root::CurrentUser, key, name, v); };
  };
  const StoredCase cases[] = {
      {"Time value 0", dword(kRecover, "Time value", 0),
       [](const Options& o) { return o.periodicMinutes == 45; }, kRecover, "Time value", 45},
      {"Time value negative", dword(kRecover, "Time value", static_cast<std::uint32_t>(-20)),
       [](const Options& o) { return o.periodicMinutes == 45; }, kRecover, "Time value", 45},
      {"Time value 2000", dword(kRecover, "Time value", 2000),
       [](const Options& o) { return o.periodicMinutes == 1440; }, kRecover, "Time value", 1440},
      {"Opacite 10", dword(kSettings, "Opacite", 10),
       [](const Options& o) { return o.opacity == 70; }, kSettings, "Opacite", 70},
      {"Recover MB past the memory", dword(kSettings, "Recover MB", 5000),
       [](const Options& o) { return o.manualAmountMB == 1024; }, kSettings, "Recover MB", 1024},
      {"balloon 2", dword(kSettings, "balloon", 2), [](const Options& o) { return !o.balloons; },
       kSettings, "balloon", 0},
      {"clipboard 2", dword(kSettings, "Clipboard", 2),
       [](const Options& o) { return !o.clipboard; }, kSettings, "Clipboard", 0},
      {"lower-case clipboard 1", dword(kSettings, "clipboard", 1),
       [](const Options& o) { return o.clipboard; }, kSettings, "Clipboard", 1},
      {"direct steps 1", dword(kSettings, "DirectSteps", 1),
       [](const Options& o) { return o.directSteps; }, kSettings, "DirectSteps", 1},
      {"direct steps absent", [](fake::FakeRegistry&) {},
       [](const Options& o) { return !o.directSteps; }, kSettings, "DirectSteps", 0},
      {"direct steps as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "DirectSteps", "1"); },
       [](const Options& o) { return !o.directSteps; }, kSettings, "DirectSteps", 0},
      {"StayOnTop 2", dword(kSettings, "StayOnTop", 2),
       [](const Options& o) { return o.stayOnTop; }, kSettings, "StayOnTop", 1},
      {"Recover Method 7", dword(kSettings, "Recover Method", 7),
       [](const Options& o) { return o.method == RecoveryMethod::System; }, kSettings,
       "Recover Method", 1},
      {"Recover Method 3", dword(kSettings, "Recover Method", 3),
       [](const Options& o) { return o.method == RecoveryMethod::All; }, kSettings,
       "Recover Method", 3},
      {"tray 5", dword(kSettings, "tray", 5), [](const Options& o) { return o.trayMode == 1; },
       kSettings, "tray", 1},
      {"tray -3", dword(kSettings, "tray", static_cast<std::uint32_t>(-3)),
       [](const Options& o) { return o.trayMode == -1; }, kSettings, "tray", 1},
      {"CNBR 9", dword(kSettings, "CNBR", 9), [](const Options& o) { return o.repetitions == 0; },
       kSettings, "CNBR", 0xFFFFFFFF},
      {"PCpu in upper case", dword(kRecover, "PCPU", 40),
       [](const Options& o) { return o.maximumLoad == 40; }, kRecover, "Pcpu", 40},
      {"HotKey Ctrl+Alt+K", dword(kSettings, "HotKey", 0xC04B),
       [](const Options& o) { return o.hotKey == 0xC04B; }, kSettings, "HotKey", 0xC04B},
      // Another type or size: the default, and the save puts a number back.
      {"StayOnTop as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "StayOnTop", "1"); },
       [](const Options& o) { return !o.stayOnTop; }, kSettings, "StayOnTop", 0},
      {"StartWithWindows as text",
       [](fake::FakeRegistry& r) {
         r.SetText(Root::CurrentUser, kSettings, "StartWithWindows", "0");
       },
       [](const Options& o) { return o.startWithWindows; }, kSettings, "StartWithWindows", 1},
      {"Opacite of two bytes",
       [](fake::FakeRegistry& r) { r.SetBinary(Root::CurrentUser, kSettings, "Opacite", 2); },
       [](const Options& o) { return o.opacity == 255; }, kSettings, "Opacite", 255},
      {"Pourcentage of eight bytes",
       [](fake::FakeRegistry& r) { r.SetBinary(Root::CurrentUser, kRecover, "Pourcentage", 8); },
       [](const Options& o) { return o.alarmPercent == 35; }, kRecover, "Pourcentage", 35},
      {"Opacite a REG_DWORD of two bytes",
       [](fake::FakeRegistry& r) {
         r.SetBytes(Root::CurrentUser, kSettings, "Opacite", Type::Dword, std::string("\x46\0", 2));
       },
       [](const Options& o) { return o.opacity == 255; }, kSettings, "Opacite", 255},
      {"Pcpu a REG_DWORD of eight bytes",
       [](fake::FakeRegistry& r) {
         r.SetBytes(Root::CurrentUser, kRecover, "Pcpu", Type::Dword,
                    std::string("\x28\0\0\0\0\0\0\0", 8));
       },
       [](const Options& o) { return o.maximumLoad == 15; }, kRecover, "Pcpu", 15},
      // The DLL switch is text: "1" without its terminator still reads as 1, and a stray odd
      // byte after it is no character.
      {"AlwaysUnloadDLL unterminated",
       [](fake::FakeRegistry& r) {
         r.SetBytes(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", Type::Text,
                    std::string("1\0", 2));
       },
       [](const Options& o) { return o.unloadDlls; }, kSettings, "Opacite", 255},
      {"AlwaysUnloadDLL of odd length",
       [](fake::FakeRegistry& r) {
         r.SetBytes(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", Type::Text,
                    std::string("1\0\x37", 3));
       },
       [](const Options& o) { return o.unloadDlls; }, kSettings, "Opacite", 255},
      {"Pourcentage 150", dword(kRecover, "Pourcentage", 150),
       [](const Options& o) { return o.alarmPercent == 100; }, kRecover, "Pourcentage", 100},
      {"PCpu negative", dword(kRecover, "Pcpu", static_cast<std::uint32_t>(-4)),
       [](const Options& o) { return o.maximumLoad == 0; }, kRecover, "Pcpu", 0},
      {"Time value 3", dword(kRecover, "Time value", 3),
       [](const Options& o) { return o.periodicMinutes == 5; }, kRecover, "Time value", 5},
      {"Recover MB negative", dword(kSettings, "Recover MB", static_cast<std::uint32_t>(-1)),
       [](const Options& o) { return o.manualAmountMB == 0; }, kSettings, "Recover MB", 0},
      {"Priority 4", dword(kSettings, "Priority", 4),
       [](const Options& o) { return o.priority == -1; }, kSettings, "Priority", 0xFFFFFFFF},
      {"HotKey above 16 bits", dword(kSettings, "HotKey", 0x1C04B),
       [](const Options& o) { return o.hotKey == 24658; }, kSettings, "HotKey", 24658},
      {"HotKey as text",
       [](fake::FakeRegistry& r) { r.SetText(Root::CurrentUser, kSettings, "HotKey", "x"); },
       [](const Options& o) { return o.hotKey == 24658; }, kSettings, "HotKey", 24658},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(c.what);
    Options o;
    fake::FakeRegistry r;
    TuningWidgets w;
    WindowsTuning t{w.Controls(), o, r, Sinks(), release_};
    fake::FakeSettingsKey k;
    ChartColors cc{chart, k.registry, fake::FakeSettingsKey::kPath};
    SettingsStore s{r, t, cc, kRamMB, kProgram, "1.0.0"};
    c.store(r);
    const auto before = r.keys;
    s.Load(o);
    EXPECT_TRUE(c.loads(o));
    // The loader rewrote nothing that was there.
    for (const auto& [path, key] : before)
      for (const auto& [name, value] : key.values) {
        const auto& now = r.keys[path].values[name];
        EXPECT_TRUE(now.type == value.type && now.bytes == value.bytes) << name;
      }
    s.Save(o);
    const auto* saved = r.Find(Root::CurrentUser, c.key, c.savedName);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->type, Type::Dword);
    EXPECT_EQ(saved->Dword(), c.saved);
  }
}

// The DLL switch is on for a stored 1 alone: a number past 32 bits does not wrap round to it.
TEST_F(StoreTest, TheDllSwitchIsOnForOneAlone) {
  const std::pair<const char*, bool> rows[] = {
      {"1", true}, {"+01", true}, {"4294967297", false}, {"-4294967295", false}, {"2", false}};
  for (const auto& [text, on] : rows) {
    registry.SetText(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", text);
    store.Load(options);
    EXPECT_EQ(options.unloadDlls, on) << text;
  }
}

TEST_F(StoreTest, StoredIntervalAndItsMissingForms) {
  // Only the speed menu's intervals load; any other number is the default.
  for (auto [stored, loaded] : {std::pair{500u, 500u},
                                {1000u, 1000u},
                                {0u, 1000u},
                                {1u, 1000u},
                                {1500u, 1000u},
                                {0xFFFFFFFFu, 1000u},
                                {2000u, 2000u}}) {
    registry.SetDword(Root::CurrentUser, kSettings, "Inter", stored);
    EXPECT_EQ(store.LoadInterval(), loaded) << stored;
  }
  registry.SetText(Root::CurrentUser, kSettings, "Inter", "500");
  EXPECT_EQ(store.LoadInterval(), 1000u);  // not a number: the default, kept for the save
  EXPECT_EQ(registry.Find(Root::CurrentUser, kSettings, "Inter")->type, Type::Text);
  options.samplingIntervalMs = 500;
  store.Save(options);
  EXPECT_EQ(Dword(Root::CurrentUser, kSettings, "Inter"), 500u);
}

TEST_F(StoreTest, WithoutTheProgramPathTheRunEntryStaysAsItIs) {
  TuningSinks sinks = Sinks();
  sinks.ProgramPath = [] { return std::string(); };
  WindowsTuning pathless{widgets.Controls(), options, registry, sinks, release_};
  pathless.WriteRunEntry();
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue), nullptr);
  registry.SetText(Root::CurrentUser, kWhere.run, kRunValue, "old");
  pathless.WriteRunEntry();
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue)->Text(), "old");
}

TEST_F(StoreTest, AnUnopenableSettingsKeyLeavesTheFirstOptionsAsDesigned) {
  registry.refuseOpen.insert(fake::FakeRegistry::PathOf(Root::CurrentUser, kSettings));
  options.priority = 2;
  store.Load(options);
  EXPECT_EQ(options.method, RecoveryMethod::System);
  EXPECT_EQ(options.opacity, 255);
  EXPECT_FALSE(options.startWithWindows);
  EXPECT_EQ(options.priority, 2);  // its step opens the key again, which fails too
  EXPECT_EQ(Dword(Root::CurrentUser, kRecover, "Pourcentage"), 35u);  // the subkey still works
}

TEST_F(StoreTest, UncheckedStartWithWindowsRemovesTheRunEntry) {
  registry.SetText(Root::CurrentUser, kWhere.run, kRunValue, "C:\\old\\korvane.exe");
  registry.SetDword(Root::CurrentUser, kSettings, "StartWithWindows", 1);
  store.Load(options);
  store.Save(options);
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue)->Text(),
            std::string("\"") + kProgram + "\"");
  options.startWithWindows = false;
  store.Save(options);
  EXPECT_EQ(registry.Find(Root::CurrentUser, kWhere.run, kRunValue), nullptr);
}

// The options' defaults are the form's design state: loading leaves both alike where it changes
// neither.

}  // namespace
}  // namespace kvn::test
