#include "shell/command_line.h"

#include <algorithm>

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

CommandLine Invalid(const std::string& argument) {
  return {CommandLine::Kind::Invalid, 0, argument};
}

// Characters as a console counts them: UTF-8 continuation bytes take no column.
std::size_t Columns(std::string_view text) {
  return Utf8Characters(text);
}

}  // namespace

std::optional<int> OptimiseMessageAmount(std::uint64_t wParam) {
  if (wParam > static_cast<std::uint64_t>(kMaxOptimiseMB)) return std::nullopt;
  return static_cast<int>(wParam);
}

std::string SpacesToTheTextColumn(std::string_view option) {
  std::size_t widest = 0;
  for (const UsageRow& row : kUsageRows) widest = std::max(widest, Columns(row.option));
  return std::string(widest + 2 - std::min(widest, Columns(option)), ' ');
}

std::string UsageText(std::string_view unknown, UsagePadding padding) {
  std::string text = std::string(kUsageHeading) + "\r\n\r\n";
  // Long texts go on in their column: a box would wrap them back to its left edge.
  constexpr std::size_t kTextColumns = 26;
  for (const UsageRow& row : kUsageRows) {
    std::string_view rest = row.text;
    std::string_view option = row.option;
    while (!rest.empty()) {
      std::size_t end = rest.size();
      if (Columns(rest) > kTextColumns) {
        end = rest.rfind(' ', kTextColumns);
        if (end == std::string_view::npos) end = rest.find(' ');
        if (end == std::string_view::npos) end = rest.size();
      }
      text += std::string("  ") + std::string(option) + padding(option) +
              std::string(rest.substr(0, end)) + "\r\n";
      rest.remove_prefix(std::min(rest.size(), end + 1));
      option = {};
    }
  }
  // A long argument would only widen the box; its start says enough (cut between characters).
  std::string shown(unknown);
  if (shown.size() > 60) {
    std::size_t cut = 60;
    while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) --cut;
    shown = shown.substr(0, cut) + "...";
  }
  return text + "\r\nArgument non compris : " + shown + "\r\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  const std::string option = OptionName(arguments[0]);
  if (option == "optimiser") {
    line.kind = CommandLine::Kind::Optimise;
    if (arguments.size() >= 2) {
      line.megabytes = ParseMegabytes(arguments[1]);
      if (line.megabytes == 0) return Invalid(arguments[1]);
    }
    if (arguments.size() > 2) return Invalid(arguments[2]);
  } else if (option == "etat") {
    line.kind = CommandLine::Kind::State;
    if (arguments.size() > 1) return Invalid(arguments[1]);
  } else {
    return Invalid(arguments[0]);
  }
  return line;
}

std::string FormatMachineState(const MachineState& state) {
  return "Mémoire libre : " + std::to_string(state.freeMB) + " Mo (" +
         std::to_string(state.freePercent) + " %)\r\n" +
         "Fichier d'échange : " + std::to_string(state.swapUsedMB) + " / " +
         std::to_string(state.swapTotalMB) + " Mo\r\n" +
         "Charge processeur : " + std::to_string(state.processorLoad) + " %\r\n" +
         (state.memoryLists.empty() ? "" : "Listes mémoire : " + state.memoryLists + "\r\n");
}

}  // namespace kvn
