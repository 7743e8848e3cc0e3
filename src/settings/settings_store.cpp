#include "settings/settings_store.h"

#include "settings/exclusions.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace kvn {

namespace {

// Where a value lives, and how its read is opened: the values of the first group are skipped
// together when the settings key does not open; every other one opens its key on its own.
enum class Place { SettingsGroup, Settings, RecoverProperty };

struct Limits {
  std::int64_t installedRamMB;
};

// One stored option. The loader tests its presence and reads it under names whose letter case
// may differ from the one the saver writes (the registry ignores the difference).
struct Value {
  Place place;
  const char* testedAs;
  const char* readAs;
  const char* savedAs;
  // Used when absent or unreadable; none leaves the option as it is.
  std::optional<std::int32_t> (*fallback)(const Limits&);
  bool writtenWhenAbsent;
  // Takes a stored (or fallback) number into the option, within the option's limits.
  void (*load)(Options&, std::int32_t, const Limits&);
  std::uint32_t (*save)(const Options&);
};

template <std::int32_t N>
std::optional<std::int32_t> Fixed(const Limits&) {
  return N;
}
std::optional<std::int32_t> None(const Limits&) {
  return std::nullopt;
}
std::uint32_t Bool(bool b) {
  return b ? 1 : 0;
}
std::uint32_t Dword(int v) {
  return static_cast<std::uint32_t>(v);
}
// An item index past either end of a list of four selects nothing (-1).
int ListItem(std::int32_t v) {
  return v >= -1 && v < 4 ? v : -1;
}

// In the order of the loader's reads.
const Value kValues[] = {
    {Place::SettingsGroup, "Recover MB", "Recover MB", "Recover MB",
     [](const Limits& l) -> std::optional<std::int32_t> {
       return static_cast<std::int32_t>(HalfRamMB(l.installedRamMB));
     },
     true,
     [](Options& o, std::int32_t v, const Limits& l) {
       o.manualAmountMB = static_cast<int>(std::clamp<std::int64_t>(v, 0, l.installedRamMB));
     },
     [](const Options& o) { return Dword(o.manualAmountMB); }},
    {Place::SettingsGroup, "Opacite", "Opacite", "Opacite", Fixed<255>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.opacity = std::clamp(v, 70, 255); },
     [](const Options& o) { return Dword(o.opacity); }},
    {Place::SettingsGroup, "Recover Method", "Recover Method", "Recover Method", Fixed<1>, true,
     [](Options& o, std::int32_t v, const Limits&) {
       if (v >= 1 && v <= 3) o.method = static_cast<RecoveryMethod>(v);  // else as it was
     },
     [](const Options& o) { return Dword(static_cast<int>(o.method)); }},
    // The editor keeps 16 bits: a wider number is no shortcut it could show, so it is ignored.
    {Place::SettingsGroup, "HotKey", "HotKey", "HotKey", None, false,
     [](Options& o, std::int32_t v, const Limits&) {
       if (static_cast<std::uint32_t>(v) <= 0xFFFF) o.hotKey = static_cast<std::uint16_t>(v);
     },
     [](const Options& o) { return static_cast<std::uint32_t>(o.hotKey); }},
    {Place::SettingsGroup, "StayOnTop", "StayOnTop", "StayOnTop", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.stayOnTop = v != 0; },
     [](const Options& o) { return Bool(o.stayOnTop); }},
    {Place::SettingsGroup, "StartWithWindows", "StartWithWindows", "StartWithWindows", Fixed<1>,
     true, [](Options& o, std::int32_t v, const Limits&) { o.startWithWindows = v != 0; },
     [](const Options& o) { return Bool(o.startWithWindows); }},
    {Place::SettingsGroup, "tray", "tray", "tray", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.trayMode = std::clamp(v, -1, 1); },
     [](const Options& o) { return Bool(o.trayMode != 0); }},
    // Only the value 1 checks these two.
    {Place::SettingsGroup, "balloon", "balloon", "balloon", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.balloons = v == 1; },
     [](const Options& o) { return Bool(o.balloons); }},
    {Place::SettingsGroup, "clipboard", "clipboard", "Clipboard", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.clipboard = v == 1; },
     [](const Options& o) { return Bool(o.clipboard); }},
    {Place::SettingsGroup, "CNBR", "CNBR", "CNBR", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.repetitions = ListItem(v) + 1; },
     [](const Options& o) { return Dword(o.repetitions - 1); }},
    // Absent (settings of an earlier version) or of another type: off, and only 1 turns it on.
    {Place::SettingsGroup, "DirectSteps", "DirectSteps", "DirectSteps", Fixed<0>, false,
     [](Options& o, std::int32_t v, const Limits&) { o.directSteps = v == 1; },
     [](const Options& o) { return Bool(o.directSteps); }},
    // The standby cache rule, as the direct steps: off unless 1; the share stays within the
    // spin edit's range.
    {Place::SettingsGroup, "PurgeStandby", "PurgeStandby", "PurgeStandby", Fixed<0>, false,
     [](Options& o, std::int32_t v, const Limits&) { o.purgeStandby = v == 1; },
     [](const Options& o) { return Bool(o.purgeStandby); }},
    {Place::SettingsGroup, "PurgeStandbyPercent", "PurgeStandbyPercent", "PurgeStandbyPercent",
     Fixed<50>, false,
     [](Options& o, std::int32_t v, const Limits&) {
       o.purgeStandbyPercent = std::clamp(v, 5, 95);
     },
     [](const Options& o) { return Dword(o.purgeStandbyPercent); }},
    {Place::SettingsGroup, "ExclusionsPauseAuto", "ExclusionsPauseAuto", "ExclusionsPauseAuto",
     Fixed<0>, false,
     [](Options& o, std::int32_t v, const Limits&) { o.exclusionsPauseAuto = v == 1; },
     [](const Options& o) { return Bool(o.exclusionsPauseAuto); }},
    {Place::Settings, "Priority", "Priority", "Priority", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.priority = ListItem(v); },
     [](const Options& o) { return Dword(o.priority); }},
    {Place::Settings, "DefragOnStart", "DefragOnStart", "DefragOnStart", Fixed<0>, false,
     [](Options& o, std::int32_t v, const Limits&) { o.optimiseAtStart = v != 0; },
     [](const Options& o) { return Bool(o.optimiseAtStart); }},
    {Place::RecoverProperty, "Pourcentage", "Pourcentage", "Pourcentage", Fixed<35>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.alarmPercent = std::clamp(v, 0, 100); },
     [](const Options& o) { return Dword(o.alarmPercent); }},
    {Place::RecoverProperty, "Time Value", "Time value", "Time value", Fixed<45>, false,
     [](Options& o, std::int32_t v, const Limits&) {
       o.periodicMinutes = v >= 1 ? std::clamp(v, 5, 1440) : 45;
     },
     [](const Options& o) { return Dword(o.periodicMinutes); }},
    {Place::RecoverProperty, "PCpu", "Pcpu", "Pcpu", Fixed<15>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.maximumLoad = std::clamp(v, 0, 100); },
     [](const Options& o) { return Dword(o.maximumLoad); }},
    {Place::RecoverProperty, "Free%", "Free%", "Free%", Fixed<1>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.alarmOn = v != 0; },
     [](const Options& o) { return Bool(o.alarmOn); }},
    {Place::RecoverProperty, "Time", "Time", "Time", Fixed<0>, true,
     [](Options& o, std::int32_t v, const Limits&) { o.periodicOn = v != 0; },
     [](const Options& o) { return Bool(o.periodicOn); }},
};

