#pragma once
// Links and files opened with the program the system associates with them.
#include <windows.h>

#include <string>

namespace kvn {

// The show command the program was started with (the shortcut's "run minimised" and the like).
int StartupShowCommand();

// ShellExecute on target (a web address, a mail link, a file): the verb (null for the default
// one), the show command and the owner as given. A failure is not reported.
void OpenWithShell(const std::string& target, const wchar_t* verb = nullptr,
                   int showCommand = StartupShowCommand(), HWND owner = nullptr);

}  // namespace kvn
