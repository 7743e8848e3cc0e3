#pragma once
// The program's entry: one copy at a time, the main window, the message loop.
#include <functional>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace kvn {

class MainWindow;

struct StartOptions {
  std::vector<std::string> arguments;  // after the program's name
  RegistryPlaces places;               // the real ones unless a test gives its own
  // Called once the main window is built, before the message loop (tests drive it from here).
  std::function<void(MainWindow&)> started;
  // Called once the stored settings are loaded, before start-up saves them (tests set off a
  // crash there).
  std::function<void(MainWindow&)> settingsLoaded;
};

int KorvaneMain(int showCommand, const StartOptions& options = {});

// The process's arguments after the program's name, as the C runtime would split them.
std::vector<std::string> ProgramArguments();

// /etat: the machine's state on the console the program was started from (or its redirected
// output); the exit code.
int PrintMachineState();

}  // namespace kvn
