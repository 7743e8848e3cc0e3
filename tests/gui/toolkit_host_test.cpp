// The form host's hooks for the program shell, tool tips, timers, menus, and screenshots.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "base/system_error_win32.h"
#include "gui/caption_fit.h"
#include "gui/handle_counts.h"
#include "gui/painted_label.h"
#include "gui/toolkit_fixture.h"
#include "ui/win32/color_picker.h"
#include "ui/win32/menu_presenter.h"
#include "ui/win32/window_timers.h"

namespace kvn::testing {
namespace {

// pair[0] receives the tool tip owned by pair[1].
BOOL CALLBACK FindToolTip(HWND hwnd, LPARAM out) {
  auto* pair = reinterpret_cast<HWND*>(out);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (wcscmp(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == pair[1]) {
    pair[0] = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND g_foregroundInMenu = nullptr;

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_foregroundInMenu = GetForegroundWindow();
  EndMenu();
}

TEST_F(ToolkitWindow, WindowHasTheFixedClientSizeAndFrame) {
  RECT client{};
  GetClientRect(host->Handle(), &client);
  EXPECT_EQ(client.right, 465);
  EXPECT_EQ(client.bottom, 351);
  const LONG_PTR style = GetWindowLongPtrW(host->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  // Every child speaks Tahoma.
  LOGFONTW font{};
  auto hfont = reinterpret_cast<HFONT>(SendMessageW(W(form.Check1), WM_GETFONT, 0, 0));
  ASSERT_NE(hfont, nullptr);
  GetObjectW(hfont, sizeof(font), &font);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
}

TEST_F(ToolkitWindow, ShellHooksDecideClosingMinimisingAndSessionEnd) {
  HWND hwnd = host->Handle();
  int users = 0, ends = 0, destroyed = 0;
  bool allowClose = false;
  host->OnCloseQuery = [&] { return allowClose; };
  host->OnMinimize = [] { return true; };  // as the shell does: hide into the tray instead
  host->OnUserMessage = [&](WPARAM, LPARAM) { ++users; };
  host->OnQueryEndSession = [] { return true; };
  host->OnEndSession = [&](bool ending) { ends += ending ? 1 : 0; };
  host->OnDestroy = [&] { ++destroyed; };

  SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsIconic(hwnd));
  SendMessageW(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(users, 1);
  EXPECT_EQ(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageW(hwnd, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ends, 1);

  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd)) << "closing refused";
  host->OnCloseQuery = []() -> bool { throw std::runtime_error("query"); };
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(escaped, 1);
  EXPECT_FALSE(IsWindow(hwnd)) << "a failing query falls back to closing";
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(host->Handle(), nullptr);
  // The controls live on without windows.
  EXPECT_EQ(form.Check1.Peer(), nullptr);
  form.Check1.SetChecked(true);
  EXPECT_TRUE(form.Check1.Checked());
}

TEST_F(ToolkitWindow, GenericHookSeesMessagesFirst) {
  UINT seen = 0;
  host->OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_APP + 7) return false;
    seen = msg;
    result = 1234;
    return true;
  };
  EXPECT_EQ(SendMessageW(host->Handle(), WM_APP + 7, 0, 0), 1234);
  EXPECT_EQ(seen, WM_APP + 7u);
}

// F1 asks for the help of the page on show, whichever control has the focus.
TEST_F(ToolkitWindow, F1GivesTheActivePagesHelpContext) {
  std::vector<int> contexts;
  host->OnHelp = [&](int context) { contexts.push_back(context); };
  auto pressF1 = [&](HWND focus) {
    MSG msg{focus, WM_KEYDOWN, VK_F1, 0, 0, {}};
    EXPECT_TRUE(host->PreTranslateMessage(msg));
  };
  pressF1(W(form.Check1));  // on the first page
  pressF1(W(form.Pages));   // the page control: its active page
  form.Pages.SetActivePage(&form.Sheet2);
  pressF1(W(form.Pages));
  pressF1(W(form.Memo1));
  form.Pages.SetActivePage(&form.Sheet3);  // a page without context: the page control's
  pressF1(W(form.Grid));
  pressF1(W(form.Status));  // outside the pages: the form's
  EXPECT_EQ(contexts, (std::vector<int>{1004, 1004, 1005, 1005, 1000, 1000}));
}

// Ctrl+Tab and Ctrl+Shift+Tab turn the pages round, from wherever the focus is, as a click on
// the tab does: the page's change handler runs and the focus leaves the page it hides.
TEST_F(ToolkitWindow, CtrlTabTurnsThePagesRound) {
  int changes = 0;
  form.Pages.OnChange = [&] { ++changes; };
  SetForegroundWindow(host->Handle());
  SetFocus(W(form.Check1));
  ASSERT_EQ(GetFocus(), W(form.Check1));
  // Real key presses through the system's input queue, and the loop a program runs.
  auto press = [&](bool shift) {
    std::vector<INPUT> keys;
    auto key = [&](WORD vk, bool up) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      keys.push_back(in);
    };
    key(VK_CONTROL, false);
    if (shift) key(VK_SHIFT, false);
    key(VK_TAB, false);
    key(VK_TAB, true);
    if (shift) key(VK_SHIFT, true);
    key(VK_CONTROL, true);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    for (DWORD start = GetTickCount(); GetTickCount() - start < 150; Sleep(5)) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!host->PreTranslateMessage(msg)) {
          TranslateMessage(&msg);
          DispatchMessageW(&msg);
        }
    }
  };
  struct Case {
    bool shift;
    ui::TabSheet* page;
  };
  const Case cases[] = {{false, &form.Sheet2},
                        {false, &form.Sheet3},
                        {false, &form.Sheet1},
                        {true, &form.Sheet3},
                        {true, &form.Sheet2}};
  int expectedChanges = 0;
  for (const Case& c : cases) {
    press(c.shift);
    ++expectedChanges;
    const std::string what = (c.shift ? "Ctrl+Shift+Tab to " : "Ctrl+Tab to ") + c.page->Caption();
    EXPECT_EQ(form.Pages.ActivePage(), c.page) << what;
    EXPECT_EQ(changes, expectedChanges) << what;
    EXPECT_EQ(SendMessageW(W(form.Pages), TCM_GETCURSEL, 0, 0), form.Pages.ActivePageIndex())
        << what;
    EXPECT_TRUE(IsWindowVisible(W(*c.page))) << what;
    EXPECT_EQ(GetFocus(), W(form.Pages)) << what;
  }
}

