#pragma once
// The programs the user protects from the program's own hands: their working sets are never
// emptied, and while one runs the automatic rules may hold back. An entry is a file name
// ("jeu.exe") or a full path ("C:\Jeux\jeu.exe"); both match without regard to letter case.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvn {

inline constexpr std::size_t kMaxExclusions = 256;
// MAX_PATH counts the terminating NUL.
inline constexpr std::size_t kMaxExclusionChars = 259;

// Keeps what can name a program: trimmed of blanks, neither empty nor longer than a path may be,
// without control characters or the characters no file name holds; a second spelling of an
// entry and everything past kMaxExclusions is dropped.
std::vector<std::string> CleanExclusions(const std::vector<std::string>& entries);

// The last part of a path ("jeu.exe" for "C:\Jeux\jeu.exe").
std::string_view FileNameOf(std::string_view path);

// The entry that covers a program, given by its full path (or by its file name alone when the
// path cannot be known: then only the bare names match); null when none does.
const std::string* ExcludedBy(const std::vector<std::string>& entries, std::string_view program);

// A process as a snapshot names it: its identifier and its file name.
struct RunningProgram {
  std::uint32_t id = 0;
  std::string name;
};
// The entry covering one of the running programs, null when none does. The full path is asked
// for (programOf) only of a process whose file name is that of a full-path entry: opening every
// process would cost far more than the snapshot.
const std::string* RunningExcluded(const std::vector<std::string>& entries,
                                   const std::vector<RunningProgram>& running,
                                   const std::function<std::string(std::uint32_t)>& programOf);

// "Optimisation automatique suspendue : jeu.exe en cours".
std::string HoldBackText(std::string_view entry);

}  // namespace kvn
