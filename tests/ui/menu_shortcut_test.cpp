#include <gtest/gtest.h>

#include "ui/components.h"
#include "ui/window_parts.h"

namespace kvn::ui {
namespace {

// A context menu's shortcut runs its item once the menu has brought its items up to date, as
// opening the menu would; a disabled, hidden or missing item runs nothing.
TEST(MenuShortCut, RunsTheEnabledItemTheMenuWouldShow) {
  struct Case {
    const char* name;
    std::uint16_t key;
    bool enabledOnPopup;  // what OnPopup decides for "Terminer processus"
    bool hidden;
    const char* ran;  // "" when nothing
  };
  const Case cases[] = {
      {"list", kShortcutCtrl | 'P', true, false, "list"},
      {"enabled by the popup", kShortcutCtrl | 'C', true, false, "end"},
      {"left disabled", kShortcutCtrl | 'C', false, false, ""},
      {"hidden", kShortcutCtrl | 'C', true, true, ""},
      {"in a sub-menu", kShortcutCtrl | kShortcutShift | 'M', true, false, "modules"},
      {"no such shortcut", kShortcutCtrl | 'Z', true, false, ""},
      {"the key without Ctrl", 'P', true, false, ""},
  };
  for (const Case& c : cases) {
    PopupMenu menu{"PopupMenu3"};
    std::string ran;
    MenuItem& list = menu.Items.Add("list", "Liste");
    list.ShortCut = kShortcutCtrl | 'P';
    list.OnClick = [&] { ran = "list"; };
    MenuItem& end = menu.Items.Add("end", "Terminer");
    end.ShortCut = kShortcutCtrl | 'C';
    end.Enabled = false;  // as designed
    end.Visible = !c.hidden;
    end.OnClick = [&] { ran = "end"; };
    MenuItem& modules = menu.Items.Add("more", "Plus").Add("modules", "Modules");
    modules.ShortCut = kShortcutCtrl | kShortcutShift | 'M';
    modules.OnClick = [&] { ran = "modules"; };
    menu.OnPopup = [&] { end.Enabled = c.enabledOnPopup; };
    EXPECT_EQ(menu.IsShortCut(c.key), *c.ran != '\0') << c.name;
    EXPECT_EQ(ran, c.ran) << c.name;
  }
}

}  // namespace
}  // namespace kvn::ui