TEST_F(ToolkitWindow, HintsShowInOneMultiLineToolTip) {
  HWND pair[2] = {nullptr, host->Handle()};
  EnumThreadWindows(GetCurrentThreadId(), &FindToolTip, reinterpret_cast<LPARAM>(pair));
  HWND tip = pair[0];
  ASSERT_NE(tip, nullptr);
  EXPECT_GT(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 0) << "line breaks need a width";
  EXPECT_GT(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 20);
  // The text comes from the control's hint when the tip asks for it.
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = tip;
  info.hdr.code = TTN_GETDISPINFOW;
  info.hdr.idFrom = reinterpret_cast<UINT_PTR>(W(form.Button1));
  info.uFlags = TTF_IDISHWND;
  SendMessageW(GetParent(W(form.Button1)), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_EQ(Narrow(info.lpszText), "OPTIMISER LA RAM\r\n=====\r\nTout de suite.");
}

// The pointer rests on a control: its hint shows whether the control is enabled or not. Several
// controls of the main window are disabled precisely so that their hint can say why.
TEST_F(ToolkitWindow, HintShowsWhenThePointerRestsOnAControlEnabledOrNot) {
  HWND pair[2] = {nullptr, host->Handle()};
  EnumThreadWindows(GetCurrentThreadId(), &FindToolTip, reinterpret_cast<LPARAM>(pair));
  HWND tip = pair[0];
  ASSERT_NE(tip, nullptr);
  form.HotKey.SetHint("A activer sur les systèmes ayant 512 MB ou plus.");
  // The system follows a move of the pointer with a WM_MOUSEMOVE to the window it finds under it.
  auto moveTo = [](const RECT& r) {
    return MovePointerTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  auto waitFor = [&](bool shown) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; PumpMessages(20))
      if ((IsWindowVisible(tip) != FALSE) == shown) return true;
    return false;
  };
  // The tool the tip shows: a window's, or a label's rectangle in its window.
  auto isCurrentTool = [&](const ui::Control& control) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    if (!SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info))) return false;
    const auto* label = PaintedLabel(control);
    return label ? info.hwnd == label->Window() && EqualRect(&info.rect, &label->Rect())
                 : reinterpret_cast<HWND>(info.uId) == W(control);
  };
  auto shownText = [&] {
    wchar_t text[1024] = {};
    GetWindowTextW(tip, text, 1024);
    return Narrow(text);
  };
  RECT away{};  // the status bar: no hint
  GetWindowRect(W(form.Status), &away);

  struct Case {
    const char* what;
    ui::Control& control;
    bool enabled;
  };
  const Case cases[] = {
      {"enabled button", form.Button1, true},
      {"disabled button in a group box", form.Button1, false},
      {"disabled editor straight on the page", form.HotKey, false},
      {"enabled editor", form.HotKey, true},
      {"label", form.Label1, true},
      {"disabled label", form.Label1, false},
  };
  form.Label1.SetHint("Mémoire physique libre");
  for (const Case& c : cases) {
    ASSERT_TRUE(moveTo(away)) << c.what;
    ASSERT_TRUE(waitFor(false)) << c.what << ": a tip stays over a control without a hint";
    c.control.SetEnabled(c.enabled);
    RECT r{};
    if (const auto* label = PaintedLabel(c.control))
      r = LabelScreenRect(*label);
    else
      GetWindowRect(W(c.control), &r);
    ASSERT_TRUE(moveTo(r)) << c.what;
    EXPECT_TRUE(waitFor(true)) << c.what;
    EXPECT_TRUE(isCurrentTool(c.control)) << c.what;
    EXPECT_EQ(shownText(), c.control.Hint()) << c.what;
  }
  form.Label1.SetVisible(false);  // a hidden label shows no hint
  ASSERT_TRUE(moveTo(away) && waitFor(false) &&
              moveTo(LabelScreenRect(*PaintedLabel(form.Label1))));
  EXPECT_FALSE(waitFor(true)) << "over a hidden label";
}

