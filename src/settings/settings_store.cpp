#include "settings/settings_store.h"

#include <algorithm>
#include <optional>

namespace kvn {

namespace {

constexpr unsigned kMinute = 60000;

struct LoadingGuard {
  explicit LoadingGuard(WindowsTuning& t) : tuning(t) { tuning.SetLoading(true); }
  ~LoadingGuard() { tuning.SetLoading(false); }
  WindowsTuning& tuning;
};

// A value's names: the loader tests its presence and reads it under names whose letter case
// differs from the one the saver writes (the registry ignores the difference).
struct Names {
  const char* testedAs;
  const char* readAs;
  const char* savedAs;
};
constexpr Names Same(const char* name) {
  return {name, name, name};
}

// One value under its own open of the key. Present and readable: the stored number (signed, as
// the controls take it). Absent: the default, stored at once when asked. Present but of another
// type or size: the default without writing; the next save stores a correct value.
std::optional<std::int32_t> ReadValue(std::unique_ptr<RegistryKey> key, Names names,
                                      std::optional<std::int32_t> fallback, bool writeWhenAbsent) {
  if (!key) return std::nullopt;
  if (key->HasValue(names.testedAs)) {
    if (const auto stored = key->ReadDword(names.readAs)) return static_cast<std::int32_t>(*stored);
    return fallback;
  }
  if (writeWhenAbsent && fallback)
    key->WriteDword(names.savedAs, static_cast<std::uint32_t>(*fallback));
  return fallback;
}

std::uint32_t Bool(bool b) {
  return b ? 1 : 0;
}

}  // namespace

SettingsStore::SettingsStore(const SettingsControls& controls, Registry& registry,
                             WindowsTuning& tuning, ChartColors& colors,
                             std::int64_t installedRamMB, std::string programPath,
                             std::string version, std::string programKey)
    : c_(controls),
      registry_(registry),
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
  const auto inter =
      ReadValue(OpenSettings(), Same("Inter"), static_cast<std::int32_t>(kDefaultInterval), true);
  return inter ? static_cast<unsigned>(*inter) : kDefaultInterval;
}

void SettingsStore::SaveInterval(unsigned milliseconds) {
  if (auto key = OpenSettings()) key->WriteDword("Inter", milliseconds);
}

void SettingsStore::LoadSettings() {
  LoadingGuard loading(tuning_);
  if (OpenSettings()) {
    if (auto mb = ReadValue(OpenSettings(), Same("Recover MB"),
                            static_cast<std::int32_t>(installedRamMB_ / 2), true))
      c_.TrackBar1.SetPosition(*mb);
    if (auto opacity = ReadValue(OpenSettings(), Same("Opacite"), 255, true))
      c_.TrackBar2.SetPosition(*opacity);
    if (auto method = ReadValue(OpenSettings(), Same("Recover Method"), 1, true)) {
      // Any other number leaves the radio buttons as they are.
      if (*method == 1) c_.RadioButton1.SetChecked(true);
      if (*method == 2) c_.RadioButton2.SetChecked(true);
      if (*method == 3) c_.RadioButton3.SetChecked(true);
    }
    if (auto hotKey = ReadValue(OpenSettings(), Same("HotKey"), std::nullopt, false))
      c_.HotKey1.SetHotKey(static_cast<std::uint16_t>(*hotKey));
    if (auto top = ReadValue(OpenSettings(), Same("StayOnTop"), 0, true))
      c_.CheckBox2.SetChecked(*top != 0);
    if (auto start = ReadValue(OpenSettings(), Same("StartWithWindows"), 1, true))
      c_.CheckBox1.SetChecked(*start != 0);
    if (auto tray = ReadValue(OpenSettings(), Same("tray"), 0, true))
      c_.RadioGroup2.SetItemIndex(std::clamp(*tray, -1, 1));
    // Only the value 1 checks these two.
    if (auto balloon = ReadValue(OpenSettings(), Same("balloon"), 0, true))
      c_.cbxballoon.SetChecked(*balloon == 1);
    if (auto clipboard =
            ReadValue(OpenSettings(), Names{"clipboard", "clipboard", "Clipboard"}, 0, true))
      c_.CBPressePapier.SetChecked(*clipboard == 1);
    if (auto repeat = ReadValue(OpenSettings(), Same("CNBR"), 0, true))
      c_.CNBRepetitions.SetItemIndex(*repeat);
    // Absent (settings of an earlier version) or of another type: off.
    if (auto direct = ReadValue(OpenSettings(), Same("DirectSteps"), 0, false))
      c_.CBDirectSteps.SetChecked(*direct == 1);
  }
  if (auto priority = ReadValue(OpenSettings(), Same("Priority"), 0, true))
    c_.CBPriorite.SetItemIndex(*priority);
  if (auto onStart = ReadValue(OpenSettings(), Same("DefragOnStart"), 0, false))
    c_.CBDefragOnStart.SetChecked(*onStart != 0);

  if (auto alarm = ReadValue(OpenRecoverProperty(), Same("Pourcentage"), 35, true))
    c_.SpinEdit1.SetValue(*alarm);
  if (auto period = ReadValue(OpenRecoverProperty(),
                              Names{"Time Value", "Time value", "Time value"}, 45, false))
    c_.SpinEdit2.SetValue(*period >= 1 ? *period : 45);
  if (auto load = ReadValue(OpenRecoverProperty(), Names{"PCpu", "Pcpu", "Pcpu"}, 15, true))
    c_.SpinEdit3.SetValue(*load);
  if (auto alarmOn = ReadValue(OpenRecoverProperty(), Same("Free%"), 1, true))
    c_.CheckBox3.SetChecked(*alarmOn != 0);
  if (auto periodic = ReadValue(OpenRecoverProperty(), Same("Time"), 0, true))
    c_.CheckBox5.SetChecked(*periodic != 0);

  c_.CDechargeDll.SetChecked(tuning_.ReadAlwaysUnloadDll() == 1);
  if (c_.CheckBox5.Checked() && c_.SpinEdit2.Value() > 0) {
    c_.Timer5.SetInterval(static_cast<unsigned>(c_.SpinEdit2.Value()) * kMinute);
    c_.Timer5.SetEnabled(true);
  }
  colors_.ChangeColor();
}

