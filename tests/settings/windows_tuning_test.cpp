#include "settings/windows_tuning.h"

#include <gmock/gmock.h>

#include "settings_fixture.h"

namespace kvn::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Root = RegistryRoot;
using Type = fake::FakeRegistry::Type;

TEST_F(SettingsTest, CacheListShowsAndWritesItsTable) {
  struct Row {
    std::optional<std::uint32_t> stored;
    int item;
  };
  for (const Row& r : {Row{4096, 0}, Row{8192, 1}, Row{16384, 2}, Row{32768, 3}, Row{65536, 4},
                       Row{262144, 5}, Row{512, 6}, Row{131072, 6}, Row{std::nullopt, 6}}) {
    registry.keys.clear();
    registry.AddKey(Root::LocalMachine, kWhere.memoryManagement);
    if (r.stored) SetMemory("IOPageLockLimit", *r.stored);
    form.CbCache.SetItemIndex(-1);
    tuning.ReadMemoryTuning();
    EXPECT_EQ(form.CbCache.ItemIndex(), r.item) << (r.stored ? *r.stored : 0);
    // Selecting an item from code writes nothing.
    if (r.stored) {
      EXPECT_EQ(Memory("IOPageLockLimit"), *r.stored);
    }
  }
  // "( Défaut non optimisé )" writes 512; the others the number of their text.
  const std::uint32_t written[] = {4096, 8192, 16384, 32768, 65536, 262144, 512};
  for (int item = 0; item < 7; ++item) {
    form.CbCache.UserSelect(item);
    EXPECT_EQ(Memory("IOPageLockLimit"), written[item]) << item;
  }
}

TEST_F(SettingsTest, TheTuningBoxesFollowWhatIsStored) {
  form.cbxCacheNiveau2.SetChecked(true);
  form.cbxSwap.SetChecked(true);
  registry.keys.clear();
  SetMemory("SecondLevelDataCache", 512);  // another processor's cache
  SetMemory("DisablePagingExecutive", 1);
  SetMemory("LargeSystemCache", 1);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.cbxCacheNiveau2.Checked());
  EXPECT_EQ(Memory("SecondLevelDataCache"),
            512u);  // unchecking it from the registry writes nothing
  EXPECT_TRUE(form.Cbxnoyau.Checked());
  EXPECT_EQ(form.RGLargeSystemCache.ItemIndex(), 1);
  EXPECT_TRUE(form.cbxSwap.Checked());  // "ClearPageFileAtShutdown" absent: left alone

  form.cbxCacheNiveau2.SetChecked(true);
  EXPECT_EQ(Memory("SecondLevelDataCache"), 256u);
  tuning.ReadMemoryTuning();
  EXPECT_TRUE(form.cbxCacheNiveau2.Checked());

  SetMemory("ClearPageFileAtShutdown", 0);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.cbxSwap.Checked());
  form.cbxSwap.SetChecked(true);
  EXPECT_EQ(Memory("ClearPageFileAtShutdown"), 1u);
  form.RGLargeSystemCache.UserSelect(0);
  EXPECT_EQ(Memory("LargeSystemCache"), 0u);
  form.Cbxnoyau.SetChecked(false);
  EXPECT_EQ(Memory("DisablePagingExecutive"), 0u);

  l2KB = 0xFFFFFF00;  // a negative stored size never matches
  SetMemory("SecondLevelDataCache", 0xFFFFFF00);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.cbxCacheNiveau2.Checked());
  EXPECT_THAT(log, IsEmpty());
}

