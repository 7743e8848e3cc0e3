#pragma once
// Pop-up menus on screen: a Windows menu built from the PopupMenu's items, its title drawn as a
// band above them, shown so that it also closes properly when opened from the notification area.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/message_window_win32.h"
#include "ui/components.h"
#include "ui/win32/gdi_handles.h"

namespace kvn::ui::win32 {

// A Windows menu for a PopupMenu: command id n stands for items[n - 1].
struct BuiltMenu {
  MenuHandle menu;
  std::vector<MenuItem*> items;
  std::unique_ptr<std::wstring> title;  // the band's text, drawn by the owner window
};
BuiltMenu BuildMenu(PopupMenu& menu);

// "Ctrl+P" for a 16-bit shortcut, shown at the right of a menu item.
std::wstring ShortcutText(std::uint16_t shortcut);

class Win32MenuPresenter : public MenuPresenter {
 public:
  Win32MenuPresenter();
  ~Win32MenuPresenter() override;
  Win32MenuPresenter(const Win32MenuPresenter&) = delete;
  Win32MenuPresenter& operator=(const Win32MenuPresenter&) = delete;

  void Show(PopupMenu& menu, int screenX, int screenY) override;
  // Made by the first menu shown (a top-level window costs Wine about 10 ms, start-up pays none
  // of it); null when Windows refuses it.
  HWND OwnerWindow();

  static constexpr int kTitleHeight = 20;

 private:
  bool MeasureTitle(MEASUREITEMSTRUCT& item);
  bool DrawTitle(DRAWITEMSTRUCT& item);
  FontHandle titleFont_;
  std::unique_ptr<MessageWindow> owner_;
};

}  // namespace kvn::ui::win32
