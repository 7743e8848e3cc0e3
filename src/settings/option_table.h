#pragma once
// One row for each option: where it is stored and under which names, its default, its range and
// what loading makes of a number outside it, the administrator's policy over it, and the control
// that shows it. The settings store, the policies, the form's design and the binding of the
// options to the controls read these rows; none of them types an option's facts again.
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>

#include "chart/chart_colors.h"
#include "settings/options.h"

namespace kvn {

// What kind of number an option is.
enum class OptionType : std::uint8_t {
  Switch,       // 0 or 1
  Number,       // a quantity or a code (the method, the shortcut)
  Item,         // an item of a list, -1 when none is chosen
  ItemOfTwo,    // an item of a list of two, saved as a switch: 0 the first, 1 any other
  Choice,       // one of a few numbers (choices)
  Colour,       // 0x00BBGGRR, stored and read by the chart's colours themselves
  ProgramList,  // program names, one a line (settings/exclusions.h): no number at all
};

// Where an option is stored, and how loading opens its value.
enum class OptionPlace : std::uint8_t {
  SettingsGroup,    // the settings key; the group is skipped together when the key does not open
  Settings,         // the settings key, opened for the value alone
  RecoverProperty,  // the settings key's "Recover Property" subkey
  WindowsTuning,    // Windows' own switch, which the Windows tuning reads and writes
};

// What loading makes of a stored number outside the option's range.
enum class Outside : std::uint8_t {
  Clamped,          // the nearer end
  ClampedToRam,     // the nearer end of 0 .. the installed memory
  Kept,             // nothing: the option keeps the value it had
  On,               // a switch: any number but 0 turns it on
  Off,              // a switch: only 1 turns it on
  NoItem,           // no item chosen
  Default,          // the default, as for any number that is none of the row's choices
  DefaultBelowOne,  // the default for a number below 1, else the nearer end
  Taken,            // the number as it is
};

// What loading makes of a value that is absent, or present with another type or size.
enum class Absent : std::uint8_t {
  Default,
  Kept,        // nothing: the option keeps the value it had
  HalfTheRam,  // HalfRamMB of the installed memory
  On,          // 1, whatever the design shows
};

// The loader tests a value's presence and reads it under names whose letter case may differ from
// the one the saver writes (the registry ignores the difference). Null: stored elsewhere.
struct StoredNames {
  const char* testedAs = nullptr;
  const char* readAs = nullptr;
  const char* savedAs = nullptr;
};
constexpr StoredNames StoredAs(const char* name) {
  return {name, name, name};
}

// The option's member as the stored number, read and written.
struct OptionField {
  std::int32_t (*get)(const Options&) = nullptr;
  void (*set)(Options&, std::int32_t) = nullptr;
};
// Bias: what the member holds beyond the stored number (the repetitions count from item 0).
template <auto Member, std::int32_t Bias = 0>
constexpr OptionField Field() {
  using Type = std::remove_reference_t<decltype(std::declval<Options&>().*Member)>;
  return {[](const Options& o) { return static_cast<std::int32_t>(o.*Member) - Bias; },
          [](Options& o, std::int32_t v) { o.*Member = static_cast<Type>(v + Bias); }};
}

// The administrator's value standing in for the option (settings/policies.h), with its range.
struct OptionPolicy {
  const char* name = nullptr;  // none
  std::int32_t min = 0, max = 0;
};

// The window's controls that show an option or that a policy governs. shell/ alone knows the form:
// it makes each one the form's member (shell/option_controls.h).
enum class OptionControl : std::uint8_t {
  None,
  MethodRadios,  // "Système", "Manuel", "Tout", for the method's numbers in order
  ManualAmountTrackBar,
  AlarmCheck,
  AlarmLevelEdit,
  PeriodicCheck,
  PeriodicMinutesEdit,
  MaximumLoadEdit,
  ClipboardCheck,
  DirectStepsCheck,
  PurgeStandbyCheck,
  PurgeStandbyEdit,
  RepetitionsCombo,
  WindowsTuningControls,  // the machine's memory values and the DLL switch
  TrayModeGroup,
  OpacityTrackBar,
  BalloonsCheck,
  StayOnTopCheck,
  StartWithWindowsCheck,
  UnloadDllsCheck,
  HotKeyEdit,
  OptimiseAtStartCheck,
  PriorityCombo,
  BackgroundSwatch,
  GridSwatch,
  CpuSwatch,
  RamSwatch,
  AlarmSwatch,
  SpeedMenu,
  ShutdownMenu,
  NewsButton,
};

struct OptionRow {
  OptionType type;
  OptionPlace place;
  StoredNames stored;
  OptionField field;  // none for the chart's colours and the program list
  // The window's design state, and the options' value before any loading, as a stored number.
  std::int32_t def;
  std::int32_t min, max;
  Outside outside;
  Absent absent = Absent::Default;
  bool storedWhenAbsent = true;  // the loader writes the absent value at once
  OptionControl control = OptionControl::None;
  std::span<const std::int32_t> choices = {};
  OptionPolicy policy = {};

