#pragma once
// The program's entry: one copy at a time, the main window, the message loop.
#include <functional>
#include <string>

#include "settings/settings_store.h"

namespace kvn {

class TfMainMem;

struct StartOptions {
  std::string programKey = kProgramKey;  // under HKEY_CURRENT_USER
  // Called once the main window is built, before the message loop (tests drive it from here).
  std::function<void(TfMainMem&)> started;
};

int KorvaneMain(int showCommand, const StartOptions& options = {});

}  // namespace kvn
