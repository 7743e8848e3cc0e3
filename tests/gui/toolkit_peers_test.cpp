// The peers mirror each control's state into the standard control, where screen readers and
// UI automation read it with the standard messages.
#include <functional>
#include <string>
#include <vector>

#include "../../res/resource_ids.h"

#include "gui/painted_label.h"
#include "gui/toolkit_fixture.h"
#include "ui/win32/peers.h"

namespace kvn::testing {
namespace {

using ui::win32::HotKeyFromShortcut;
using ui::win32::ShortcutFromHotKey;

TEST_F(ToolkitWindow, StateSetFromCodeIsReadBackWithTheStandardMessages) {
  struct Case {
    const char* what;
    std::function<void()> set;
    std::function<bool()> check;
  };
  const Case cases[] = {
      {"check box", [&] { form.Check1.SetChecked(true); },
       [&] { return SendMessageW(W(form.Check1), BM_GETCHECK, 0, 0) == BST_CHECKED; }},
      {"radio buttons exclude each other",
       [&] {
         form.Radio1.SetChecked(true);
         form.Radio2.SetChecked(true);
       },
       [&] {
         return SendMessageW(W(form.Radio1), BM_GETCHECK, 0, 0) == BST_UNCHECKED &&
                SendMessageW(W(form.Radio2), BM_GETCHECK, 0, 0) == BST_CHECKED;
       }},
      {"radio group item", [&] { form.Radios.SetItemIndex(1); },
       [&] {
         return SendMessageW(W(form.Radios, 2), BM_GETCHECK, 0, 0) == BST_UNCHECKED &&
                SendMessageW(W(form.Radios, 3), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                Text(W(form.Radios, 3)) == "MB libres";
       }},
      {"combo box", [&] { form.Combo.SetItemIndex(2); },
       [&] {
         return SendMessageW(W(form.Combo), CB_GETCURSEL, 0, 0) == 2 &&
                SendMessageW(W(form.Combo), CB_GETCOUNT, 0, 0) == 4;
       }},
      {"track bar", [&] { form.Track.SetPosition(7); },
       [&] { return SendMessageW(W(form.Track), TBM_GETPOS, 0, 0) == 7; }},
      {"track bar range keeps the position inside", [&] { form.Track.SetRange(0, 5); },
       [&] {
         return SendMessageW(W(form.Track), TBM_GETRANGEMAX, 0, 0) == 5 &&
                SendMessageW(W(form.Track), TBM_GETPOS, 0, 0) == 5;
       }},
      {"spin edit", [&] { form.Spin.SetValue(100); },
       [&] {
         return SendMessageW(W(form.Spin, 1), UDM_GETPOS32, 0, 0) == 100 &&
                Text(W(form.Spin)) == "100";
       }},
      {"gauge", [&] { form.Gauge1.SetProgress(73); },
       [&] { return SendMessageW(W(form.Gauge1), PBM_GETPOS, 0, 0) == 73; }},
      {"hot key Ctrl+Shift+R", [&] { form.HotKey.SetHotKey(24658); },
       [&] {
         return SendMessageW(W(form.HotKey), HKM_GETHOTKEY, 0, 0) ==
                MAKEWORD('R', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
       }},
      {"label caption", [&] { form.Label1.SetCaption("RAM libre : 12 %"); },
       [&] { return PaintedLabel(form.Label1)->Text() == L"RAM libre : 12 %"; }},
      {"button disabled", [&] { form.Button1.SetEnabled(false); },
       [&] { return !IsWindowEnabled(W(form.Button1)); }},
      {"check box hidden", [&] { form.Check1.SetVisible(false); },
       [&] { return !IsWindowVisible(W(form.Check1)); }},
      {"memo lines",
       [&] {
         form.Memo1.SetLines({"un", "deux"});
       },
       [&] {
         return Text(W(form.Memo1)) == "un\r\ndeux" &&
                SendMessageW(W(form.Memo1), EM_GETLINECOUNT, 0, 0) == 2;
       }},
      {"list view items",
       [&] {
         form.List.AddItem({"Fréquence", {"2000 MHz"}, 0});
       },
       [&] { return SendMessageW(W(form.List), LVM_GETITEMCOUNT, 0, 0) == 2; }},
      {"string grid rows below the header",
       [&] {
         form.Grid.SetRows({{"P", "I", "M"}, {"a", "1", "x"}, {"b", "2", "y"}, {"c", "3", "z"}});
       },
       [&] { return SendMessageW(W(form.Grid), LVM_GETITEMCOUNT, 0, 0) == 3; }},
      {"page control", [&] { form.Pages.SetActivePage(&form.Sheet2); },
       [&] {
         return SendMessageW(W(form.Pages), TCM_GETCURSEL, 0, 0) == 1 &&
                IsWindowVisible(W(form.Sheet2)) && !IsWindowVisible(W(form.Sheet1));
       }},
      {"picture from the resources", [&] { form.Picture.SetResourceId(IDB_HELP); },
       [&] { return SendMessageW(W(form.Picture), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0; }},
      {"missing picture shows none", [&] { form.Picture.SetResourceId(9999); },
       [&] { return SendMessageW(W(form.Picture), STM_GETIMAGE, IMAGE_BITMAP, 0) == 0; }},
      {"list pictures from an icon and a bitmap", [] {},
       [&] {
         auto images = reinterpret_cast<HIMAGELIST>(
             SendMessageW(W(form.List), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
         return images && ImageList_GetImageCount(images) == 2;
       }},
      {"form caption", [&] { form.SetCaption("Korvane"); },
       [&] { return Text(host->Handle()) == "Korvane"; }},
  };
  for (const Case& c : cases) {
    c.set();
    EXPECT_TRUE(c.check()) << c.what;
  }
}

// What the form description sets before the window exists may change afterwards too: the window
// then shows the change. Pixels are read without forcing a repaint, so a change that does not
// reach the window leaves the old ones.
TEST_F(ToolkitWindow, DesignStateChangedLaterShowsInTheWindow) {
  auto style = [](HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); };
  auto pixel = [](HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);  // paints what was invalidated, nothing more
    HDC dc = GetDC(hwnd);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return color;
  };
  auto panelPixel = [&](int panel, bool right) {
    RECT r{};
    SendMessageW(W(form.Status), SB_GETRECT, panel, reinterpret_cast<LPARAM>(&r));
    return pixel(W(form.Status), right ? r.right - 4 : r.left + 4, (r.top + r.bottom) / 2);
  };
  auto headerShown = [&](HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header && (style(header) & WS_VISIBLE) != 0;
  };
  auto gridRowHeight = [&] {
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(W(form.Grid), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    return static_cast<int>(row.bottom - row.top);
  };
  int entered = 0, rowHeight = 0;
  form.Label1.OnMouseEnter = [&] { ++entered; };
  form.Status.SetGaugePosition(100);
  PumpMessages(30);

  struct Case {
    const char* what;
    std::function<void()> set;
    std::function<bool()> check;
  };
  const Case cases[] = {
      {"label wraps its words", [&] { form.Label2.SetWordWrap(true); },
       [&] { return (PaintedLabel(form.Label2)->Format() & DT_WORDBREAK) != 0; }},
      {"label becomes a link", [&] { form.Label1.SetIsLink(true); },
       [&] {
         const auto& label = *PaintedLabel(form.Label1);
         LOGFONTW font{};
         GetObjectW(label.Font(), sizeof font, &font);
         SendMessageW(label.Window(), WM_MOUSEMOVE, 0, LabelPoint(label, 2, 2));
         return font.lfUnderline && entered == 1;
       }},
      {"status gauge colour", [&] { form.Status.SetGaugeColor(0x00FF00); },
       [&] { return panelPixel(2, false) == RGB(0, 255, 0); }},
      {"status gauge in another panel", [&] { form.Status.SetGaugePanel(1); },
       [&] { return panelPixel(1, true) == RGB(0, 255, 0); }},
      {"radio group in two columns", [&] { form.Radios.SetColumns(2); },
       [&] {
         RECT first{}, second{};
         GetWindowRect(W(form.Radios, 2), &first);
         GetWindowRect(W(form.Radios, 3), &second);
         return second.left >= first.right && second.top == first.top;
       }},
      {"memo open to typing", [&] { form.Memo1.SetReadOnly(false); },
       [&] { return (style(W(form.Memo1)) & ES_READONLY) == 0; }},
      {"memo background",
       [&] {
         form.Pages.SetActivePage(&form.Sheet2);
         PumpMessages(30);
         form.Memo1.SetBackColor(0x00FFFF);
       },
       [&] {
         RECT client{};
         GetClientRect(W(form.Memo1), &client);
         return pixel(W(form.Memo1), client.right - 3, client.bottom - 3) == RGB(255, 255, 0);
       }},
      {"memo scroll bar",
       [&] {
         form.Memo1.SetVerticalScrollBar(true);
         form.Memo1.SetLines(std::vector<std::string>(40, "C:\\ 10 Go libres"));
       },
       [&] {
         SCROLLINFO bar{};
         bar.cbSize = sizeof bar;
         bar.fMask = SIF_RANGE | SIF_PAGE;
         return (style(W(form.Memo1)) & WS_VSCROLL) &&
                GetScrollInfo(W(form.Memo1), SB_VERT, &bar) &&
                bar.nMax - bar.nMin + 1 > static_cast<int>(bar.nPage) &&
                SendMessageW(W(form.Memo1), EM_GETLINECOUNT, 0, 0) == 40;
       }},
      {"list view without column headers", [&] { form.List.SetShowColumnHeaders(false); },
       [&] { return !headerShown(W(form.List)); }},
      {"grid without its fixed row", [&] { form.Grid.SetFixedRows(0); },
       [&] {
         return !headerShown(W(form.Grid)) &&
                SendMessageW(W(form.Grid), LVM_GETITEMCOUNT, 0, 0) == 3;
       }},
      {"grid rows 8 pixels higher",
       [&] {
         rowHeight = gridRowHeight();
         form.Grid.SetDefaultRowHeight(form.Grid.DefaultRowHeight() + 8);
       },
       [&] { return gridRowHeight() == rowHeight + 8; }},
      {"track bar tick every 5", [&] { form.Track.SetFrequency(5); },
       [&] { return SendMessageW(W(form.Track), TBM_GETNUMTICS, 0, 0) == 3; }},
  };
  for (const Case& c : cases) {
    c.set();
    EXPECT_TRUE(c.check()) << c.what;
  }
  EXPECT_EQ(escaped, 0) << lastError;
}

// The gauge panel is drawn by the program, yet SB_GETTEXT still reads its text.
TEST_F(ToolkitWindow, StatusGaugePanelKeepsItsTextAndPictures) {
  form.Status.SetPanelText(2, " optimisation en cours ... %");
  form.Status.SetGaugePosition(40);
  HWND bar = W(form.Status);
  wchar_t text[128] = {};
  const LRESULT info = SendMessageW(bar, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(Narrow(text), " optimisation en cours ... %");
  EXPECT_EQ(LOWORD(info), wcslen(text));
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 0, 0), 3);
  EXPECT_NE(SendMessageW(bar, SB_GETICON, 0, 0), 0) << "picture before panel 0";
  EXPECT_NE(SendMessageW(bar, SB_GETICON, 1, 0), 0) << "picture before panel 1";
  EXPECT_EQ(SendMessageW(bar, SB_GETICON, 2, 0), 0);
}

// A bitmap turned into a small icon at any size: its transparent colour (magenta) shows nowhere,
// not even blended into the edges by the scaling, and the picture itself does.
TEST(SmallIcon, ScaledPictureKeepsNoTraceOfItsTransparentColour) {
  for (const int size : {16, 24, 32}) {
    ui::win32::IconHandle icon =
        ui::win32::LoadSmallIcon(GetModuleHandleW(nullptr), IDB_STATUS_CPU, size);
    ASSERT_TRUE(icon) << size;
    const HDC screen = GetDC(nullptr);
    ui::win32::MemoryDcHandle dc(CreateCompatibleDC(screen));
    ui::win32::BitmapHandle bitmap(CreateCompatibleBitmap(screen, size, size));
    ReleaseDC(nullptr, screen);
    ui::win32::SelectObjectScope select(dc.get(), bitmap.get());
    RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    int pinkish = 0, drawn = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const COLORREF c = GetPixel(dc.get(), x, y);
        pinkish += GetRValue(c) > 160 && GetBValue(c) > 160 && GetGValue(c) < 140;
        drawn += c != RGB(255, 255, 255);
      }
    EXPECT_EQ(pinkish, 0) << size;
    EXPECT_GT(drawn, size * size / 4) << size;
  }
}

// What the user does arrives at the control's setters and handlers.
TEST_F(ToolkitWindow, UserInputRunsTheSettersAndHandlers) {
  int clicks = 0, changes = 0;
  const auto& link = *PaintedLabel(form.Link);
  struct Case {
    const char* what;
    std::function<void()> bind;  // sets the handler counting into clicks/changes
    std::function<void()> act;   // the messages a user's action produces
    std::function<bool()> state;
    int expectedClicks, expectedChanges;
  };
  const Case cases[] = {
      {"check box clicked", [&] { form.Check1.OnClick = [&] { ++clicks; }; },
       [&] { SendMessageW(W(form.Check1), BM_CLICK, 0, 0); },
       [&] {
         return form.Check1.Checked() &&
                SendMessageW(W(form.Check1), BM_GETCHECK, 0, 0) == BST_CHECKED;
       },
       1, 0},
      {"radio button clicked",
       [&] {
         form.Radio1.SetChecked(true);
         form.Radio1.OnClick = [&] { ++changes; };
         form.Radio2.OnClick = [&] { ++clicks; };
       },
       [&] { SendMessageW(W(form.Radio2), BM_CLICK, 0, 0); },
       [&] {
         return form.Radio2.Checked() && !form.Radio1.Checked() &&
                SendMessageW(W(form.Radio1), BM_GETCHECK, 0, 0) == BST_UNCHECKED;
       },
       1, 0},
      {"button clicked", [&] { form.Button1.OnClick = [&] { ++clicks; }; },
       [&] { SendMessageW(W(form.Button1), BM_CLICK, 0, 0); }, [] { return true; }, 1, 0},
      {"radio group item clicked", [&] { form.Radios.OnClick = [&] { ++clicks; }; },
       [&] { SendMessageW(W(form.Radios, 3), BM_CLICK, 0, 0); },
       [&] { return form.Radios.ItemIndex() == 1; }, 1, 0},
      {"combo box: arrow down in the closed list",
       [&] { form.Combo.OnChange = [&] { ++changes; }; },
       [&] {
         SetFocus(W(form.Combo));
         SendMessageW(W(form.Combo), WM_KEYDOWN, VK_DOWN, 0);
       },
       [&] { return form.Combo.ItemIndex() == 1; }, 0, 1},
      {"track bar: arrow key", [&] { form.Track.OnChange = [&] { ++changes; }; },
       [&] { SendMessageW(W(form.Track), WM_KEYDOWN, VK_RIGHT, 0); },
       [&] { return form.Track.Position() == 1; }, 0, 1},
      {"spin edit: up arrow of the up-down", [&] { form.Spin.OnChange = [&] { ++changes; }; },
       [&] {
         NMUPDOWN up{};
         up.hdr.code = UDN_DELTAPOS;
         up.iPos = 45;
         up.iDelta = 1;
         Notify(W(form.Spin, 1), up.hdr);
       },
       [&] {
         return form.Spin.Value() == 50 &&
                SendMessageW(W(form.Spin, 1), UDM_GETPOS32, 0, 0) == 50 &&
                Text(W(form.Spin)) == "50";
       },
       0, 1},
      {"spin edit: down key in the edit", [&] { form.Spin.OnChange = [&] { ++changes; }; },
       [&] { SendMessageW(W(form.Spin), WM_KEYDOWN, VK_DOWN, 0); },
       [&] { return form.Spin.Value() == 45 && Text(W(form.Spin)) == "45"; }, 0, 1},
      {"spin edit: typing has no effect", [&] { form.Spin.OnChange = [&] { ++changes; }; },
       [&] {
         SetFocus(W(form.Spin));
         for (wchar_t ch : {L'9', L'9', L'a'}) SendMessageW(W(form.Spin), WM_CHAR, ch, 0);
         SendMessageW(W(form.Spin), WM_CHAR, VK_BACK, 0);
         SendMessageW(W(form.Spin), WM_PASTE, 0, 0);
       },
       [&] { return form.Spin.Value() == 45 && Text(W(form.Spin)) == "45"; }, 0, 0},
      {"page selected", [&] { form.Pages.OnChange = [&] { ++changes; }; },
       [&] {
         SendMessageW(W(form.Pages), TCM_SETCURSEL, 2, 0);
         NMHDR header{};
         header.code = TCN_SELCHANGE;
         Notify(W(form.Pages), header);
       },
       [&] {
         return form.Pages.ActivePage() == &form.Sheet3 && IsWindowVisible(W(form.Sheet3)) &&
                !IsWindowVisible(W(form.Sheet1));
       },
       0, 1},
      {"hot key typed", [&] { form.HotKey.OnChange = [&] { ++changes; }; },
       [&] {
         SendMessageW(W(form.HotKey), HKM_SETHOTKEY, MAKEWORD('P', HOTKEYF_ALT), 0);
         Command(W(form.HotKey), EN_CHANGE);
       },
       [&] { return form.HotKey.HotKey() == (ui::kShortcutAlt | 'P'); }, 0, 1},
      {"mouse rests on the gauge panel",
       [&] { form.Status.OnPanelHint = [&](int panel) { clicks += panel; }; },
       [&] {
         RECT r{};
         SendMessageW(W(form.Status), SB_GETRECT, 2, reinterpret_cast<LPARAM>(&r));
         SendMessageW(W(form.Status), WM_MOUSEHOVER, 0, MAKELPARAM(r.left + 5, r.top + 5));
       },
       [] { return true; }, 2, 0},
      {"swatch pressed",
       [&] {
         form.Swatch.OnMouseDown = [&](ui::MouseButton b, int x, int y) {
           if (b == ui::MouseButton::Right && x == 3 && y == 4) ++clicks;
         };
       },
       [&] { SendMessageW(W(form.Swatch), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4)); },
       [] { return true; }, 1, 0},
      {"link label clicked", [&] { form.Link.OnClick = [&] { ++clicks; }; },
       [&] { SendMessageW(link.Window(), WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(link, 1, 1)); },
       [] { return true; }, 1, 0},
      {"disabled link label: no click", [&] { form.Link.SetEnabled(false); },
       [&] { SendMessageW(link.Window(), WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(link, 1, 1)); },
       [] { return true; }, 0, 0},
      {"mouse onto a link label and off again",
       [&] {
         form.Link.SetEnabled(true);
         form.Link.OnMouseEnter = [&] { ++clicks; };
         form.Link.OnMouseLeave = [&] { ++changes; };
       },
       [&] {
         SendMessageW(link.Window(), WM_MOUSEMOVE, 0, LabelPoint(link, 2, 2));
         SendMessageW(link.Window(), WM_MOUSEMOVE, 0, LabelPoint(link, 3, 2));   // still inside
         SendMessageW(link.Window(), WM_MOUSEMOVE, 0, LabelPoint(link, 3, -2));  // off it
         SendMessageW(link.Window(), WM_MOUSEMOVE, 0, LabelPoint(link, 2, 2));
         SendMessageW(link.Window(), WM_MOUSELEAVE, 0, 0);  // off its window
       },
       [] { return true; }, 2, 2},
      {"link label pressed",
       [&] {
         form.Link.OnClick = nullptr;  // a press on a label also reports a click
         form.Link.OnMouseDown = [&](ui::MouseButton b, int x, int y) {
           if (b == ui::MouseButton::Left && x == 4 && y == 5) ++clicks;
         };
       },
       [&] { SendMessageW(link.Window(), WM_LBUTTONDOWN, MK_LBUTTON, LabelPoint(link, 4, 5)); },
       [] { return true; }, 1, 0},
      {"link label shows the hand", [] {},
       [&] {
         const RECT r = LabelScreenRect(link);
         MovePointerTo(r.left + 2, r.top + 2);
         SendMessageW(link.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.Window()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
       },
       [] { return GetCursor() == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)); }, 0,
       0},
      {"picture clicked", [&] { form.Picture.OnClick = [&] { ++clicks; }; },
       [&] { Command(W(form.Picture), STN_CLICKED); }, [] { return true; }, 1, 0},
      {"grid row selected", [&] { form.Grid.OnSelectRow = [&] { ++changes; }; },
       [&] {
         LVITEMW state{};
         state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
         SendMessageW(W(form.Grid), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
       },
       [&] { return form.Grid.Row() == 2; }, 0, 1},
  };
  for (const Case& c : cases) {
    clicks = changes = 0;
    c.bind();
    c.act();
    EXPECT_TRUE(c.state()) << c.what;
    EXPECT_EQ(clicks, c.expectedClicks) << c.what;
    EXPECT_EQ(changes, c.expectedChanges) << c.what;
  }
  EXPECT_EQ(escaped, 0) << lastError;
}

// Setting state from code runs what the conventions say and nothing more: the peer's own writes
// into its windows are not taken for user input.
TEST_F(ToolkitWindow, SyncingFromCodeIsNotTakenForInput) {
  int combo = 0, grid = 0, pages = 0, hotKey = 0;
  form.Combo.OnChange = [&] { ++combo; };
  form.Grid.OnSelectRow = [&] { ++grid; };
  form.Pages.OnChange = [&] { ++pages; };
  form.HotKey.OnChange = [&] { ++hotKey; };
  form.Combo.SetItemIndex(3);
  form.Grid.SetRow(1);
  form.Pages.SetActivePage(&form.Sheet3);
  form.HotKey.SetHotKey(ui::kShortcutCtrl | 'K');
  PumpMessages(30);
  EXPECT_EQ(combo + grid + pages + hotKey, 0);
  EXPECT_EQ(form.Grid.Row(), 1);
}

// The user drags a grid column: the grid's cells move, and the list shows them in the new order.
TEST_F(ToolkitWindow, GridColumnDragMovesTheCells) {
  HWND list = W(form.Grid);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  HDITEMW item{};
  item.mask = HDI_ORDER;
  item.iOrder = 2;
  NMHEADERW drag{};
  drag.hdr.hwndFrom = header;
  drag.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
  drag.hdr.code = HDN_ENDDRAG;
  drag.iItem = 0;
  drag.pitem = &item;
  SendMessageW(list, WM_NOTIFY, drag.hdr.idFrom, reinterpret_cast<LPARAM>(&drag));
  PumpMessages(30);
  EXPECT_EQ(form.Grid.Cell(2, 0), "Processus");
  EXPECT_EQ(form.Grid.Cell(0, 1), "12");
  wchar_t text[64] = {};
  HDITEMW read{};
  read.mask = HDI_TEXT;
  read.pszText = text;
  read.cchTextMax = 64;
  SendMessageW(header, HDM_GETITEMW, 2, reinterpret_cast<LPARAM>(&read));
  EXPECT_EQ(Narrow(text), "Processus");
  std::vector<int> order(3);
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order.data()));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2})) << "display order stays that of the cells";

  // The user widens a column by its divider: the grid keeps the new width.
  HDITEMW width{};
  width.mask = HDI_WIDTH;
  width.cxy = 97;
  NMHEADERW resized{};
  resized.hdr.hwndFrom = header;
  resized.hdr.idFrom = drag.hdr.idFrom;
  resized.hdr.code = HDN_ITEMCHANGEDW;
  resized.iItem = 1;
  resized.pitem = &width;
  SendMessageW(list, WM_NOTIFY, resized.hdr.idFrom, reinterpret_cast<LPARAM>(&resized));
  EXPECT_EQ(form.Grid.ColWidth(1), 97);
}