// Another tool changes a machine value: the next tick shows it and writes nothing back.
TEST_F(SettingsTest, TheRefreshShowsAnotherToolsValueWithoutWriting) {
  struct Row {
    const char* name;
    std::uint32_t before, after;
    std::function<bool(const MainForm&)> shows;  // what the control shows after
  };
  const Row rows[] = {
      {"DisablePagingExecutive", 1, 0, [](const MainForm& f) { return !f.Cbxnoyau.Checked(); }},
      {"DisablePagingExecutive", 0, 1, [](const MainForm& f) { return f.Cbxnoyau.Checked(); }},
      {"SecondLevelDataCache", 256, 512,
       [](const MainForm& f) { return !f.cbxCacheNiveau2.Checked(); }},
      {"SecondLevelDataCache", 0, 256,
       [](const MainForm& f) { return f.cbxCacheNiveau2.Checked(); }},
      {"LargeSystemCache", 0, 1,
       [](const MainForm& f) { return f.RGLargeSystemCache.ItemIndex() == 1; }},
      {"LargeSystemCache", 1, 0,
       [](const MainForm& f) { return f.RGLargeSystemCache.ItemIndex() == 0; }},
      {"ClearPageFileAtShutdown", 1, 0, [](const MainForm& f) { return !f.cbxSwap.Checked(); }},
      {"ClearPageFileAtShutdown", 0, 1, [](const MainForm& f) { return f.cbxSwap.Checked(); }},
      {"IOPageLockLimit", 512, 8192, [](const MainForm& f) { return f.CbCache.ItemIndex() == 1; }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.name) + " " + std::to_string(r.after));
    SetMemory(r.name, r.before);
    tuning.ReadMemoryTuning();
    EXPECT_FALSE(r.shows(form));
    registry.written.clear();
    SetMemory(r.name, r.after);  // another tool
    tuning.ReadMemoryTuning();
    EXPECT_TRUE(r.shows(form));
    EXPECT_THAT(registry.written, IsEmpty());
    EXPECT_EQ(Memory(r.name), r.after);
  }
  EXPECT_THAT(log, IsEmpty());
  // The user's change still writes.
  form.Cbxnoyau.SetChecked(!form.Cbxnoyau.Checked());
  EXPECT_THAT(registry.written, ElementsAre("DisablePagingExecutive"));
}

std::vector<bool> TuningGroupEnabled(const MainForm& f) {
  return {f.CbCache.Enabled(), f.cbxCacheNiveau2.Enabled(), f.RGLargeSystemCache.Enabled(),
          f.Cbxnoyau.Enabled(), f.cbxSwap.Enabled()};
}

// Refused, whether the key opens and refuses the value or refuses to open for writing: logged, the
// rights line shown and the group disabled, and the control back at once as stored.
TEST_F(SettingsTest, ARefusedWriteIsLoggedAndUndoneAtOnce) {
  struct Row {
    const char* line;
    std::function<void(MainForm&)> userChange;
    std::function<bool(const MainForm&)> showsStored;
  };
  const Row rows[] = {
      {"DisablePagingExecutive", [](MainForm& f) { f.Cbxnoyau.SetChecked(true); },
       [](const MainForm& f) { return !f.Cbxnoyau.Checked(); }},
      // Absent: Windows keeps the page file.
      {"ClearPageFileAtShutDown 1", [](MainForm& f) { f.cbxSwap.SetChecked(true); },
       [](const MainForm& f) { return !f.cbxSwap.Checked(); }},
      {"Probleme de IOPageLockLimit", [](MainForm& f) { f.CbCache.UserSelect(0); },
       [](const MainForm& f) { return f.CbCache.ItemIndex() == 1; }},
      {"SecondlevelDataCache", [](MainForm& f) { f.cbxCacheNiveau2.SetChecked(true); },
       [](const MainForm& f) { return !f.cbxCacheNiveau2.Checked(); }},
      {"LargeSystemCache", [](MainForm& f) { f.RGLargeSystemCache.UserSelect(1); },
       [](const MainForm& f) { return f.RGLargeSystemCache.ItemIndex() == 0; }},
  };
  const std::string key = fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement);
  SetMemory("IOPageLockLimit", 8192);
  tuning.ReadMemoryTuning();
  for (std::set<std::string>* refusal : {&registry.refuseWrites, &registry.denyWriting}) {
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.line) + (refusal == &registry.denyWriting ? ", denied" : ""));
      registry.refuseWrites.clear();
      registry.denyWriting.clear();
      form.LDroits.SetVisible(false);
      for (ui::Control* c : std::initializer_list<ui::Control*>{
               &form.CbCache, &form.cbxCacheNiveau2, &form.RGLargeSystemCache, &form.Cbxnoyau,
               &form.cbxSwap})
        c->SetEnabled(true);
      refusal->insert(key);
      log.clear();
      r.userChange(form);
      EXPECT_THAT(log, ElementsAre(r.line));  // going back wrote nothing
      EXPECT_TRUE(r.showsStored(form));
      EXPECT_TRUE(form.LDroits.Visible());
      EXPECT_EQ(form.LDroits.Caption(), "Droits administrateur requis.");
      EXPECT_THAT(TuningGroupEnabled(form), ::testing::Each(false));
    }
  }
  EXPECT_EQ(Memory("IOPageLockLimit"), 8192u);
}

