#pragma once
// Window timers for the toolkit's Timer components: one hidden message window, one SetTimer per
// running timer; WM_TIMER reaches the timer's Tick (and so its handler, through the dispatcher).
#include <windows.h>

#include <memory>
#include <vector>

#include "base/message_window_win32.h"
#include "ui/components.h"

namespace kvn::ui::win32 {

class WindowTimers {
 public:
  WindowTimers();
  ~WindowTimers();  // stops and detaches every timer
  WindowTimers(const WindowTimers&) = delete;
  WindowTimers& operator=(const WindowTimers&) = delete;

  // From now on the timer runs while it is enabled with a non-zero interval.
  void Attach(Timer& timer);
  void Detach(Timer& timer);
  HWND Handle() const { return window_.Handle(); }

 private:
  class Peer;
  std::vector<std::unique_ptr<Peer>> peers_;  // timer id = index + 1
  MessageWindow window_;  // after the peers: it goes first, so no tick reaches a dying peer
};

}  // namespace kvn::ui::win32