// Tab moves the focus through the controls of nested group boxes and pages, as in a dialog.
TEST_F(ToolkitWindow, TabKeyMovesTheFocusBetweenControls) {
  SetForegroundWindow(host->Handle());
  SetFocus(W(form.Button1));
  ASSERT_EQ(GetFocus(), W(form.Button1));
  MSG tab{W(form.Button1), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(host->PreTranslateMessage(tab));
  EXPECT_EQ(GetFocus(), W(form.Check1));
}

// A handler that throws in the middle of a WM_COMMAND reaches the exception hook; the window
// and its controls carry on.
TEST_F(ToolkitWindow, HandlerExceptionReachesTheHookAndTheWindowSurvives) {
  form.Button1.OnClick = [] { throw std::runtime_error("bouton en panne"); };
  SendMessageW(W(form.Button1), BM_CLICK, 0, 0);
  EXPECT_EQ(escaped, 1);
  EXPECT_EQ(lastError, "bouton en panne");
  EXPECT_TRUE(IsWindow(host->Handle()));
  SendMessageW(W(form.Check1), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.Check1.Checked());
  form.Track.OnChange = [] { throw 42; };
  SendMessageW(W(form.Track), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(escaped, 2);
  EXPECT_EQ(form.Track.Position(), 1);
}

TEST(HotKeyForm, ShortcutAndHotKeyControlValuesTranslateBothWays) {
  struct Case {
    std::uint16_t shortcut;
    WORD hotKey;
  };
  const Case cases[] = {
      {24658, MAKEWORD('R', HOTKEYF_CONTROL | HOTKEYF_SHIFT)},  // Ctrl+Shift+R
      {ui::kShortcutAlt | VK_F5, MAKEWORD(VK_F5, HOTKEYF_ALT)},
      {ui::kShortcutShift | ui::kShortcutCtrl | ui::kShortcutAlt | 'A',
       MAKEWORD('A', HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT)},
      {'Z', MAKEWORD('Z', 0)},
      {0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HotKeyFromShortcut(c.shortcut), c.hotKey) << c.shortcut;
    EXPECT_EQ(ShortcutFromHotKey(c.hotKey), c.shortcut) << c.shortcut;
  }
  // Modifiers alone are no shortcut; the extended-key flag has no place in the 16-bit form.
  EXPECT_EQ(ShortcutFromHotKey(MAKEWORD(0, HOTKEYF_CONTROL)), 0);
  EXPECT_EQ(ShortcutFromHotKey(MAKEWORD(VK_INSERT, HOTKEYF_EXT | HOTKEYF_CONTROL)),
            ui::kShortcutCtrl | VK_INSERT);
}

}  // namespace
// A label has no window: the window it sits in paints it as the static control drew it (its
// colours asked of the label's peer, as the static control asked its parent).
TEST_F(ToolkitWindow, LabelPaintsAsTheStaticControlDraws) {
  auto& label = *PaintedLabel(form.Label2);
  const RECT r = label.Rect();
  const int w = r.right - r.left, h = r.bottom - r.top;
  auto picture = [&](const std::function<void(HDC)>& paint) {
    const BITMAPINFO bi = TopDownBitmapInfo(w, h);
    std::uint32_t* bits = nullptr;
    ui::win32::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    ui::win32::BitmapHandle bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS,
                                                    reinterpret_cast<void**>(&bits), nullptr, 0));
    const ui::win32::SelectObjectScope select(dc.get(), bitmap.get());
    paint(dc.get());
    GdiFlush();
    return std::vector<std::uint32_t>(bits, bits + w * h);
  };
  struct Case {
    const char* what;
    ui::Align align;
    bool wrap, enabled, link;
    DWORD style;
  };
  const Case cases[] = {
      {"left, one line", ui::Align::Left, false, true, false, SS_LEFTNOWORDWRAP},
      {"left, wrapped", ui::Align::Left, true, true, false, SS_LEFT},
      {"centred", ui::Align::Center, false, true, false, SS_CENTER},
      {"right", ui::Align::Right, false, true, false, SS_RIGHT},
      {"disabled", ui::Align::Left, true, false, false, SS_LEFT},
      {"link", ui::Align::Left, false, true, true, SS_LEFTNOWORDWRAP},
  };
  form.Label2.SetCaption("Fichier\td'&échange && cache : bien trop long pour une ligne");
  for (const Case& c : cases) {
    form.Label2.SetAlignment(c.align);
    form.Label2.SetWordWrap(c.wrap);
    form.Label2.SetEnabled(c.enabled);
    form.Label2.SetIsLink(c.link);
    const auto painted = picture([&](HDC dc) {
      SetViewportOrgEx(dc, -r.left, -r.top, nullptr);
      label.Paint(dc);
    });
    const UINT id = host->NextId();
    HWND stat =
        CreateWindowExW(0, L"STATIC", label.Text().c_str(), WS_CHILD | c.style, r.left, r.top, w, h,
                        label.Window(), reinterpret_cast<HMENU>(id), nullptr, nullptr);
    host->Register(id, stat, &label, false);
    SendMessageW(stat, WM_SETFONT, reinterpret_cast<WPARAM>(label.Font()), FALSE);
    EnableWindow(stat, c.enabled);
    const auto drawn = picture([&](HDC dc) {
      SendMessageW(stat, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
    host->Unregister(stat);
    DestroyWindow(stat);
    EXPECT_TRUE(painted == drawn) << c.what;
  }
}

// A change of a label repaints its rectangle in its window, and nothing else.
TEST_F(ToolkitWindow, LabelChangeRepaintsItsRectangle) {
  const auto& label = *PaintedLabel(form.Label2);
  ui::Font bold = form.Label2.GetFont();
  bold.bold = true;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"caption", [&] { form.Label2.SetCaption("Fichier d'échange :"); }},
      {"font", [&] { form.Label2.SetFont(bold); }},
      {"alignment", [&] { form.Label2.SetAlignment(ui::Align::Right); }},
      {"word wrap", [&] { form.Label2.SetWordWrap(true); }},
      {"link", [&] { form.Label2.SetIsLink(true); }},
      {"disabled", [&] { form.Label2.SetEnabled(false); }},
      {"moved", [&] { form.Label2.SetBounds(10, 46, 200, 28); }},
      {"hidden", [&] { form.Label2.SetVisible(false); }},
  };
  for (const auto& [what, change] : cases) {
    RECT before = label.Rect(), dirty{};
    RedrawWindow(label.Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    change();
    GetUpdateRect(label.Window(), &dirty, FALSE);
    UnionRect(&before, &before, &label.Rect());
    EXPECT_TRUE(EqualRect(&dirty, &before)) << what;
    EXPECT_TRUE(GetUpdateRect(W(form.Group, 1), nullptr, FALSE)) << what << ": its frame paints it";
  }
}

}  // namespace kvn::testing
