// Program entry: everything happens in the main window (shell/).
#include <windows.h>

#include "base/late_bound_win32.h"
#include "shell/program_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  // Before anything loads a DLL by name: no copy planted in the current folder is taken.
  kvn::RestrictDllSearchPath();
  kvn::StartOptions options;
  options.arguments = kvn::ProgramArguments();
  return kvn::KorvaneMain(showCommand, options);
}