TEST(WindowTimers, EnabledTimerTicksAndStopsWhenDisabled) {
  ui::win32::WindowTimers timers;
  ui::Timer timer{"Timer1"};
  int ticks = 0;
  timer.OnTimer = [&] {
    if (++ticks == 3) timer.SetEnabled(false);
  };
  timer.SetInterval(10);
  timers.Attach(timer);
  PumpMessages(100);
  EXPECT_EQ(ticks, 0) << "created disabled";
  timer.SetEnabled(true);
  for (int i = 0; i < 100 && ticks < 3; ++i) PumpMessages(20);
  EXPECT_EQ(ticks, 3);
  PumpMessages(100);
  EXPECT_EQ(ticks, 3) << "disabled from its own handler";
  // A throwing handler reaches the hook; the timer keeps running.
  int escaped = 0;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++escaped; });
  timer.OnTimer = [&] { throw std::runtime_error("tick"); };
  timer.SetEnabled(true);
  for (int i = 0; i < 100 && escaped < 2; ++i) PumpMessages(20);
  timers.Detach(timer);
  ui::SetExceptionHook(previous);
  EXPECT_GE(escaped, 2);
}

TEST(Menus, BuiltMenuHasTitleChecksSubMenusAndShortcuts) {
  ui::PopupMenu menu{"PopupMenu1"};
  menu.Title = "Korvane";
  menu.Items.Add("Exit1", "&Quitter");
  menu.Items.AddSeparator();
  auto& shutdown = menu.Items.Add("Arret", "A&rrêt/Redémarrage Windows");
  shutdown.Add("arret1", "&Arrêter");
  shutdown.Add("Redemarrer1", "&Redémarrer");
  auto& cancel = menu.Items.Add("Cancel1", "&Annuler");
  cancel.Enabled = false;
  auto& normal = menu.Items.Add("Normale1", "&Normale");
  normal.Checked = true;
  normal.RadioItem = true;
  menu.Items.Add("Hidden", "Caché").Visible = false;
  menu.Items.Add("Print", "Im&primer").ShortCut = ui::kShortcutCtrl | 'P';

  ui::win32::BuiltMenu built = ui::win32::BuildMenu(menu);
  HMENU h = built.menu.get();
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GetMenuItemCount(h), 7);  // title, 5 visible items, separator
  EXPECT_TRUE(GetMenuState(h, 0, MF_BYPOSITION) & MF_OWNERDRAW);
  EXPECT_TRUE(GetMenuState(h, 2, MF_BYPOSITION) & MF_SEPARATOR);
  HMENU sub = GetSubMenu(h, 3);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_TRUE(GetMenuState(h, 4, MF_BYPOSITION) & MF_GRAYED);
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
  GetMenuItemInfoW(h, 5, TRUE, &info);
  EXPECT_TRUE(info.fState & MFS_CHECKED);
  EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
  // Command ids lead back to the items.
  ASSERT_GT(info.wID, 0u);
  EXPECT_EQ(built.items[info.wID - 1], &normal);
  wchar_t text[64] = {};
  GetMenuStringW(h, 6, text, 64, MF_BYPOSITION);
  EXPECT_EQ(Narrow(text), "Im&primer\tCtrl+P");
  GetMenuStringW(sub, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(Narrow(text), "&Arrêter");
}

