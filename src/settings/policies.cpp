#include "settings/policies.h"

#include <algorithm>

#include "news/news_file.h"
#include "settings/exclusions.h"

namespace kvn {

namespace {

using Rules = PolicyRules;

template <auto Member>
void Copy(Options& to, const Options& from) {
  to.*Member = from.*Member;
}
// A switch is on at 1; a number is the option itself (the table gives its range).
template <auto Member>
void SetSwitch(Options& o, Rules&, std::int32_t v, const std::string&) {
  o.*Member = v == 1;
}
template <auto Member>
void SetNumber(Options& o, Rules&, std::int32_t v, const std::string&) {
  o.*Member = v;
}

// An address longer than this is no feed an administrator meant.
constexpr std::size_t kMaxAddress = 2048;

constexpr PolicyType Number = PolicyType::Number;

const PolicyValue kPolicies[] = {
    {"AlarmOn", Number, 0, 1, "alarmCheck", kLocksAtAnyValue, SetSwitch<&Options::alarmOn>,
     Copy<&Options::alarmOn>},
    // The spin edit turns 0 into 1: a level of 0 would never be what is in effect.
    {"AlarmPercent", Number, 1, 100, "alarmLevelEdit", kLocksAtAnyValue,
     SetNumber<&Options::alarmPercent>, Copy<&Options::alarmPercent>},
    {"PeriodicOn", Number, 0, 1, "periodicCheck", kLocksAtAnyValue, SetSwitch<&Options::periodicOn>,
     Copy<&Options::periodicOn>},
    {"PeriodicMinutes", Number, 5, 1440, "periodicMinutesEdit", kLocksAtAnyValue,
     SetNumber<&Options::periodicMinutes>, Copy<&Options::periodicMinutes>},
    {"MaximumLoad", Number, 0, 100, "maximumLoadEdit", kLocksAtAnyValue,
     SetNumber<&Options::maximumLoad>, Copy<&Options::maximumLoad>},
    {"Method", Number, 1, 3, "systemMethodRadio manualMethodRadio allMethodRadio", kLocksAtAnyValue,
     [](Options& o, Rules&, std::int32_t v, const std::string&) {
       o.method = static_cast<RecoveryMethod>(v);
     },
     Copy<&Options::method>},
    // Up to a terabyte; the track bar keeps it within the installed memory.
    {"ManualAmountMB", Number, 0, 1048576, "manualAmountTrackBar", kLocksAtAnyValue,
     SetNumber<&Options::manualAmountMB>, Copy<&Options::manualAmountMB>},
    {"DirectSteps", Number, 0, 1, "directStepsCheck", kLocksAtAnyValue,
     SetSwitch<&Options::directSteps>, Copy<&Options::directSteps>},
    {"StartWithWindows", Number, 0, 1, "startWithWindowsCheck", kLocksAtAnyValue,
     SetSwitch<&Options::startWithWindows>, Copy<&Options::startWithWindows>},
    {"OptimiseAtStart", Number, 0, 1, "optimiseAtStartCheck", kLocksAtAnyValue,
     SetSwitch<&Options::optimiseAtStart>, Copy<&Options::optimiseAtStart>},
    {"Balloons", Number, 0, 1, "balloonsCheck", kLocksAtAnyValue,
     [](Options& o, Rules& r, std::int32_t v, const std::string&) {
       o.balloons = v == 1;
       r.balloonsOff = v == 0;
     },
     Copy<&Options::balloons>},
    {"ShutdownCommands", Number, 0, 1, "shutdownMenu", 0,
     [](Options&, Rules& r, std::int32_t v, const std::string&) { r.shutdownAllowed = v == 1; },
     nullptr},
    {"News", Number, 0, 1, "newsButton", 0,
     [](Options&, Rules& r, std::int32_t v, const std::string&) { r.newsOff = v == 0; }, nullptr},
    {"NewsAddress", PolicyType::WebAddress, 0, 0, "", kLocksAtAnyValue,
     [](Options&, Rules& r, std::int32_t, const std::string& t) { r.newsAddress = t; }, nullptr},
    // Both governed in the exclusions' dialog, which shows them locked: the button stays, so
    // that the list can be read.
    {"Exclusions", PolicyType::ProgramList, 0, 0, "", kLocksAtAnyValue,
     [](Options& o, Rules&, std::int32_t, const std::string& t) {
       o.exclusions.clear();
       for (std::size_t at = 0; at < t.size();) {
         const std::size_t end = std::min(t.find('\n', at), t.size());
         o.exclusions.push_back(t.substr(at, end - at));
         at = end + 1;
       }
     },
     Copy<&Options::exclusions>},
    {"ExclusionsPauseAuto", Number, 0, 1, "", kLocksAtAnyValue,
     SetSwitch<&Options::exclusionsPauseAuto>, Copy<&Options::exclusionsPauseAuto>},
    {"TuningReadOnly", Number, 0, 1,
     "cacheSizeCombo secondLevelCacheCheck largeSystemCacheGroup kernelInMemoryCheck "
     "clearPageFileCheck unloadDllsCheck",
     1, [](Options&, Rules& r, std::int32_t v, const std::string&) { r.tuningReadOnly = v == 1; },
     nullptr},
};

}  // namespace

std::span<const PolicyValue> PolicyTable() {
  return kPolicies;
}

PolicyLayer::PolicyLayer(Registry& registry, PolicyLocations where,
                         std::function<void(const std::string&)> writeLog)
    : registry_(registry),
      where_(std::move(where)),
      writeLog_(std::move(writeLog)),
      set_(std::size(kPolicies), false),
      numbers_(std::size(kPolicies), 0) {}

bool PolicyLayer::Locks(std::size_t index) const {
  const std::int32_t at = kPolicies[index].locksAt;
  return set_[index] && (at == kLocksAtAnyValue || numbers_[index] == at);
}

PolicyLayer::Reading PolicyLayer::Read(RegistryKey& key, const PolicyValue& value) const {
  Reading r;
  if (value.type == PolicyType::WebAddress) {
    // Only an address the news download would take: http or https, URL characters only. The
    // policy's empty box means the usual address.
    if (auto text = key.ReadText(value.name);
        text && (text->empty() ||
                 (text->size() <= kMaxAddress && IsWebAddress(*text) && IsOpenableLink(*text)))) {
      r.good = true;
      r.text = std::move(*text);
    }
    return r;
  }
  if (value.type == PolicyType::ProgramList) {
    // An enabled policy with an empty list leaves no program excluded.
    if (auto list = key.ReadMultiText(value.name)) {
      r.good = true;
      for (const std::string& entry : CleanExclusions(*list)) r.text += entry + "\n";
      if (!r.text.empty()) r.text.pop_back();
    }
    return r;
  }
  if (const auto stored = key.ReadDword(value.name)) {
    r.number = static_cast<std::int32_t>(*stored);
    r.good = r.number >= value.min && r.number <= value.max;
  }
  return r;
}

void PolicyLayer::Apply(Options& options) {
  for (std::size_t i = 0; i < std::size(kPolicies); ++i)
    if (set_[i] && kPolicies[i].copy) kPolicies[i].copy(options, own_);
  own_ = options;
  rules_ = {};
  std::set<std::string> faults;
  std::fill(set_.begin(), set_.end(), false);
  // The machine's key first: a good value there wins; a bad one is as if absent.
  for (const PolicyPlace* place : {&where_.machine, &where_.user}) {
    auto key = registry_.OpenReadOnly(place->root, place->path);
    if (!key) continue;
    for (std::size_t i = 0; i < std::size(kPolicies); ++i) {
      const PolicyValue& value = kPolicies[i];
      if (set_[i] || !key->HasValue(value.name)) continue;
      Reading r = Read(*key, value);
      if (!r.good) {
        faults.insert(std::string(place->root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") +
                      place->path + "\\" + value.name);
        continue;
      }
      set_[i] = true;
      numbers_[i] = r.number;
      value.apply(options, rules_, r.number, r.text);
    }
  }
  for (const std::string& fault : faults)
    if (!faults_.count(fault) && writeLog_)
      writeLog_("Stratégie ignorée, valeur incorrecte : " + fault);
  faults_ = std::move(faults);
}

Options PolicyLayer::Own(const Options& inEffect) const {
  Options own = inEffect;
  for (std::size_t i = 0; i < std::size(kPolicies); ++i)
    if (set_[i] && kPolicies[i].copy) kPolicies[i].copy(own, own_);
  return own;
}

}  // namespace kvn
