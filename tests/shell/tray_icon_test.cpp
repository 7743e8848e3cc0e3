#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell/tray_icon.h"

namespace kvn {
namespace {

struct Call {
  std::string what;  // "Add", "Modify", "Delete", "SetVersion", "Render", "Show", ...
  TrayNotifyData data;
};

class RecordingPeer : public TrayIconPeer {
 public:
  std::vector<Call> calls;
  int renders = 0;
  TrayTextImage lastImage;

  void Notify(TrayCommand command, const TrayNotifyData& data) override {
    static const char* names[] = {"Add", "Modify", "Delete", "SetVersion"};
    calls.push_back({names[static_cast<int>(command)], data});
  }
  void RenderTextImage(const TrayTextImage& image) override {
    ++renders;
    lastImage = image;
    calls.push_back({"Render", {}});
  }
  void ShowMainWindow() override { calls.push_back({"ShowMain", {}}); }
  void HideMainWindow() override { calls.push_back({"HideMain", {}}); }
  void HideTaskbarButton() override { calls.push_back({"HideButton", {}}); }
  void OpenMenuAtCursor(ui::PopupMenu&) override { calls.push_back({"Menu", {}}); }
  void StartClickTimer() override { calls.push_back({"StartTimer", {}}); }
  void StopClickTimer() override { calls.push_back({"StopTimer", {}}); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(c.what);
    return names;
  }
  int Count(const std::string& what) const {
    int n = 0;
    for (const Call& c : calls) n += c.what == what;
    return n;
  }
};

struct TrayFixture : ::testing::Test {
  TextTrayIcon icon{"trayIcon"};
  RecordingPeer peer;
  ui::PopupMenu menu{"trayMenu"};
  void SetUp() override {
    icon.PopupMenu = &menu;
    icon.AttachPeer(&peer);
    icon.SetIconVisible(true);
    peer.calls.clear();
    peer.renders = 0;
  }
};

TEST_F(TrayFixture, HintReachesTheShellWhenThePointerComesOrWithTheNextCall) {
  icon.SetHint("RAM Libre : 512 Mo sur 1024 Mo RAM Installée");
  icon.SetHint("RAM Libre : 511 Mo sur 1024 Mo RAM Installée");
  EXPECT_TRUE(peer.calls.empty());  // every tick sets it: no round trip to the taskbar for each
  icon.HandleCallback(0x0200);      // WM_MOUSEMOVE over the icon
  icon.HandleCallback(0x0200);
  ASSERT_EQ(peer.Names(), std::vector<std::string>{"Modify"});
  EXPECT_EQ(peer.calls[0].data.tip, "RAM Libre : 511 Mo sur 1024 Mo RAM Installée");
  icon.SetHint("RAM Libre : 510 Mo sur 1024 Mo RAM Installée");
  icon.SetText("49%");  // the image's call carries the new hint along
  icon.HandleCallback(0x0200);
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"Modify", "Render", "Modify"}));
  EXPECT_EQ(peer.calls[2].data.tip, "RAM Libre : 510 Mo sur 1024 Mo RAM Installée");
  icon.SetEnabled(false);  // the pointer still brings the hint while mouse handling is off
  icon.SetHint("RAM Libre : 509 Mo sur 1024 Mo RAM Installée");
  icon.HandleCallback(0x0200);
  EXPECT_EQ(peer.calls.back().data.tip, "RAM Libre : 509 Mo sur 1024 Mo RAM Installée");
}

