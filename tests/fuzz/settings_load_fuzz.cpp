// Deterministic mutation loop over the settings load: every value the program reads at start-up
// (its settings, the chart's colours, the memory-management values, the DLL switch) is given a
// random type, size and content, under random letter case, and keys refuse to open or to be
// written at random. After each load every option keeps its limits, the excluded programs are a
// clean list, and no key stays open; a save then a second load and save come back to the same
// options and the same registry.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "chart/chart_colors.h"
#include "fakes/fake_registry.h"
#include "fuzz/option_checks.h"
#include "settings/settings_store.h"
#include "settings/windows_tuning.h"

namespace {

using namespace kvn;
using fuzz::BrokenLimit;
using fuzz::Tied;
using Root = RegistryRoot;

constexpr char kSettings[] = "Software\\Korvane\\settings";
constexpr char kRecover[] = "Software\\Korvane\\settings\\Recover Property";
const TuningLocations kWhere{};

struct Place {
  Root root;
  const char* key;
  std::vector<const char*> names;
};

const Place kPlaces[] = {
    {Root::CurrentUser,
     kSettings,
     {"Inter",
      "Recover MB",
      "Opacite",
      "Recover Method",
      "HotKey",
      "StayOnTop",
      "StartWithWindows",
      "tray",
      "balloon",
      "Clipboard",
      "CNBR",
      "DirectSteps",
      "PurgeStandby",
      "PurgeStandbyPercent",
      "ExclusionsPauseAuto",
      "Exclusions",
      "Priority",
      "DefragOnStart",
      "Path",
      "Version",
      "BackgroundColor",
      "GridColor",
      "CPUColor",
      "RAMColor",
      "AlarmColor",
      ""}},
    {Root::CurrentUser, kRecover, {"Pourcentage", "Time value", "Pcpu", "Free%", "Time", ""}},
    {Root::LocalMachine,
     kWhere.memoryManagement.c_str(),
     {"DisablePagingExecutive", "SecondLevelDataCache", "LargeSystemCache", "IoPageLockLimit",
      "ClearPageFileAtShutdown"}},
    {Root::LocalMachine, kWhere.explorer.c_str(), {"AlwaysUnloadDLL"}},
    {Root::CurrentUser, kWhere.run.c_str(), {"Korvane"}},
};

std::string RandomCase(std::string name, std::mt19937& rng) {
  for (char& c : name)
    if (rng() % 4 == 0) c = static_cast<char>(c ^ 0x20 * ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'));
  return name;
}

std::uint32_t RandomNumber(std::mt19937& rng) {
  static const std::uint32_t kEdges[] = {
      0,      1,       2,          3,           4,           5,           35,   69,   70,
      100,    101,     255,        256,         500,         1000,        1440, 1441, 2000,
      0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu, 4096, 512};
  return rng() % 2 ? kEdges[rng() % std::size(kEdges)] : static_cast<std::uint32_t>(rng());
}

std::string RandomText(std::mt19937& rng) {
  static const char* kTexts[] = {"1",
                                 "0",
                                 "+1",
                                 "01",
                                 " 1",
                                 "1 ",
                                 "-1",
                                 "4294967297",
                                 "18446744073709551617",
                                 "99999999999999999999999",
                                 "0x1",
                                 ""};
  if (rng() % 2) return kTexts[rng() % std::size(kTexts)];
  std::string text(rng() % (rng() % 8 ? 24 : 5000), '\0');
  for (char& c : text) c = static_cast<char>(rng() % 3 ? '0' + rng() % 10 : rng());
  return text;
}

// A list of programs as anyone may store it: names and paths in any letter case and script,
// blanks, characters no file name holds, entries too long, or bytes that are no list at all.
std::string RandomProgramList(std::mt19937& rng) {
  static const char* kEntries[] = {"jeu.exe",
                                   "JEU.EXE",
                                   "C:\\Jeux\\jeu.exe",
                                   "c:/jeux/JEU.exe",
                                   "Ωmega.exe",
                                   "ωMEGA.EXE",
                                   "ÉDITEUR.EXE",
                                   "éditeur.exe",
                                   " a.exe\t",
                                   "a|b.exe",
                                   "x?.exe",
                                   "C:\\",
                                   "",
                                   "\x01.exe",
                                   "ǅ.exe"};
  if (rng() % 8 == 0) {
    std::string bytes(rng() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
  }
  std::vector<std::string> entries(rng() % (rng() % 8 ? 6 : 300));
  for (std::string& e : entries)
    e = rng() % 16 ? kEntries[rng() % std::size(kEntries)] : std::string(rng() % 300 + 200, 'a');
  return fake::MultiTextBytes(entries);
}

void Fill(fake::FakeRegistry& r, std::mt19937& rng) {
  for (const Place& p : kPlaces) {
    r.AddKey(p.root, p.key);
    for (const char* n : p.names) {
      const std::string name = RandomCase(n, rng);
      switch (rng() % 7) {
        case 0:
          break;  // absent
        case 1:
        case 2:
          r.SetDword(p.root, p.key, name, RandomNumber(rng));
          break;
        case 3:
          r.SetText(p.root, p.key, name, RandomText(rng));
          break;
        case 4:
          r.SetBinary(p.root, p.key, name, rng() % 3 ? rng() % 9 : rng() % 70000);
          break;
        case 5:
          r.SetBytes(p.root, p.key, name, fake::FakeRegistry::Type::MultiText,
                     RandomProgramList(rng));
          break;
        default: {  // a number or a text of any length, terminated or not
          std::string bytes(rng() % 11, '\0');
          for (char& c : bytes) c = static_cast<char>(rng() % 3 ? '0' + rng() % 10 : rng());
          r.SetBytes(p.root, p.key, name,
                     rng() % 2 ? fake::FakeRegistry::Type::Dword : fake::FakeRegistry::Type::Text,
                     std::move(bytes));
        }
      }
    }
  }
}

// Keys that will not open, open for reading only, or take no write.
bool Refuse(fake::FakeRegistry& r, std::mt19937& rng) {
  bool any = false;
  for (const Place& p : kPlaces) {
    const std::string path = fake::FakeRegistry::PathOf(p.root, p.key);
    if (rng() % 12 == 0) any = r.refuseOpen.insert(path).second;
    if (rng() % 12 == 0) any = r.denyWriting.insert(path).second;
    if (rng() % 12 == 0) any = r.refuseWrites.insert(path).second;
  }
  if (rng() % 12 == 0) any = (r.failWriteAt = static_cast<int>(rng() % 40)) >= 0;
  return any;
}

// Every value of every key, as one text to compare.
std::string Contents(const fake::FakeRegistry& r) {
  std::string all;
  for (const auto& [path, key] : r.keys)
    for (const auto& [upper, v] : key.values)
      all += path + "|" + v.name + "|" + std::to_string(static_cast<int>(v.type)) + "|" + v.bytes +
             "\n";
  return all;
}

// The DLL switch is on only for a stored 1, as text or as a number.
bool StoredOne(const fake::FakeRegistry& r) {
  const auto* v = r.Find(kWhere.explorerRoot, kWhere.explorer, "AlwaysUnloadDLL");
  if (!v || r.refuseOpen.count(fake::FakeRegistry::PathOf(kWhere.explorerRoot, kWhere.explorer)))
    return false;
  if (v->type == fake::FakeRegistry::Type::Dword) return v->Dword() == 1;
  if (v->type != fake::FakeRegistry::Type::Text) return false;
  const std::string t = v->Text();
  const std::size_t digits = t.find_first_not_of('0', t[0] == '+' ? 1 : 0);
  return !t.empty() && digits == t.size() - 1 && t.back() == '1';
}

struct Machine {
  explicit Machine(fake::FakeRegistry& r, std::int64_t ramMB)
      : tuning{{cache, l2, large, kernel, swap, opacity, balloon, rights, unloadDlls},
               options,
               r,
               {},
               {false, false, true}},
        colors{chart, r, kSettings},
        store{r, tuning, colors, ramMB, "C:\\Korvane\\korvane.exe", "1.0.0"} {}
  Options Load() {
    options = {};
    options.samplingIntervalMs = store.LoadInterval();
    store.Load(options);
    store.LoadColors();
    tuning.ReadMemoryTuning();
    return options;
  }
  ui::ComboBox cache;
  ui::CheckBox l2, kernel, swap, balloon, unloadDlls;
  ui::RadioGroup large;
  ui::TrackBar opacity;
  ui::Label rights;
  Options options;
  WindowsTuning tuning;
  HistoryChart chart;
  ChartColors colors;
  SettingsStore store;
};

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 3000;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 20261207u);
  static const std::int64_t kRams[] = {0, 1, 64, 1024, 3071, 65536, 1LL << 31};
  long checked = 0;
  for (long it = 0; it < iterations; ++it) {
    fake::FakeRegistry r;
    Fill(r, rng);
    const bool refused = Refuse(r, rng);
    const std::int64_t ram = kRams[rng() % std::size(kRams)];
    Machine m(r, ram);
    const Options first = m.Load();
    std::string broken = BrokenLimit(first, ram);
    if (broken.empty() && first.unloadDlls != StoredOne(r)) broken = "the DLL switch";
    if (broken.empty() && r.liveKeys != 0) broken = "a key left open";
    if (broken.empty() && !refused) {
      m.store.Save(first);
      const Options second = m.Load();
      m.store.Save(second);
      const std::string saved = Contents(r);
      if (Tied(m.Load()) != Tied(second)) broken = "a second save changes what loads";
      m.store.Save(m.options);
      if (broken.empty() && Contents(r) != saved) broken = "a second save changes the registry";
      ++checked;
    }
    if (!broken.empty()) {
      std::fprintf(stderr, "iteration %ld: %s\n", it, broken.c_str());
      return 1;
    }
  }
  std::printf("settings_load_fuzz: %ld registries, %ld saved and loaded again\n", iterations,
              checked);
  return 0;
}
