#pragma once
// Where the running program file lives, whatever the length of its path.
#include <string>

namespace kvn {

// The full path of the program file, UTF-8; "" when Windows cannot say.
std::string ProgramFilePath();
// Its folder, ending in a path separator; "" when Windows cannot say.
std::string ProgramFileFolder();

}  // namespace kvn