TEST_F(TrayFixture, BalloonIsClearedThenSentOnce) {
  icon.SetHint("Mémoire libre : 42 %");
  icon.ShowBalloonHint("Korvane", "Optimisation en cours ...", BalloonIcon::Info, 10);
  icon.SetHint("Mémoire libre : 43 %");
  icon.SetText("43%");

  ASSERT_EQ(peer.Names(), (std::vector<std::string>{"Modify", "Modify", "Render", "Modify"}));
  EXPECT_EQ(peer.calls[0].data.tip, "Mémoire libre : 42 %");
  EXPECT_EQ(peer.calls[3].data.tip, "Mémoire libre : 43 %");
  const TrayNotifyData& clear = peer.calls[0].data;
  EXPECT_EQ(clear.flags, kTrayBaseFlags | kTrayFlagInfo);
  EXPECT_EQ(clear.info, "");
  const TrayNotifyData& balloon = peer.calls[1].data;
  EXPECT_EQ(balloon.flags, kTrayBaseFlags | kTrayFlagInfo);
  EXPECT_EQ(balloon.info, "Optimisation en cours ...");
  EXPECT_EQ(balloon.infoTitle, "Korvane");
  EXPECT_EQ(balloon.timeoutMs, 10000u);
  EXPECT_EQ(balloon.infoFlags, 1u);
  EXPECT_EQ(balloon.tip, "Mémoire libre : 42 %");
  // The updates after it carry no balloon.
  for (std::size_t i : {3u}) {
    EXPECT_EQ(peer.calls[i].data.flags, kTrayBaseFlags) << i;
    EXPECT_EQ(peer.calls[i].data.info, "") << i;
  }
  // The texts are cut to what the shell's record holds.
  icon.ShowBalloonHint(std::string(100, 'T'), std::string(300, 'x'), BalloonIcon::Error, 3);
  EXPECT_EQ(peer.calls.back().data.info.size(), 255u);
  EXPECT_EQ(peer.calls.back().data.infoTitle.size(), 63u);
  EXPECT_EQ(peer.calls.back().data.infoFlags, 3u);
}

TEST_F(TrayFixture, HintIsCutAndHiddenWithShowHint) {
  icon.SetHint(std::string(200, 'h'));
  icon.HandleCallback(0x0200);
  ASSERT_FALSE(peer.calls.empty());
  EXPECT_EQ(peer.calls.back().data.tip, std::string(127, 'h'));
  icon.SetShowHint(false);
  EXPECT_EQ(peer.calls.back().data.tip, "");
  icon.SetHint("");
  icon.SetShowHint(true);
  EXPECT_EQ(peer.calls.back().data.tip, "");
}

TEST_F(TrayFixture, VisibilityAddsAndRemovesOnce) {
  icon.SetIconVisible(true);  // already there
  icon.SetIconVisible(false);
  icon.SetIconVisible(false);
  icon.SetHint("hidden");  // nothing to modify while hidden
  icon.SetText("7%");      // drawn, not sent
  icon.SetIconVisible(true);
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"Delete", "Render", "Add", "SetVersion"}));
  EXPECT_EQ(peer.calls[2].data.tip, "hidden");
}

TEST_F(TrayFixture, ImageIsRedrawnOnlyWhenAnInputChanges) {
  struct Step {
    const char* what;
    std::function<void()> run;
    int renders;
  };
  const Step steps[] = {
      {"text", [&] { icon.SetText("25%"); }, 1},
      {"same text", [&] { icon.SetText("25%"); }, 0},
      {"colour", [&] { icon.SetColor(0x00FFFF); }, 1},
      {"same colour", [&] { icon.SetColor(0x00FFFF); }, 0},
      {"same font", [&] { icon.SetFont(TrayFont{}); }, 0},
      {"font colour",
       [&] {
         icon.SetFont(TrayFont{"Small Fonts", 8, 0xFFFFFF});
       },
       1},
      {"border", [&] { icon.SetBorder(true); }, 1},
      {"same border", [&] { icon.SetBorder(true); }, 0},
      {"border colour", [&] { icon.SetBorderColor(0x808080); }, 1},
      {"same offsets", [&] { icon.SetOptions(TrayTextOffset{}); }, 0},
      {"offsets",
       [&] {
         icon.SetOptions(TrayTextOffset{1, 1, 0});
       },
       1},
      {"hint", [&] { icon.SetHint("x"); }, 0},
  };
  for (const Step& s : steps) {
    peer.renders = 0;
    s.run();
    EXPECT_EQ(peer.renders, s.renders) << s.what;
  }
  EXPECT_EQ(peer.lastImage.text, "25%");
  EXPECT_EQ(peer.lastImage.color, 0x00FFFFu);
  EXPECT_TRUE(peer.lastImage.border);
  EXPECT_EQ(peer.lastImage.options.OffsetX, 1);
}

