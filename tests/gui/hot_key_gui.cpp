// The global hot key against the real RegisterHotKey under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

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
  GlobalHotKey hotKey{"GlobalHotKey"};
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
  GlobalHotKey hotKey;
  GlobalHotKeyWin32 peer(hotKey);
  // Only another program of this session holding the combination (a Korvane started by hand in
  // the same prefix) keeps the presses from reaching this one.
  if (!hotKey.SetShortCut(kCtrlShiftR))
    GTEST_SKIP() << "Ctrl+Shift+R is registered by another program of this session";
  int runs = 0;
  hotKey.OnHotKey = [&] { ++runs; };

  auto key = [](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
  };
  auto press = [](std::initializer_list<INPUT> keys) {
    std::vector<INPUT> events(keys);
    return SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT)) ==
           events.size();
  };
  // R alone: without its modifiers it is an ordinary key.
  if (!press({key('R', false), key('R', true)}))
    GTEST_SKIP() << "this session refuses synthesised input (error " << GetLastError() << ")";
  PumpFor(300);
  EXPECT_EQ(runs, 0) << "R alone ran the handler";
  ASSERT_TRUE(press({key(VK_CONTROL, false), key(VK_SHIFT, false), key('R', false), key('R', true),
                     key(VK_SHIFT, true), key(VK_CONTROL, true)}));
  PumpFor(500);
  EXPECT_EQ(runs, 1) << "the pressed combination did not reach the handler exactly once";
}

TEST(GlobalHotKeyWine, ACombinationTakenElsewhereIsReported) {
  HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(other);
  ASSERT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, VK_F11));

  GlobalHotKey hotKey;
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
  auto hotKey = std::make_unique<GlobalHotKey>();
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
