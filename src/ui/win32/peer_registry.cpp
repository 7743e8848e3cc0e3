#include "ui/win32/peer_registry.h"

namespace kvn::ui::win32 {

void PeerRegistry::Add(UINT id, HWND hwnd, WindowPeer* peer) {
  const size_t index = id - kFirstId;
  if (windows_.size() <= index) windows_.resize(index + 1, Entry{nullptr, nullptr});
  windows_[index] = Entry{hwnd, peer};
}

void PeerRegistry::Remove(HWND hwnd) {
  const LONG_PTR id = GetWindowLongPtrW(hwnd, GWLP_ID);
  const size_t index = static_cast<size_t>(id) - kFirstId;
  if (id >= static_cast<LONG_PTR>(kFirstId) && index < windows_.size() &&
      windows_[index].hwnd == hwnd)
    windows_[index] = Entry{nullptr, nullptr};
}

WindowPeer* PeerRegistry::PeerOf(HWND hwnd) const {
  if (!hwnd) return nullptr;
  const LONG_PTR id = GetWindowLongPtrW(hwnd, GWLP_ID);
  if (id < static_cast<LONG_PTR>(kFirstId)) return nullptr;
  const size_t index = static_cast<size_t>(id) - kFirstId;
  // The id alone could be another window's: the handle must match as well.
  if (index >= windows_.size() || windows_[index].hwnd != hwnd) return nullptr;
  return windows_[index].peer;
}

}  // namespace kvn::ui::win32
