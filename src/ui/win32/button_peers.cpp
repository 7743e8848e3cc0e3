// Labels, buttons, check boxes, radio buttons, group boxes and radio groups.
#include <algorithm>

#include "base/text_win32.h"
#include "ui/win32/high_contrast.h"
#include "ui/win32/peer_host.h"
#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 255);

// Text on the form's face colour, in the control's own font colour when it has one (not in high
// contrast: a colour of its own could be the scheme's face colour).
HBRUSH FaceColors(HDC dc, Color textColor) {
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, ToColorRef(HighContrast() ? kDefaultColor : textColor, COLOR_BTNTEXT));
  return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace

// ---- Label

void LabelPeer::SyncCaption() {
  text_ = Widen(label_.Caption());
}

UINT LabelPeer::Format() const {
  // The static control's: centred and right-aligned text always wraps; '&' marks a mnemonic.
  switch (label_.Alignment()) {
    case Align::Center:
      return DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK;
    case Align::Right:
      return DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK;
    default:
      return DT_LEFT | DT_EXPANDTABS | (label_.WordWrap() ? DT_WORDBREAK : 0);
  }
}

HFONT LabelPeer::Font() const {
  ui::Font font = label_.GetFont();
  if (label_.IsLink()) font.underline = true;
  return host().FontFor(font);
}

void LabelPeer::Paint(HDC dc) {
  const RECT& r = Rect();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, Font());
  FillRect(dc, &r, OnColor(dc, nullptr));
  if (!label_.Enabled()) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  RECT text = r;
  if (!text_.empty()) DrawTextW(dc, text_.c_str(), -1, &text, Format());
  RestoreDC(dc, saved);
}

void LabelPeer::MouseOver(bool inside) {
  if (inside && label_.IsLink() && !mouseInside_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Window(), 0};
    mouseInside_ = TrackMouseEvent(&track) != FALSE;
    if (mouseInside_) control().MouseEnter();
  } else if (!inside && mouseInside_) {
    mouseInside_ = false;
    control().MouseLeave();
  }
}

void LabelPeer::Pressed(UINT msg, POINT p) {
  if (label_.IsLink())
    control().MouseDown(msg == WM_LBUTTONDOWN ? MouseButton::Left : MouseButton::Right, p.x, p.y);
  // Every label reported a left press as a click (a static control with SS_NOTIFY).
  if (msg == WM_LBUTTONDOWN) control().Click();
}

HBRUSH LabelPeer::OnColor(HDC dc, HWND) {
  HBRUSH brush = FaceColors(dc, label_.GetFont().color);
  if (label_.IsLink() && HighContrast())
    SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
  else if (label_.IsLink() && label_.GetFont().color == kDefaultColor)
    SetTextColor(dc, kLinkColor);
  return brush;
}

bool LabelPeer::OnSetCursor() {
  if (!label_.IsLink()) return false;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
  return true;
}

// ---- Button

void ButtonPeer::Create(HWND parent, const RECT& rect) {
  // A picture and a broken line do not go together: a button with one keeps to one line. A flat
  // button sits on a bar and never paints over the bar's edge drawn beside it.
  hwnd_ = CreatePart(L"BUTTON", L"",
                     (button_.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP |
                         (button_.ImageId() ? 0 : BS_MULTILINE) |
                         (button_.Flat() ? BS_FLAT | WS_CLIPSIBLINGS : 0),
                     0, parent, rect);
}

void ButtonPeer::SyncOwn(Change what) {
  if (what != Change::Other) return;
  IconHandle icon = button_.ImageId() ? LoadSmallIcon(host().Instance(), button_.ImageId(),
                                                      host().SmallIconSize())
                                      : IconHandle();
  if (icon || icon_)
    SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
  icon_ = std::move(icon);  // the old one goes once the button no longer shows it
}

void ButtonPeer::Rescale() {
  WindowPeer::Rescale();
  if (!hwnd_) return;
  SyncScope scope(*this);
  SyncOwn(Change::Other);  // the picture at the new size
}

void ButtonPeer::OnCommand(HWND, UINT code) {
  if (code == BN_CLICKED) control().Click();
}

// ---- Bevel: the static control's etched line.

void BevelPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(L"STATIC", L"", SS_ETCHEDHORZ, 0, parent, rect);
}

// ---- Check box and radio button: plain (not automatic) buttons, the control decides.

void CheckBoxPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(L"BUTTON", L"", BS_CHECKBOX | BS_MULTILINE | WS_TABSTOP, 0, parent, rect);
}

