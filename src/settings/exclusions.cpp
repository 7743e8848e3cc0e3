#include "settings/exclusions.h"

#include "base/text.h"

#include <algorithm>

namespace kvn {

namespace {

bool IsPath(std::string_view entry) {
  return entry.find_first_of("\\/") != std::string_view::npos;
}

// A name or a path in one letter case, whatever its script, with either slash as the separator.
// Most names are ASCII: those need no conversion.
std::string Folded(std::string_view text) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  std::string out = ascii ? AsciiUpper(text) : CaseFolded(text);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

// The entries folded once, for comparing many programs with them.
struct FoldedEntry {
  const std::string* entry;
  std::string folded;
  bool path;
};

std::vector<FoldedEntry> FoldedEntries(const std::vector<std::string>& entries) {
  std::vector<FoldedEntry> out;
  out.reserve(entries.size());
  for (const std::string& entry : entries) out.push_back({&entry, Folded(entry), IsPath(entry)});
  return out;
}

// The entry covering a program given by its folded path (or file name).
const std::string* Covering(const std::vector<FoldedEntry>& entries, std::string_view program) {
  const std::string_view name = FileNameOf(program);
  for (const FoldedEntry& e : entries) {
    // A full path covers that one copy only; a name given without path covers every copy.
    if (e.folded == (e.path ? program : name)) return e.entry;
  }
  return nullptr;
}

bool Acceptable(std::string_view entry) {
  if (entry.empty() || Utf8Characters(entry) > kMaxExclusionChars) return false;
  for (char ch : entry) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || std::string_view("<>\"|?*").find(ch) != std::string_view::npos)
      return false;
  }
  return !FileNameOf(entry).empty();
}

}  // namespace

std::vector<std::string> CleanExclusions(const std::vector<std::string>& entries) {
  std::vector<std::string> kept, folded;
  for (const std::string& raw : entries) {
    if (kept.size() == kMaxExclusions) break;
    std::string_view entry = raw;
    while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
      entry.remove_prefix(1);
    while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t')) entry.remove_suffix(1);
    if (!Acceptable(entry)) continue;
    std::string key = Folded(entry);
    if (std::find(folded.begin(), folded.end(), key) != folded.end()) continue;
    folded.push_back(std::move(key));
    kept.emplace_back(entry);
  }
  return kept;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

const std::string* ExcludedBy(const std::vector<std::string>& entries, std::string_view program) {
  if (program.empty()) return nullptr;
  return Covering(FoldedEntries(entries), Folded(program));
}

const std::string* RunningExcluded(const std::vector<std::string>& entries,
                                   const std::vector<RunningProgram>& running,
                                   const std::function<std::string(std::uint32_t)>& programOf) {
  const std::vector<FoldedEntry> folded = FoldedEntries(entries);
  for (const RunningProgram& program : running) {
    if (program.name.empty()) continue;
    const std::string name = Folded(program.name);
    if (const std::string* entry = Covering(folded, name)) return entry;
    const bool pathNamesIt = std::any_of(folded.begin(), folded.end(), [&](const FoldedEntry& e) {
      return e.path && FileNameOf(e.folded) == name;
    });
    if (!pathNamesIt || !programOf) continue;
    const std::string path = programOf(program.id);
    if (path.empty()) continue;
    if (const std::string* entry = Covering(folded, Folded(path))) return entry;
  }
  return nullptr;
}

std::string HoldBackText(std::string_view entry) {
  return "Optimisation automatique suspendue : " + std::string(FileNameOf(entry)) + " en cours";
}

}  // namespace kvn
