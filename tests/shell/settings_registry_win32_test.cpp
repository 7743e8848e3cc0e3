// The settings store and the Windows tuning against Wine's real registry, each test group under
// a key of its own below HKCU\Software\KorvaneTest, removed afterwards.
#include <windows.h>

#include <gmock/gmock.h>

#include "base/registry_win32.h"
#include "base/text_win32.h"
#include "settings/settings_store.h"
#include "settings/windows_tuning_win32.h"
#include "settings_form_fixture.h"

namespace kvn::test {
namespace {

void DeleteTree(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  wchar_t name[256];
  for (;;) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    DeleteTree(key, name);
  }
  RegCloseKey(key);
  RegDeleteKeyW(parent, path.c_str());
}

class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = std::string("Software\\KorvaneTest\\") + info->name();
    DeleteTree(HKEY_CURRENT_USER, Widen(root));
    where = PlacesUnder(root).tuning;
    for (const std::string& path : {where.memoryManagement, where.explorer, where.run})
      Win32Registry().Open(RegistryRoot::CurrentUser, path, true);
  }
  void TearDown() override {
    DeleteTree(HKEY_CURRENT_USER, Widen(root));
    DeleteTree(HKEY_CURRENT_USER, L"Software\\KorvaneTest");
  }

  // A program start on a fresh form: interval, settings loaded, saved back at once.
  struct Program {
    Program(RealRegistry& t, TuningSinks sinks = {})
        : tuning(TuningOf(form), options, Win32Registry(), std::move(sinks),
                 TuningRelease{false, false, true}, t.where),
          colors(chart, Win32Registry(), t.root + "\\settings"),
          store(Win32Registry(), tuning, colors, kRamMB, kProgram, "1.0.0", t.root),
          binding(form, options, store, TuningReactions(tuning)) {
      form.manualAmountTrackBar.SetRange(0, kRamMB);
      tuning.Bind();
      binding.Bind();
      options.samplingIntervalMs = store.LoadInterval();
      form.samplingTimer.SetInterval(options.samplingIntervalMs);
      binding.LoadSettings();
      binding.SaveSettings();
    }
    MainForm form;
    Options options;
    WindowsTuning tuning;
    HistoryChart chart;
    ChartColors colors;
    SettingsStore store;
    OptionsBinding binding;
  };

  DWORD Type(const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return REG_NONE;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, Widen(name).c_str(), nullptr, &type, nullptr, nullptr) !=
        ERROR_SUCCESS)
      type = REG_NONE;
    RegCloseKey(key);
    return type;
  }

  std::string root;
  TuningLocations where;
};

TEST_F(RealRegistry, AFirstStartLeavesEveryValue) {
  TuningSinks sinks;
  sinks.ProgramPath = [] { return std::string(kProgram); };
  Program first(*this, sinks);
  const std::string settings = root + "\\settings";
  const std::string recover = settings + "\\Recover Property";
  for (const char* name :
       {"Recover MB", "Opacite", "Recover Method", "HotKey", "StayOnTop", "StartWithWindows",
        "tray", "balloon", "Clipboard", "CNBR", "Priority", "DefragOnStart", "Inter",
        "BackgroundColor", "GridColor", "CPUColor", "RAMColor", "AlarmColor"})
    EXPECT_EQ(Type(settings, name), static_cast<DWORD>(REG_DWORD)) << name;
  for (const char* name : {"Path", "Version"})
    EXPECT_EQ(Type(settings, name), static_cast<DWORD>(REG_SZ)) << name;
  for (const char* name : {"Pourcentage", "Time value", "Pcpu", "Free%", "Time"})
    EXPECT_EQ(Type(recover, name), static_cast<DWORD>(REG_DWORD)) << name;
  EXPECT_EQ(Type(where.explorer, "AlwaysUnloadDLL"), static_cast<DWORD>(REG_SZ));
  auto run = Win32Registry().Open(RegistryRoot::CurrentUser, where.run, false);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->ReadText(kRunValue).value_or(""), std::string("\"") + kProgram + "\"");
}

