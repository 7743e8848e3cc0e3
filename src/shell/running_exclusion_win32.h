#pragma once
// Whether one of the excluded programs runs, for the automatic rules' hold-back.
#include <string>
#include <vector>

namespace kvn {

// The entry of the first excluded program found running, empty when none: one toolhelp snapshot,
// and a full path asked only of the processes a full-path entry names.
std::string FindRunningExclusion(const std::vector<std::string>& exclusions);

}  // namespace kvn
