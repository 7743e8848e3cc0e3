// The main window on the screen: every page shows its controls, every caption (tabs, status
// panels, list titles and the menus' items included) has room for its text in the real font, and
// a screenshot of each page and menu is kept for a person to look at.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/text_win32.h"
#include "gui/caption_fit.h"
#include "gui/painted_label.h"
#include "gui/screenshot.h"
#include "shell/main_form.h"
#include "ui/win32/form_host.h"
#include "ui/win32/menu_presenter.h"

namespace kvn {
namespace {

using ::testing::IsEmpty;
using ui::Control;
using ui::win32::FormHost;

void Collect(Control& c, std::vector<Control*>& out) {
  for (Control* child : c.Children()) {
    out.push_back(child);
    Collect(*child, out);
  }
}

bool ShownInDesign(const Control& c, const Control& page) {
  for (const Control* p = &c; p && p != &page; p = p->Parent())
    if (!p->Visible()) return false;
  return true;
}

// The window's font as Windows realised it.
std::wstring FaceName(HWND window) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return face;
}

class MainFormWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Windows always has Tahoma; a bare Wine prefix may not find Wine's own copy and fall back
    // to a wider face, so lend it to this process when it is there.
    AddFontResourceExW(L"Z:\\usr\\share\\wine\\fonts\\tahoma.ttf", FR_PRIVATE, nullptr);
    AddFontResourceExW(L"Z:\\usr\\share\\wine\\fonts\\tahomabd.ttf", FR_PRIVATE, nullptr);
  }
  void SetUp() override {
    ui::win32::InitToolkit();
    testing::MovePointerTo(0, 0);  // no tool tip in the screenshots
    host_ = std::make_unique<FormHost>(
        form_, ui::win32::FormStyle{L"KorvaneMainFormTest", MainForm::kClientWidth,
                                    MainForm::kClientHeight});
    ASSERT_TRUE(host_->Create());
    SetWindowTextW(host_->Handle(), L"Korvane");
    ShowWindow(host_->Handle(), SW_SHOWNORMAL);
    testing::PumpMessages(200);
  }
  void TearDown() override {
    if (host_ && host_->Handle()) DestroyWindow(host_->Handle());
    host_.reset();
  }
  MainForm form_;
  std::unique_ptr<FormHost> host_;
};

TEST_F(MainFormWindow, ClientAreaIsTheFormsSize) {
  RECT client{};
  GetClientRect(host_->Handle(), &client);
  EXPECT_EQ(client.right, 465);
  EXPECT_EQ(client.bottom, 351);
  // The pages sit inside the tab control's display area, clear of the tabs.
  HWND tabs = FormHost::WindowOf(form_.pages);
  ASSERT_NE(tabs, nullptr);
  RECT display{};
  GetClientRect(tabs, &display);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const ui::Rect page = MainForm::kPageArea;
  EXPECT_GE(page.y, display.top);
  EXPECT_GE(page.x, display.left);
  EXPECT_LE(page.x + page.width, display.right);
  EXPECT_LE(page.y + page.height, display.bottom + 2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0), 1);  // the seven tabs fit in one row
}

TEST_F(MainFormWindow, EveryPageShowsItsControlsAndEveryCaptionFits) {
  const std::wstring face = FaceName(FormHost::WindowOf(form_.optimiseButton));
  const bool tahoma = face == L"Tahoma";
  EXPECT_TRUE(tahoma) << "captions not measured: the font is " << Narrow(face);
  const auto pages = form_.pages.Pages();
  for (size_t i = 0; i < pages.size(); ++i) {
    ui::TabSheet& page = *pages[i];
    SCOPED_TRACE(page.Caption());
    form_.pages.SetActivePage(&page);
    testing::PumpMessages(100);
    const auto shot = testing::TakeWindowShot(
        host_->Handle(), "main_form_" + std::to_string(i + 1) + "_" + page.Name());
    EXPECT_THAT(testing::BlankPartsOf(host_->Handle(), shot), ::testing::IsEmpty());

    std::vector<Control*> controls;
    Collect(page, controls);
    ASSERT_FALSE(controls.empty());
    for (Control* c : controls) {
      // A label is painted by its parent: its text shows on the shot when it shows.
      if (const auto* label = testing::PaintedLabel(*c)) {
        EXPECT_EQ(testing::LabelShows(*label), ShownInDesign(*c, page)) << c->Name();
        if (testing::LabelShows(*label) &&
            label->Text().find_first_not_of(L" ") != std::wstring::npos) {
          EXPECT_GT(shot.ColoursIn(testing::LabelScreenRect(*label)), 1) << c->Name();
        }
        continue;
      }
      HWND window = FormHost::WindowOf(*c);
      ASSERT_NE(window, nullptr) << c->Name();
      EXPECT_EQ(IsWindowVisible(window) != FALSE, ShownInDesign(*c, page)) << c->Name();
    }
    // The page, its tab and the status bar, as on the screenshot.
    if (tahoma) {
      EXPECT_THAT(testing::CaptionsThatDoNotFit(form_), IsEmpty());
    }
    // The other pages are hidden.
    for (size_t j = 0; j < pages.size(); ++j) {
      if (j == i) continue;
      EXPECT_FALSE(IsWindowVisible(FormHost::WindowOf(*pages[j]))) << pages[j]->Name();
    }
  }
}

