#pragma once
// Where the program writes the files it keeps for itself. The user's own folder of the program
// holds the crash reports, and whatever the program's folder refuses: a standard user's copy
// under Program Files may not write beside itself. Every file there is anyone's to plant or edit
// (any program of the user can): it is read within bounds and never written through a link.
#include <string>

#include "base/fixed_text.h"
#include "base/unique_handle_win32.h"

namespace kvn {

// Adds "<the user's local application data>\Korvane\" to `path`, the folder made when missing;
// false when Windows names no such folder or it cannot be made. Takes nothing from the heap: the
// crash report calls it after a crash.
bool AddUserDataFolder(FixedWideText& path);
// The same folder, made when missing; empty when there is none.
std::wstring UserDataFolder();

// The folder of the news file, its downloads and the log, with its final backslash, decided on
// the first call of the run: the program's own when a new file can be made there or when the
// copy is portable (korvane.ini keeps everything beside it, a CD included), else
// UserDataFolder(). Empty when neither can be named.
const std::wstring& WritableFolder();

// A new file at `path`, never one already there: whatever stood under the name goes first, so
// that a link planted there is not written through. Open for writing, shared with nobody.
KernelHandle NewFile(const std::wstring& path);

}  // namespace kvn
