#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "control/global_hot_key.h"

namespace kvn {
namespace {

TEST(GlobalHotKey, ShortCutTranslation) {
  struct Case {
    std::uint16_t shortCut;
    unsigned modifiers, key;
  };
  const Case cases[] = {
      {24658, kModControl | kModShift, 'R'},  // the default, Ctrl+Shift+R
      {0x2041, kModShift, 'A'},
      {0x4041, kModControl, 'A'},
      {0x8070, kModAlt, 0x70},  // Alt+F1
      {0xE041, kModAlt | kModControl | kModShift, 'A'},
      {0x1041, 0, 'A'},  // bits RegisterHotKey does not know are dropped
      {0x0091, 0, 0x91},
      {0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateShortCut(c.shortCut), (HotKeyCombination{c.modifiers, c.key})) << c.shortCut;
  }
}

class FakeHotKeyPeer : public HotKeyPeer {
 public:
  std::vector<std::string> calls;
  bool accept = true;
  bool Register(const HotKeyCombination& c) override {
    calls.push_back("Register " + std::to_string(c.modifiers) + " " + std::to_string(c.virtualKey));
    return accept;
  }
  void Unregister() override { calls.push_back("Unregister"); }
};

using Calls = std::vector<std::string>;

TEST(GlobalHotKey, ReplacingAndWithdrawing) {
  GlobalHotKey hotKey{"GlobalHotKey"};
  FakeHotKeyPeer peer;
  hotKey.SetShortCut(24658);  // before the peer: kept
  hotKey.AttachPeer(&peer);
  EXPECT_EQ(peer.calls, (Calls{"Register 6 82"}));
  EXPECT_TRUE(hotKey.Registered());

  peer.calls.clear();
  EXPECT_TRUE(hotKey.SetShortCut(24658));  // same: nothing to do
  EXPECT_TRUE(hotKey.SetShortCut(0x8070));
  EXPECT_TRUE(hotKey.SetShortCut(0));
  EXPECT_TRUE(hotKey.SetShortCut(0));
  EXPECT_EQ(peer.calls, (Calls{"Unregister", "Register 1 112", "Unregister"}));
  EXPECT_FALSE(hotKey.Registered());
  EXPECT_EQ(hotKey.ShortCut(), 0);
}

TEST(GlobalHotKey, TakenCombinationIsReportedAndLeavesNothingRegistered) {
  GlobalHotKey hotKey;
  FakeHotKeyPeer peer;
  hotKey.AttachPeer(&peer);
  EXPECT_TRUE(hotKey.SetShortCut(24658));
  peer.accept = false;
  peer.calls.clear();
  EXPECT_FALSE(hotKey.SetShortCut(0x4041));
  EXPECT_FALSE(hotKey.Registered());
  EXPECT_EQ(hotKey.ShortCut(), 0x4041);
  // The old one is withdrawn, and nothing is withdrawn twice later.
  EXPECT_EQ(peer.calls, (Calls{"Unregister", "Register 2 65"}));

  // The same combination once it is free again is retried, not skipped.
  peer.accept = true;
  peer.calls.clear();
  EXPECT_TRUE(hotKey.SetShortCut(0x4041));
  EXPECT_EQ(peer.calls, (Calls{"Register 2 65"}));

  // Modifiers without a key cannot be registered.
  peer.calls.clear();
  EXPECT_FALSE(hotKey.SetShortCut(0x6000));
  EXPECT_EQ(peer.calls, (Calls{"Unregister"}));
}

TEST(GlobalHotKey, PressRunsTheHandlerThroughTheDispatcher) {
  GlobalHotKey hotKey;
  int runs = 0;
  hotKey.OnHotKey = [&] {
    ++runs;
    throw std::runtime_error("handler failed");
  };
  int reported = 0;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++reported; });
  EXPECT_NO_THROW(hotKey.HotKeyPressed());
  ui::SetExceptionHook(previous);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reported, 1);
}

}  // namespace
}  // namespace kvn
