#include "settings/windows_tuning.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <tuple>

#include "settings_form_fixture.h"

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
    form.cacheSizeCombo.SetItemIndex(-1);
    tuning.ReadMemoryTuning();
    EXPECT_EQ(form.cacheSizeCombo.ItemIndex(), r.item) << (r.stored ? *r.stored : 0);
    // Selecting an item from code writes nothing.
    if (r.stored) {
      EXPECT_EQ(Memory("IOPageLockLimit"), *r.stored);
    }
  }
  // "( Défaut non optimisé )" writes 512; the others the number of their text.
  const std::uint32_t written[] = {4096, 8192, 16384, 32768, 65536, 262144, 512};
  for (int item = 0; item < 7; ++item) {
    form.cacheSizeCombo.UserSelect(item);
    EXPECT_EQ(Memory("IOPageLockLimit"), written[item]) << item;
  }
}

TEST_F(SettingsTest, TheTuningBoxesFollowWhatIsStored) {
  form.secondLevelCacheCheck.SetChecked(true);
  form.clearPageFileCheck.SetChecked(true);
  registry.keys.clear();
  SetMemory("SecondLevelDataCache", 512);  // another processor's cache
  SetMemory("DisablePagingExecutive", 1);
  SetMemory("LargeSystemCache", 1);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.secondLevelCacheCheck.Checked());
  EXPECT_EQ(Memory("SecondLevelDataCache"),
            512u);  // unchecking it from the registry writes nothing
  EXPECT_TRUE(form.kernelInMemoryCheck.Checked());
  EXPECT_EQ(form.largeSystemCacheGroup.ItemIndex(), 1);
  EXPECT_TRUE(form.clearPageFileCheck.Checked());  // "ClearPageFileAtShutdown" absent: left alone

  form.secondLevelCacheCheck.SetChecked(true);
  EXPECT_EQ(Memory("SecondLevelDataCache"), 256u);
  tuning.ReadMemoryTuning();
  EXPECT_TRUE(form.secondLevelCacheCheck.Checked());

  SetMemory("ClearPageFileAtShutdown", 0);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.clearPageFileCheck.Checked());
  form.clearPageFileCheck.SetChecked(true);
  EXPECT_EQ(Memory("ClearPageFileAtShutdown"), 1u);
  form.largeSystemCacheGroup.UserSelect(0);
  EXPECT_EQ(Memory("LargeSystemCache"), 0u);
  form.kernelInMemoryCheck.SetChecked(false);
  EXPECT_EQ(Memory("DisablePagingExecutive"), 0u);

  l2KB = 0xFFFFFF00;  // a negative stored size never matches
  SetMemory("SecondLevelDataCache", 0xFFFFFF00);
  tuning.ReadMemoryTuning();
  EXPECT_FALSE(form.secondLevelCacheCheck.Checked());
  EXPECT_THAT(log, IsEmpty());
}

// Another tool's value shows at the next tick (above) and is not written over.
TEST_F(SettingsTest, TheRefreshWritesNothing) {
  const std::tuple<const char*, std::uint32_t, std::uint32_t> rows[] = {
      {"DisablePagingExecutive", 1, 0},
      {"SecondLevelDataCache", 256, 512},
      {"LargeSystemCache", 0, 1},
      {"ClearPageFileAtShutdown", 1, 0}};
  for (const auto& [name, before, after] : rows) {
    SetMemory(name, before);
    tuning.ReadMemoryTuning();
    registry.written.clear();
    SetMemory(name, after);  // another tool
    tuning.ReadMemoryTuning();
    EXPECT_THAT(registry.written, IsEmpty()) << name;
  }
}

std::vector<ui::Control*> TuningGroup(MainForm& f) {
  return {&f.cacheSizeCombo,      &f.secondLevelCacheCheck, &f.largeSystemCacheGroup,
          &f.kernelInMemoryCheck, &f.clearPageFileCheck,    &f.unloadDllsCheck};
}
bool AnyEnabled(MainForm& f) {
  const auto group = TuningGroup(f);
  return std::any_of(group.begin(), group.end(), [](ui::Control* c) { return c->Enabled(); });
}

// Refused, the value or the opening for writing: logged, the rights line shown, the group
// disabled, and the control back at once as stored (nothing stored: the page file is kept).
TEST_F(SettingsTest, ARefusedWriteIsLoggedAndUndoneAtOnce) {
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"DisablePagingExecutive", [&] { form.kernelInMemoryCheck.SetChecked(true); }},
      {"ClearPageFileAtShutDown 1", [&] { form.clearPageFileCheck.SetChecked(true); }},
      {"Probleme de IOPageLockLimit", [&] { form.cacheSizeCombo.UserSelect(0); }},
      {"SecondlevelDataCache", [&] { form.secondLevelCacheCheck.SetChecked(true); }},
      {"LargeSystemCache", [&] { form.largeSystemCacheGroup.UserSelect(1); }},
      {"AlwaysUnloadDLL", [&] { form.unloadDllsCheck.SetChecked(true); }}};
  const auto shown = [&] {
    return std::vector<int>{
        form.kernelInMemoryCheck.Checked(),     form.clearPageFileCheck.Checked(),
        form.cacheSizeCombo.ItemIndex(),        form.secondLevelCacheCheck.Checked(),
        form.largeSystemCacheGroup.ItemIndex(), form.unloadDllsCheck.Checked()};
  };
  SetMemory("IOPageLockLimit", 8192);
  for (auto* refusal : {&registry.refuseWrites, &registry.denyWriting})
    for (const auto& [line, userChange] : rows) {
      SCOPED_TRACE(line);
      tuning.ReadMemoryTuning();
      const std::vector<int> stored = shown();
      for (ui::Control* c : TuningGroup(form)) c->SetEnabled(true);
      form.adminRightsLabel.SetVisible(false);
      refusal->insert(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement));
      refusal->insert(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer));
      log.clear();
      userChange();
      EXPECT_THAT(log, ElementsAre(line));  // going back wrote nothing
      EXPECT_EQ(shown(), stored);
      EXPECT_TRUE(form.adminRightsLabel.Visible());
      EXPECT_FALSE(AnyEnabled(form));
      refusal->clear();
    }
  EXPECT_EQ(form.adminRightsLabel.Caption(), "Droits administrateur requis.");
}

