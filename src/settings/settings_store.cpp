#include "settings/settings_store.h"

#include <optional>

#include "settings/exclusions.h"
#include "settings/option_table.h"

namespace kvn {

namespace {

// The saver's order: each list is written under one open of its key.
constexpr const OptionRow* kSavedInSettings[] = {&kManualAmountOption,
                                                 &kStayOnTopOption,
                                                 &kStartWithWindowsOption,
                                                 &kOpacityOption,
                                                 &kMethodOption,
                                                 &kTrayModeOption,
                                                 &kBalloonsOption,
                                                 &kClipboardOption,
                                                 &kPriorityOption,
                                                 &kRepetitionsOption,
                                                 &kDirectStepsOption,
                                                 &kPurgeStandbyOption,
                                                 &kPurgeStandbyPercentOption,
                                                 &kExclusionsPauseAutoOption};
constexpr const OptionRow* kSavedAlone[] = {&kHotKeyOption, &kOptimiseAtStartOption};
constexpr const OptionRow* kSavedInRecoverProperty[] = {
    &kAlarmPercentOption, &kPeriodicMinutesOption, &kMaximumLoadOption, &kAlarmOnOption,
    &kPeriodicOnOption};

// The numbers the loader reads in the table's order; the interval, the list and the colours have
// readers of their own, the DLL switch is the Windows tuning's.
bool LoadedInOrder(const OptionRow& row) {
  return (row.type == OptionType::Switch || row.type == OptionType::Number ||
          row.type == OptionType::Item || row.type == OptionType::ItemOfTwo) &&
         row.place != OptionPlace::WindowsTuning;
}

void WriteOption(RegistryKey& key, const OptionRow& row, const Options& options) {
  key.WriteDword(row.stored.savedAs, Saved(row, options));
}

// One value under its own open of its key. Present and readable: the stored number (signed).
// Absent: the row's absent value, stored at once when asked. Present but of another type or size:
// the absent value without writing; the next save stores a correct value.
void LoadValue(std::unique_ptr<RegistryKey> key, const OptionRow& row, std::int64_t installedRamMB,
               Options& options) {
  if (!key) return;
  const std::optional<std::int32_t> absent = AbsentValue(row, installedRamMB);
  std::optional<std::int32_t> number = absent;
  if (key->HasValue(row.stored.testedAs)) {
    if (const auto stored = key->ReadDword(row.stored.readAs))
      number = static_cast<std::int32_t>(*stored);
  } else if (row.storedWhenAbsent && absent) {
    key->WriteDword(row.stored.savedAs, static_cast<std::uint32_t>(*absent));
  }
  if (number)
    if (const auto value = Loaded(row, *number, installedRamMB)) row.field.set(options, *value);
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
  const OptionRow& row = kSamplingIntervalOption;
  const auto def = static_cast<unsigned>(row.def);
  auto key = OpenSettings();
  if (!key) return def;
  std::optional<std::uint32_t> inter;
  if (key->HasValue(row.stored.testedAs))
    inter = key->ReadDword(row.stored.readAs);
  else
    key->WriteDword(row.stored.savedAs, def);
  // Only the speed menu's intervals: another would be saved again.
  return inter ? static_cast<unsigned>(*Loaded(row, static_cast<std::int32_t>(*inter), 0)) : def;
}

void SettingsStore::SaveInterval(unsigned milliseconds) {
  if (auto key = OpenSettings())
    key->WriteDword(kSamplingIntervalOption.stored.savedAs, milliseconds);
}

void SettingsStore::Load(Options& options) {
  bool settingsOpen = false;
  if (auto settings = OpenSettings()) {
    settingsOpen = true;
    firstStart_ = !settings->ReadText("Version");
  }
  for (const OptionRow* row : kOptionTable) {
    if (!LoadedInOrder(*row) || (row->place == OptionPlace::SettingsGroup && !settingsOpen))
      continue;
    LoadValue(row->place == OptionPlace::RecoverProperty ? OpenRecoverProperty() : OpenSettings(),
              *row, installedRamMB_, options);
  }
  if (auto settings = OpenSettings())
    options.exclusions = CleanExclusions(settings->ReadMultiText(kExclusionsOption.stored.readAs)
                                             .value_or(std::vector<std::string>{}));
  options.unloadDlls = tuning_.ReadAlwaysUnloadDll() == 1;
}

void SettingsStore::LoadColors() {
  colors_.ChangeColor();
}

void SettingsStore::Save(const Options& options) {
  if (auto key = OpenSettings()) {
    key->WriteText("Path", QuotedPath(programPath_));
    key->WriteText("Version", version_);
    for (const OptionRow* row : kSavedInSettings) WriteOption(*key, *row, options);
    // No list at all reads as the empty one: a value with no text is what other tools refuse.
    if (options.exclusions.empty())
      key->DeleteValue(kExclusionsOption.stored.savedAs);
    else
      key->WriteMultiText(kExclusionsOption.stored.savedAs, options.exclusions);
  }
  for (const OptionRow* row : kSavedAlone)
    if (auto key = OpenSettings()) WriteOption(*key, *row, options);
  if (auto key = OpenRecoverProperty())
    for (const OptionRow* row : kSavedInRecoverProperty) WriteOption(*key, *row, options);
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
