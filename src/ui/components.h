#pragma once
// Non-visual components: timers, pop-up menus, the colour dialog, and the services a peer-less
// program (the tests) can replace.
#include <cstdint>
#include <memory>

#include "ui/control.h"

namespace kvn::ui {

class TimerPeer {
 public:
  virtual ~TimerPeer() = default;
  virtual void Sync() = 0;  // interval or enabled changed
};

class Timer : public Component {
 public:
  using Component::Component;
  std::function<void()> OnTimer;
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (peer_) peer_->Sync();
  }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (peer_) peer_->Sync();
  }
  // One tick: what the window timer calls, and what tests call directly.
  void Tick() { Fire(OnTimer); }
  // A timer runs when enabled with a non-zero interval and a handler.
  bool Running() const { return enabled_ && interval_ > 0 && OnTimer != nullptr; }
  void AttachPeer(TimerPeer* peer) { peer_ = peer; }

 private:
  unsigned interval_ = 0;
  bool enabled_ = false;
  TimerPeer* peer_ = nullptr;
};

class MenuItem {
 public:
  explicit MenuItem(std::string name = {}, std::string caption = {})
      : Name(std::move(name)), Caption(std::move(caption)) {}
  std::string Name;
  std::string Caption;  // "-" is a separator
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool RadioItem = false;      // checked with a dot instead of a tick
  std::uint16_t ShortCut = 0;  // 16-bit shortcut form (kShortcutCtrl | 'P'), 0 for none
  std::function<void()> OnClick;
  std::vector<std::unique_ptr<MenuItem>> Items;

  bool IsSeparator() const { return Caption == "-"; }
  MenuItem& Add(std::string name, std::string caption) {
    Items.push_back(std::make_unique<MenuItem>(std::move(name), std::move(caption)));
    return *Items.back();
  }
  MenuItem& AddSeparator() { return Add({}, "-"); }
  void Click() { Fire(OnClick); }
  MenuItem* Find(const std::string& name);
  // The item (this one or below) with this shortcut, visible; null when none.
  MenuItem* FindShortCut(std::uint16_t shortCut);
};

class PopupMenu;

// How a menu is shown: the Win32 layer installs one; tests may install their own.
class MenuPresenter {
 public:
  virtual ~MenuPresenter() = default;
  virtual void Show(PopupMenu& menu, int screenX, int screenY) = 0;
};

class PopupMenu : public Component {
 public:
  using Component::Component;
  std::string Title;  // drawn as a band above the items; empty for none
  MenuItem Items;
  std::function<void()> OnPopup;

  static void SetPresenter(MenuPresenter* presenter);
  // Shows the menu at a screen point; the chosen item's OnClick runs through the dispatcher.
  void Popup(int screenX, int screenY);
  MenuItem* Find(const std::string& name) { return Items.Find(name); }
  // A key of the control the menu belongs to: the menu brings its items up to date (OnPopup), and
  // an enabled item with that shortcut runs. True when an item ran.
  bool IsShortCut(std::uint16_t shortCut);
};

class ColorPicker {
 public:
  virtual ~ColorPicker() = default;
  virtual bool Pick(Color& color, void* ownerWindow) = 0;
};

class ColorDialog : public Component {
 public:
  using Component::Component;
  Color Value = 0;
  static void SetPicker(ColorPicker* picker);
  // Asks the user for a colour starting from Value; true and a new Value when one was chosen.
  bool Execute(void* ownerWindow = nullptr);
};

}  // namespace kvn::ui
