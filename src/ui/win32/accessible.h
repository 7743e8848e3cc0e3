#pragma once
// What screen readers are told of a window (Microsoft Active Accessibility, which Windows also
// serves to UI Automation clients): the object a window answers WM_GETOBJECT with. It is
// Windows' standard object for the window, with what that one cannot know put over it: a name
// taken from a label, a value, a role, and the parts the window draws itself (labels have no
// window) as children beside its child windows, in reading order. Nothing of it is made before
// a screen reader asks, and oleacc.dll is loaded only then.
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <string>

namespace kvn::ui::win32 {

// Something a window draws without a window of its own (a label): what a screen reader is told.
class AccessibleElement {
 public:
  virtual std::wstring ElementName() const = 0;
  virtual LONG ElementRole() const = 0;
  virtual LONG ElementState() const = 0;  // STATE_SYSTEM_*
  // Where it is, in the client coordinates of the window that draws it.
  virtual RECT ElementRect() const = 0;
  // Runs its default action (a link opens): false when it has none.
  virtual bool ElementAction() { return false; }

 protected:
  ~AccessibleElement() = default;
};

// One child of a window's object: a child window, or an element the window draws.
struct AccessibleChild {
  HWND window;
  AccessibleElement* element;
};

// A window's children in reading order. A window holds a few dozen at most; those past the
// room are left out (nothing is allocated while a screen reader's call is answered).
struct AccessibleChildList {
  static constexpr int kRoom = 64;
  AccessibleChild items[kRoom];
  int count = 0;
  void Add(HWND window, AccessibleElement* element) {
    if (count < kRoom) items[count++] = AccessibleChild{window, element};
  }
};

// What a window's object says beyond Windows' standard object. Asked at each call a screen
// reader makes, on the window's thread, and only while the window lives.
class AccessibleContent {
 public:
  // The window's name, value and role: false (0 for the role) leaves the standard object's.
  virtual bool AccessibleName(std::wstring& /*name*/) const { return false; }
  virtual bool AccessibleValue(std::wstring& /*value*/) const { return false; }
  virtual LONG AccessibleRole() const { return 0; }
  // The children of `window`'s object in reading order; false leaves them to the standard object.
  virtual bool AccessibleChildren(HWND /*window*/, AccessibleChildList& /*children*/) const {
    return false;
  }

 protected:
  ~AccessibleContent() = default;
};

class AccessibleObject;

// A window's answer to WM_GETOBJECT. The object is made at the first request and kept for the
// next ones; once the window goes, a screen reader still holding it is told it is gone and
// nothing of the window is touched any more.
class AccessibleServer {
 public:
  explicit AccessibleServer(AccessibleContent& content) : content_(content) {}
  ~AccessibleServer() { Disconnect(); }
  AccessibleServer(const AccessibleServer&) = delete;
  AccessibleServer& operator=(const AccessibleServer&) = delete;

  // WM_GETOBJECT sent to `hwnd`: true with `result` set when it asked for the client object.
  bool Answer(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Its owner is going.
  void Disconnect();
  // `hwnd` is going (WM_NCDESTROY): if the object is that window's, it is told so.
  void WindowGone(HWND hwnd);

 private:
  AccessibleContent& content_;
  AccessibleObject* object_ = nullptr;
};

// Whether a screen reader has asked this program for an object: before that, nobody listens for
// what changes.
bool AccessibilityInUse();

// A change of the child `child` (1-based, CHILDID_SELF for the window itself) of `hwnd`'s object,
// told to those listening (EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_SHOW...).
void NotifyAccessibleChange(DWORD event, HWND hwnd, LONG child);

// A caption as a screen reader says it: the mnemonic's '&' taken out, its lines joined by a space.
std::wstring AccessibleText(const std::string& caption);

}  // namespace kvn::ui::win32
