#pragma once
// The Win32 side of one control: creates its window(s), mirrors the control's state into them and
// turns the notifications they send into the control's own setters.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <utility>

#include "ui/control.h"
#include "ui/win32/accessible.h"
#include "ui/win32/color_ref.h"
#include "ui/win32/gdi_handles.h"

namespace kvn::ui::win32 {

class PeerHost;

// A rectangle as it is (no scaling): for window pixels already.
RECT ToRect(const ui::Rect& r);

class WindowPeer : public ControlPeer {
 public:
  WindowPeer(Control& control, PeerHost& host) : control_(control), host_(host) {}
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  Control& control() const { return control_; }
  PeerHost& host() const { return host_; }
  // The control's main window; Part(i) gives its other windows (a spin edit's arrows, a radio
  // group's items), null past the last.
  HWND Handle() const { return hwnd_; }
  virtual HWND Part(int i) const { return i == 0 ? hwnd_ : nullptr; }
  // The window the control's children are created in (their bounds are relative to it).
  virtual HWND ChildParent() const { return hwnd_; }

  // The windows are gone (the form was destroyed): the control goes on without a peer, and no
  // message is sent to a handle Windows may since have given to another window.
  void Detach();

  // Builds the window(s) inside `parent`; the host attaches the peer and syncs it afterwards.
  virtual void Create(HWND parent, const RECT& rect) = 0;
  // Mirrors every part of the state, after the children exist.
  virtual void SyncAll();
  void Sync(Change what) override;
  // Applies the changes kept while the form was hidden.
  void FlushDeferred();
  // The form's DPI changed: fonts, place and size, and whatever else the kind draws in pixels.
  // The host calls it parents first.
  virtual void Rescale();

  // Notifications routed here by the host in constant time.
  virtual void OnCommand(HWND /*from*/, UINT /*code*/) {}
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  virtual void OnScroll(HWND /*from*/, int /*code*/) {}
  // WM_CTLCOLOR*: a brush to paint with, or null for the default colours.
  virtual HBRUSH OnColor(HDC /*dc*/, HWND /*from*/) { return nullptr; }
  virtual bool OnSetCursor() { return false; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT& /*item*/) { return false; }
  // Whether the form's tool tip shows the control's hint over its windows.
  virtual bool ShowsHint() const { return true; }

  // WM_GETOBJECT sent to one of its windows: true with `result` set when its main window answers
  // a screen reader with an object of its own.
  bool AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // What that object says beyond Windows' own (AccessibleContent). The name by default is the
  // caption of the control that labels it, if any.
  virtual bool AccessibleName(std::wstring& name) const;
  virtual bool AccessibleValue(std::wstring& /*value*/) const { return false; }
  virtual LONG AccessibleRole() const { return 0; }
  virtual bool AccessibleChildren(HWND /*window*/, AccessibleChildList& /*children*/) const {
    return false;
  }

 protected:
  virtual void SyncCaption();
  virtual void SyncVisible();
  virtual void SyncBounds();
  virtual void SyncFont();
  // Value, Items, Range, Other: what the control kind adds.
  virtual void SyncOwn(Change /*what*/) {}

  // Creates one window of the control, registered with the host (id, routing, font, tool tip).
  HWND CreatePart(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                  HWND parent, const RECT& rect);
  // Subclasses a part: its messages then reach SubclassProc first.
  void Subclass(HWND hwnd);
  virtual LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The part's own handling (and any subclass installed before ours), from SubclassProc.
  LRESULT CallOriginal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // The font the control asks for (the window's Tahoma 8 unless it sets its own).
  HFONT ControlFont() const;
  // Whether its main window tells a screen reader more than Windows' own object for it does.
  virtual bool OwnAccessible() const { return control_.LabelledBy() != nullptr; }
  // One of its windows is going: a screen reader still holding that window's object is told so.
  void AccessibleWindowGone(HWND hwnd) { accessible_.WindowGone(hwnd); }
  // The children of `window` in reading order: the control's own other windows inside it (a
  // group box's frame, a radio group's items), then the windows of no control (the chart), then
  // the child controls as the form lists them, each as its windows or as the element it is.
  void ChildrenInReadingOrder(HWND window, AccessibleChildList& children) const;

  // Design pixels to the form's window pixels.
  int Scale(int designPixels) const;
  RECT ScaledBounds() const;

  // True while the peer writes into its own windows: notifications they raise are not input.
  bool syncing_ = false;
  // Changes kept while the form is hidden, one bit per Change.
  unsigned deferred_ = 0;
  class SyncScope {
   public:
    explicit SyncScope(WindowPeer& p) : p_(p), old_(std::exchange(p.syncing_, true)) {}
    ~SyncScope() { p_.syncing_ = old_; }
    SyncScope(const SyncScope&) = delete;
    SyncScope& operator=(const SyncScope&) = delete;

   private:
    WindowPeer& p_;
    bool old_;
  };

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
  // Hands the object's questions to the peer's answers above.
  struct Content final : AccessibleContent {
    explicit Content(const WindowPeer& peer) : peer(peer) {}
    bool AccessibleName(std::wstring& name) const override { return peer.AccessibleName(name); }
    bool AccessibleValue(std::wstring& value) const override { return peer.AccessibleValue(value); }
    LONG AccessibleRole() const override { return peer.AccessibleRole(); }
    bool AccessibleChildren(HWND window, AccessibleChildList& children) const override {
      return peer.AccessibleChildren(window, children);
    }
    const WindowPeer& peer;
  };

  Control& control_;
  PeerHost& host_;
  Content content_{*this};
  AccessibleServer accessible_{content_};
};

}  // namespace kvn::ui::win32
