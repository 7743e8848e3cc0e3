#pragma once
// Labels have no window of their own: the window they sit in paints them. What the tests read
// back from a control's window, they read for a label from its peer: the window it paints in,
// its place there, the text and the font it paints with.
#include <windows.h>

#include "ui/control.h"
#include "ui/win32/form_host.h"
#include "ui/win32/peers.h"

namespace kvn::testing {

// The label's peer (its page built first if it waits), null for a control that is no label.
inline ui::win32::LabelPeer* PaintedLabel(const ui::Control& control) {
  ui::win32::FormHost::WindowOf(control);
  return dynamic_cast<ui::win32::LabelPeer*>(control.Peer());
}

// Whether it shows on the screen: itself and the window it paints in.
inline bool LabelShows(const ui::win32::LabelPeer& label) {
  return label.control().Visible() && IsWindowVisible(label.Window());
}

inline RECT LabelScreenRect(const ui::win32::LabelPeer& label) {
  RECT r = label.Rect();
  MapWindowPoints(label.Window(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A point of the label (its own coordinates) as a mouse message to its window carries it.
inline LPARAM LabelPoint(const ui::win32::LabelPeer& label, int x, int y) {
  return MAKELPARAM(label.Rect().left + x, label.Rect().top + y);
}

}  // namespace kvn::testing