// The menu closes when told to (as a click elsewhere does) and no item runs. While it is open its
// owner has the foreground, and a WM_NULL follows it: without both, a menu opened from the
// notification area would stay open when the user clicks elsewhere.
TEST(Menus, ShownMenuClosesWithoutRunningAnItem) {
  ui::win32::Win32MenuPresenter presenter;
  ui::PopupMenu menu{"PopupMenu2"};
  menu.Title = "Vitesse";
  int clicks = 0, popups = 0;
  menu.OnPopup = [&] { ++popups; };
  menu.Items.Add("Basse1", "&Basse").OnClick = [&] { ++clicks; };
  ui::PopupMenu::SetPresenter(&presenter);
  g_foregroundInMenu = nullptr;
  SetTimer(nullptr, 0, 300, &CloseMenu);
  menu.Popup(200, 200);
  ui::PopupMenu::SetPresenter(nullptr);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(g_foregroundInMenu, presenter.OwnerWindow());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, presenter.OwnerWindow(), WM_NULL, WM_NULL, PM_REMOVE))
      << "no WM_NULL after the menu";
}

TEST_F(ToolkitWindow, Screenshots) {
  const struct {
    ui::TabSheet* page;
    const char* name;
  } pages[] = {{&form.Sheet1, "toolkit_controls"},
               {&form.Sheet2, "toolkit_lists"},
               {&form.Sheet3, "toolkit_grid"}};
  form.Status.SetPanelText(2, " optimisation en cours ... 40%");
  form.Status.SetGaugePosition(40);
  form.Check1.SetChecked(true);
  form.Track.SetPosition(4);
  for (const auto& p : pages) {
    form.Pages.SetActivePage(p.page);
    EXPECT_THAT(BlankPartsOf(host->Handle(), TakeWindowShot(host->Handle(), p.name)),
                ::testing::IsEmpty())
        << p.name;
    EXPECT_THAT(CaptionsThatDoNotFit(form), ::testing::IsEmpty()) << p.name;
  }
}

}  // namespace
}  // namespace kvn::testing

