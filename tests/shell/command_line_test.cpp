#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <set>

namespace kvn {
namespace {

TEST(CommandLine, OptionsAndTheirArguments) {
  using Kind = CommandLine::Kind;
  struct Case {
    std::vector<std::string> arguments;
    Kind kind;
    int megabytes;
    const char* unknown = "";
  };
  const Case cases[] = {
      {{}, Kind::Window, 0},
      {{"/optimiser"}, Kind::Optimise, 0},
      {{"-OPTIMISER"}, Kind::Optimise, 0},
      {{"/optimiser", "300"}, Kind::Optimise, 300},
      {{"/optimiser", "1048576"}, Kind::Optimise, 1048576},
      {{"/optimiser", "1048577"}, Kind::Invalid, 0, "1048577"},
      {{"/optimiser", "0"}, Kind::Invalid, 0, "0"},
      {{"/optimiser", "-3"}, Kind::Invalid, 0, "-3"},
      {{"/optimiser", "12Mo"}, Kind::Invalid, 0, "12Mo"},
      {{"/optimiser", "99999999999"}, Kind::Invalid, 0, "99999999999"},
      {{"/optimiser", ""}, Kind::Invalid, 0, ""},
      {{"/optimiser", "1", "2"}, Kind::Invalid, 0, "2"},
      {{"/optimiser", "x", "2"}, Kind::Invalid, 0, "x"},
      {{"/Etat"}, Kind::State, 0},
      {{"/etat", "x"}, Kind::Invalid, 0, "x"},
      {{"etat"}, Kind::Invalid, 0, "etat"},
      {{"/"}, Kind::Invalid, 0, "/"},
      {{"/aide", "/etat"}, Kind::Invalid, 0, "/aide"},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    std::string shown;
    for (const auto& a : c.arguments) shown += "[" + a + "]";
    EXPECT_EQ(line.kind, c.kind) << shown;
    EXPECT_EQ(line.megabytes, c.megabytes) << shown;
    EXPECT_EQ(line.unknown, c.unknown) << shown;
  }
}

// On a console every option's text starts in one column, and the last line names the argument
// (a long one cut between two characters).
TEST(CommandLine, UsageLinesUpAndNamesTheArgument) {
  const std::string wide = std::string(59, 'a') + "\xC3\xA9" + "zzz";
  const std::pair<std::string, std::string> cases[] = {
      {"/aide", "Argument non compris : /aide"},
      {"été", "Argument non compris : été"},
      {wide, "Argument non compris : " + std::string(59, 'a') + "..."},
  };
  for (const auto& [unknown, named] : cases) {
    const std::string usage = UsageText(unknown);
    EXPECT_EQ(usage.rfind(std::string(kUsageHeading) + "\r\n\r\n", 0), 0u);
    EXPECT_EQ(usage.substr(usage.rfind("\r\n", usage.size() - 3) + 2), named + "\r\n");
    std::set<std::size_t> columns;
    for (const UsageRow& row : kUsageRows) {
      const std::size_t line = usage.find(std::string("\r\n  ") + row.option);
      ASSERT_NE(line, std::string::npos) << row.option;
      const std::string start = std::string(row.text).substr(0, 8);
      const std::string before = usage.substr(line + 2, usage.find(start, line) - line - 2);
      columns.insert(before.size());  // the options are ASCII: a byte a column
      EXPECT_EQ(before.find('\t'), std::string::npos) << row.option;
    }
    EXPECT_EQ(columns.size(), 1u) << usage;
  }
}

TEST(CommandLine, TheStateInFrench) {
  const std::string state =
      "Mémoire libre : 1234 Mo (61 %)\r\nFichier d'échange : 80 / 2048 Mo\r\n"
      "Charge processeur : 7 %\r\n";
  EXPECT_EQ(FormatMachineState({1234, 61, 80, 2048, 7, ""}), state);
  EXPECT_EQ(FormatMachineState({1234, 61, 80, 2048, 7, "En attente : 5120 Mo"}),
            state + "Listes mémoire : En attente : 5120 Mo\r\n");
}

// What a copy takes from a /optimiser message, whoever posted it.
TEST(OptimiseMessage, TheAmountIsOneTheCommandLineGives) {
  for (const std::uint64_t wParam : {0ull, 1ull, 1048576ull, 1048577ull, 0xFFFFFFFFull})
    EXPECT_EQ(OptimiseMessageAmount(wParam),
              wParam <= 1048576 ? std::optional<int>(static_cast<int>(wParam)) : std::nullopt);
}

}  // namespace
}  // namespace kvn
