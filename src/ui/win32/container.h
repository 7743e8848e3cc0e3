#pragma once
// Windows of the toolkit's own classes: containers (a form area, a group box, a page's sheet)
// that pass their children's notifications to the host, and peers that paint themselves.
#include "ui/win32/window_peer.h"

namespace kvn::ui::win32 {

inline constexpr wchar_t kContainerClass[] = L"KvnContainer";
inline constexpr wchar_t kPaintedClass[] = L"KvnPainted";

void RegisterContainerClasses(HINSTANCE instance);
// Windows of these classes hand their mouse messages to the host's tool tip themselves.
bool IsOwnClass(const wchar_t* className);

// A peer whose window class is one of the above; its messages reach WindowProc.
class OwnClassPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  // Default: children's notifications to the host, the rest to DefWindowProc.
  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Every message of its windows: the tool tip hears the mouse, then WindowProc.
  LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// A plain area holding child controls (also the peer of any control kind the toolkit does not
// know, so its children still show).
class ContainerPeer : public OwnClassPeer {
 public:
  using OwnClassPeer::OwnClassPeer;
  void Create(HWND parent, const RECT& rect) override;

 protected:
  void SyncCaption() override {}
};

}  // namespace kvn::ui::win32