void CheckBoxPeer::SyncOwn(Change what) {
  if (what == Change::Value)
    SendMessageW(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBoxPeer::OnCommand(HWND, UINT code) {
  if (code == BN_CLICKED && !syncing_) box_.SetChecked(!box_.Checked());
}

HBRUSH CheckBoxPeer::OnColor(HDC dc, HWND) {
  return FaceColors(dc, box_.GetFont().color);
}

void RadioButtonPeer::Create(HWND parent, const RECT& rect) {
  hwnd_ = CreatePart(L"BUTTON", L"", BS_RADIOBUTTON | BS_MULTILINE | WS_TABSTOP, 0, parent, rect);
}

void RadioButtonPeer::SyncOwn(Change what) {
  if (what == Change::Value)
    SendMessageW(hwnd_, BM_SETCHECK, radio_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioButtonPeer::OnCommand(HWND, UINT code) {
  if (code == BN_CLICKED && !syncing_) radio_.SetChecked(true);
}

HBRUSH RadioButtonPeer::OnColor(HDC dc, HWND) {
  return FaceColors(dc, radio_.GetFont().color);
}

// ---- Group box

void GroupBoxPeer::Create(HWND parent, const RECT& rect) {
  // Not clipping its children: the frame covers the whole area and leaves its inside unpainted,
  // so the container's background must show through it (as in a dialog).
  hwnd_ = CreatePart(kContainerClass, L"", 0, WS_EX_CONTROLPARENT, parent, rect);
  // The frame stays below the children (and clipped by them), so it never paints over them.
  frame_ = CreatePart(L"BUTTON", L"", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, hwnd_,
                      RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top});
  Subclass(frame_);
}

LRESULT GroupBoxPeer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The frame covers the whole area and paints a line inside itself: the labels, once windows
  // above it, are painted after it, by the frame's own painting (below).
  if (msg == WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return ContainerPeer::WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT GroupBoxPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT || hwnd != frame_ || wParam) return CallOriginal(hwnd, msg, wParam, lParam);
  const PaintScope paint(hwnd);
  CallOriginal(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(paint.dc()), PRF_CLIENT);
  WindowlessPeer::PaintChildren(control(), paint.dc(), paint.area());
  return 0;
}

HWND GroupBoxPeer::Part(int i) const {
  return i == 0 ? hwnd_ : i == 1 ? frame_ : nullptr;
}

void GroupBoxPeer::SyncAll() {
  ContainerPeer::SyncAll();
  SetWindowPos(frame_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void GroupBoxPeer::SyncCaption() {
  SetWindowTextW(frame_, Widen(control().Caption()).c_str());
}

void GroupBoxPeer::SyncBounds() {
  ContainerPeer::SyncBounds();
  const RECT r = ScaledBounds();
  MoveWindow(frame_, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
  LayoutItems();
}

// ---- Radio group

HWND RadioGroupPeer::Part(int i) const {
  if (i < 2) return GroupBoxPeer::Part(i);
  return static_cast<size_t>(i - 2) < items_.size() ? items_[i - 2] : nullptr;
}

void RadioGroupPeer::SyncOwn(Change what) {
  if (what == Change::Other) LayoutItems();  // the number of columns
  if (what == Change::Items) {
    for (HWND item : items_) {
      host().Unregister(item);
      DestroyWindow(item);
    }
    items_.clear();
    for (const std::string& text : group_.Items()) {
      HWND item = CreatePart(L"BUTTON", Widen(text), BS_RADIOBUTTON | WS_TABSTOP, 0, hwnd_,
                             RECT{0, 0, 10, 10});
      EnableWindow(item, control().Enabled());
      ShowWindow(item, SW_SHOWNA);
      items_.push_back(item);
    }
    LayoutItems();
    what = Change::Value;
  }
  if (what == Change::Value)
    for (size_t i = 0; i < items_.size(); ++i)
      SendMessageW(items_[i], BM_SETCHECK,
                   static_cast<int>(i) == group_.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioGroupPeer::LayoutItems() {
  if (items_.empty()) return;
  const RECT bounds = ScaledBounds();
  const int boundsWidth = bounds.right - bounds.left, boundsHeight = bounds.bottom - bounds.top;
  const int columns = std::max(1, group_.Columns());
  const int count = static_cast<int>(items_.size());
  const int rows = (count + columns - 1) / columns;
  // Inside the frame: below its caption, items share the height evenly, as the original did.
  const int top = Scale(14), left = Scale(8), margin = Scale(4);
  const int slotHeight = std::max(1, (boundsHeight - top - margin) / rows);
  const int columnWidth = std::max(1, (boundsWidth - left - margin) / columns);
  for (int i = 0; i < count; ++i) {
    const int column = i / rows, row = i % rows;
    const int height = std::min(slotHeight, Scale(20));
    MoveWindow(items_[i], left + column * columnWidth,
               top + row * slotHeight + (slotHeight - height) / 2, columnWidth - margin, height,
               TRUE);
  }
}

void RadioGroupPeer::OnCommand(HWND from, UINT code) {
  if (code != BN_CLICKED || syncing_) return;
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == from) group_.UserSelect(static_cast<int>(i));
}

HBRUSH RadioGroupPeer::OnColor(HDC dc, HWND) {
  return FaceColors(dc, group_.GetFont().color);
}

}  // namespace kvn::ui::win32
