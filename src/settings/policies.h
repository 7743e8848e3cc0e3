#pragma once
// What an administrator sets for every user of a machine: Group Policy writes it under
// Software\Policies\Korvane, the machine's key first, then the user's (the machine's wins). A value
// set there takes the place of the user's option, is never saved as his, and its control is
// disabled with a hint saying why; once removed, the user's own option is back. One table
// (policies.cpp) gives each value's name, type, range and the controls it governs, a policy over
// an option as its row says (settings/option_table.h): the reader, the window and the
// administrative template's test all read it.
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/registry.h"
#include "settings/option_table.h"
#include "settings/options.h"

namespace kvn {

inline constexpr char kPolicyKey[] = "Software\\Policies\\Korvane";
inline constexpr char kSetByAdministrator[] = "Défini par votre administrateur";

struct PolicyPlace {
  RegistryRoot root;
  std::string path;
};
// Read in this order; tests give keys of their own.
struct PolicyLocations {
  PolicyPlace machine{RegistryRoot::LocalMachine, kPolicyKey};
  PolicyPlace user{RegistryRoot::CurrentUser, kPolicyKey};
};

// What policies decide beyond the options.
struct PolicyRules {
  bool shutdownAllowed = true;  // the tray menu's shut-down, restart and log-off
  bool newsOff = false;         // "&Infos directs"
  std::string newsAddress;      // empty: the usual one
  bool tuningReadOnly = false;  // the machine's memory values and the DLL switch stay as they are
  bool balloonsOff = false;     // no balloon at all, the first start's word included
};

// A REG_DWORD within [min, max], a REG_SZ web address, or a REG_MULTI_SZ of program names (handed
// to apply one a line, bad ones dropped).
enum class PolicyType { Number, WebAddress, ProgramList };
// A value locks its controls whatever it is, or only at one value (a command forbidden).
inline constexpr std::int32_t kLocksAtAnyValue = -1;

struct PolicyValue {
  const char* name;
  PolicyType type;
  std::int32_t min, max;
  // The form's controls or menu item it governs.
  OptionControl control;
  std::int32_t locksAt;
  // The option it sets, through the row's member: null for a rule.
  const OptionRow* option;
  // What it decides beyond a number's option; null for nothing.
  void (*apply)(Options&, PolicyRules&, std::int32_t number, const std::string& text);
  // Copies its option from one set of options to another, where the row's member cannot.
  void (*copy)(Options& to, const Options& from);
};

std::span<const PolicyValue> PolicyTable();

// The policies in force over the user's options.
class PolicyLayer {
 public:
  PolicyLayer(Registry& registry, PolicyLocations where,
              std::function<void(const std::string&)> writeLog);

  // Reads the policies again and puts their values in place of the options; an option a policy
  // no longer sets gets the user's own value back.
  void Apply(Options& options);
  // The options as the user set them: in effect, with his own value for every policy set.
  Options Own(const Options& inEffect) const;
  // Whether a value of the table is set, and whether it locks its controls.
  bool IsSet(std::size_t index) const { return set_[index]; }
  bool Locks(std::size_t index) const;
  const PolicyRules& Rules() const { return rules_; }

 private:
  struct Reading {
    bool good = false;
    std::int32_t number = 0;
    std::string text;
  };
  Reading Read(RegistryKey& key, const PolicyValue& value) const;

  Registry& registry_;
  PolicyLocations where_;
  std::function<void(const std::string&)> writeLog_;
  Options own_;
  std::vector<bool> set_;
  std::vector<std::int32_t> numbers_;
  PolicyRules rules_;
  std::set<std::string> faults_;  // logged once, until the value is mended or gone
};

}  // namespace kvn
