#pragma once
// Page control, status bar, hot-key editor, image, bevel and shape.
#include <cstdint>

#include "ui/control.h"

namespace kvn::ui {

class TabSheet : public Control {
 public:
  using Control::Control;
  // The page became the active one, by the user or from code.
  std::function<void()> OnShow;
  void Show() { Fire(OnShow); }
};

class PageControl : public Control {
 public:
  using Control::Control;
  std::function<void()> OnChange;

  std::vector<TabSheet*> Pages() const {
    std::vector<TabSheet*> pages;
    for (Control* c : Children())
      if (auto* p = dynamic_cast<TabSheet*>(c)) pages.push_back(p);
    return pages;
  }
  TabSheet* ActivePage() const { return active_; }
  int ActivePageIndex() const {
    auto pages = Pages();
    for (size_t i = 0; i < pages.size(); ++i)
      if (pages[i] == active_) return static_cast<int>(i);
    return -1;
  }
  // From code: no change handler, like an item index; the page's own OnShow runs as it does
  // whenever a page comes to the front.
  void SetActivePage(TabSheet* page) {
    if (page == active_) return;
    active_ = page;
    Changed(Change::Value);
    if (page) page->Show();
  }
  void UserSelectPage(TabSheet* page) {
    byUser_ = true;
    SetActivePage(page);
    byUser_ = false;
    Fire(OnChange);
  }
  // While the user's choice is applied: a page still to be built may then come a moment later,
  // built a slice at a time, rather than keep the window from answering meanwhile.
  bool SelectingByUser() const { return byUser_; }

 private:
  TabSheet* active_ = nullptr;
  bool byUser_ = false;
};

struct StatusPanel {
  std::string text;
  int width = 50;
  int imageId = 0;  // small picture drawn before the text (resource id), 0 for none
};

// Three panels; the last one can show a gauge with its text centred over it.
class StatusBar : public Control {
 public:
  using Control::Control;
  // The mouse rests on a panel (its hint is asked for).
  std::function<void(int panel)> OnPanelHint;

  const std::vector<StatusPanel>& Panels() const { return panels_; }
  void SetPanels(std::vector<StatusPanel> panels) {
    panels_ = std::move(panels);
    Changed(Change::Items);
  }
  const std::string& PanelText(int i) const { return panels_.at(i).text; }
  void SetPanelText(int i, std::string text) {
    if (panels_.at(i).text == text) return;
    panels_.at(i).text = std::move(text);
    Changed(Change::Items);
  }
  void SetPanelWidth(int i, int width) {
    panels_.at(i).width = width;
    Changed(Change::Items);
  }
  int GaugePanel() const { return gaugePanel_; }
  void SetGaugePanel(int i) {
    if (i == gaugePanel_) return;
    gaugePanel_ = i;
    Changed(Change::Other);
  }
  int GaugePosition() const { return gaugePosition_; }
  void SetGaugePosition(int percent) {
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (percent == gaugePosition_) return;
    gaugePosition_ = percent;
    Changed(Change::Value);
  }
  Color GaugeColor() const { return gaugeColor_; }
  void SetGaugeColor(Color c) {
    if (c == gaugeColor_) return;
    gaugeColor_ = c;
    Changed(Change::Other);
  }
  void PanelHint(int panel) { Fire(OnPanelHint, panel); }
  // The grip of a resizable window in the right corner (set before the window is made).
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool grip) { sizeGrip_ = grip; }

 private:
  bool sizeGrip_ = false;
  std::vector<StatusPanel> panels_;
  int gaugePanel_ = -1;
  int gaugePosition_ = 0;
  Color gaugeColor_ = 0x800000;  // navy
};

// Shortcut in the 16-bit form: virtual key in the low byte, modifiers above.
inline constexpr std::uint16_t kShortcutShift = 0x2000;
inline constexpr std::uint16_t kShortcutCtrl = 0x4000;
inline constexpr std::uint16_t kShortcutAlt = 0x8000;

class HotKeyEdit : public Control {
 public:
  using Control::Control;
  std::function<void()> OnChange;
  std::uint16_t HotKey() const { return hotKey_; }
  // From code: no handler.
  void SetHotKey(std::uint16_t shortcut) {
    if (shortcut == hotKey_) return;
    hotKey_ = shortcut;
    Changed(Change::Value);
  }
  // The user typed a new combination.
  void UserSetHotKey(std::uint16_t shortcut) {
    SetHotKey(shortcut);
    Fire(OnChange);
  }

 private:
  std::uint16_t hotKey_ = 0;
};

// A picture from the program's resources (bitmap id).
class Image : public Control {
 public:
  using Control::Control;
  int ResourceId() const { return resourceId_; }
  void SetResourceId(int id) {
    if (id == resourceId_) return;
    resourceId_ = id;
    Changed(Change::Value);
  }

 private:
  int resourceId_ = 0;
};

// An etched line along the top of its bounds (the lower edge of a bar).
class Bevel : public Control {
 public:
  using Control::Control;
};

// A filled rectangle: colour swatches and legend marks.
class Shape : public Control {
 public:
  using Control::Control;
  Color BrushColor() const { return brush_; }
  void SetBrushColor(Color c) {
    if (c == brush_) return;
    brush_ = c;
    Changed(Change::Value);
  }
  Color PenColor() const { return pen_; }
  void SetPenColor(Color c) {
    pen_ = c;
    Changed(Change::Value);
  }
  // One the user clicks: Tab reaches it and Space or Enter clicks it (set before the window is
  // made).
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }

 private:
  Color brush_ = 0xFFFFFF;
  Color pen_ = 0x000000;
  bool tabStop_ = false;
};

}  // namespace kvn::ui
