#include "settings/exclusions.h"

#include "base/text.h"

#include <algorithm>

namespace kvn {

namespace {

bool IsPath(std::string_view entry) {
  return entry.find_first_of("\\/") != std::string_view::npos;
}

// Letter case folded for ASCII and the Latin-1 letters (UTF-8 C3 80 to C3 9E, but not the
// multiplication sign): the names a French user types.
std::string Folded(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    auto& c = reinterpret_cast<unsigned char&>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<unsigned char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      auto& next = reinterpret_cast<unsigned char&>(out[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97)
        next = static_cast<unsigned char>(next + 32);
      ++i;
    }
  }
  // Either slash separates a path's parts.
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
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
  const std::string name = Folded(FileNameOf(program));
  const std::string path = Folded(program);
  for (const std::string& entry : entries) {
    // A full path covers that one copy only; a name given without path covers every copy.
    if (IsPath(entry) ? Folded(entry) == path : Folded(entry) == name) return &entry;
  }
  return nullptr;
}

const std::string* RunningExcluded(const std::vector<std::string>& entries,
                                   const std::vector<RunningProgram>& running,
                                   const std::function<std::string(std::uint32_t)>& programOf) {
  for (const RunningProgram& program : running) {
    if (const std::string* entry = ExcludedBy(entries, program.name)) return entry;
    const std::string name = Folded(program.name);
    const bool pathNamesIt = std::any_of(entries.begin(), entries.end(), [&](const std::string& e) {
      return IsPath(e) && Folded(FileNameOf(e)) == name;
    });
    if (pathNamesIt && programOf)
      if (const std::string* entry = ExcludedBy(entries, programOf(program.id))) return entry;
  }
  return nullptr;
}

std::string HoldBackText(std::string_view entry) {
  return "Optimisation automatique suspendue : " + std::string(FileNameOf(entry)) + " en cours";
}

}  // namespace kvn
