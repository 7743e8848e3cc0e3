// korvane.exe with faults the tests can set off: the same program, started with
// KORVANE_TEST_KEY as its registry root (its settings and the Windows values it changes), and with
// KORVANE_TEST_FAULT ("throw", "crash", "overflow", "abort", "terminate", "crash holding the loader
// lock" or "crash holding the heap lock") the "Optimiser" button fails in that way instead of
// recovering memory; "crash while starting" crashes once the stored settings are loaded, before
// start-up saves them. The end of each recovery pass is written to the standard output, and, once
// the window is made, whether the portable copy's read-only line shows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "base/late_bound_win32.h"
#include "shell/main_window_win32.h"
#include "shell/program_win32.h"

namespace {

std::string Environment(const char* name) {
  char value[512] = {};
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n > 0 && n < sizeof(value) ? std::string(value, n) : std::string();
}

// Deep enough to run out of any stack; the volatile array keeps each frame alive.
volatile bool g_never = false;
int Recurse(int depth) {
  if (g_never) return 0;
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + frame[0];
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  // Before anything loads a DLL by name: no copy planted in the current folder is taken.
  kvn::RestrictDllSearchPath();
  kvn::StartOptions options;
  options.arguments = kvn::ProgramArguments();
  if (std::string key = Environment("KORVANE_TEST_KEY"); !key.empty())
    options.places = kvn::PlacesUnder(key);
  const std::string fault = Environment("KORVANE_TEST_FAULT");
  if (fault == "crash while starting")
    options.settingsLoaded = [](kvn::MainWindow&) { *static_cast<volatile int*>(nullptr) = 1; };
  options.started = [fault](kvn::MainWindow& window) {
    // Each pass's end on the standard output, for the command line's tests.
    auto& after = window.engine().OnAfterDefrag;
    after = [previous = after](kvn::MemoryEngine& engine) {
      if (previous) previous(engine);
      std::printf("pass ended\n");
      std::fflush(stdout);
    };
    // Whether the portable copy's read-only line shows: painted by its page, it has no window
    // another process could look at.
    std::printf("portable line %s\n",
                window.form.portableUnsavedLabel.Visible() ? "shown" : "hidden");
    std::fflush(stdout);
    auto& button = window.form.optimiseButton.OnClick;
    if (fault == "throw")
      button = [] { throw std::runtime_error("Échec simulé"); };
    else if (fault == "crash")
      button = [] { *static_cast<volatile int*>(nullptr) = 1; };
    else if (fault == "overflow")
      button = [] { Recurse(0); };
    else if (fault == "abort")
      button = [] { std::abort(); };
    else if (fault == "terminate")  // an exception escaping a thread
      button = [] { std::thread([] { throw std::runtime_error("perdue"); }).join(); };
    else if (fault == "crash holding the loader lock")  // as in a DLL's start
      button = [] {
        using LockLoader = LONG(WINAPI*)(ULONG, ULONG*, ULONG_PTR*);
        ULONG_PTR cookie = 0;
        kvn::LateBound<LockLoader>(L"ntdll.dll", "LdrLockLoaderLock")(0, nullptr, &cookie);
        *static_cast<volatile int*>(nullptr) = 1;
      };
    else if (fault == "crash holding the heap lock")  // as in a corrupt heap's own code
      button = [] {
        HeapLock(GetProcessHeap());
        *static_cast<volatile int*>(nullptr) = 1;
      };
  };
  return kvn::KorvaneMain(showCommand, options);
}
