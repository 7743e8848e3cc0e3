#pragma once
// Where the running program file lives, whatever the length of its path.
#include <string>

namespace kvn {

// The full path of the program file, UTF-8; "" when Windows cannot say.
std::string ProgramFilePath();
// Its folder, ending in a path separator; "" when Windows cannot say.
std::string ProgramFileFolder();

// korvane.ini beside the program makes a portable copy: its settings and every file it writes
// stay in its folder.
inline constexpr char kPortableFileName[] = "korvane.ini";
bool IsPortableCopy();

}  // namespace kvn
