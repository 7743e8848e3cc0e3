#pragma once
// The real main window, built and brought to life for each test, as the program builds it, under
// a registry root of the test's own.
#include <gtest/gtest.h>

#include <memory>

#include "gui/registry_root.h"
#include "gui/screenshot.h"
#include "shell/main_window_win32.h"
#include "sysinfo/cpu_services_win32.h"
#include "ui/win32/form_host.h"

namespace kvn::testing {

// One key stroke as the keyboard driver posts it to the focused window (Alt held for
// WM_SYSKEYDOWN). The character message comes from TranslateMessage, as it does for real keys.
inline void PostKeyStroke(HWND to, UINT down, WPARAM key) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), 0)) << 16;
  const LPARAM alt = down == WM_SYSKEYDOWN ? LPARAM{1} << 29 : 0;
  PostMessageW(to, down, key, 1 | scan | alt);
  PostMessageW(to, down == WM_SYSKEYDOWN ? WM_SYSKEYUP : WM_KEYUP, key,
               1 | scan | alt | (LPARAM{3} << 30));
}

class MainWindowFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitializeCpuLibrary();
    ui::win32::InitToolkit();
  }
  void SetUp() override {
    testing::MovePointerTo(0, 0);  // no tool tip in the screenshots
    window = std::make_unique<MainWindow>(root.Places());
    ASSERT_TRUE(window->Create());
    // The window goes to the tray five seconds after start: a test that takes longer on a busy
    // machine would look at a hidden window. A test of the hiding runs the timer itself.
    window->form.hideTimer.SetEnabled(false);
    PumpMessages(100);
    // The processor is identified on a thread of its own after the first showing.
    for (int i = 0; i < 250 && window->form.featureList.Items().empty(); ++i) PumpMessages(20);
  }
  void TearDown() override {
    window.reset();
    SetPriorityClass(GetCurrentProcess(), priorityBefore);  // start-up applied the stored one
  }

  // A key stroke to the focused window (else the active one), through the program's own loop: the
  // pass's pump runs the main loop's handling.
  void Press(WPARAM key, UINT down = WM_KEYDOWN) {
    PostKeyStroke(GetFocus() ? GetFocus() : GetActiveWindow(), down, key);
    window->engine().PumpMessages();
  }

  const DWORD priorityBefore = GetPriorityClass(GetCurrentProcess());
  RegistryRootForTest root{"main window"};  // outlives the window, which saves on its way out
  std::unique_ptr<MainWindow> window;
};

}  // namespace kvn::testing
