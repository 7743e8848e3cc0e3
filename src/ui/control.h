// ui/: the window toolkit. Controls and components as plain objects holding their whole state,
// with the one dispatcher every handler call goes through; ui/win32/ holds their Win32 peers
// (windows, message routing, owner drawing, timers). Includes base/ only.
#pragma once
// Controls as plain objects that hold their whole state. A Win32 peer, when attached, mirrors the
// state into its window and turns user input into the same setters, so the logic behaves the same
// with or without a window (that is how it is tested natively).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/dispatch.h"

namespace kvn::ui {

// 0x00BBGGRR colour reference; kDefaultColor means "whatever the system uses for this control".
using Color = std::uint32_t;
inline constexpr Color kDefaultColor = 0xFF000000u;
inline constexpr Color kNoColor = 0x1FFFFFFFu;  // clNone

enum class Change { Caption, Hint, Enabled, Visible, Bounds, Value, Items, Range, Font, Other };
enum class MouseButton { Left, Right, Middle };
enum class Align { Left, Center, Right };

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct Font {
  bool bold = false;
  bool underline = false;
  Color color = kDefaultColor;
  int sizePt = 0;  // 0: the window's font (Tahoma 8)
};

class Control;
class PopupMenu;

// Implemented by the Win32 layer; a control without a peer simply keeps its state.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void Sync(Change what) = 0;
};

// A named, non-visual part of a window (timers, menus, dialogs, the engine...).
class Component {
 public:
  explicit Component(std::string name = {}) : name_(std::move(name)) {}
  virtual ~Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

 private:
  std::string name_;
};

class Control : public Component {
 public:
  using Component::Component;
  ~Control() override;

  std::function<void()> OnClick;
  std::function<void(MouseButton, int x, int y)> OnMouseDown;
  // The mouse moves onto the control, and off it again (link labels change colour).
  std::function<void()> OnMouseEnter;
  std::function<void()> OnMouseLeave;

  Control* Parent() const { return parent_; }
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // While locked, the reason stands in for the control's own hint.
  const std::string& Hint() const { return locked_ ? lockReason_ : hint_; }
  void SetHint(std::string hint);
  bool Enabled() const { return enabled_ && !locked_; }
  void SetEnabled(bool enabled);
  // Set from above the user (an administrator's policy): disabled whatever else enables it, its
  // hint saying why. Unlocked, it has its own state and hint back.
  void Lock(std::string reason);
  void Unlock();
  bool Locked() const { return locked_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(int x, int y, int width, int height);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  Align Alignment() const { return alignment_; }
  void SetAlignment(Align align);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  // The menu a right click on the control opens (none by default).
  PopupMenu* ContextMenu() const { return contextMenu_; }
  void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }

  // The control whose caption names this one for a screen reader (the label before a spin edit,
  // the group box around a list); null when its own caption does.
  const Control* LabelledBy() const { return labelledBy_; }
  void SetLabelledBy(const Control* label) { labelledBy_ = label; }

  // What the peer calls when the user clicks or presses a mouse button.
  void Click() { Fire(OnClick); }
  void MouseDown(MouseButton button, int x, int y) { Fire(OnMouseDown, button, x, y); }
  void MouseEnter() { Fire(OnMouseEnter); }
  void MouseLeave() { Fire(OnMouseLeave); }

  ControlPeer* Peer() const { return peer_; }
  void AttachPeer(ControlPeer* peer) { peer_ = peer; }

 protected:
  void Changed(Change what) {
    if (peer_) peer_->Sync(what);
  }

 private:
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  std::string caption_, hint_, lockReason_;
  bool enabled_ = true, visible_ = true, locked_ = false;
  Rect bounds_;
  Font font_;
  Align alignment_ = Align::Left;
  int helpContext_ = 0;
  PopupMenu* contextMenu_ = nullptr;
  const Control* labelledBy_ = nullptr;
  ControlPeer* peer_ = nullptr;
};

// Containers: a group box frames its children; a page is one sheet of a page control.
class GroupBox : public Control {
 public:
  using Control::Control;
};

class Label : public Control {
 public:
  using Control::Control;
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap) {
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    Changed(Change::Other);
  }
  // A label that behaves as a web or mail link (hand cursor, underlined by its font).
  bool IsLink() const { return isLink_; }
  void SetIsLink(bool link) {
    if (link == isLink_) return;
    isLink_ = link;
    Changed(Change::Font);  // the underline and the link colour
  }

 private:
  bool wordWrap_ = false;
  bool isLink_ = false;
};

// A push button; "\r\n" in its caption breaks the line (of a button without a picture).
class Button : public Control {
 public:
  using Control::Control;
  // A small picture before the caption (bitmap resource id), 0 for none.
  int ImageId() const { return imageId_; }
  void SetImageId(int id) {
    if (id == imageId_) return;
    imageId_ = id;
    Changed(Change::Other);
  }
  // Drawn flat, as a tool bar's button (set before the window is made).
  bool Flat() const { return flat_; }
  void SetFlat(bool flat) { flat_ = flat; }
  // Enter presses the default button of its window, Escape the cancel one (set before the window
  // is made).
  bool Default() const { return default_; }
  void SetDefault(bool isDefault) { default_ = isDefault; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool isCancel) { cancel_ = isCancel; }

 private:
  int imageId_ = 0;
  bool flat_ = false;
  bool default_ = false;
  bool cancel_ = false;
};

class CheckBox : public Control {
 public:
  using Control::Control;
  bool Checked() const { return checked_; }
  // From code or from the user alike: a change runs OnClick.
  void SetChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(Change::Value);
    Click();
  }

 private:
  bool checked_ = false;
};

// Checking a radio button unchecks its siblings (same parent) and runs its own OnClick only.
class RadioButton : public Control {
 public:
  using Control::Control;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 private:
  void SetCheckedQuietly(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    Changed(Change::Value);
  }
  bool checked_ = false;
};

}  // namespace kvn::ui
