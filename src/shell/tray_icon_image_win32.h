#pragma once
// Drawing the tray icon's text image with GDI. Every GDI object and DC lives in an owner that
// releases it on every path, so a text update can run for months without leaking.
#include <windows.h>

#include <utility>

#include "shell/tray_icon.h"

namespace kvn {

// Move-only owners; copying one would free a handle twice.
template <class H, BOOL(WINAPI* Free)(H)>
class GdiHandle {
 public:
  GdiHandle() = default;
  explicit GdiHandle(H handle) : handle_(handle) {}
  GdiHandle(GdiHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiHandle& operator=(GdiHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiHandle(const GdiHandle&) = delete;
  GdiHandle& operator=(const GdiHandle&) = delete;
  ~GdiHandle() { Reset(); }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(H handle = nullptr) {
    if (handle_) Free(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) {
  return DeleteObject(object);
}
using GdiObject = GdiHandle<HGDIOBJ, &DeleteGdiObject>;
using MemoryDC = GdiHandle<HDC, &DeleteDC>;
using IconHandle = GdiHandle<HICON, &DestroyIcon>;

// Puts an object into a DC and takes it out again when the scope ends.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A colour reference as plain RGB: system colours (high bit set) are looked up.
COLORREF ResolveColor(ui::Color color);

// The 16 x 16 icon for the image; empty when GDI refuses (the shell then gets no icon).
IconHandle RenderTrayTextIcon(const TrayTextImage& image);

}  // namespace kvn
