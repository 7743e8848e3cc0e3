// Program entry: everything happens in the main window (shell/).
#include <windows.h>

#include "base/late_bound_win32.h"
#include "base/startup_trace_win32.h"
#include "shell/program_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  kvn::StartupStage("program loaded");
  // Before anything loads a DLL by name: no copy planted in the current folder is taken.
  kvn::RestrictDllSearchPath();
  kvn::StartOptions options;
  options.arguments = kvn::ProgramArguments();
  return kvn::KorvaneMain(showCommand, options);
}
