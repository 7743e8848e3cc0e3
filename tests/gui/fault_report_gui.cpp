// The fault report's box in the real window: while it is up, the hot key, the tray's "Optimiser"
// and a second copy's "/optimiser" start nothing, and a second fault is logged.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "gui/main_window_fixture.h"
#include "shell/log.h"
#include "ui/dispatch.h"

namespace kvn {
namespace {

class RecordingLog : public StdioLogPlatform {
 public:
  bool WriteStandardOutput(std::string_view bytes) const override {
    written.append(bytes);
    return true;
  }
  mutable std::string written;
};

struct InBox {
  MainWindow* window = nullptr;
  int passes = 0;
  bool ran = false;
};
InBox* g_inBox = nullptr;

// Runs in the box's message loop: what the user (or a script) could do while it is up.
void CALLBACK WhileTheBoxIsUp(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  MainWindow& window = *g_inBox->window;
  ui::Fire(window.globalHotKey.OnHotKey);
  ui::Fire(window.form.optimiseItem.OnClick);
  SendMessageW(window.Handle(), MainWindow::OptimiseMessage(), 1, 0);
  ui::Fire(std::function<void()>([] { throw std::runtime_error("encore"); }));
  g_inBox->ran = true;
  if (HWND box = FindWindowW(L"#32770", L"Erreur!")) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

class FaultBoxTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>(root.Places());
    ASSERT_TRUE(window->Create());
  }
};

TEST_F(FaultBoxTest, NothingStartsAndASecondFaultIsLogged) {
  InBox state{window.get()};
  g_inBox = &state;
  window->options.method = RecoveryMethod::Manual;
  window->options.manualAmountMB = 1;
  auto& before = window->engine().OnBeforeDefrag;
  before = [previous = before](MemoryEngine& engine) {
    ++g_inBox->passes;
    if (previous) previous(engine);
  };
  RecordingLog log;
  SetLogPlatform(&log);
  SetTimer(nullptr, 0, 300, WhileTheBoxIsUp);
  ui::Fire(std::function<void()>([] { throw std::runtime_error("premier"); }));
  SetLogPlatform(nullptr);
  g_inBox = nullptr;
  // The report's exit asked the loop to end: not this test's loop.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

  ASSERT_TRUE(state.ran);
  EXPECT_EQ(state.passes, 0);
  EXPECT_NE(log.written.find(" : Exception : premier"), std::string::npos) << log.written;
  EXPECT_NE(log.written.find(" : Exception : encore"), std::string::npos) << log.written;
}

}  // namespace
}  // namespace kvn