TEST(TrayIcon, AttachingDrawsAndAddsAVisibleIcon) {
  TextTrayIcon icon;
  icon.SetText("25%");
  icon.SetIconVisible(true);  // no peer yet: state only
  RecordingPeer peer;
  icon.AttachPeer(&peer);
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"Render", "Add", "SetVersion"}));
  EXPECT_EQ(peer.lastImage.text, "25%");
}

TEST_F(TrayFixture, MouseFollowsEnabled) {
  int dbl = 0, balloon = 0;
  icon.OnDblClick = [&] { ++dbl; };
  icon.OnBalloonHintClick = [&] { ++balloon; };
  icon.SetEnabled(false);
  for (unsigned m : {0x0200u, 0x0201u, 0x0202u, 0x0203u, 0x0204u, 0x0205u}) icon.HandleCallback(m);
  icon.HandleCallback(0x0405);
  EXPECT_EQ(dbl, 0);
  EXPECT_EQ(balloon, 1);
  EXPECT_TRUE(peer.calls.empty());

  icon.SetEnabled(true);
  icon.HandleCallback(0x0204);
  icon.HandleCallback(0x0203);
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"Menu"}));
  EXPECT_EQ(dbl, 1);
}

TEST_F(TrayFixture, SingleClickWaitsForTheDoubleClickTime) {
  int clicks = 0, dbl = 0;
  icon.OnClick = [&] { ++clicks; };
  icon.OnDblClick = [&] { ++dbl; };
  icon.SetEnabled(true);
  icon.HandleCallback(0x0201);
  icon.HandleCallback(0x0202);
  EXPECT_EQ(clicks, 0);
  icon.ClickTimerElapsed();
  EXPECT_EQ(clicks, 1);
  // A double click cancels the pending single click.
  icon.HandleCallback(0x0201);
  icon.HandleCallback(0x0202);
  icon.HandleCallback(0x0203);
  icon.ClickTimerElapsed();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(peer.Count("StartTimer"), 2);
}

TEST_F(TrayFixture, HandlerExceptionsReachTheHook) {
  std::string seen;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      seen = x.what();
    }
  });
  icon.SetEnabled(true);
  icon.OnDblClick = [] { throw std::runtime_error("boom"); };
  EXPECT_NO_THROW(icon.HandleCallback(0x0203));
  ui::SetExceptionHook(previous);
  EXPECT_EQ(seen, "boom");
}

TEST_F(TrayFixture, ShellRestartMinimiseAndStartup) {
  icon.TaskbarCreated();
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"Add", "SetVersion"}));

  peer.calls.clear();
  icon.SetIconVisible(false);
  peer.calls.clear();
  icon.TaskbarCreated();  // not in the area: stays out
  icon.Minimized();       // MinimizeToTray off
  EXPECT_TRUE(peer.calls.empty());

  icon.MinimizeToTray = true;
  icon.Minimized();
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"HideMain", "Add", "SetVersion"}));
  EXPECT_TRUE(icon.IconVisible());

  peer.calls.clear();
  icon.OnStartup = [](bool& show) { show = true; };
  EXPECT_TRUE(icon.Loaded());
  EXPECT_TRUE(peer.calls.empty());
  icon.OnStartup = [](bool& show) { show = false; };
  EXPECT_FALSE(icon.Loaded());
  EXPECT_EQ(peer.Names(), (std::vector<std::string>{"HideMain"}));
}

}  // namespace
}  // namespace kvn