constexpr char kExclusionsValue[] = "Exclusions";

// The saver's order: each list is written under one open of its key.
constexpr const char* kSavedInSettings[] = {"Recover MB",
                                            "StayOnTop",
                                            "StartWithWindows",
                                            "Opacite",
                                            "Recover Method",
                                            "tray",
                                            "balloon",
                                            "Clipboard",
                                            "Priority",
                                            "CNBR",
                                            "DirectSteps",
                                            "PurgeStandby",
                                            "PurgeStandbyPercent",
                                            "ExclusionsPauseAuto"};
constexpr const char* kSavedAlone[] = {"HotKey", "DefragOnStart"};
constexpr const char* kSavedInRecoverProperty[] = {"Pourcentage", "Time value", "Pcpu", "Free%",
                                                   "Time"};

const Value& Saved(std::string_view name) {
  for (const Value& v : kValues)
    if (name == v.savedAs) return v;
  return kValues[0];  // every name above is in the table
}

// One value under its own open of its key. Present and readable: the stored number (signed).
// Absent: the fallback, stored at once when asked. Present but of another type or size: the
// fallback without writing; the next save stores a correct value.
void LoadValue(std::unique_ptr<RegistryKey> key, const Value& v, const Limits& limits,
               Options& options) {
  if (!key) return;
  const std::optional<std::int32_t> fallback = v.fallback(limits);
  std::optional<std::int32_t> number = fallback;
  if (key->HasValue(v.testedAs)) {
    if (const auto stored = key->ReadDword(v.readAs)) number = static_cast<std::int32_t>(*stored);
  } else if (v.writtenWhenAbsent && fallback) {
    key->WriteDword(v.savedAs, static_cast<std::uint32_t>(*fallback));
  }
  if (number) v.load(options, *number, limits);
}

}  // namespace

