// The global hot key against the real RegisterHotKey under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "control/global_hot_key.h"
#include "control/global_hot_key_win32.h"

namespace kvn {
namespace {

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  do {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

constexpr std::uint16_t kCtrlShiftR = 24658;
constexpr std::uint16_t kCtrlAltF11 = 0x4000 | 0x8000 | VK_F11;

TEST(GlobalHotKeyWine, RegistersAndRunsTheHandlerThroughTheDispatcher) {
  TGlobalHotKey hotKey{"GlobalHotKey"};
  GlobalHotKeyWin32 peer(hotKey);
  // The identifier is a global atom named after the component's address.
  const std::wstring name = std::to_wstring(reinterpret_cast<std::uintptr_t>(&hotKey));
  EXPECT_EQ(GlobalFindAtomW(name.c_str()), peer.Id());

  ASSERT_TRUE(hotKey.SetShortCut(kCtrlShiftR));
  EXPECT_TRUE(hotKey.Registered());

  int runs = 0;
  int reported = 0;
  hotKey.OnHotKey = [&] {
    ++runs;
    throw std::runtime_error("handler failed");
  };
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++reported; });
  PostMessageW(peer.Window(), WM_HOTKEY, peer.Id(), MAKELPARAM(MOD_CONTROL | MOD_SHIFT, 'R'));
  PostMessageW(peer.Window(), WM_HOTKEY, peer.Id() + 1, 0);  // someone else's identifier
  PumpFor(100);
  ui::SetExceptionHook(previous);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(reported, 1);  // the exception went to the hook, not through the window procedure
}

TEST(GlobalHotKeyWine, PressingTheKeysRunsTheHandler) {
  TGlobalHotKey hotKey;
  GlobalHotKeyWin32 peer(hotKey);
  ASSERT_TRUE(hotKey.SetShortCut(kCtrlShiftR));
  int runs = 0;
  hotKey.OnHotKey = [&] { ++runs; };

  auto key = [](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
  };
  key(VK_CONTROL, false);
  key(VK_SHIFT, false);
  key('R', false);
  key('R', true);
  key(VK_SHIFT, true);
  key(VK_CONTROL, true);
  PumpFor(500);
  if (runs == 0) GTEST_SKIP() << "this display does not deliver synthesised keys as hot keys";
  EXPECT_EQ(runs, 1);
}

TEST(GlobalHotKeyWine, ACombinationTakenElsewhereIsReported) {
  HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(other);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, VK_F11));

  TGlobalHotKey hotKey;
  GlobalHotKeyWin32 peer(hotKey);
  ASSERT_TRUE(hotKey.SetShortCut(kCtrlShiftR));
  EXPECT_FALSE(hotKey.SetShortCut(kCtrlAltF11));
  EXPECT_FALSE(hotKey.Registered());
  // The previous combination was withdrawn, not left half-registered: anyone may take it.
  EXPECT_TRUE(RegisterHotKey(other, 2, MOD_CONTROL | MOD_SHIFT, 'R'));
  UnregisterHotKey(other, 2);

  // Once the other owner lets go, the same combination registers.
  UnregisterHotKey(other, 1);
  EXPECT_TRUE(hotKey.SetShortCut(kCtrlAltF11));
  EXPECT_TRUE(hotKey.Registered());
  // And 0 withdraws it.
  EXPECT_TRUE(hotKey.SetShortCut(0));
  EXPECT_TRUE(RegisterHotKey(other, 3, MOD_CONTROL | MOD_ALT, VK_F11));
  UnregisterHotKey(other, 3);
  DestroyWindow(other);
}

TEST(GlobalHotKeyWine, DestructionReleasesTheAtomAndTheKey) {
  auto hotKey = std::make_unique<TGlobalHotKey>();
  const std::wstring name = std::to_wstring(reinterpret_cast<std::uintptr_t>(hotKey.get()));
  {
    GlobalHotKeyWin32 peer(*hotKey);
    ASSERT_TRUE(hotKey->SetShortCut(kCtrlAltF11));
    EXPECT_NE(GlobalFindAtomW(name.c_str()), 0);
  }
  EXPECT_EQ(GlobalFindAtomW(name.c_str()), 0);
  EXPECT_FALSE(hotKey->Registered());
  HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  EXPECT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, VK_F11));
  UnregisterHotKey(other, 1);
  DestroyWindow(other);
}

}  // namespace
}  // namespace kvn