void SettingsStore::SaveSettings() {
  if (auto key = OpenSettings()) {
    key->WriteText("Path", QuotedPath(programPath_));
    key->WriteText("Version", version_);
    key->WriteDword("Recover MB", static_cast<std::uint32_t>(c_.TrackBar1.Position()));
    key->WriteDword("StayOnTop", Bool(c_.CheckBox2.Checked()));
    key->WriteDword("StartWithWindows", Bool(c_.CheckBox1.Checked()));
    key->WriteDword("Opacite", static_cast<std::uint32_t>(c_.TrackBar2.Position()));
    const std::uint32_t method = c_.RadioButton3.Checked() ? 3 : c_.RadioButton2.Checked() ? 2 : 1;
    key->WriteDword("Recover Method", method);
    key->WriteDword("tray", Bool(c_.RadioGroup2.ItemIndex() != 0));
    key->WriteDword("balloon", Bool(c_.cbxballoon.Checked()));
    key->WriteDword("Clipboard", Bool(c_.CBPressePapier.Checked()));
    key->WriteDword("Priority", static_cast<std::uint32_t>(c_.CBPriorite.ItemIndex()));
    key->WriteDword("CNBR", static_cast<std::uint32_t>(c_.CNBRepetitions.ItemIndex()));
    key->WriteDword("DirectSteps", Bool(c_.CBDirectSteps.Checked()));
  }
  if (auto key = OpenSettings()) key->WriteDword("HotKey", c_.HotKey1.HotKey());
  if (auto key = OpenSettings())
    key->WriteDword("DefragOnStart", Bool(c_.CBDefragOnStart.Checked()));
  if (auto key = OpenRecoverProperty()) {
    key->WriteDword("Pourcentage", static_cast<std::uint32_t>(c_.SpinEdit1.Value()));
    key->WriteDword("Time value", static_cast<std::uint32_t>(c_.SpinEdit2.Value()));
    key->WriteDword("Pcpu", static_cast<std::uint32_t>(c_.SpinEdit3.Value()));
    key->WriteDword("Free%", Bool(c_.CheckBox3.Checked()));
    key->WriteDword("Time", Bool(c_.CheckBox5.Checked()));
  }
  if (c_.CheckBox1.Checked())
    tuning_.WriteRunEntry();
  else
    tuning_.RemoveRunEntry();
  tuning_.SetAlwaysUnloadDll(c_.CDechargeDll.Checked());
  colors_.SaveColor();
  SaveInterval(c_.Timer1.Interval());
}

}  // namespace kvn