TEST_F(RealRegistry, ARestartBringsBackWhatWasChanged) {
  {
    Program first(*this);
    first.options.samplingIntervalMs = 2000;  // the speed menu's choice
    first.form.alarmLevelEdit.SetValue(50);
    first.form.hotKeyEdit.UserSetHotKey(0xC04B);
    first.form.allMethodRadio.SetChecked(true);
    first.form.trayModeGroup.UserSelect(1);
    first.form.periodicCheck.SetChecked(true);
    first.form.periodicMinutesEdit.SetValue(30);
    first.form.unloadDllsCheck.SetChecked(true);
    first.colors.ColorChosen(ChartColor::RAM, 0x123456);
    first.options.exclusions = {"jeu.exe", "C:\\Jeux\\Élan.exe"};
    first.binding.SaveSettings();
  }
  EXPECT_EQ(Type(root + "\\settings", "Exclusions"), static_cast<DWORD>(REG_MULTI_SZ));
  Program second(*this);
  EXPECT_EQ(second.form.samplingTimer.Interval(), 2000u);
  EXPECT_EQ(second.form.alarmLevelEdit.Value(), 50);
  EXPECT_EQ(second.form.hotKeyEdit.HotKey(), 0xC04B);
  EXPECT_TRUE(second.form.allMethodRadio.Checked());
  EXPECT_EQ(second.form.trayModeGroup.ItemIndex(), 1);
  EXPECT_TRUE(second.form.unloadDllsCheck.Checked());
  EXPECT_EQ(second.chart.RamColor(), 0x123456u);
  EXPECT_EQ(second.options.exclusions, (std::vector<std::string>{"jeu.exe", "C:\\Jeux\\Élan.exe"}));
  EXPECT_TRUE(second.form.periodicTimer.Enabled());
  EXPECT_EQ(second.form.periodicTimer.Interval(), 1800000u);
}

TEST_F(RealRegistry, WrongTypesAreSkippedAndRewritten) {
  auto key = Win32Registry().Open(RegistryRoot::CurrentUser, root + "\\settings", true);
  key->WriteText("StayOnTop", "1");
  key->WriteText("Opacite", "120");
  key.reset();
  Program start(*this);
  EXPECT_FALSE(start.form.stayOnTopCheck.Checked());
  EXPECT_EQ(start.form.opacityTrackBar.Position(), 255);
  EXPECT_EQ(Type(root + "\\settings", "StayOnTop"), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Type(root + "\\settings", "Opacite"), static_cast<DWORD>(REG_DWORD));
}

TEST_F(RealRegistry, TuningValuesInTheRealRegistry) {
  MainForm form;
  Options options;
  WindowsTuning tuning(TuningOf(form), options, Win32Registry(), {},
                       TuningRelease{false, false, true}, where);
  tuning.Bind();
  auto mm = Win32Registry().Open(RegistryRoot::CurrentUser, where.memoryManagement, false);
  mm->WriteDword("IOPageLockLimit", 131072);
  tuning.ReadMemoryTuning();
  EXPECT_EQ(form.cacheSizeCombo.Text(), "( Défaut non optimisé )");
  form.cacheSizeCombo.UserSelect(6);
  EXPECT_EQ(mm->ReadDword("IOPageLockLimit").value_or(0), 512u);

  auto explorer = Win32Registry().Open(RegistryRoot::CurrentUser, where.explorer, false);
  explorer->WriteDword("AlwaysUnloadDLL", 1);
  EXPECT_EQ(tuning.ReadAlwaysUnloadDll(), 1);
  explorer->WriteText("AlwaysUnloadDLL", "abc");
  EXPECT_EQ(tuning.ReadAlwaysUnloadDll(), 0);
  explorer->WriteText("AlwaysUnloadDLL", "1");
  EXPECT_EQ(tuning.ReadAlwaysUnloadDll(), 1);
}

TEST_F(RealRegistry, PriorityClassesAreReallyApplied) {
  const DWORD before = GetPriorityClass(GetCurrentProcess());
  MainForm form;
  Options options;
  fake::FakeRegistry unused;
  WindowsTuning tuning(TuningOf(form), options, unused, Win32TuningSinks(nullptr),
                       {false, false, true});
  struct Row {
    int item;
    DWORD priorityClass;
  };
  for (const Row& r : {Row{0, IDLE_PRIORITY_CLASS}, Row{2, HIGH_PRIORITY_CLASS},
                       Row{1, NORMAL_PRIORITY_CLASS}, Row{3, REALTIME_PRIORITY_CLASS}}) {
    tuning.ApplyPriority(r.item);
    const DWORD now = GetPriorityClass(GetCurrentProcess());
    // Without the right to run in real time, Windows grants the highest class it allows.
    if (r.priorityClass == REALTIME_PRIORITY_CLASS && now == HIGH_PRIORITY_CLASS) continue;
    EXPECT_EQ(now, r.priorityClass) << r.item;
  }
  SetPriorityClass(GetCurrentProcess(), before);
}

TEST_F(RealRegistry, OpacityOfARealWindow) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  MainForm form;
  form.opacityTrackBar.SetRange(70, 255);
  form.opacityTrackBar.SetPosition(255);
  Options options;
  fake::FakeRegistry unused;
  WindowsTuning tuning(TuningOf(form), options, unused, Win32TuningSinks(window),
                       {false, false, true});
  options.opacity = 70;  // as the track bar's handler records it
  tuning.OnOpacityChange();
  using GetLayered = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
  auto getLayered = reinterpret_cast<GetLayered>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetLayeredWindowAttributes")));
  ASSERT_NE(getLayered, nullptr);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(getLayered(window, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 70);
  EXPECT_TRUE(flags & LWA_ALPHA);
  EXPECT_EQ(form.opacityTrackBar.Hint(), "27%");
  DestroyWindow(window);
}

}  // namespace
}  // namespace kvn::test
