#pragma once
// What a control's peer asks of the window that hosts it: the instance, fonts and DPI scaling,
// control ids and message routing, the tool tip's rectangles, deferred updates while the form is
// hidden, and the lazy building of the controls inside it. The form host implements it; the peers
// know only this, so that they sit below the host that creates them.
#include <windows.h>

#include <functional>

#include "ui/control.h"

namespace kvn::ui::win32 {

class WindowPeer;

class PeerHost {
 public:
  virtual HINSTANCE Instance() const = 0;
  // In the window's DPI, its fonts cached until the DPI changes.
  virtual HFONT FontFor(const Font& font) = 0;

  // Controls are laid out in 96-DPI design pixels and shown at the window's DPI.
  virtual int Dpi() const = 0;
  virtual int Scale(int designPixels) const = 0;
  virtual int Unscale(int windowPixels) const = 0;
  virtual RECT ScaledRect(const ui::Rect& design) const = 0;
  // The small icon's side at the window's DPI (16 at 96).
  virtual int SmallIconSize() const = 0;

  virtual UINT NextId() const = 0;
  // `hinted`: false keeps the window out of the tool tip.
  virtual void Register(UINT id, HWND hwnd, WindowPeer* peer, bool hinted = true) = 0;
  virtual void Unregister(HWND hwnd) = 0;  // before a peer destroys one of its windows
  // A control without a window: an id of its own, and a rectangle of `window` over which the
  // tool tip shows its hint (an empty one shows none).
  virtual UINT AddHintRect(HWND window, WindowPeer* peer, const RECT& rect) = 0;
  virtual void SetHintRect(HWND window, UINT id, const RECT& rect) = 0;
  // The notifications a window sends to its parent, for every container.
  virtual bool HandleChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  // A mouse message of a hinted window, for the tool tip.
  virtual void RelayMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  // While the shown-then-hidden form waits in the notification area, peers keep their changes
  // and bring their windows up to date when it shows.
  virtual bool Deferring() const = 0;
  virtual void Defer(WindowPeer* peer) = 0;
  virtual void Undefer(WindowPeer* peer) = 0;

  // The controls inside `ancestor` that are not built yet.
  virtual bool CreationPending() const = 0;
  virtual bool PendingWithin(const Control& ancestor) const = 0;
  virtual void CreatePendingWithin(const Control& ancestor) = 0;
  virtual void CreatePendingSoon(const Control& ancestor, std::function<void()> built) = 0;

 protected:
  ~PeerHost() = default;
};

}  // namespace kvn::ui::win32
