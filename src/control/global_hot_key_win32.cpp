#include "control/global_hot_key_win32.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kvn {

namespace {
constexpr wchar_t kClassName[] = L"KorvaneGlobalHotKey";

ATOM RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc);
}
}  // namespace

GlobalHotKeyWin32::GlobalHotKeyWin32(TGlobalHotKey& component) : component_(component) {
  static const ATOM windowClass = RegisterWindowClass(&WindowProc);
  if (!windowClass) throw std::runtime_error("cannot register the hot key window class");
  // Message-only: it never shows and never receives broadcasts, it only needs WM_HOTKEY.
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (!window_) throw std::runtime_error("cannot create the hot key window");

  // The component's address makes the atom's name unique in the session.
  const std::wstring name = std::to_wstring(reinterpret_cast<std::uintptr_t>(&component_));
  id_ = GlobalAddAtomW(name.c_str());
  if (!id_) {
    DestroyWindow(window_);
    throw std::runtime_error("cannot create the hot key atom");
  }
  component_.AttachPeer(this);
}

GlobalHotKeyWin32::~GlobalHotKeyWin32() {
  component_.AttachPeer(nullptr);  // withdraws the registration
  Unregister();
  GlobalDeleteAtom(id_);
  DestroyWindow(window_);
}

bool GlobalHotKeyWin32::Register(const HotKeyCombination& combination) {
  Unregister();
  registered_ =
      RegisterHotKey(window_, id_, combination.modifiers, combination.virtualKey) != FALSE;
  return registered_;
}

void GlobalHotKeyWin32::Unregister() {
  if (!registered_) return;
  UnregisterHotKey(window_, id_);
  registered_ = false;
}

LRESULT CALLBACK GlobalHotKeyWin32::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<GlobalHotKeyWin32*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_HOTKEY && self && wParam == self->id_) {
    self->component_.HotKeyPressed();  // the dispatcher keeps exceptions inside
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kvn