TEST_F(MainFormWindow, TheReadOnlyLineFitsOnParametres) {
  form_.portableUnsavedLabel.SetVisible(true);
  form_.pages.SetActivePage(&form_.preferencesPage);
  testing::PumpMessages(100);
  testing::TakeWindowShot(host_->Handle(), "main_form_portable_read_only");
  EXPECT_THAT(testing::CaptionsThatDoNotFit(form_), IsEmpty());
}

// ---- The form's menus, open on the screen

// One menu's visit: the keys pressed once it is open (to open a sub-menu), then a screenshot and
// the captions that do not fit of every menu window showing, then it closes.
struct MenuVisit {
  HWND owner;
  std::vector<WPARAM> keys;
  std::string title, shotName;
  size_t windows = 0;
  std::vector<std::string> blank;  // what the menu's shots show blank
  std::vector<testing::CaptionMisfit> misfits;
};
MenuVisit* g_visit = nullptr;

void CALLBACK PressMenuKeys(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  for (WPARAM key : g_visit->keys) {
    PostMessageW(g_visit->owner, WM_KEYDOWN, key, 0);
    PostMessageW(g_visit->owner, WM_KEYUP, key, 0xC0000000);
  }
}

void CALLBACK LookAtOpenMenus(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  const std::vector<HWND> windows = testing::OpenMenuWindows();
  g_visit->windows = windows.size();
  for (size_t i = 0; i < windows.size(); ++i) {
    const auto shot = testing::TakeWindowShot(windows[i], g_visit->shotName + (i ? "_sub" : ""));
    for (std::string& blank : testing::BlankPartsOf(windows[i], shot))
      g_visit->blank.push_back(std::move(blank));
    // Only the first window has the title band.
    for (auto& misfit : testing::MenuCaptionsThatDoNotFit(windows[i], i ? "" : g_visit->title))
      g_visit->misfits.push_back(misfit);
  }
  EndMenu();
}

void CALLBACK CloseMenuAnyway(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

TEST(MainFormMenus, EveryMenuAsTheUserSeesItAndEveryItemFits) {
  MainForm form;
  ui::win32::Win32MenuPresenter presenter;
  const struct {
    ui::PopupMenu* menu;
    std::vector<WPARAM> keys;
    size_t windows;
  } cases[] = {
      // Down past the title band to "Quitter", down to the shut-down item, right into it.
      {&form.trayMenu, {VK_DOWN, VK_DOWN, VK_RIGHT}, 2},
      {&form.speedMenu, {}, 1},
      {&form.processMenu, {}, 1},
  };
  ui::PopupMenu::SetPresenter(&presenter);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.menu->Name());
    MenuVisit visit{
        presenter.OwnerWindow(), c.keys, c.menu->Title, "main_form_" + c.menu->Name(), 0, {}, {}};
    g_visit = &visit;
    SetTimer(nullptr, 0, 200, &PressMenuKeys);
    SetTimer(nullptr, 0, 600, &LookAtOpenMenus);
    const UINT_PTR guard = SetTimer(nullptr, 0, 4000, &CloseMenuAnyway);  // never hang the run
    c.menu->Popup(300, 200);
    KillTimer(nullptr, guard);
    g_visit = nullptr;
    EXPECT_EQ(visit.windows, c.windows);
    EXPECT_THAT(visit.blank, ::testing::IsEmpty());
    EXPECT_THAT(visit.misfits, IsEmpty());
  }
  ui::PopupMenu::SetPresenter(nullptr);
}

}  // namespace
}  // namespace kvn
