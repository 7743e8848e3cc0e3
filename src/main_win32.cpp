// Program entry: everything happens in the main window (shell/).
#include <windows.h>

#include "shell/program_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  return kvn::KorvaneMain(showCommand);
}
