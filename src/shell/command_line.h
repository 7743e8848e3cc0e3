#pragma once
// The command line, for scripts and scheduled tasks:
//   korvane.exe                 the program as usual
//   korvane.exe /optimiser [Mo] one recovery series in the running copy (started hidden if none)
//   korvane.exe /etat           free memory, page-file use and processor load on the console
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

struct CommandLine {
  enum class Kind { Window, Optimise, State, Invalid };
  Kind kind = Kind::Window;
  int megabytes = 0;    // /optimiser: 0 for the window's own method and amount
  std::string unknown;  // Invalid: the first argument not understood
};

inline constexpr const char* kUsageTitle = "Korvane";
inline constexpr const char* kUsageHeading = "Utilisation : korvane.exe [/optimiser [Mo] | /etat]";
// The rows under the heading: an option and what it does.
struct UsageRow {
  const char* option;
  const char* text;
};
inline constexpr UsageRow kUsageRows[] = {
    {"(aucun argument)", "démarre Korvane."},
    {"/optimiser",
     "lance une optimisation de la RAM dans Korvane (démarré caché s'il ne tourne pas)."},
    {"/optimiser Mo", "la même, de Mo mégaoctets."},
    {"/etat", "affiche la mémoire libre, le fichier d'échange et la charge du processeur."},
};
// What goes between an option and its text so that every text starts in one column.
using UsagePadding = std::string (*)(std::string_view option);
// Spaces, for a console's fixed-width characters.
std::string SpacesToTheTextColumn(std::string_view option);
// The usage text, naming the argument not understood (cut to 60 characters).
std::string UsageText(std::string_view unknown, UsagePadding padding = SpacesToTheTextColumn);

// /optimiser when the running copy could not be given the request.
inline constexpr const char* kNotDelivered =
    "Korvane tourne mais n'a pas pu recevoir la demande d'optimisation.";

// The largest amount /optimiser takes: 1 TB.
inline constexpr int kMaxOptimiseMB = 1048576;

// The amount a /optimiser message carries, as the running copy takes it from whichever program
// posted it: 0 (the window's own amount) or 1 to kMaxOptimiseMB, which the series keeps within
// the installed memory. No copy of Korvane sends anything else: nothing is done then.
std::optional<int> OptimiseMessageAmount(std::uint64_t wParam);

// The arguments after the program's name. Options are case-insensitive and start with '/' or '-'.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The lines /etat prints.
struct MachineState {
  long long freeMB = 0;
  int freePercent = 0;
  long long swapUsedMB = 0;
  long long swapTotalMB = 0;
  int processorLoad = 0;
  // "En attente : 5120 Mo, modifiée : 210 Mo, libre : 830 Mo" where Windows counts the lists.
  std::string memoryLists;
};
std::string FormatMachineState(const MachineState& state);

}  // namespace kvn
