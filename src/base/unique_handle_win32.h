#pragma once
// Move-only owners of Windows resources: kernel handles, registry keys, GDI objects, modules.
// Copying one would close the resource twice, so only moves are allowed. Null and
// INVALID_HANDLE_VALUE (what CreateFile and the snapshot functions return on failure) both mean
// "nothing owned".
#include <windows.h>

#include <utility>

namespace kvn {

template <class H, class Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, H{}));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return Owned(h_); }
  void reset(H h = H{}) {
    if (Owned(h_) && h_ != h) Close{}(h_);
    h_ = h;
  }
  H release() { return std::exchange(h_, H{}); }
  // For the functions that hand a new resource back through a pointer (RegOpenKeyEx,
  // OpenProcessToken): whatever was owned is closed first.
  H* put() {
    reset();
    return &h_;
  }

 private:
  static bool Owned(H h) { return h != H{} && reinterpret_cast<HANDLE>(h) != INVALID_HANDLE_VALUE; }
  H h_{};
};

struct CloseKernelHandle {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct CloseRegistryKey {
  void operator()(HKEY h) const { RegCloseKey(h); }
};
struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DeleteMemoryDc {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct FreeLocalMemory {
  void operator()(HLOCAL h) const { LocalFree(h); }
};

// Files, threads, processes, tokens, snapshots.
using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using RegistryKeyHandle = UniqueHandle<HKEY, CloseRegistryKey>;
template <class H>
using GdiHandle = UniqueHandle<H, DeleteGdiObject>;
using MemoryDc = UniqueHandle<HDC, DeleteMemoryDc>;

}  // namespace kvn
