#include "base/message_window_win32.h"

#include <stdexcept>

#include "base/window_thunk_win32.h"

namespace kvn {

MessageWindow::MessageWindow(const wchar_t* className, Kind kind, Handler handler)
    : handler_(std::move(handler)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &WindowThunk<&MessageWindow::Proc, &MessageWindow::Unreported>;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  if (!RegisterWindowClass(wc)) throw std::runtime_error("cannot register a message window class");
  const bool messageOnly = kind == Kind::MessageOnly;
  hwnd_ = CreateWindowExW(messageOnly ? 0 : WS_EX_TOOLWINDOW, className, L"",
                          messageOnly ? 0 : WS_POPUP, 0, 0, 0, 0,
                          messageOnly ? HWND_MESSAGE : nullptr, nullptr, instance, this);
  if (!hwnd_) throw std::runtime_error("cannot create a message window");
}

MessageWindow::~MessageWindow() {
  // No message reaches this object once it is going.
  DetachObject(hwnd_);
  DestroyWindow(hwnd_);
}

LRESULT MessageWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (handler_ && handler_(message, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kvn
