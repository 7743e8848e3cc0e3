#pragma once
// The one way an object is attached to its window: the object passed as the creation parameter
// is stored at WM_NCCREATE, every message from then on goes to its member procedure, and at
// WM_NCDESTROY the link is cleared before the member hears that last message (it may delete
// itself then). No exception ever crosses the window procedure: what the member throws goes to
// `Report` (the toolkit's exception hook, as every handler's does), and the window gets the
// default answer. Classes are registered through RegisterWindowClass.
//
//   wc.lpfnWndProc = &WindowThunk<&ChartWindow::WindowProc, &ui::ReportException>;
//   if (!RegisterWindowClass(wc)) return nullptr;
//   CreateWindowExW(..., instance, this);
#include <windows.h>

#include <exception>

namespace kvn {

namespace detail {

template <class M>
struct WindowMember;

template <class T>
struct WindowMember<LRESULT (T::*)(HWND, UINT, WPARAM, LPARAM)> {
  using Object = T;
};

}  // namespace detail

// The object attached to a window by WindowThunk, null before WM_NCCREATE and after
// WM_NCDESTROY (or for a window of another class: check the class first).
template <class T>
T* AttachedObject(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// `Member` is LRESULT T::Proc(HWND, UINT, WPARAM, LPARAM). The creation parameter is a
// `CreatedAs*` (a base class of T when the creator only knows the base).
template <auto Member, void (*Report)(std::exception_ptr),
          class CreatedAs = typename detail::WindowMember<decltype(Member)>::Object>
LRESULT CALLBACK WindowThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  using T = typename detail::WindowMember<decltype(Member)>::Object;
  if (msg == WM_NCCREATE) {
    auto* created =
        static_cast<CreatedAs*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<T*>(created)));
  }
  T* self = AttachedObject<T>(hwnd);
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  // Nothing reaches the object after this message, even if it outlives its window.
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  try {
    return (self->*Member)(hwnd, msg, wParam, lParam);
  } catch (...) {
    Report(std::current_exception());
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

// Registers a window class of the program. True when it is registered, now or by an earlier
// call (a second window of the class, a test's second form); false when Windows refuses it.
inline bool RegisterWindowClass(const WNDCLASSEXW& wc) {
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Detaches the object before its owner destroys the window from outside the window's messages:
// the destruction's messages then go to the default procedure only.
inline void DetachObject(HWND hwnd) {
  if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

}  // namespace kvn
