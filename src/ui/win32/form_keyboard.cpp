// The keyboard of the form, before the controls see it: F1 (the help context of the focused
// control or its page), Ctrl+Tab and Ctrl+Shift+Tab (the pages), the shortcuts of the focused
// control's context menu, and dialog navigation; and the context menus a right click or the menu
// key opens.
#include "ui/win32/form_host.h"

#include <windowsx.h>

#include "ui/components.h"
#include "ui/window_parts.h"

namespace kvn::ui::win32 {

bool FormHost::OpenContextMenu(HWND from, LPARAM point) {
  // The clicked control, else the nearest of its parents, that has a menu.
  const Control* control = nullptr;
  for (HWND w = from; w && !control; w = GetParent(w)) {
    if (w == hwnd_)
      control = &root_;
    else if (WindowPeer* peer = PeerOf(w))
      control = &peer->control();
    if (w == hwnd_) break;
  }
  for (; control; control = control->Parent()) {
    if (!control->ContextMenu()) continue;
    int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
    if (x == -1 && y == -1) {  // from the keyboard: at the control's top left corner
      RECT r{};
      GetWindowRect(from, &r);
      x = r.left + 8;
      y = r.top + 8;
    }
    control->ContextMenu()->Popup(x, y);
    return true;
  }
  return false;
}

int FormHost::HelpContextFor(const Control* focus) const {
  for (const Control* c = focus; c; c = c->Parent()) {
    if (auto* pages = dynamic_cast<const PageControl*>(c))
      if (TabSheet* page = pages->ActivePage(); page && page->HelpContext())
        return page->HelpContext();
    if (c->HelpContext()) return c->HelpContext();
  }
  return root_.HelpContext();
}

void FormHost::ShowHelp(HWND focus) {
  const Control* control = nullptr;
  for (HWND w = focus; w && w != hwnd_; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) {
      control = &peer->control();
      break;
    }
  // Nothing of ours has the focus: the page on show gives the context.
  if (!control)
    for (const Control* child : root_.Children())
      if (dynamic_cast<const PageControl*>(child)) control = child;
  Fire(OnHelp, HelpContextFor(control ? control : &root_));
}

namespace {

PageControl* FirstPageControl(Control& control) {
  if (auto* pages = dynamic_cast<PageControl*>(&control)) return pages;
  for (Control* child : control.Children())
    if (PageControl* pages = FirstPageControl(*child)) return pages;
  return nullptr;
}

}  // namespace

bool FormHost::TurnPage(HWND focus, int step) {
  PageControl* pages = nullptr;
  for (HWND w = focus; w && w != hwnd_ && !pages; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) {
      for (Control* c = &peer->control(); c && !pages; c = c->Parent())
        pages = dynamic_cast<PageControl*>(c);
      break;
    }
  if (!pages) pages = FirstPageControl(root_);
  if (!pages) return false;
  const auto list = pages->Pages();
  const int count = static_cast<int>(list.size());
  if (count == 0) return false;
  const int active = pages->ActivePageIndex();
  const int next =
      active < 0 ? (step > 0 ? 0 : count - 1) : ((active + step) % count + count) % count;
  pages->UserSelectPage(list[next]);
  // The focus goes where a click on the tab puts it, never left in the page just hidden.
  if (HWND tabs = WindowOf(*pages)) SetFocus(tabs);
  return true;
}

bool FormHost::MenuShortCut(const MSG& msg) {
  // Only combinations: a plain key belongs to the control that has the focus.
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (!ctrl && !alt) return false;
  const auto shortCut = static_cast<std::uint16_t>(
      (msg.wParam & 0xFF) | (ctrl ? kShortcutCtrl : 0) | (alt ? kShortcutAlt : 0) |
      (GetKeyState(VK_SHIFT) < 0 ? kShortcutShift : 0));
  // The context menu of the focused control, or of the nearest container that has one.
  const Control* control = nullptr;
  for (HWND w = msg.hwnd; w && w != hwnd_ && !control; w = GetParent(w))
    if (WindowPeer* peer = PeerOf(w)) control = &peer->control();
  for (; control; control = control->Parent())
    if (PopupMenu* menu = control->ContextMenu()) return menu->IsShortCut(shortCut);
  return false;
}

bool FormHost::PreTranslateMessage(MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
    ShowHelp(msg.hwnd);
    return true;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
      TurnPage(msg.hwnd, GetKeyState(VK_SHIFT) < 0 ? -1 : 1))
    return true;
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && MenuShortCut(msg)) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

std::vector<FormHost*>& FormHost::LiveForms() {
  static std::vector<FormHost*> forms;
  return forms;
}

void FormHost::ProcessMessage(MSG& msg) {
  FormHost* form = this;
  if (const HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr; top && top != hwnd_)
    for (FormHost* other : LiveForms())
      if (other->hwnd_ == top) form = other;
  if (form->PreTranslateMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void FormHost::FocusFirstControl() {
  if (HWND first = hwnd_ ? GetNextDlgTabItem(hwnd_, nullptr, FALSE) : nullptr) SetFocus(first);
}

namespace {

// The enabled, shown button of the tree that `is` picks (its default or its cancel button).
Button* FindButton(const Control& parent, bool (Button::*is)() const) {
  for (Control* child : parent.Children()) {
    auto* button = dynamic_cast<Button*>(child);
    if (button && (button->*is)() && button->Enabled() && button->Visible()) return button;
    if (Button* inside = FindButton(*child, is)) return inside;
  }
  return nullptr;
}

}  // namespace

bool FormHost::DialogKey(WORD command) {
  if (command == IDOK) {
    // As in a dialog box, Enter presses the push button that has the focus.
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return true;
    }
  }
  if (command != IDOK && command != IDCANCEL) return false;
  if (Button* button = FindButton(root_, command == IDOK ? &Button::Default : &Button::Cancel)) {
    button->Click();
    return true;
  }
  if (command != IDCANCEL || !style_.escapeCloses) return false;
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  return true;
}

}  // namespace kvn::ui::win32
