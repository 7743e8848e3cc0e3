// Deterministic mutation loop over the policies an administrator (or anyone able to write the
// policy keys) may leave: every value of the table, in the machine's key and the user's, given a
// random type, size and content under random letter case, over random options of the user's.
// After each reading the options in effect keep their limits and a clean list of programs, the
// user's own options come back whole from them, a second reading changes nothing and logs
// nothing new, and once the keys are gone the user's options are in effect again.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"
#include "fuzz/option_checks.h"
#include "news/news_file.h"
#include "settings/policies.h"

namespace {

using namespace kvn;
using fuzz::BrokenLimit;
using fuzz::Tied;
using Type = fake::FakeRegistry::Type;

// The largest manual amount a policy may set.
constexpr std::int64_t kMaxPolicyAmountMB = 1048576;

std::string RandomCase(std::string name, std::mt19937& rng) {
  for (char& c : name)
    if (rng() % 4 == 0 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) c ^= 0x20;
  return name;
}

std::uint32_t RandomNumber(std::mt19937& rng) {
  static const std::uint32_t kEdges[] = {0,       1,       2,          3,           4,
                                         5,       100,     101,        1440,        1441,
                                         1048576, 1048577, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
  return rng() % 4 ? kEdges[rng() % std::size(kEdges)] : static_cast<std::uint32_t>(rng());
}

std::string RandomText(std::mt19937& rng) {
  static const char* kTexts[] = {"",
                                 "1",
                                 "https://korvane.example/infos.xml",
                                 "http://h/x?a=1&b=2",
                                 "ftp://h/x",
                                 "file:///C:/x",
                                 "javascript:alert(1)",
                                 "https://h/\"x",
                                 "https://h/é",
                                 "HTTPS://H/X"};
  if (rng() % 8) return kTexts[rng() % std::size(kTexts)];
  return "https://h/" + std::string(rng() % 3000, 'a');
}

std::vector<std::string> RandomPrograms(std::mt19937& rng) {
  static const char* kEntries[] = {
      "jeu.exe",     "JEU.EXE", "C:\\Jeux\\jeu.exe", "Ωmega.exe", "ωMEGA.EXE", "ÉDITEUR.EXE",
      "éditeur.exe", " a.exe ", "a|b.exe",           "x?.exe",    "C:\\",      "\x01.exe"};
  std::vector<std::string> entries(rng() % (rng() % 8 ? 5 : 300));
  for (std::string& e : entries)
    e = rng() % 16 ? kEntries[rng() % std::size(kEntries)] : std::string(rng() % 300 + 200, 'a');
  return entries;
}

void Fill(fake::FakeRegistry& r, const PolicyPlace& place, std::mt19937& rng) {
  if (rng() % 4 == 0) return;  // no key
  r.AddKey(place.root, place.path);
  for (const PolicyValue& value : PolicyTable()) {
    const std::string name = RandomCase(value.name, rng);
    switch (rng() % 7) {
      case 0:
      case 1:
        break;  // absent
      case 2:
      case 3:
        r.SetDword(place.root, place.path, name, RandomNumber(rng));
        break;
      case 4:
        r.SetText(place.root, place.path, name, RandomText(rng));
        break;
      case 5:
        r.SetBytes(place.root, place.path, name, Type::MultiText,
                   fake::MultiTextBytes(RandomPrograms(rng)));
        break;
      default: {  // any bytes under any type
        std::string bytes(rng() % 11, '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        static const Type kTypes[] = {Type::Dword, Type::Text, Type::MultiText, Type::Binary};
        r.SetBytes(place.root, place.path, name, kTypes[rng() % std::size(kTypes)],
                   std::move(bytes));
      }
    }
  }
}

// The user's own options, each within its limits.
Options RandomOwnOptions(std::mt19937& rng) {
  Options o;
  o.method = static_cast<RecoveryMethod>(1 + rng() % 3);
  o.manualAmountMB = static_cast<int>(rng() % 4096);
  o.alarmOn = rng() % 2;
  o.alarmPercent = static_cast<int>(rng() % 101);
  o.periodicOn = rng() % 2;
  o.periodicMinutes = static_cast<int>(5 + rng() % 1436);
  o.maximumLoad = static_cast<int>(rng() % 101);
  o.directSteps = rng() % 2;
  o.balloons = rng() % 2;
  o.startWithWindows = rng() % 2;
  o.optimiseAtStart = rng() % 2;
  o.exclusionsPauseAuto = rng() % 2;
  o.exclusions = CleanExclusions(RandomPrograms(rng));
  return o;
}

// Empty when a reading keeps every rule, else what broke.
std::string Check(PolicyLayer& layer, const Options& own, const Options& inEffect) {
  if (std::string broken = BrokenLimit(inEffect, kMaxPolicyAmountMB); !broken.empty())
    return broken;
  if (Tied(layer.Own(inEffect)) != Tied(own)) return "the user's own options are lost";
  for (std::size_t i = 0; i < PolicyTable().size(); ++i)
    if (layer.Locks(i) && !layer.IsSet(i)) return "a control locked by no policy";
  const std::string& address = layer.Rules().newsAddress;
  if (!address.empty() && (address.size() > 2048 || !IsWebAddress(address)))
    return "a news address the download would not take";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 3000;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 20261209u);
  long set = 0;
  for (long it = 0; it < iterations; ++it) {
    fake::FakeRegistry r;
    const PolicyLocations where;
    Fill(r, where.machine, rng);
    Fill(r, where.user, rng);
    std::vector<std::string> log;
    PolicyLayer layer(r, where, [&log](const std::string& line) { log.push_back(line); });
    const Options own = RandomOwnOptions(rng);
    Options options = own;
    layer.Apply(options);
    std::string broken = Check(layer, own, options);
    for (std::size_t i = 0; i < PolicyTable().size(); ++i) set += layer.IsSet(i);
    if (broken.empty()) {
      const std::size_t logged = log.size();
      Options again = options;
      layer.Apply(again);
      if (Tied(again) != Tied(options)) broken = "a second reading changes the options";
      if (broken.empty()) broken = Check(layer, own, again);
      if (broken.empty() && log.size() != logged) broken = "a fault logged twice";
    }
    if (broken.empty()) {
      r.keys.clear();
      layer.Apply(options);
      if (Tied(options) != Tied(own)) broken = "the options stay the policies' once they are gone";
    }
    if (!broken.empty()) {
      std::fprintf(stderr, "iteration %ld: %s\n", it, broken.c_str());
      return 1;
    }
  }
  std::printf("policies_fuzz: %ld readings, %ld policies in force\n", iterations, set);
  return 0;
}
