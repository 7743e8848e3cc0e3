#pragma once
// The system-wide hot key. The component keeps the combination in the 16-bit shortcut form and
// asks its peer (global_hot_key_win32.h) to register it; the peer turns WM_HOTKEY back into
// HotKeyPressed, which runs OnHotKey through the dispatcher.
#include <cstdint>
#include <functional>

#include "ui/control.h"

namespace kvn {

// RegisterHotKey's modifier bits.
inline constexpr unsigned kModAlt = 0x0001;
inline constexpr unsigned kModControl = 0x0002;
inline constexpr unsigned kModShift = 0x0004;

struct HotKeyCombination {
  unsigned modifiers = 0;   // kMod* bits
  unsigned virtualKey = 0;  // low byte of the shortcut
  bool operator==(const HotKeyCombination&) const = default;
};

// 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt; the low byte is the virtual key. Bit 0x1000 and the
// rest of the high byte carry nothing RegisterHotKey knows and are dropped.
HotKeyCombination TranslateShortCut(std::uint16_t shortCut);

class HotKeyPeer {
 public:
  virtual ~HotKeyPeer() = default;
  // True when the system accepted the combination; false when it is taken (or refused).
  virtual bool Register(const HotKeyCombination& combination) = 0;
  virtual void Unregister() = 0;
};

class GlobalHotKey : public ui::Component {
 public:
  using ui::Component::Component;

  std::function<void()> OnHotKey;

  std::uint16_t ShortCut() const { return shortCut_; }
  // Withdraws the current combination and registers the new one; 0 only withdraws. Returns
  // false when the system refused the new combination (usually: another program holds it); the
  // component is then left with nothing registered and Registered() false.
  bool SetShortCut(std::uint16_t shortCut);
  bool Registered() const { return registered_; }

  // WM_HOTKEY arrived.
  void HotKeyPressed() { ui::Fire(OnHotKey); }

  HotKeyPeer* Peer() const { return peer_; }
  // Attaching registers the combination already set; detaching withdraws it.
  void AttachPeer(HotKeyPeer* peer);

 private:
  bool Apply();
  std::uint16_t shortCut_ = 0;
  bool registered_ = false;
  HotKeyPeer* peer_ = nullptr;
};

}  // namespace kvn
