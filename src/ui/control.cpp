#include "ui/control.h"

#include <algorithm>

namespace kvn::ui {

Control::~Control() {
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  for (Control* child : children_) child->parent_ = nullptr;
}

void Control::SetParent(Control* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_) parent_->children_.push_back(this);
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed(Change::Caption);
}

void Control::SetHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  Changed(Change::Hint);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Change::Enabled);
}

void Control::Lock(std::string reason) {
  const bool wasEnabled = Enabled();
  locked_ = true;
  lockReason_ = std::move(reason);
  if (wasEnabled) Changed(Change::Enabled);
  Changed(Change::Hint);
}

void Control::Unlock() {
  if (!locked_) return;
  locked_ = false;
  lockReason_.clear();
  if (enabled_) Changed(Change::Enabled);
  Changed(Change::Hint);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Change::Visible);
}

void Control::SetBounds(int x, int y, int width, int height) {
  bounds_ = {x, y, width, height};
  Changed(Change::Bounds);
}

void Control::SetFont(const Font& font) {
  font_ = font;
  Changed(Change::Font);
}

void Control::SetAlignment(Align align) {
  alignment_ = align;
  Changed(Change::Other);
}

void RadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  if (checked && Parent()) {
    for (Control* sibling : Parent()->Children()) {
      if (auto* radio = dynamic_cast<RadioButton*>(sibling); radio && radio != this)
        radio->SetCheckedQuietly(false);
    }
  }
  checked_ = checked;
  Changed(Change::Value);
  if (checked_) Click();
}

}  // namespace kvn::ui
