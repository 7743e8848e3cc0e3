// Without a mouse: Tab goes through the controls of every page and dialog in reading order, each
// dialog opens on its first control, in its icon, off the work area's edges, and answers Enter and
// Escape (the news window Escape and Alt+F4), and every menu opens from the keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "chart/chart_window_win32.h"
#include "gui/main_window_fixture.h"
#include "shell/tray_icon_win32.h"

namespace kvn {
namespace {

using Stops = std::vector<std::pair<std::string, HWND>>;

std::pair<std::string, HWND> At(const ui::Control& c, int part = 0) {
  return {c.Name() + (part ? "#" + std::to_string(part) : ""),
          ui::win32::FormHost::WindowOf(c, part)};
}

class KeyboardTest : public testing::MainWindowFixture {
 protected:
  // Tab from the focus until it comes round again, against the table's windows Tab stops at:
  // shown, enabled and, of radio buttons, the checked one (the arrows move within the group).
  void ExpectWalk(const Stops& table) {
    std::vector<std::string> walked, expected;
    std::vector<HWND> seen;
    for (HWND w = GetFocus(); std::count(seen.begin(), seen.end(), w) == 0 && seen.size() < 40;
         Press(VK_TAB), w = GetFocus()) {
      seen.push_back(w);
      auto known = std::find_if(table.begin(), table.end(), [w](auto& s) { return s.second == w; });
      walked.push_back(known != table.end() ? known->first : "?");
    }
    for (const auto& [name, w] : table)
      if (IsWindowVisible(w) && IsWindowEnabled(w) &&
          !((SendMessageW(w, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
            !SendMessageW(w, BM_GETCHECK, 0, 0)))
        expected.push_back(name);
    EXPECT_EQ(walked, expected);
  }
};

TEST_F(KeyboardTest, TabGoesThroughEveryPageInReadingOrder) {
  MainForm& f = window->form;
  const std::pair<ui::TabSheet*, Stops> pages[] = {
      {&f.mainPage,
       {{"chart", window->chartWindow()->Handle()},
        At(f.ramLegendMark),
        At(f.alarmLegendMark),
        At(f.cpuLegendMark),
        At(f.optimiseButton),
        At(f.cancelButton),
        At(f.emptyClipboardButton),
        At(f.quitButton)}},
      {&f.recoveryPage,
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
      {&f.preferencesPage,
       {At(f.trayModeGroup, 2), At(f.trayModeGroup, 3), At(f.opacityTrackBar), At(f.balloonsCheck),
        At(f.stayOnTopCheck), At(f.startWithWindowsCheck), At(f.unloadDllsCheck), At(f.hotKeyEdit),
        At(f.optimiseAtStartCheck), At(f.priorityCombo), At(f.backgroundSwatch), At(f.gridSwatch),
        At(f.cpuSwatch), At(f.ramSwatch), At(f.alarmSwatch), At(f.defaultColorsButton),
        At(f.saveButton)}},
      {&f.systemInfoPage, {At(f.drivesMemo), At(f.refreshInfoButton)}},
      {&f.processorPage, {At(f.featureList)}},
      {&f.processPage, {At(f.processGrid), At(f.refreshProcessesButton)}},
      {&f.aboutPage, {At(f.newsButton), At(f.helpButton)}},
  };
  for (const auto& [page, stops] : pages) {
    SCOPED_TRACE(page->Caption());
    f.pages.SetActivePage(page);
    Stops table{At(f.pages)};  // where Ctrl+Tab leaves the focus
    table.insert(table.end(), stops.begin(), stops.end());
    SetFocus(table.front().second);
    ExpectWalk(table);
  }
}

TEST_F(KeyboardTest, DialogsOpenOnTheirFirstControlAndAnswerTheKeys) {
  const struct {
    const char* what;
    bool news;
    WPARAM key;
    UINT down;
  } cases[] = {{"Exclusions, Escape", false, VK_ESCAPE, WM_KEYDOWN},
               {"Exclusions, Enter (saved)", false, VK_RETURN, WM_KEYDOWN},
               {"News, Escape", true, VK_ESCAPE, WM_KEYDOWN},
               {"News, Alt+F4", true, VK_F4, WM_SYSKEYDOWN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    window->options.exclusions.clear();
    c.news ? window->OnNewsClick() : window->OnExclusionsClick();
    ExclusionsForm* e = c.news ? nullptr : &window->exclusionsDialog()->Form();
    const HWND dialog =
        e ? window->exclusionsDialog()->Handle() : window->newsFeed->Dialog().Handle();
    const Stops table =
        e ? Stops{At(e->programList), At(e->removeButton), At(e->nameEdit),    At(e->addButton),
                  At(e->pauseCheck),  At(e->okButton),     At(e->cancelButton)}
          : Stops{At(window->newsFeed->Dialog().Form().updateButton),
                  At(window->newsFeed->Dialog().Form().newsTree)};
    EXPECT_EQ(GetFocus(), table.front().second) << "the first control has the focus";
    EXPECT_TRUE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) &&
                SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
    RECT placed{}, work{};
    GetWindowRect(dialog, &placed);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(placed.left > work.left && placed.top > work.top && placed.right < work.right &&
                placed.bottom < work.bottom);
    if (e) e->Add("jeu.exe");
    ExpectWalk(table);
    Press(c.key, c.down);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(window->options.exclusions.size(), c.key == VK_RETURN ? 1u : 0u);
  }
}

// The menu key on a focused control (WM_CONTEXTMENU at -1, -1), and on the tray icon reached with
// Win+B, Enter or the menu key; a right click on the icon opens its menu once.
TEST_F(KeyboardTest, EveryMenuOpensFromTheKeyboard) {
  struct Recorder : ui::MenuPresenter {
    std::string shown;
    void Show(ui::PopupMenu& menu, int, int) override { shown += menu.Name(); }
  } recorder;
  ui::PopupMenu::SetPresenter(&recorder);
  window->trayIcon.SetEnabled(true);
  auto& tray = dynamic_cast<TrayIconWin32&>(*window->trayIcon.Peer());
  const std::tuple<HWND, std::vector<UINT>, const char*> cases[] = {
      {ui::win32::FormHost::WindowOf(window->form.pages), {WM_CONTEXTMENU}, "trayMenu"},
      {window->chartWindow()->Handle(), {WM_CONTEXTMENU}, "speedMenu"},
      {ui::win32::FormHost::WindowOf(window->form.processGrid), {WM_CONTEXTMENU}, "processMenu"},
      {tray.Window(), {NIN_KEYSELECT}, "trayMenu"},
      {tray.Window(), {WM_CONTEXTMENU}, "trayMenu"},
      {tray.Window(), {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}, "trayMenu"}};
  for (const auto& [to, messages, menu] : cases) {
    recorder.shown.clear();
    for (UINT m : messages)
      to == tray.Window() ? SendMessageW(to, TrayCallbackMessage, tray.Id(), m)
                          : SendMessageW(to, m, reinterpret_cast<WPARAM>(to), MAKELPARAM(-1, -1));
    EXPECT_EQ(recorder.shown, menu) << messages.back();
  }
  ui::PopupMenu::SetPresenter(nullptr);
}

}  // namespace
}  // namespace kvn
