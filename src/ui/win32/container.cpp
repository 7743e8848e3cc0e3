#include "ui/win32/container.h"

#include "ui/win32/form_host.h"

namespace kvn::ui::win32 {

namespace {

LRESULT CALLBACK OwnClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    // CreatePart passes the creating peer; only OwnClassPeer instances create these classes.
    auto* peer = static_cast<WindowPeer*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(static_cast<OwnClassPeer*>(peer)));
  }
  auto* peer = reinterpret_cast<OwnClassPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!peer) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  try {
    peer->host().RelayMouse(hwnd, msg, wParam, lParam);
    return peer->WindowProc(hwnd, msg, wParam, lParam);
  } catch (...) {
    ReportException(std::current_exception());
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterContainerClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &OwnClassProc;
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

LRESULT OwnClassPeer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (host().HandleChildMessage(msg, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void ContainerPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(kContainerClass, L"", WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, rect);
}

}  // namespace kvn::ui::win32
