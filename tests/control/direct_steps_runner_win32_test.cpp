// The direct steps run away from the window's thread while its messages go on, and a quit
// request met meanwhile ends the pumping instead of waking the wait for ever.
#include "control/direct_steps_runner_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "fakes/fake_direct_recovery.h"

namespace kvn {
namespace {

constexpr UINT kNudge = WM_APP + 7;

TEST(DirectStepsRunner, PumpsUntilTheStepsEndAndStopsPumpingAtAQuit) {
  struct Case {
    const char* what;
    bool quitPending;  // posted before the steps start
    int maxPumps;      // a wait woken for ever would pump thousands of times
  } cases[] = {{"messages meanwhile", false, 10}, {"quit pending", true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DWORD windowThread = GetCurrentThreadId();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists
    auto system = std::make_unique<fakes::FakeDirectRecoverySystem>();
    system->onEmpty = [windowThread] {
      PostThreadMessageW(windowThread, kNudge, 0, 0);
      Sleep(100);
    };
    DirectStepsRunner runner(std::move(system));
    if (c.quitPending) PostQuitMessage(3);
    int pumps = 0, nudges = 0;
    const auto result = runner.Run(
        [&] {
          ++pumps;
          MSG msg;
          while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
              PostQuitMessage(static_cast<int>(msg.wParam));
              return true;
            }
            nudges += msg.message == kNudge;
          }
          return false;
        },
        [](const std::string&) {});
    EXPECT_EQ(result.processesEmptied, 2);
    EXPECT_GE(pumps, 1);
    EXPECT_LE(pumps, c.maxPumps);
    if (!c.quitPending) {
      EXPECT_EQ(nudges, 2) << "each message of the steps pumped";
    }
    const bool quitLeft = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_EQ(quitLeft, c.quitPending) << "the quit request stays for the main loop";
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
}  // namespace kvn