  // For the rows below to read as a table.
  constexpr OptionRow Names(const char* testedAs, const char* readAs, const char* savedAs) const {
    OptionRow r = *this;
    r.stored = {testedAs, readAs, savedAs};
    return r;
  }
  constexpr OptionRow AbsentAs(Absent value) const {
    OptionRow r = *this;
    r.absent = value;
    return r;
  }
  constexpr OptionRow NotStoredWhenAbsent() const {
    OptionRow r = *this;
    r.storedWhenAbsent = false;
    return r;
  }
  constexpr OptionRow Choices(std::span<const std::int32_t> numbers) const {
    OptionRow r = *this;
    r.choices = numbers;
    return r;
  }
  constexpr OptionRow Policy(const char* name, std::int32_t min, std::int32_t max) const {
    OptionRow r = *this;
    r.policy = {name, min, max};
    return r;
  }
};

// A row stored under one name, with its default, its range and what loading makes of a number
// outside it.
constexpr OptionRow Row(OptionType type, OptionPlace place, const char* name, OptionField field,
                        std::int32_t def, std::int32_t min, std::int32_t max, Outside outside,
                        OptionControl shownBy) {
  return {.type = type,
          .place = place,
          .stored = StoredAs(name),
          .field = field,
          .def = def,
          .min = min,
          .max = max,
          .outside = outside,
          .control = shownBy};
}
constexpr OptionRow Switch(OptionPlace place, const char* name, OptionField field, bool def,
                           Outside outside, OptionControl shownBy) {
  return Row(OptionType::Switch, place, name, field, def, 0, 1, outside, shownBy);
}

// The speed menu's intervals in milliseconds: "Basse", "Normale", "Haute". Any other would query
// the load a thousand times a second, or freeze the monitoring.
inline constexpr std::int32_t kSamplingChoices[] = {2000, 1000, 500};
// Read before everything else, on its own.
inline constexpr OptionRow kSamplingIntervalOption =
    Row(OptionType::Choice, OptionPlace::Settings, "Inter", Field<&Options::samplingIntervalMs>(),
        1000, 500, 2000, Outside::Default, OptionControl::SpeedMenu)
        .Choices(kSamplingChoices);
// Up to a terabyte by policy; loading and the track bar keep it within the installed memory.
inline constexpr OptionRow kManualAmountOption =
    Row(OptionType::Number, OptionPlace::SettingsGroup, "Recover MB",
        Field<&Options::manualAmountMB>(), 0, 0, std::numeric_limits<std::int32_t>::max(),
        Outside::ClampedToRam, OptionControl::ManualAmountTrackBar)
        .AbsentAs(Absent::HalfTheRam)
        .Policy("ManualAmountMB", 0, 1048576);
inline constexpr OptionRow kOpacityOption =
    Row(OptionType::Number, OptionPlace::SettingsGroup, "Opacite", Field<&Options::opacity>(), 255,
        70, 255, Outside::Clamped, OptionControl::OpacityTrackBar);
inline constexpr OptionRow kMethodOption =
    Row(OptionType::Number, OptionPlace::SettingsGroup, "Recover Method", Field<&Options::method>(),
        static_cast<int>(RecoveryMethod::System), 1, 3, Outside::Kept, OptionControl::MethodRadios)
        .Policy("Method", 1, 3);
// Ctrl+Shift+R. The editor keeps 16 bits: a wider number is no shortcut it could show.
inline constexpr OptionRow kHotKeyOption =
    Row(OptionType::Number, OptionPlace::SettingsGroup, "HotKey", Field<&Options::hotKey>(), 24658,
        0, 0xFFFF, Outside::Kept, OptionControl::HotKeyEdit)
        .AbsentAs(Absent::Kept)
        .NotStoredWhenAbsent();
inline constexpr OptionRow kStayOnTopOption =
    Switch(OptionPlace::SettingsGroup, "StayOnTop", Field<&Options::stayOnTop>(), false,
           Outside::On, OptionControl::StayOnTopCheck);
// Unchecked as designed, and while the settings key does not open; a first start finds no value,
// checks it and stores 1 (the setup stores the user's own choice before).
inline constexpr OptionRow kStartWithWindowsOption =
    Switch(OptionPlace::SettingsGroup, "StartWithWindows", Field<&Options::startWithWindows>(),
           false, Outside::On, OptionControl::StartWithWindowsCheck)
        .AbsentAs(Absent::On)
        .Policy("StartWithWindows", 0, 1);
// 0 percentage, 1 megabytes free, -1 neither chosen (saved as megabytes).
inline constexpr OptionRow kTrayModeOption =
    Row(OptionType::ItemOfTwo, OptionPlace::SettingsGroup, "tray", Field<&Options::trayMode>(), 0,
        -1, 1, Outside::Clamped, OptionControl::TrayModeGroup);
inline constexpr OptionRow kBalloonsOption =
    Switch(OptionPlace::SettingsGroup, "balloon", Field<&Options::balloons>(), false, Outside::Off,
           OptionControl::BalloonsCheck)
        .Policy("Balloons", 0, 1);
inline constexpr OptionRow kClipboardOption =
    Switch(OptionPlace::SettingsGroup, "clipboard", Field<&Options::clipboard>(), false,
           Outside::Off, OptionControl::ClipboardCheck)
        .Names("clipboard", "clipboard", "Clipboard");
// Passes per series: the list's item plus one; none when the list shows no item.
inline constexpr OptionRow kRepetitionsOption =
    Row(OptionType::Item, OptionPlace::SettingsGroup, "CNBR", Field<&Options::repetitions, 1>(), 0,
        -1, 3, Outside::NoItem, OptionControl::RepetitionsCombo);
// Settings of an earlier version have none of the next four.
inline constexpr OptionRow kDirectStepsOption =
    Switch(OptionPlace::SettingsGroup, "DirectSteps", Field<&Options::directSteps>(), false,
           Outside::Off, OptionControl::DirectStepsCheck)
        .NotStoredWhenAbsent()
        .Policy("DirectSteps", 0, 1);
// The standby cache rule: purge the standby list above this share of the installed memory.
inline constexpr OptionRow kPurgeStandbyOption =
    Switch(OptionPlace::SettingsGroup, "PurgeStandby", Field<&Options::purgeStandby>(), false,
           Outside::Off, OptionControl::PurgeStandbyCheck)
        .NotStoredWhenAbsent();
inline constexpr OptionRow kPurgeStandbyPercentOption =
    Row(OptionType::Number, OptionPlace::SettingsGroup, "PurgeStandbyPercent",
        Field<&Options::purgeStandbyPercent>(), 50, 5, 95, Outside::Clamped,
        OptionControl::PurgeStandbyEdit)
        .NotStoredWhenAbsent();
// Set in the exclusions' dialog, which shows its policy itself.
inline constexpr OptionRow kExclusionsPauseAutoOption =
    Switch(OptionPlace::SettingsGroup, "ExclusionsPauseAuto",
           Field<&Options::exclusionsPauseAuto>(), false, Outside::Off, OptionControl::None)
        .NotStoredWhenAbsent()
        .Policy("ExclusionsPauseAuto", 0, 1);
// 0 low, 1 normal, 2 high, 3 real time.
inline constexpr OptionRow kPriorityOption =
    Row(OptionType::Item, OptionPlace::Settings, "Priority", Field<&Options::priority>(), 0, -1, 3,
        Outside::NoItem, OptionControl::PriorityCombo);
inline constexpr OptionRow kOptimiseAtStartOption =
    Switch(OptionPlace::Settings, "DefragOnStart", Field<&Options::optimiseAtStart>(), false,
           Outside::On, OptionControl::OptimiseAtStartCheck)
        .NotStoredWhenAbsent()
        .Policy("OptimiseAtStart", 0, 1);
// The spin edit turns 0 into 1: a level of 0 would never be what a policy puts in effect.
inline constexpr OptionRow kAlarmPercentOption =
    Row(OptionType::Number, OptionPlace::RecoverProperty, "Pourcentage",
        Field<&Options::alarmPercent>(), 35, 0, 100, Outside::Clamped,
        OptionControl::AlarmLevelEdit)
        .Policy("AlarmPercent", 1, 100);
inline constexpr OptionRow kPeriodicMinutesOption =
    Row(OptionType::Number, OptionPlace::RecoverProperty, "Time value",
        Field<&Options::periodicMinutes>(), 45, 5, 1440, Outside::DefaultBelowOne,
        OptionControl::PeriodicMinutesEdit)
        .Names("Time Value", "Time value", "Time value")
        .NotStoredWhenAbsent()
        .Policy("PeriodicMinutes", 5, 1440);
inline constexpr OptionRow kMaximumLoadOption =
    Row(OptionType::Number, OptionPlace::RecoverProperty, "Pcpu", Field<&Options::maximumLoad>(),
        15, 0, 100, Outside::Clamped, OptionControl::MaximumLoadEdit)
        .Names("PCpu", "Pcpu", "Pcpu")
        .Policy("MaximumLoad", 0, 100);
inline constexpr OptionRow kAlarmOnOption =
    Switch(OptionPlace::RecoverProperty, "Free%", Field<&Options::alarmOn>(), true, Outside::On,
           OptionControl::AlarmCheck)
        .Policy("AlarmOn", 0, 1);
inline constexpr OptionRow kPeriodicOnOption =
    Switch(OptionPlace::RecoverProperty, "Time", Field<&Options::periodicOn>(), false, Outside::On,
           OptionControl::PeriodicCheck)
        .Policy("PeriodicOn", 0, 1);
// Programs whose working sets are never emptied: none by default, and then none stored.
inline constexpr OptionRow kExclusionsOption =
    Row(OptionType::ProgramList, OptionPlace::Settings, "Exclusions", {}, 0, 0, 0, Outside::Taken,
        OptionControl::None)
        .NotStoredWhenAbsent()
        .Policy("Exclusions", 0, 0);
// Windows' own value (AlwaysUnloadDLL): only 1 checks it.
inline constexpr OptionRow kUnloadDllsOption =
    Row(OptionType::Switch, OptionPlace::WindowsTuning, nullptr, Field<&Options::unloadDlls>(), 0,
        0, 1, Outside::Off, OptionControl::UnloadDllsCheck)
        .NotStoredWhenAbsent();

// The chart's colours, read last (ChartColors::ChangeColor stops at the first one missing), and
// the "Défaut" colours the swatches show as designed; the chart starts with its own.
constexpr OptionRow ColourRow(const char* name, ChartColorRef def, OptionControl swatch) {
  return Row(OptionType::Colour, OptionPlace::Settings, name, {}, static_cast<std::int32_t>(def), 0,
             0xFFFFFF, Outside::Taken, swatch)
      .AbsentAs(Absent::Kept)
      .NotStoredWhenAbsent();
}
inline constexpr OptionRow kBackgroundColorOption =
    ColourRow(kBackgroundColorValue, kDefaultBackground, OptionControl::BackgroundSwatch);
inline constexpr OptionRow kGridColorOption =
    ColourRow(kGridColorValue, kDefaultGrid, OptionControl::GridSwatch);
inline constexpr OptionRow kCpuColorOption =
    ColourRow(kCpuColorValue, kDefaultCPU, OptionControl::CpuSwatch);
inline constexpr OptionRow kRamColorOption =
    ColourRow(kRamColorValue, kDefaultRAM, OptionControl::RamSwatch);
inline constexpr OptionRow kAlarmColorOption =
    ColourRow(kAlarmColorValue, kDefaultAlarm, OptionControl::AlarmSwatch);

// Every row, in the order of loading (which is the order the controls show them in).
inline constexpr const OptionRow* kOptionTable[] = {&kSamplingIntervalOption,
                                                    &kManualAmountOption,
                                                    &kOpacityOption,
                                                    &kMethodOption,
                                                    &kHotKeyOption,
                                                    &kStayOnTopOption,
                                                    &kStartWithWindowsOption,
                                                    &kTrayModeOption,
                                                    &kBalloonsOption,
                                                    &kClipboardOption,
                                                    &kRepetitionsOption,
                                                    &kDirectStepsOption,
                                                    &kPurgeStandbyOption,
                                                    &kPurgeStandbyPercentOption,
                                                    &kExclusionsPauseAutoOption,
                                                    &kPriorityOption,
                                                    &kOptimiseAtStartOption,
                                                    &kAlarmPercentOption,
                                                    &kPeriodicMinutesOption,
                                                    &kMaximumLoadOption,
                                                    &kAlarmOnOption,
                                                    &kPeriodicOnOption,
                                                    &kExclusionsOption,
                                                    &kUnloadDllsOption,
                                                    &kBackgroundColorOption,
                                                    &kGridColorOption,
                                                    &kCpuColorOption,
                                                    &kRamColorOption,
                                                    &kAlarmColorOption};

// A stored number (or the absent one) in the option's terms: none leaves the option as it is.
// installedRamMB bounds the manual amount.
std::optional<std::int32_t> Loaded(const OptionRow& row, std::int32_t stored,
                                   std::int64_t installedRamMB);
// The value a loader uses for an absent or unreadable one; none leaves the option as it is.
std::optional<std::int32_t> AbsentValue(const OptionRow& row, std::int64_t installedRamMB);
// The number the saver writes.
std::uint32_t Saved(const OptionRow& row, const Options& options);

}  // namespace kvn