// Without the rights to write the machine's values they still show; the rights line and the
// disabled group say so from the start. A missing key is no lack of rights.
TEST_F(SettingsTest, MachineRightsAreToldFromAMissingKey) {
  struct Row {
    const char* what;
    std::function<void(fake::FakeRegistry&)> setUp;
    bool vistaWithoutElevation;
    bool locked;
    bool shown;  // the stored value shows
  };
  const std::string key = fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement);
  const Row rows[] = {
      {"administrator", [](fake::FakeRegistry&) {}, false, false, true},
      {"XP limited account",
       [&](fake::FakeRegistry& r) {
         r.denyWriting.insert(key);
         r.denyWriting.insert(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer));
       },
       false, true, true},
      {"Vista without elevation", [](fake::FakeRegistry&) {}, true, true, true},
      {"no memory key", [&](fake::FakeRegistry& r) { r.keys.erase(key); }, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    MainForm f;
    fake::FakeRegistry reg;
    reg.SetDword(Root::LocalMachine, kWhere.memoryManagement, "DisablePagingExecutive", 1);
    reg.SetText(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", "1");
    r.setUp(reg);
    WindowsTuning t{TuningOf(f), options, reg, Sinks(), release_};
    t.Bind();
    t.ApplyAvailability(2048, r.vistaWithoutElevation);
    t.ReadMemoryTuning();
    EXPECT_EQ(f.LDroits.Visible(), r.locked);
    EXPECT_THAT(TuningGroupEnabled(f), ::testing::Each(!r.locked));
    EXPECT_EQ(f.Cbxnoyau.Checked(), r.shown);
    EXPECT_EQ(t.ReadAlwaysUnloadDll(), 1);
  }
}

TEST_F(SettingsTest, WithoutTheMemoryKeyOnlyThePageFileBoxComplains) {
  registry.keys.erase(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement));
  form.Cbxnoyau.SetChecked(true);
  form.CbCache.UserSelect(2);
  form.cbxSwap.SetChecked(true);
  form.cbxSwap.SetChecked(false);
  tuning.ReadMemoryTuning();
  EXPECT_TRUE(form.Cbxnoyau.Checked());
  EXPECT_THAT(log, ElementsAre("ClearPageFileAtShutDown 1", "ClearPageFileAtShutDown 0"));
  EXPECT_FALSE(registry.HasKey(Root::LocalMachine, kWhere.memoryManagement));
  EXPECT_FALSE(form.LDroits.Visible());
}

