#pragma once
// Move-only owners of the GDI and common-control resources the peers create.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <utility>

#include "base/unique_handle_win32.h"

namespace kvn::ui::win32 {

using kvn::UniqueHandle;

struct IconDeleter {
  void operator()(HICON h) const { DestroyIcon(h); }
};
struct ImageListDeleter {
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
struct MenuDeleter {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct WindowDeleter {
  void operator()(HWND h) const { DestroyWindow(h); }
};

using FontHandle = GdiHandle<HFONT>;
using BrushHandle = GdiHandle<HBRUSH>;
using PenHandle = GdiHandle<HPEN>;
using BitmapHandle = GdiHandle<HBITMAP>;
using IconHandle = UniqueHandle<HICON, IconDeleter>;
using ImageListHandle = UniqueHandle<HIMAGELIST, ImageListDeleter>;
using MenuHandle = UniqueHandle<HMENU, MenuDeleter>;
using MemoryDcHandle = MemoryDc;
using WindowHandle = UniqueHandle<HWND, WindowDeleter>;

// Selects an object into a DC for one scope.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectObjectScope() { SelectObject(dc_, old_); }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  // False when the DC refused the object.
  bool Selected() const { return old_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's DC from GetDC, released at the end of the scope.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd, &ps_); }
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return ps_.hdc; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};

// An off-screen copy of a rectangle: paint into dc(), then it is copied to the target on
// destruction (no flicker for the controls drawn in two layers).
class BufferedPaint {
 public:
  BufferedPaint(HDC target, const RECT& rect)
      : target_(target),
        rect_(rect),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top)),
        select_(dc_.get(), bitmap_.get()) {
    SetViewportOrgEx(dc_.get(), -rect.left, -rect.top, nullptr);
  }
  ~BufferedPaint() {
    SetViewportOrgEx(dc_.get(), 0, 0, nullptr);
    BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
           dc_.get(), 0, 0, SRCCOPY);
  }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC dc() const { return dc_.get(); }

 private:
  HDC target_;
  RECT rect_;
  MemoryDcHandle dc_;
  BitmapHandle bitmap_;
  SelectObjectScope select_;
};

}  // namespace kvn::ui::win32
