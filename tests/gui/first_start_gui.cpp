// The real window's very first start: one balloon when the window first goes to the notification
// area, none at a later start nor with Windows' balloons off; the setup's "not with Windows" holds.
#include <gtest/gtest.h>

#include "base/registry_win32.h"
#include "gui/registry_root.h"
#include "shell/main_window_win32.h"
#include "shell/tray_icon_win32.h"
#include "sysinfo/cpu_services_win32.h"

namespace kvn {
namespace {

// Passes the icon's calls on to the shell and counts the balloons (a clearing call has no text).
struct BalloonCount : ShellNotifier {
  int balloons = 0;
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) override {
    balloons += (data->uFlags & NIF_INFO) && data->szInfo[0];
    return SystemShellNotifier().Notify(message, data);
  }
};

TEST(FirstStart, OneBalloonAtTheVeryFirstStartOnlyAndTheSetupsChoiceHolds) {
  InitializeCpuLibrary();
  ui::win32::InitToolkit();
  const struct {
    const char* what;
    bool startedBefore;
    bool windowsBalloonsOff;
    int balloons;
  } cases[] = {{"first start", false, false, 1},
               {"a later start", true, false, 0},
               {"Windows' balloons off", false, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing::RegistryRootForTest root("first start");
    const auto open = [&root](const std::string& key) {
      return Win32Registry().Open(RegistryRoot::CurrentUser, root.Path() + "\\" + key, true);
    };
    open("settings")->WriteDword("StartWithWindows", 0);  // as the setup stores it
    if (c.startedBefore) open("settings")->WriteText("Version", "1.0.0");
    if (c.windowsBalloonsOff) open("Explorer\\Advanced")->WriteDword("EnableBalloonTips", 0);
    MainWindow window(root.Places());
    ASSERT_TRUE(window.Create());
    EXPECT_FALSE(open("Run")->HasValue(kRunValue));
    BalloonCount shell;
    const TrayIconWin32 counted(window.trayIcon, nullptr, shell);
    window.form.hideTimer.OnTimer();  // the hide after five seconds, and any later one
    window.form.hideTimer.OnTimer();
    EXPECT_EQ(shell.balloons, c.balloons);
  }
}

}  // namespace
}  // namespace kvn