TEST_F(SettingsTest, UnloadSwitchReadsTextThenNumber) {
  struct Row {
    const char* what;
    std::function<void(fake::FakeRegistry&)> store;
    int read;
  };
  auto text = [](const char* t) {
    return [=](fake::FakeRegistry& r) {
      r.SetText(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", t);
    };
  };
  auto number = [](std::uint32_t v) {
    return [=](fake::FakeRegistry& r) {
      r.SetDword(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", v);
    };
  };
  const Row rows[] = {{"text 1", text("1"), 1},    {"DWORD 1", number(1), 1},
                      {"text 0", text("0"), 0},    {"DWORD 0", number(0), 0},
                      {"absent", [](auto&) {}, 0}, {"text abc", text("abc"), 0},
                      {"text 1x", text("1x"), 0},  {"text 2", text("2"), 2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    form.CDechargeDll.SetChecked(r.read != 1);  // the opposite of what the load must show
    registry.keys.clear();
    registry.AddKey(Root::LocalMachine, kWhere.explorer);
    r.store(registry);
    EXPECT_EQ(tuning.ReadAlwaysUnloadDll(), r.read);
    binding.LoadSettings();
    EXPECT_EQ(form.CDechargeDll.Checked(), r.read == 1);
  }
  // Loading did not write the switch back in another form.
  EXPECT_EQ(registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL")->text, "2");
}

TEST_F(SettingsTest, UnloadSwitchIsWrittenOnReleaseAsTextOrElseAsNumber) {
  form.CDechargeDll.SetChecked(true);
  const auto* v = registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, Type::Text);
  EXPECT_EQ(v->text, "1");
  registry.refuseTypes.insert(
      {fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer), Type::Text});
  form.CDechargeDll.SetChecked(false);
  v = registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL");
  EXPECT_EQ(v->type, Type::Dword);
  EXPECT_EQ(v->dword, 0u);
}

TEST_F(SettingsTest, PriorityWarnsBeforeTheHighClasses) {
  struct Row {
    int item;
    std::vector<std::string> events;
  };
  const std::string warning = std::string("warning: ") + kPriorityWarning;
  for (const Row& r : {Row{0, {"class 64"}}, Row{1, {"class 32"}}, Row{2, {warning, "class 128"}},
                       Row{3, {warning, "class 256"}}}) {
    events.clear();
    form.CBPriorite.UserSelect(r.item);
    EXPECT_EQ(events, r.events) << r.item;
  }
  events.clear();
  tuning.ApplyPriority(-1);  // no selection: the class stays
  tuning.ApplyPriority(3);   // start-up: no warning
  EXPECT_THAT(events, ElementsAre("class 256"));
}

TEST_F(SettingsTest, OpacityAndItsHint) {
  for (auto [position, hint] : {std::pair{70, "27%"}, std::pair{255, "100%"}, std::pair{128, "50%"},
                                std::pair{90, "35%"}}) {
    events.clear();
    form.TrackBar2.SetPosition(position);
    EXPECT_THAT(events, ElementsAre("alpha " + std::to_string(position)));
    EXPECT_EQ(form.TrackBar2.Hint(), hint);
  }
}

struct AvailabilityRow {
  const char* release;
  TuningRelease flags;
  std::int64_t ramMB;
  bool layered, ntOptions, kernel;
};

TEST(WindowsTuningAvailability, ByReleaseAndMemory) {
  const AvailabilityRow rows[] = {
      {"Windows 98", {}, 1024, false, false, false},
      {"NT 4", {true, false, false}, 511, false, true, true},
      {"2000 with 510 MB", {false, true, false}, 510, true, true, false},
      {"XP with 511 MB", {false, false, true}, 511, true, true, true},
  };
  for (const AvailabilityRow& r : rows) {
    SCOPED_TRACE(r.release);
    MainForm f;
    Options o;
    fake::FakeRegistry registry;
    WindowsTuning t{TuningOf(f), o, registry, {}, r.flags};
    t.ApplyAvailability(r.ramMB, false);
    EXPECT_EQ(f.TrackBar2.Enabled(), r.layered);
    EXPECT_EQ(f.cbxballoon.Enabled(), r.layered);
    EXPECT_EQ(f.CbCache.Enabled(), r.ntOptions);
    EXPECT_EQ(f.cbxSwap.Enabled(), r.ntOptions);
    EXPECT_EQ(f.Cbxnoyau.Enabled(), r.kernel);
    EXPECT_FALSE(f.LDroits.Visible());

    // The large-cache choice only exists on the NT family.
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.memoryManagement);
    t.ReadMemoryTuning();
    EXPECT_EQ(f.RGLargeSystemCache.Enabled(), r.ntOptions);
  }
  MainForm f;
  Options o;
  fake::FakeRegistry registry;
  WindowsTuning t{TuningOf(f), o, registry, {}, {false, false, true}};
  t.ApplyAvailability(2048, true);
  EXPECT_TRUE(f.LDroits.Visible());
}

}  // namespace
}  // namespace kvn::test
