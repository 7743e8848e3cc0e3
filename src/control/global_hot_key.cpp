#include "control/global_hot_key.h"

#include "ui/window_parts.h"

namespace kvn {

HotKeyCombination TranslateShortCut(std::uint16_t shortCut) {
  HotKeyCombination combination;
  if (shortCut & ui::kShortcutShift) combination.modifiers |= kModShift;
  if (shortCut & ui::kShortcutCtrl) combination.modifiers |= kModControl;
  if (shortCut & ui::kShortcutAlt) combination.modifiers |= kModAlt;
  combination.virtualKey = shortCut & 0xFFu;
  return combination;
}

bool GlobalHotKey::SetShortCut(std::uint16_t shortCut) {
  // The same combination again is a no-op, unless it failed last time: then it is retried.
  if (shortCut == shortCut_ && (registered_ || shortCut == 0)) return true;
  shortCut_ = shortCut;
  return Apply();
}

bool GlobalHotKey::Apply() {
  if (!peer_) return true;  // registered when a peer attaches
  if (registered_) {
    peer_->Unregister();
    registered_ = false;
  }
  // A shortcut without a key (modifiers only) cannot be registered; treat it as withdrawn.
  const HotKeyCombination combination = TranslateShortCut(shortCut_);
  if (combination.virtualKey == 0) return shortCut_ == 0;
  registered_ = peer_->Register(combination);
  return registered_;
}

void GlobalHotKey::AttachPeer(HotKeyPeer* peer) {
  if (peer_ && registered_) peer_->Unregister();
  registered_ = false;
  peer_ = peer;
  Apply();
}

}  // namespace kvn
