#pragma once
// Windows of the toolkit's own classes: containers (a form area, a group box, a page's sheet)
// that pass their children's notifications to the host, and peers that paint themselves.
#include "ui/win32/own_classes.h"
#include "ui/win32/window_peer.h"

namespace kvn::ui::win32 {

// False when Windows refuses one of them.
bool RegisterContainerClasses(HINSTANCE instance);

// A peer whose window class is one of the above; its messages reach WindowProc.
class OwnClassPeer : public WindowPeer {
 public:
  using WindowPeer::WindowPeer;
  // Default: children's notifications to the host, the rest to DefWindowProc.
  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Every message of its windows: the tool tip hears the mouse, then WindowProc.
  LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The windowless controls it paints are children of its object beside its child windows.
  bool AccessibleChildren(HWND window, AccessibleChildList& children) const override;

 protected:
  bool OwnAccessible() const override { return true; }
};

// A control without a window of its own (a label): the window it sits in, a container or the
// form, paints it in its own WM_PAINT and hands it the mouse over its rectangle. Creating a
// window is most of what a label costs, and a page shows many of them.
class WindowlessPeer : public WindowPeer, public AccessibleElement {
 public:
  using WindowPeer::WindowPeer;
  HWND Part(int) const override { return nullptr; }
  void Create(HWND parent, const RECT& rect) override;
  void SyncAll() override;
  // Nothing waits while the form is hidden: the state is read when it paints.
  void Sync(Change what) override;
  void Rescale() override { Sync(Change::Bounds); }

  // The window it paints in, and where (hidden, it paints nothing and takes no mouse or hint).
  HWND Window() const { return parent_; }
  const RECT& Rect() const { return rect_; }
  // Paints it into `dc`, in its window's coordinates.
  virtual void Paint(HDC dc) = 0;

  // The messages of the window holding windowless controls, the children of `parent` there:
  // painting, the mouse and the cursor. True when handled, with `result` set.
  static bool HandleParentMessage(const Control& parent, HWND hwnd, UINT msg, WPARAM wParam,
                                  LPARAM lParam, LRESULT& result);
  // Paints those of them that show inside `area`.
  static void PaintChildren(const Control& parent, HDC dc, const RECT& area);

  // A static text for a screen reader, a child of its window's object.
  std::wstring ElementName() const override;
  LONG ElementRole() const override { return ROLE_SYSTEM_STATICTEXT; }
  LONG ElementState() const override;
  RECT ElementRect() const override { return rect_; }

 protected:
  // Whether the mouse is over it (enabled and shown), from the window's mouse messages.
  virtual void MouseOver(bool /*inside*/) {}
  // A button pressed on it (WM_LBUTTONDOWN, WM_RBUTTONDOWN), `p` in its own coordinates.
  virtual void Pressed(UINT /*msg*/, POINT /*p*/) {}
  // Redraws its rectangle.
  void Invalidate() const;

 private:
  void Place();
  bool TakesMouseAt(POINT p) const;
  // Tells screen readers what changed: its text, or whether it shows.
  void TellScreenReaders(Change what) const;
  HWND parent_ = nullptr;
  RECT rect_{};
  UINT hintId_ = 0;
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