RegistryPlaces PlacesUnder(const std::string& root) {
  RegistryPlaces places;
  places.programKey = root;
  TuningLocations& t = places.tuning;
  t.memoryRoot = t.explorerRoot = t.runRoot = RegistryRoot::CurrentUser;
  t.memoryManagement = root + "\\Memory Management";
  t.explorer = root + "\\Explorer";
  t.run = root + "\\Run";
  places.explorerAdvanced = root + "\\Explorer\\Advanced";
  places.policies = {{RegistryRoot::CurrentUser, root + "\\Policies\\Machine"},
                     {RegistryRoot::CurrentUser, root + "\\Policies\\User"}};
  return places;
}

SettingsStore::SettingsStore(Registry& registry, WindowsTuning& tuning, ChartColors& colors,
                             std::int64_t installedRamMB, std::string programPath,
                             std::string version, std::string programKey)
    : registry_(registry),
      tuning_(tuning),
      colors_(colors),
      installedRamMB_(installedRamMB),
      programPath_(std::move(programPath)),
      version_(std::move(version)),
      settingsKey_(programKey + "\\settings"),
      recoverKey_(settingsKey_ + "\\Recover Property") {
  if (version_.size() > 10) version_.resize(10);
}

std::unique_ptr<RegistryKey> SettingsStore::OpenSettings() {
  return registry_.Open(RegistryRoot::CurrentUser, settingsKey_, true);
}

std::unique_ptr<RegistryKey> SettingsStore::OpenRecoverProperty() {
  return registry_.Open(RegistryRoot::CurrentUser, recoverKey_, true);
}

unsigned SettingsStore::LoadInterval() {
  auto key = OpenSettings();
  if (!key) return kDefaultInterval;
  std::optional<std::uint32_t> inter;
  if (key->HasValue("Inter"))
    inter = key->ReadDword("Inter");
  else
    key->WriteDword("Inter", kDefaultInterval);
  // Only the speed menu's intervals: 1 ms would query the load a thousand times a second, and a
  // huge one would freeze the monitoring; either would be saved again.
  return inter && (*inter == 500 || *inter == 1000 || *inter == 2000) ? *inter : kDefaultInterval;
}

void SettingsStore::SaveInterval(unsigned milliseconds) {
  if (auto key = OpenSettings()) key->WriteDword("Inter", milliseconds);
}

void SettingsStore::Load(Options& options) {
  const Limits limits{installedRamMB_};
  bool settingsOpen = false;
  if (auto settings = OpenSettings()) {
    settingsOpen = true;
    firstStart_ = !settings->ReadText("Version");
  }
  for (const Value& v : kValues) {
    if (v.place == Place::SettingsGroup && !settingsOpen) continue;
    LoadValue(v.place == Place::RecoverProperty ? OpenRecoverProperty() : OpenSettings(), v, limits,
              options);
  }
  if (auto settings = OpenSettings())
    options.exclusions = CleanExclusions(
        settings->ReadMultiText(kExclusionsValue).value_or(std::vector<std::string>{}));
  options.unloadDlls = tuning_.ReadAlwaysUnloadDll() == 1;
}

void SettingsStore::LoadColors() {
  colors_.ChangeColor();
}

void SettingsStore::Save(const Options& options) {
  if (auto key = OpenSettings()) {
    key->WriteText("Path", QuotedPath(programPath_));
    key->WriteText("Version", version_);
    for (const char* name : kSavedInSettings) key->WriteDword(name, Saved(name).save(options));
    // No list at all reads as the empty one: a value with no text is what other tools refuse.
    if (options.exclusions.empty())
      key->DeleteValue(kExclusionsValue);
    else
      key->WriteMultiText(kExclusionsValue, options.exclusions);
  }
  for (const char* name : kSavedAlone)
    if (auto key = OpenSettings()) key->WriteDword(name, Saved(name).save(options));
  if (auto key = OpenRecoverProperty())
    for (const char* name : kSavedInRecoverProperty)
      key->WriteDword(name, Saved(name).save(options));
  if (options.startWithWindows)
    tuning_.WriteRunEntry();
  else if (portable_)
    tuning_.RemoveOwnRunEntry();
  else
    tuning_.RemoveRunEntry();
  if (!portable_) tuning_.SetAlwaysUnloadDll(options.unloadDlls);
  colors_.SaveColor();
  SaveInterval(options.samplingIntervalMs);
}

}  // namespace kvn
