// Program entry: everything happens in the main window (shell/).
#include <windows.h>

#include "shell/program_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  kvn::StartOptions options;
  options.arguments = kvn::ProgramArguments();
  return kvn::KorvaneMain(showCommand, options);
}
