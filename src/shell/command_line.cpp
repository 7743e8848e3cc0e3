#include "shell/command_line.h"

#include "base/text.h"

namespace kvn {

namespace {

// "/name" or "-name", any case; empty when the argument is no option.
std::string OptionName(const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return {};
  return AsciiLower(std::string_view(argument).substr(1));
}

// A whole number of megabytes from 1 to 1,048,576 (1 TB); 0 when the text is anything else.
int ParseMegabytes(const std::string& text) {
  if (text.empty() || text.size() > 7) return 0;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= kMaxOptimiseMB ? static_cast<int>(value) : 0;
}

}  // namespace

std::optional<int> OptimiseMessageAmount(std::uint64_t wParam) {
  if (wParam > static_cast<std::uint64_t>(kMaxOptimiseMB)) return std::nullopt;
  return static_cast<int>(wParam);
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  const std::string option = OptionName(arguments[0]);
  if (option == "optimiser" && arguments.size() <= 2) {
    line.kind = CommandLine::Kind::Optimise;
    if (arguments.size() == 2) {
      line.megabytes = ParseMegabytes(arguments[1]);
      if (line.megabytes == 0) line.kind = CommandLine::Kind::Invalid;
    }
  } else if (option == "etat" && arguments.size() == 1) {
    line.kind = CommandLine::Kind::State;
  } else {
    line.kind = CommandLine::Kind::Invalid;
  }
  return line;
}

std::string FormatMachineState(const MachineState& state) {
  return "Mémoire libre : " + std::to_string(state.freeMB) + " Mo (" +
         std::to_string(state.freePercent) + " %)\r\n" +
         "Fichier d'échange : " + std::to_string(state.swapUsedMB) + " / " +
         std::to_string(state.swapTotalMB) + " Mo\r\n" +
         "Charge processeur : " + std::to_string(state.processorLoad) + " %\r\n";
}

}  // namespace kvn
