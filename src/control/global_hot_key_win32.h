#pragma once
// The Win32 side of the global hot key: a message-only window that receives WM_HOTKEY, and a
// global atom named after the component's address as the hot key's identifier. Construct it
// after the component and destroy it before; it attaches itself for its whole life.
#include <windows.h>

#include "base/message_window_win32.h"
#include "control/global_hot_key.h"

namespace kvn {

class GlobalHotKeyWin32 final : public HotKeyPeer {
 public:
  explicit GlobalHotKeyWin32(GlobalHotKey& component);
  ~GlobalHotKeyWin32() override;
  GlobalHotKeyWin32(const GlobalHotKeyWin32&) = delete;
  GlobalHotKeyWin32& operator=(const GlobalHotKeyWin32&) = delete;

  bool Register(const HotKeyCombination& combination) override;
  void Unregister() override;

  HWND Window() const { return window_.Handle(); }
  ATOM Id() const { return id_; }

 private:
  GlobalHotKey& component_;
  ATOM id_ = 0;
  MessageWindow window_;
  bool registered_ = false;
};

}  // namespace kvn
