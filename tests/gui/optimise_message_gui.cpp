// The /optimiser message as any program on the desktop can post it. Wine has no integrity
// levels: that Windows filters the other messages from lower rights cannot be tried here.
#include <thread>

#include "gui/main_window_fixture.h"
#include "shell/command_line.h"

namespace kvn {
namespace {

using OptimiseMessageTest = testing::MainWindowFixture;
using testing::PumpMessages;

TEST_F(OptimiseMessageTest, OnlyAnAmountAKorvaneCopySendsStartsASeries) {
  window->options.method = RecoveryMethod::Manual;
  window->options.manualAmountMB = 2;
  const struct {
    WPARAM amount;
    bool runs;
  } rows[] = {{0, true},
              {3, true},
              {kMaxOptimiseMB + 1, false},
              {0x80000000u, false},
              {0xFFFFFFFFu, false}};
  for (const auto& r : rows) {
    window->form.StatusBar.SetPanelText(Recovery::kProgressPanel, "-");
    std::thread([&] {
      PostMessageW(window->Handle(), TfMainMem::OptimiseMessage(), r.amount, 0);
    }).join();
    PumpMessages(200);
    EXPECT_EQ(window->form.StatusBar.PanelText(Recovery::kProgressPanel) != "-", r.runs)
        << r.amount;
  }
}

}  // namespace
}  // namespace kvn
