#pragma once
// A window that is never shown and only receives messages: hot keys, timers, clipboard updates,
// the tray icon's callback. One window class per use, registered on first use.
#include <windows.h>

#include <exception>
#include <functional>

namespace kvn {

class MessageWindow {
 public:
  // Answers true, with the result set, when it handled the message.
  using Handler = std::function<bool(UINT message, WPARAM, LPARAM, LRESULT& result)>;
  // Message-only windows cost least but hear no broadcast ("TaskbarCreated"); a hidden
  // top-level window hears them.
  enum class Kind { MessageOnly, HiddenTopLevel };

  // Throws std::runtime_error when Windows refuses the class or the window.
  MessageWindow(const wchar_t* className, Kind kind, Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND Handle() const { return hwnd_; }

 private:
  LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The handlers hand their errors to the dispatcher themselves (base cannot reach it): what
  // still escapes one is dropped here rather than crossing the window procedure.
  static void Unreported(std::exception_ptr) {}

  Handler handler_;
  HWND hwnd_ = nullptr;
};

}  // namespace kvn
