#include "base/message_window_win32.h"

#include <stdexcept>

namespace kvn {

MessageWindow::MessageWindow(const wchar_t* className, Kind kind, Handler handler)
    : handler_(std::move(handler)) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &MessageWindow::Proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("cannot register a message window class");
  }
  const bool messageOnly = kind == Kind::MessageOnly;
  hwnd_ = CreateWindowExW(messageOnly ? 0 : WS_EX_TOOLWINDOW, className, L"",
                          messageOnly ? 0 : WS_POPUP, 0, 0, 0, 0,
                          messageOnly ? HWND_MESSAGE : nullptr, nullptr, instance, this);
  if (!hwnd_) throw std::runtime_error("cannot create a message window");
}

MessageWindow::~MessageWindow() {
  // No message reaches this object once it is going.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

LRESULT CALLBACK MessageWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  // The handlers report their own errors through the dispatcher; nothing may leave here.
  try {
    if (self && self->handler_ && self->handler_(message, wParam, lParam, result)) return result;
  } catch (...) {
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kvn