namespace kvn::testing {
namespace {

// Records which menu would show, instead of showing it.
struct RecordingPresenter : ui::MenuPresenter {
  void Show(ui::PopupMenu& menu, int x, int y) override {
    shown.push_back(menu.Name());
    lastX = x;
    lastY = y;
  }
  std::vector<std::string> shown;
  int lastX = 0, lastY = 0;
};

// A right click opens the menu of the control, or else of its nearest parent that has one.
TEST_F(ToolkitWindow, RightClickOpensTheNearestContextMenu) {
  RecordingPresenter presenter;
  ui::PopupMenu::SetPresenter(&presenter);
  auto rightClick = [](HWND hwnd, int x, int y) {
    SendMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(x, y));
  };
  rightClick(W(form.Grid), 300, 200);
  rightClick(W(form.Check1), 10, 20);  // no menu of its own: the page control's
  rightClick(W(form.Status), 5, 5);    // no menu on its way to the form: nothing
  ui::PopupMenu::SetPresenter(nullptr);
  EXPECT_EQ(presenter.shown, (std::vector<std::string>{"GridMenu", "PagesMenu"}));
  EXPECT_EQ(presenter.lastX, 10);
  EXPECT_EQ(presenter.lastY, 20);
}

// A thousand updates of what the program changes every second leave no GDI object behind.
TEST_F(ToolkitWindow, RepeatedUpdatesLeakNoGdiObjects) {
  auto update = [&](int i) {
    form.Status.SetPanelText(0, " " + std::to_string(i % 100) + " %");
    form.Status.SetPanelText(2, " optimisation en cours ... " + std::to_string(i % 100) + "%");
    form.Status.SetGaugePosition(i % 101);
    form.Gauge1.SetProgress(i % 101);
    form.Swatch.SetBrushColor(static_cast<ui::Color>(i * 997) & 0xFFFFFF);
    form.Label1.SetCaption(std::to_string(i) + " Mo");
    UpdateWindow(host->Handle());
    RedrawWindow(W(form.Status), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RedrawWindow(W(form.Gauge1), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RedrawWindow(W(form.Swatch), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  };
  for (int i = 0; i < 50; ++i) update(i);  // caches warm
  const DWORD before = CountHandles().gdi;
  ASSERT_GT(before, 0u) << "the count is readable";
  for (int i = 0; i < 1000; ++i) update(i);
  EXPECT_LE(CountHandles().gdi, before + 20);
}

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

void CALLBACK ConfirmColorDialog(HWND, UINT, UINT_PTR id, DWORD) {
  // The colour dialog of this thread, if it shows yet.
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, id);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(ColorDialog, ConfirmedDialogGivesTheColourItStartedFrom) {
  ui::win32::Win32ColorPicker picker;
  ui::ColorDialog::SetPicker(&picker);
  ui::ColorDialog dialog{"ColorDialog"};
  dialog.Value = 0x408000;
  SetTimer(nullptr, 0, 200, &ConfirmColorDialog);
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Value, 0x408000u);
  ui::ColorDialog::SetPicker(nullptr);
}

}  // namespace
}  // namespace kvn::testing

namespace kvn::testing {
namespace {

HWND g_menuOwner = nullptr;

void CALLBACK ChooseSecondItem(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  // The keys a user presses in the open menu: down past the title band to the second item.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
    PostMessageW(g_menuOwner, WM_KEYDOWN, key, 0);
    PostMessageW(g_menuOwner, WM_KEYUP, key, 0xC0000000);
  }
}

TEST(Menus, ItemChosenInTheOpenMenuRunsAfterItCloses) {
  ui::win32::Win32MenuPresenter presenter;
  g_menuOwner = presenter.OwnerWindow();
  ui::PopupMenu menu{"PopupMenu1"};
  menu.Title = "Korvane";
  std::vector<std::string> ran;
  menu.Items.Add("Exit1", "&Quitter").OnClick = [&] { ran.push_back("Exit1"); };
  menu.Items.Add("Open1", "a&Grandir").OnClick = [&] {
    ran.push_back("Open1");
    throw std::runtime_error("après fermeture");
  };
  int escaped = 0;
  auto previous = ui::SetExceptionHook([&](std::exception_ptr) { ++escaped; });
  ui::PopupMenu::SetPresenter(&presenter);
  SetTimer(nullptr, 0, 300, &ChooseSecondItem);
  SetTimer(nullptr, 0, 3000, &CloseMenu);  // never hang the run if the keys go astray
  menu.Popup(200, 200);
  ui::PopupMenu::SetPresenter(nullptr);
  ui::SetExceptionHook(previous);
  PumpMessages(20);
  EXPECT_EQ(ran, (std::vector<std::string>{"Open1"}));
  EXPECT_EQ(escaped, 1);
}

}  // namespace
}  // namespace kvn::testing

