#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

TEST(CommandLine, OptionsAndTheirArguments) {
  using Kind = CommandLine::Kind;
  struct Case {
    std::vector<std::string> arguments;
    Kind kind;
    int megabytes;
  };
  const Case cases[] = {
      {{}, Kind::Window, 0},
      {{"/optimiser"}, Kind::Optimise, 0},
      {{"-OPTIMISER"}, Kind::Optimise, 0},
      {{"/optimiser", "300"}, Kind::Optimise, 300},
      {{"/optimiser", "1048576"}, Kind::Optimise, 1048576},
      {{"/optimiser", "1048577"}, Kind::Invalid, 0},
      {{"/optimiser", "0"}, Kind::Invalid, 0},
      {{"/optimiser", "-3"}, Kind::Invalid, 0},
      {{"/optimiser", "12Mo"}, Kind::Invalid, 0},
      {{"/optimiser", "99999999999"}, Kind::Invalid, 0},
      {{"/optimiser", ""}, Kind::Invalid, 0},
      {{"/optimiser", "1", "2"}, Kind::Invalid, 0},
      {{"/Etat"}, Kind::State, 0},
      {{"/etat", "x"}, Kind::Invalid, 0},
      {{"etat"}, Kind::Invalid, 0},
      {{"/"}, Kind::Invalid, 0},
      {{"/aide"}, Kind::Invalid, 0},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.arguments);
    std::string shown;
    for (const auto& a : c.arguments) shown += "[" + a + "]";
    EXPECT_EQ(line.kind, c.kind) << shown;
    EXPECT_EQ(line.megabytes, c.megabytes) << shown;
  }
}

TEST(CommandLine, TheStateInFrench) {
  EXPECT_EQ(FormatMachineState({1234, 61, 80, 2048, 7}),
            "Mémoire libre : 1234 Mo (61 %)\r\nFichier d'échange : 80 / 2048 Mo\r\n"
            "Charge processeur : 7 %\r\n");
}

// What a copy takes from a /optimiser message, whoever posted it.
TEST(OptimiseMessage, TheAmountIsOneTheCommandLineGives) {
  for (const std::uint64_t wParam : {0ull, 1ull, 1048576ull, 1048577ull, 0xFFFFFFFFull})
    EXPECT_EQ(OptimiseMessageAmount(wParam),
              wParam <= 1048576 ? std::optional<int>(static_cast<int>(wParam)) : std::nullopt);
}

}  // namespace
}  // namespace kvn
