// What the peers tell screen readers beyond Windows' own objects for their windows: the labels
// they paint as static texts among the child windows, names from the controls that label them,
// values and roles the standard objects cannot know.
#include <algorithm>
#include <string>

#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

// ---- Every peer

bool WindowPeer::AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return hwnd && hwnd == hwnd_ && OwnAccessible() &&
         accessible_.Answer(hwnd, wParam, lParam, result);
}

bool WindowPeer::AccessibleName(std::wstring& name) const {
  const Control* label = control_.LabelledBy();
  if (!label) return false;
  name = AccessibleText(label->Caption());
  // An explanation's arrow ("-> Force Windows...") is how it looks, not what it says.
  if (name.rfind(L"->", 0) == 0)
    name.erase(0, std::min(name.find_first_not_of(L"-> "), name.size()));
  return true;
}

void WindowPeer::ChildrenInReadingOrder(HWND window, AccessibleChildList& children) const {
  HWND windows[AccessibleChildList::kRoom];
  int count = 0;
  for (HWND w = GetWindow(window, GW_CHILD); w && count < AccessibleChildList::kRoom;
       w = GetWindow(w, GW_HWNDNEXT))
    windows[count++] = w;
  // Moves the windows of `peer` from its part `first` on out of those left, into `into`.
  const auto take = [&](const WindowPeer& peer, int first, AccessibleChildList& into) {
    for (int i = first; HWND part = peer.Part(i); ++i) {
      HWND* const found = std::find(windows, windows + count, part);
      if (found == windows + count) continue;
      into.Add(part, nullptr);
      *found = nullptr;
    }
  };
  take(*this, 1, children);
  AccessibleChildList controls;
  for (const Control* child : control_.Children()) {
    auto* peer = dynamic_cast<WindowPeer*>(child->Peer());  // none while it waits to be built
    if (auto* element = dynamic_cast<WindowlessPeer*>(peer))
      controls.Add(nullptr, element);
    else if (peer)
      take(*peer, 0, controls);
  }
  for (int i = 0; i < count; ++i)
    if (windows[i]) children.Add(windows[i], nullptr);
  for (int i = 0; i < controls.count; ++i)
    children.Add(controls.items[i].window, controls.items[i].element);
}

// ---- Containers and the labels they paint

bool OwnClassPeer::AccessibleChildren(HWND window, AccessibleChildList& children) const {
  ChildrenInReadingOrder(window, children);
  return true;
}

std::wstring WindowlessPeer::ElementName() const {
  return AccessibleText(control().Caption());
}

LONG WindowlessPeer::ElementState() const {
  LONG state = STATE_SYSTEM_READONLY;
  if (!control().Visible() || !IsWindowVisible(parent_)) state |= STATE_SYSTEM_INVISIBLE;
  if (!control().Enabled()) state |= STATE_SYSTEM_UNAVAILABLE;
  return state;
}

void WindowlessPeer::TellScreenReaders(Change what) const {
  // Nobody listens before a screen reader has asked for an object, nor for a page not on show.
  if (!AccessibilityInUse() || !IsWindowVisible(parent_)) return;
  const Control* parent = control().Parent();
  const auto* holder = parent ? dynamic_cast<const WindowPeer*>(parent->Peer()) : nullptr;
  AccessibleChildList children;
  if (!holder || !holder->AccessibleChildren(parent_, children)) return;
  const DWORD event = what == Change::Caption ? EVENT_OBJECT_NAMECHANGE
                      : control().Visible()   ? EVENT_OBJECT_SHOW
                                              : EVENT_OBJECT_HIDE;
  for (int i = 0; i < children.count; ++i)
    if (children.items[i].element == static_cast<const AccessibleElement*>(this))
      NotifyAccessibleChange(event, parent_, i + 1);
}

LONG LabelPeer::ElementRole() const {
  return label_.IsLink() ? ROLE_SYSTEM_LINK : WindowlessPeer::ElementRole();
}

LONG LabelPeer::ElementState() const {
  return WindowlessPeer::ElementState() | (label_.IsLink() ? STATE_SYSTEM_LINKED : 0);
}

bool LabelPeer::ElementAction() {
  if (!label_.IsLink()) return false;
  control().Click();
  return true;
}

bool GroupBoxPeer::AccessibleName(std::wstring& name) const {
  if (control().Caption().empty()) return WindowPeer::AccessibleName(name);
  name = AccessibleText(control().Caption());
  return true;
}

bool TabSheetPeer::AccessibleName(std::wstring& name) const {
  name = AccessibleText(sheet_.Caption());
  return true;
}

// ---- Controls whose standard object lacks their value or what they show

bool GaugePeer::AccessibleValue(std::wstring& value) const {
  wchar_t text[16];
  value.assign(text, wsprintfW(text, L"%d %%", gauge_.Percent()));
  return true;
}

bool ImagePeer::AccessibleName(std::wstring& name) const {
  if (image_.Caption().empty()) return WindowPeer::AccessibleName(name);
  name = AccessibleText(image_.Caption());
  return true;
}

bool ShapePeer::AccessibleValue(std::wstring& value) const {
  const COLORREF c = ToColorRef(shape_.BrushColor(), COLOR_WINDOW);
  wchar_t text[48];
  value.assign(text, wsprintfW(text, L"rouge %d, vert %d, bleu %d", GetRValue(c), GetGValue(c),
                               GetBValue(c)));
  return true;
}

}  // namespace kvn::ui::win32
