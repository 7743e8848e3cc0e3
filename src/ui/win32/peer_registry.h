#pragma once
// The windows of a form's controls by control id. A notification names its window by handle; the
// window's id leads to its peer in constant time, and the handle must match, so a reused id of
// another window finds nothing.
#include <windows.h>

#include <vector>

namespace kvn::ui::win32 {

class WindowPeer;

class PeerRegistry {
 public:
  static constexpr UINT kFirstId = 100;

  UINT NextId() const { return kFirstId + static_cast<UINT>(windows_.size()); }
  void Add(UINT id, HWND hwnd, WindowPeer* peer);
  void Remove(HWND hwnd);
  WindowPeer* PeerOf(HWND hwnd) const;
  // By id alone: for controls without a window (added with a null handle).
  WindowPeer* PeerById(UINT id) const {
    const size_t index = id - kFirstId;
    return id >= kFirstId && index < windows_.size() ? windows_[index].peer : nullptr;
  }
  // Every window still registered (the form passes system colour changes on to them).
  template <class F>
  void ForEachWindow(F&& f) const {
    for (const Entry& entry : windows_)
      if (entry.hwnd) f(entry.hwnd);
  }
  void Clear() { windows_.clear(); }

 private:
  struct Entry {
    HWND hwnd;
    WindowPeer* peer;
  };
  std::vector<Entry> windows_;  // index = control id - kFirstId
};

}  // namespace kvn::ui::win32
