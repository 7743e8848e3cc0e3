#pragma once
// The command line, for scripts and scheduled tasks:
//   korvane.exe                 the program as usual
//   korvane.exe /optimiser [Mo] one recovery series in the running copy (started hidden if none)
//   korvane.exe /etat           free memory, page-file use and processor load on the console
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvn {

struct CommandLine {
  enum class Kind { Window, Optimise, State, Invalid };
  Kind kind = Kind::Window;
  int megabytes = 0;  // /optimiser: 0 for the window's own method and amount
};

inline constexpr const char* kUsageTitle = "Korvane";
inline constexpr const char* kUsage =
    "Utilisation : korvane.exe [/optimiser [Mo] | /etat]\r\n\r\n"
    "  (aucun argument)\tdémarre Korvane.\r\n"
    "  /optimiser\t\tlance une optimisation de la RAM dans Korvane (démarré caché s'il ne "
    "tourne pas).\r\n"
    "  /optimiser Mo\t\tla même, de Mo mégaoctets.\r\n"
    "  /etat\t\taffiche la mémoire libre, le fichier d'échange et la charge du processeur.";

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
};
std::string FormatMachineState(const MachineState& state);

}  // namespace kvn
