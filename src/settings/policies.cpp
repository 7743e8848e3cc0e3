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

// An address longer than this is no feed an administrator meant.
constexpr std::size_t kMaxAddress = 2048;

constexpr PolicyType Number = PolicyType::Number;

// The policy over an option: its name, range and control are the row's.
constexpr PolicyValue Over(const OptionRow& row, decltype(PolicyValue::apply) apply = nullptr,
                           decltype(PolicyValue::copy) copy = nullptr) {
  return {row.policy.name,
          row.type == OptionType::ProgramList ? PolicyType::ProgramList : Number,
          row.policy.min,
          row.policy.max,
          row.control,
          kLocksAtAnyValue,
          &row,
          apply,
          copy};
}

const PolicyValue kPolicies[] = {
    Over(kAlarmOnOption),
    Over(kAlarmPercentOption),
    Over(kPeriodicOnOption),
    Over(kPeriodicMinutesOption),
    Over(kMaximumLoadOption),
    Over(kMethodOption),
    Over(kManualAmountOption),
    Over(kDirectStepsOption),
    Over(kStartWithWindowsOption),
    Over(kOptimiseAtStartOption),
    Over(kBalloonsOption,
         [](Options&, Rules& r, std::int32_t v, const std::string&) { r.balloonsOff = v == 0; }),
    {"ShutdownCommands", Number, 0, 1, OptionControl::ShutdownMenu, 0, nullptr,
     [](Options&, Rules& r, std::int32_t v, const std::string&) { r.shutdownAllowed = v == 1; },
     nullptr},
    {"News", Number, 0, 1, OptionControl::NewsButton, 0, nullptr,
     [](Options&, Rules& r, std::int32_t v, const std::string&) { r.newsOff = v == 0; }, nullptr},
    {"NewsAddress", PolicyType::WebAddress, 0, 0, OptionControl::None, kLocksAtAnyValue, nullptr,
     [](Options&, Rules& r, std::int32_t, const std::string& t) { r.newsAddress = t; }, nullptr},
    // Both governed in the exclusions' dialog, which shows them locked: the button stays, so
    // that the list can be read.
    Over(
        kExclusionsOption,
        [](Options& o, Rules&, std::int32_t, const std::string& t) {
          o.exclusions.clear();
          for (std::size_t at = 0; at < t.size();) {
            const std::size_t end = std::min(t.find('\n', at), t.size());
            o.exclusions.push_back(t.substr(at, end - at));
            at = end + 1;
          }
        },
        Copy<&Options::exclusions>),
    Over(kExclusionsPauseAutoOption),
    {"TuningReadOnly", Number, 0, 1, OptionControl::WindowsTuningControls, 1, nullptr,
     [](Options&, Rules& r, std::int32_t v, const std::string&) { r.tuningReadOnly = v == 1; },
     nullptr},
};

// The user's own value of a policy's option back in place (nothing for a rule).
void CopyOption(const PolicyValue& value, Options& to, const Options& from) {
  if (value.copy)
    value.copy(to, from);
  else if (value.option)
    value.option->field.set(to, value.option->field.get(from));
}

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
    if (set_[i]) CopyOption(kPolicies[i], options, own_);
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
      // A switch is on at 1; a number is the option itself (the row gives its range).
      if (value.option && value.option->field.set) value.option->field.set(options, r.number);
      if (value.apply) value.apply(options, rules_, r.number, r.text);
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
    if (set_[i]) CopyOption(kPolicies[i], own, own_);
  return own;
}

}  // namespace kvn
