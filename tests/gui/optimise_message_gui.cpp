// The /optimiser message as any program on the desktop can post it. Wine has no integrity
// levels: that Windows filters the other messages from lower rights cannot be tried here.
#include <thread>

#include "gui/main_window_fixture.h"
#include "shell/command_line.h"

namespace kvn {
namespace {

using OptimiseMessageTest = testing::MainWindowFixture;

TEST_F(OptimiseMessageTest, OnlyAnAmountAKorvaneCopySendsStartsASeries) {
  window->options.method = RecoveryMethod::Manual;
  window->options.manualAmountMB = 2;
  for (const WPARAM amount : {0u, 3u, kMaxOptimiseMB + 1u, 0x80000000u, 0xFFFFFFFFu}) {
    window->form.statusBar.SetPanelText(Recovery::kProgressPanel, "-");
    std::thread([&] {
      PostMessageW(window->Handle(), MainWindow::OptimiseMessage(), amount, 0);
    }).join();
    testing::PumpMessages(200);
    EXPECT_EQ(window->form.statusBar.PanelText(Recovery::kProgressPanel) != "-", amount <= 3)
        << amount;
  }
}

}  // namespace
}  // namespace kvn