// Reading needs no rights. Writing refused (an XP limited account) or no elevation: the group is
// locked from the start (a missing key is not: see the availability below).
TEST_F(SettingsTest, MachineRightsAreAskedOfTheKey) {
  SetMemory("DisablePagingExecutive", 1);
  registry.SetText(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL", "1");
  const std::string explorer = fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer);
  const std::set<std::string> denied = {
      fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement), explorer};
  const std::tuple<std::set<std::string>, bool, bool> rows[] = {
      {{}, false, false}, {denied, false, true}, {{}, true, true}, {{explorer}, false, true}};
  for (const auto& [deniedKeys, noElevation, locked] : rows) {
    MainForm f;
    registry.denyWriting = deniedKeys;
    WindowsTuning t{TuningOf(f), options, registry, Sinks(), release_};
    t.ApplyAvailability(2048, noElevation);
    t.ReadMemoryTuning();
    EXPECT_EQ(f.adminRightsLabel.Visible(), locked);
    EXPECT_EQ(AnyEnabled(f), !locked);
    EXPECT_TRUE(f.kernelInMemoryCheck.Checked());
    EXPECT_EQ(t.ReadAlwaysUnloadDll(), 1);
  }
}

TEST_F(SettingsTest, WithoutTheMachineKeysOnlyThePageFileBoxComplains) {
  registry.keys.erase(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.memoryManagement));
  registry.keys.erase(fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer));
  form.unloadDllsCheck.SetChecked(true);  // goes back: nothing is stored
  form.kernelInMemoryCheck.SetChecked(true);
  form.cacheSizeCombo.UserSelect(2);
  form.clearPageFileCheck.SetChecked(true);
  form.clearPageFileCheck.SetChecked(false);
  tuning.ReadMemoryTuning();
  EXPECT_TRUE(form.kernelInMemoryCheck.Checked());
  EXPECT_FALSE(form.unloadDllsCheck.Checked());
  EXPECT_THAT(log, ElementsAre("ClearPageFileAtShutDown 1", "ClearPageFileAtShutDown 0"));
  EXPECT_FALSE(registry.HasKey(Root::LocalMachine, kWhere.memoryManagement));
  EXPECT_FALSE(form.adminRightsLabel.Visible());
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
    form.unloadDllsCheck.SetChecked(r.read != 1);  // the opposite of what the load must show
    registry.keys.clear();
    registry.AddKey(Root::LocalMachine, kWhere.explorer);
    r.store(registry);
    EXPECT_EQ(tuning.ReadAlwaysUnloadDll(), r.read);
    binding.LoadSettings();
    EXPECT_EQ(form.unloadDllsCheck.Checked(), r.read == 1);
  }
  // Loading did not write the switch back in another form.
  EXPECT_EQ(registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL")->Text(), "2");
}

TEST_F(SettingsTest, UnloadSwitchIsWrittenOnReleaseAsTextOrElseAsNumber) {
  form.unloadDllsCheck.SetChecked(true);
  const auto* v = registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, Type::Text);
  EXPECT_EQ(v->Text(), "1");
  registry.refuseTypes.insert(
      {fake::FakeRegistry::PathOf(Root::LocalMachine, kWhere.explorer), Type::Text});
  form.unloadDllsCheck.SetChecked(false);
  v = registry.Find(Root::LocalMachine, kWhere.explorer, "AlwaysUnloadDLL");
  EXPECT_EQ(v->type, Type::Dword);
  EXPECT_EQ(v->Dword(), 0u);
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
    form.priorityCombo.UserSelect(r.item);
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
    form.opacityTrackBar.SetPosition(position);
    EXPECT_THAT(events, ElementsAre("alpha " + std::to_string(position)));
    EXPECT_EQ(form.opacityTrackBar.Hint(), hint);
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
    EXPECT_EQ(f.opacityTrackBar.Enabled(), r.layered);
    EXPECT_EQ(f.balloonsCheck.Enabled(), r.layered);
    EXPECT_EQ(f.cacheSizeCombo.Enabled(), r.ntOptions);
    EXPECT_EQ(f.clearPageFileCheck.Enabled(), r.ntOptions);
    EXPECT_EQ(f.kernelInMemoryCheck.Enabled(), r.kernel);
    EXPECT_FALSE(f.adminRightsLabel.Visible());

    // The large-cache choice only exists on the NT family.
    registry.AddKey(RegistryRoot::LocalMachine, kWhere.memoryManagement);
    t.ReadMemoryTuning();
    EXPECT_EQ(f.largeSystemCacheGroup.Enabled(), r.ntOptions);
  }
  MainForm f;
  Options o;
  fake::FakeRegistry registry;
  WindowsTuning t{TuningOf(f), o, registry, {}, {false, false, true}};
  t.ApplyAvailability(2048, true);
  EXPECT_TRUE(f.adminRightsLabel.Visible());
}

}  // namespace
}  // namespace kvn::test
