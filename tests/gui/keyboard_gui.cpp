// Without a mouse: Tab goes through the controls of every page and dialog in reading order, each
// dialog opens on its first control and answers Enter and Escape (the news window Escape and
// Alt+F4), and every menu opens from the keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "base/text_win32.h"
#include "chart/chart_window_win32.h"
#include "gui/main_window_fixture.h"
#include "shell/main_window_win32.h"
#include "shell/tray_icon_layout.h"
#include "shell/tray_icon_win32.h"
#include "ui/win32/form_host.h"

namespace kvn {
namespace {

using ui::win32::FormHost;

struct Stop {
  std::string name;
  HWND window;
};

Stop At(const ui::Control& control, int part = 0) {
  return {control.Name() + (part ? "#" + std::to_string(part) : ""),
          FormHost::WindowOf(control, part)};
}

class KeyboardTest : public testing::MainWindowFixture {
 protected:
  // Tab from the focus until it comes back round: the names of the windows reached, the focus's
  // first. A window the table does not know shows as its class.
  std::vector<std::string> Walk(const std::vector<Stop>& table) {
    std::vector<HWND> seen{GetFocus()};
    for (int i = 0; i < 40; ++i) {
      Press(VK_TAB);
      if (std::find(seen.begin(), seen.end(), GetFocus()) != seen.end()) break;
      seen.push_back(GetFocus());
    }
    std::vector<std::string> names;
    for (HWND w : seen) {
      auto known =
          std::find_if(table.begin(), table.end(), [w](const Stop& s) { return s.window == w; });
      wchar_t cls[64] = L"(none)";
      if (w) GetClassNameW(w, cls, 64);
      names.push_back(known != table.end() ? known->name : Narrow(cls));
    }
    return names;
  }
  // The table's windows that Tab stops at now, in its order: shown and enabled, and of a group
  // of radio buttons the checked one (the arrows move within the group).
  static std::vector<std::string> Reachable(const std::vector<Stop>& table) {
    std::vector<std::string> names;
    for (const Stop& s : table)
      if (s.window && IsWindowVisible(s.window) && IsWindowEnabled(s.window) &&
          !((SendMessageW(s.window, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
            SendMessageW(s.window, BM_GETCHECK, 0, 0) != BST_CHECKED))
        names.push_back(s.name);
    return names;
  }
};

TEST_F(KeyboardTest, TabGoesThroughEveryPageInReadingOrder) {
  MainForm& f = window->form;
  const Stop chart{"historyChart", window->chartWindow()->Handle()};
  const struct {
    ui::TabSheet& page;
    std::vector<Stop> stops;  // after the page's tab
  } pages[] = {
      {f.mainPage,
       {chart, At(f.ramLegendMark), At(f.alarmLegendMark), At(f.cpuLegendMark),
        At(f.optimiseButton), At(f.cancelButton), At(f.emptyClipboardButton), At(f.quitButton)}},
      {f.recoveryPage,
       {At(f.systemMethodRadio),
        At(f.manualMethodRadio),
        At(f.allMethodRadio),
        At(f.manualAmountTrackBar),
        At(f.alarmCheck),
        At(f.alarmLevelEdit),
        At(f.periodicCheck),
        At(f.periodicMinutesEdit),
        At(f.maximumLoadEdit),
        At(f.clipboardCheck),
        At(f.repetitionsCombo),
        At(f.directStepsCheck),
        At(f.exclusionsButton),
        At(f.purgeStandbyCheck),
        At(f.purgeStandbyEdit),
        At(f.cacheSizeCombo),
        At(f.largeSystemCacheGroup, 2),
        At(f.largeSystemCacheGroup, 3),
        At(f.secondLevelCacheCheck),
        At(f.kernelInMemoryCheck),
        At(f.clearPageFileCheck)}},
      {f.preferencesPage,
       {At(f.trayModeGroup, 2), At(f.trayModeGroup, 3), At(f.opacityTrackBar), At(f.balloonsCheck),
        At(f.stayOnTopCheck), At(f.startWithWindowsCheck), At(f.unloadDllsCheck), At(f.hotKeyEdit),
        At(f.optimiseAtStartCheck), At(f.priorityCombo), At(f.backgroundSwatch), At(f.gridSwatch),
        At(f.cpuSwatch), At(f.ramSwatch), At(f.alarmSwatch), At(f.defaultColorsButton),
        At(f.saveButton)}},
      {f.systemInfoPage, {At(f.drivesMemo), At(f.refreshInfoButton)}},
      {f.processorPage, {At(f.featureList)}},
      {f.processPage, {At(f.processGrid), At(f.refreshProcessesButton)}},
      {f.aboutPage, {At(f.newsButton), At(f.helpButton)}},
  };
  for (const auto& p : pages) {
    SCOPED_TRACE(p.page.Caption());
    f.pages.SetActivePage(&p.page);
    std::vector<Stop> table{At(f.pages)};
    table.insert(table.end(), p.stops.begin(), p.stops.end());
    SetFocus(table.front().window);  // where Ctrl+Tab leaves it
    EXPECT_EQ(Walk(table), Reachable(table));
  }
  // Within a group of radio buttons the arrows move the focus (Windows moves the choice with it,
  // Wine leaves that to Space).
  for (const auto& [page, from, to] :
       {std::tuple{&f.recoveryPage, At(f.systemMethodRadio), At(f.manualMethodRadio)},
        std::tuple{&f.preferencesPage, At(f.trayModeGroup, 2), At(f.trayModeGroup, 3)}}) {
    f.pages.SetActivePage(page);
    SetFocus(from.window);
    Press(VK_DOWN);
    EXPECT_EQ(GetFocus(), to.window) << to.name;
    Press(VK_SPACE);
    EXPECT_EQ(SendMessageW(to.window, BM_GETCHECK, 0, 0), BST_CHECKED) << to.name;
  }
}

TEST_F(KeyboardTest, DialogsOpenOnTheirFirstControlAndAnswerTheKeys) {
  const auto exclusions = [this] {
    window->OnExclusionsClick();
    return window->exclusionsDialog()->Handle();
  };
  const auto news = [this] {
    window->OnNewsClick();
    return window->newsFeed->Dialog().Handle();
  };
  const struct {
    const char* what;
    std::function<HWND()> open;
    WPARAM key;
    UINT down;
    bool accepted;  // the exclusions' list saved
  } cases[] = {
      {"Exclusions, Escape", exclusions, VK_ESCAPE, WM_KEYDOWN, false},
      {"Exclusions, Enter", exclusions, VK_RETURN, WM_KEYDOWN, true},
      {"News, Escape", news, VK_ESCAPE, WM_KEYDOWN, false},
      {"News, Alt+F4", news, VK_F4, WM_SYSKEYDOWN, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    window->options.exclusions.clear();
    const HWND dialog = c.open();
    ASSERT_TRUE(IsWindowVisible(dialog));
    testing::PumpMessages(100);
    // Korvane's icon at the window's sizes, and a place inside the work area, off its edges.
    EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
    RECT placed{}, work{};
    GetWindowRect(dialog, &placed);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(placed.left > work.left && placed.top > work.top && placed.right < work.right &&
                placed.bottom < work.bottom);
    std::vector<Stop> table;
    if (window->exclusionsDialog() && dialog == window->exclusionsDialog()->Handle()) {
      ExclusionsForm& e = window->exclusionsDialog()->Form();
      table = {At(e.programList), At(e.removeButton), At(e.nameEdit),    At(e.addButton),
               At(e.pauseCheck),  At(e.okButton),     At(e.cancelButton)};
      e.Add("jeu.exe");
      e.programList.SetItemIndex(-1);  // Retirer disabled: the walk skips it
    } else {
      NewsForm& n = window->newsFeed->Dialog().Form();
      table = {At(n.updateButton), At(n.newsTree)};
    }
    EXPECT_EQ(GetFocus(), table.front().window) << "the first control has the focus";
    EXPECT_EQ(Walk(table), Reachable(table));
    Press(c.key, c.down);
    testing::PumpMessages(50);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(window->options.exclusions,
              c.accepted ? std::vector<std::string>{"jeu.exe"} : std::vector<std::string>{});
  }
}

// Every menu from the keyboard: the menu key on a focused control (WM_CONTEXTMENU at -1, -1), and
// the tray icon reached with Win+B (Enter, or the menu key).
TEST_F(KeyboardTest, EveryMenuOpensFromTheKeyboard) {
  struct Recorder : ui::MenuPresenter {
    std::vector<std::string> shown;
    void Show(ui::PopupMenu& menu, int, int) override { shown.push_back(menu.Name()); }
  } recorder;
  ui::PopupMenu::SetPresenter(&recorder);
  MainForm& f = window->form;
  const auto tray = [this](unsigned message) {
    return [this, message] {
      auto* peer = dynamic_cast<TrayIconWin32*>(window->trayIcon.Peer());
      SendMessageW(peer->Window(), TrayCallbackMessage, peer->Id(), message);
    };
  };
  const auto menuKey = [](HWND focus) {
    return [focus] {
      SetFocus(focus);
      SendMessageW(focus, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(focus), MAKELPARAM(-1, -1));
    };
  };
  window->trayIcon.SetEnabled(true);
  const struct {
    const char* what;
    std::function<void()> keys;
    const char* menu;
  } cases[] = {
      {"menu key on a page", menuKey(FormHost::WindowOf(f.pages)), "trayMenu"},
      {"menu key on the chart", menuKey(window->chartWindow()->Handle()), "speedMenu"},
      {"menu key on the process list", menuKey(FormHost::WindowOf(f.processGrid)), "processMenu"},
      {"Enter on the tray icon", tray(NIN_KEYSELECT), "trayMenu"},
      {"menu key on the tray icon", tray(WM_CONTEXTMENU), "trayMenu"},
  };
  for (const auto& c : cases) {
    recorder.shown.clear();
    c.keys();
    EXPECT_EQ(recorder.shown, std::vector<std::string>{c.menu}) << c.what;
  }
  ui::PopupMenu::SetPresenter(nullptr);
}

}  // namespace
}  // namespace kvn
