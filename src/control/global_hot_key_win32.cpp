#include "control/global_hot_key_win32.h"

#include <cstdint>
#include <stdexcept>
#include <string>

#include "base/fixed_text.h"

namespace kvn {

namespace {
constexpr wchar_t kClassName[] = L"KorvaneGlobalHotKey";
}  // namespace

GlobalHotKeyWin32::GlobalHotKeyWin32(GlobalHotKey& component)
    : component_(component),
      // Message-only: it never shows and never receives broadcasts, it only needs WM_HOTKEY.
      window_(kClassName, MessageWindow::Kind::MessageOnly,
              [this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
                if (message != WM_HOTKEY || wParam != id_) return false;
                component_.HotKeyPressed();  // the dispatcher keeps exceptions inside
                return true;
              }) {
  // The component's address makes the atom's name unique in the session.
  wchar_t name[24];
  FixedWideText(name, 24).AddNumber(reinterpret_cast<std::uintptr_t>(&component_));
  id_ = GlobalAddAtomW(name);
  if (!id_) throw std::runtime_error("cannot create the hot key atom");
  component_.AttachPeer(this);
}

GlobalHotKeyWin32::~GlobalHotKeyWin32() {
  component_.AttachPeer(nullptr);  // withdraws the registration
  Unregister();
  GlobalDeleteAtom(id_);
}

bool GlobalHotKeyWin32::Register(const HotKeyCombination& combination) {
  Unregister();
  registered_ =
      RegisterHotKey(window_.Handle(), id_, combination.modifiers, combination.virtualKey) != FALSE;
  return registered_;
}

void GlobalHotKeyWin32::Unregister() {
  if (!registered_) return;
  UnregisterHotKey(window_.Handle(), id_);
  registered_ = false;
}

}  // namespace kvn
