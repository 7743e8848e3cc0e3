// Each option's row holds together: its default, choices and policy within its range, every
// number loading takes within it too, its names one value's under one key, its policy read.
#include "settings/option_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string>

#include "base/text.h"
#include "settings/policies.h"

namespace kvn {
namespace {

TEST(OptionTable, EveryRowHoldsTogether) {
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();
  // Whether under the subkey, and the name as the registry sees it.
  std::set<std::pair<bool, std::string>> names;
  for (const OptionRow* row : kOptionTable) {
    const OptionRow& r = *row;
    SCOPED_TRACE(r.stored.savedAs ? r.stored.savedAs : "the DLL switch");
    EXPECT_TRUE(r.min <= r.def && r.def <= r.max);
    EXPECT_TRUE(r.type != OptionType::Switch || (r.min == 0 && r.max == 1));
    EXPECT_TRUE((r.type != OptionType::Item && r.type != OptionType::ItemOfTwo) || r.min == -1);
    for (const std::int32_t choice : r.choices) EXPECT_TRUE(r.min <= choice && choice <= r.max);
    EXPECT_TRUE(r.choices.empty() || std::ranges::find(r.choices, r.def) != r.choices.end());
    const std::int32_t above = r.max == kHighest ? kHighest : r.max + 1;
    for (const std::int32_t stored : {kLowest, -1, 0, 1, r.min - 1, above, kHighest}) {
      const auto loaded = Loaded(r, stored, 1024);
      EXPECT_TRUE(r.outside == Outside::Taken || !loaded || (r.min <= *loaded && *loaded <= r.max))
          << stored;
    }
    if (r.policy.name) {
      EXPECT_TRUE(r.min <= r.policy.min && r.policy.min <= r.policy.max && r.policy.max <= r.max);
      const auto policies = PolicyTable();
      const auto read = std::ranges::find(policies, &r, &PolicyValue::option);
      EXPECT_TRUE(read != policies.end() && std::string(read->name) == r.policy.name)
          << "a policy never read";
    }
    if (r.stored.savedAs) {
      const std::string name = AsciiLower(r.stored.savedAs);
      EXPECT_EQ(AsciiLower(r.stored.testedAs), name);
      EXPECT_EQ(AsciiLower(r.stored.readAs), name);
      EXPECT_TRUE(names.insert({r.place == OptionPlace::RecoverProperty, name}).second);
    }
  }
}

}  // namespace
}  // namespace kvn