namespace kvn::testing {
namespace {

BOOL CALLBACK FindMenuWindow(HWND hwnd, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32768") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

std::vector<std::string> g_menuBlank{"no menu"};
std::vector<CaptionMisfit> g_menuMisfits;

void CALLBACK ShootMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND menu = nullptr;
  EnumWindows(&FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
  if (menu) {
    g_menuBlank = BlankPartsOf(menu, TakeWindowShot(menu, "toolkit_menu"));
    g_menuMisfits = MenuCaptionsThatDoNotFit(menu, "Korvane");
  }
  EndMenu();
}

TEST(Menus, Screenshot) {
  ui::win32::Win32MenuPresenter presenter;
  ui::PopupMenu menu{"PopupMenu1"};
  menu.Title = "Korvane";
  menu.Items.Add("Exit1", "&Quitter");
  menu.Items.AddSeparator();
  auto& shutdown = menu.Items.Add("Arret", "A&rrêt/Redémarrage Windows");
  shutdown.Add("arret1", "&Arrêter");
  menu.Items.Add("Normale1", "&Normale").Checked = true;
  menu.Items.Add("Cancel1", "&Annuler").Enabled = false;
  menu.Items.Add("Print", "Im&primer").ShortCut = ui::kShortcutCtrl | 'P';
  ui::PopupMenu::SetPresenter(&presenter);
  SetTimer(nullptr, 0, 400, &ShootMenu);
  menu.Popup(300, 300);
  ui::PopupMenu::SetPresenter(nullptr);
  EXPECT_THAT(g_menuBlank, ::testing::IsEmpty());
  EXPECT_THAT(g_menuMisfits, ::testing::IsEmpty());
}

// Hidden after having been shown (the program in the notification area), the window's texts
// and values wait; they are all in place before the window shows again. State changes (enabled)
// still go through at once. A label has no window to bring up to date: it paints its caption.
TEST_F(ToolkitWindow, HiddenFormCatchesUpWhenShown) {
  form.Gauge1.SetProgress(10);
  form.Label1.SetCaption("avant");
  form.Status.SetPanelText(0, " 10 %");
  ShowWindow(host->Handle(), SW_HIDE);

  form.Gauge1.SetProgress(70);
  form.Label1.SetCaption("après");
  form.Status.SetPanelText(0, " 70 %");
  form.Check1.SetEnabled(false);
  EXPECT_EQ(SendMessageW(W(form.Gauge1), PBM_GETPOS, 0, 0), 10);  // waits
  EXPECT_FALSE(IsWindowEnabled(W(form.Check1)));                  // at once

  ShowWindow(host->Handle(), SW_SHOW);
  EXPECT_EQ(SendMessageW(W(form.Gauge1), PBM_GETPOS, 0, 0), 70);
  EXPECT_EQ(Narrow(PaintedLabel(form.Label1)->Text()), "après");
  wchar_t panel[64] = {};
  SendMessageW(W(form.Status), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(panel));
  EXPECT_EQ(Narrow(panel), " 70 %");
  // Shown, changes go straight through again.
  form.Gauge1.SetProgress(20);
  EXPECT_EQ(SendMessageW(W(form.Gauge1), PBM_GETPOS, 0, 0), 20);
}

// A control watching the pointer when the form hides stops watching: Wine would otherwise poll
// for the hidden control every 10 ms for as long as the program sits in the tray.
TEST_F(ToolkitWindow, HidingTheFormEndsTheMouseTrackingOfItsControls) {
  RECT r{};
  GetWindowRect(W(form.Button1), &r);
  ASSERT_TRUE(MovePointerTo((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  TRACKMOUSEEVENT tracking{sizeof(tracking), TME_HOVER | TME_LEAVE, W(form.Button1), 1};
  ASSERT_TRUE(TrackMouseEvent(&tracking));
  ShowWindow(host->Handle(), SW_HIDE);
  TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_FALSE(query.hwndTrack == W(form.Button1) && (query.dwFlags & (TME_HOVER | TME_LEAVE)));
  MovePointerTo(0, 0);
}

TEST(ToolkitBuilding, SlicesGiveWayToPaintingAndAShownPageIsBuiltWhole) {
  ToolkitTestForm form;
  ui::win32::FormHost host(form, ui::win32::FormStyle{L"KvnToolkitTest", 465, 351});
  ASSERT_TRUE(host.Create());
  ShowWindow(host.Handle(), SW_SHOW);  // not painted yet
  MSG slice;                           // the first, posted by Create
  ASSERT_TRUE(PeekMessageW(&slice, host.Handle(), WM_APP, 0xBFFF, PM_REMOVE));
  DispatchMessageW(&slice);
  EXPECT_NE(form.Sheet2.Peer(), nullptr);
  EXPECT_EQ(form.Memo1.Peer(), nullptr) << "built on while painting waited";
  form.Pages.SetActivePage(&form.Sheet2);
  EXPECT_NE(form.List.Peer(), nullptr) << "page shown half built";
  EXPECT_EQ(form.Grid.Peer(), nullptr) << "another page built with it";
}

// A window Windows refuses (its owner is gone) leaves, for the log, the call and the system's
// error in the system's words.
TEST(ToolkitBuilding, ARefusedWindowSaysWhichCallAndWhy) {
  ToolkitTestForm form;
  ui::win32::FormHost host(form, ui::win32::FormStyle{L"KvnToolkitTest", 465, 351});
  const HWND gone =
      CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  SetLastError(0);
  ASSERT_FALSE(host.Create(gone));
  EXPECT_STREQ(host.Failure().call, "CreateWindowExW");
  EXPECT_THAT(SystemErrorText(host.Failure().error), ::testing::MatchesRegex(".+\\. \\(1400\\)"));
  EXPECT_EQ(SystemErrorText(0x2000FFFF), "(536936447)");  // no message for it
}

// The user's click on a page still waiting: the tab answers at once, the page it leaves stays
// until the chosen one is whole, built from the message loop; a second click wins.
TEST(ToolkitBuilding, PageChosenByTheUserShowsOnceBuiltFromTheLoop) {
  ToolkitTestForm form;
  ui::win32::FormHost host(form, ui::win32::FormStyle{L"KvnToolkitTest", 465, 351});
  ASSERT_TRUE(host.Create());
  ShowWindow(host.Handle(), SW_SHOW);
  const auto shown = [](const ui::Control& c) {  // asking the host would build the page
    const auto* peer = dynamic_cast<const ui::win32::WindowPeer*>(c.Peer());
    return peer && IsWindowVisible(peer->Handle());
  };
  for (ui::TabSheet* chosen : {&form.Sheet2, &form.Sheet3}) form.Pages.UserSelectPage(chosen);
  EXPECT_EQ(SendMessageW(ui::win32::FormHost::WindowOf(form.Pages), TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(shown(form.Sheet1)) << "the page left went before the chosen one was built";
  EXPECT_FALSE(shown(form.Sheet3));
  for (int i = 0; i < 200 && !shown(form.Sheet3); ++i) PumpMessages(5);
  EXPECT_TRUE(shown(form.Sheet3));
  EXPECT_FALSE(shown(form.Sheet1));
  EXPECT_FALSE(shown(form.Sheet2));
  EXPECT_NE(form.Grid.Peer(), nullptr);
}

}  // namespace
}  // namespace kvn::testing
