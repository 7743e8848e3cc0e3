#include "ui/win32/container.h"

#include "base/window_thunk_win32.h"
#include "ui/win32/form_host.h"

namespace kvn::ui::win32 {

void RegisterContainerClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  // CreatePart passes the creating peer; only OwnClassPeer instances create these classes.
  wc.lpfnWndProc = &WindowThunk<&OwnClassPeer::Dispatch, &ReportException, WindowPeer>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kContainerClass;
  RegisterClassExW(&wc);  // already registered is fine
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.hbrBackground = nullptr;  // painted whole by its peer
  wc.lpszClassName = kPaintedClass;
  RegisterClassExW(&wc);
}

bool IsOwnClass(const wchar_t* className) {
  return className == kContainerClass || className == kPaintedClass;
}

LRESULT OwnClassPeer::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The window is going: nothing of the peer is asked any more.
  if (msg == WM_NCDESTROY) return DefWindowProcW(hwnd, msg, wParam, lParam);
  host().RelayMouse(hwnd, msg, wParam, lParam);
  return WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT OwnClassPeer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (host().HandleChildMessage(msg, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ContainerPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(kContainerClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, rect);
}

}  // namespace kvn::ui::win32
