// The "Exclusions" window as the user sees it, at the screen's DPI and after a change of DPI.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text_win32.h"
#include "gui/caption_fit.h"
#include "gui/screenshot.h"
#include "settings/policies.h"
#include "shell/exclusions_dialog_win32.h"
#include "ui/dpi.h"

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
constexpr UINT kDpiChanged = 0x02E0;

HWND W(const ui::Control& control) {
  return ui::win32::FormHost::WindowOf(control);
}
std::vector<std::string> ListTexts(HWND list) {
  std::vector<std::string> texts;
  for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[300] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    texts.push_back(Narrow(text));
  }
  return texts;
}

TEST(ExclusionsWindow, ListsAddsRemovesAndFitsAtEveryDpi) {
  ExclusionsDialog dialog;
  std::vector<std::string> accepted;
  dialog.OnAccept = [&](const std::vector<std::string>& entries, bool) { accepted = entries; };
  dialog.Open(nullptr, {"jeu.exe", "C:\\Jeux\\Course\\course.exe"}, true, "", "");
  testing::PumpMessages(100);
  HWND window = dialog.Handle();
  const ExclusionsForm& form = dialog.Form();
  ASSERT_EQ(FindWindowW(ExclusionsDialog::kClassName, L"Exclusions"), window);
  EXPECT_EQ(SendMessageW(W(form.pauseCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(W(form.removeButton))) << "nothing selected";
  // A name typed, then "Ajouter..."; the same name again is refused.
  for (int i = 0; i < 2; ++i) {
    SetWindowTextW(W(form.nameEdit), L"  Élan.EXE ");
    SendMessageW(W(form.addButton), BM_CLICK, 0, 0);
  }
  EXPECT_THAT(ListTexts(W(form.programList)),
              ElementsAre("jeu.exe", "C:\\Jeux\\Course\\course.exe", "Élan.EXE"));
  EXPECT_TRUE(IsWindowEnabled(W(form.removeButton)));
  // What the screenshot shows: every text drawn and with room, at the screen's DPI, then after
  // the window moved to a screen at another one (laid out again, "Annuler" in its corner).
  const int dpi = testing::ScreenDpi();
  for (int at : {dpi, dpi == 144 ? 96 : 144}) {
    RECT frame{0, 0, ui::ScaleToDpi(ExclusionsForm::kClientWidth, at),
               ui::ScaleToDpi(ExclusionsForm::kClientHeight, at)};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    OffsetRect(&frame, -frame.left, -frame.top);  // all of it on the screen
    SendMessageW(window, kDpiChanged, MAKEWPARAM(at, at), reinterpret_cast<LPARAM>(&frame));
    testing::PumpMessages(100);
    RECT client{}, cancel{};
    GetClientRect(window, &client);
    GetWindowRect(W(form.cancelButton), &cancel);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&cancel), 2);
    EXPECT_EQ(client.right, ui::ScaleToDpi(ExclusionsForm::kClientWidth, at));
    EXPECT_NEAR(client.right - cancel.right, ui::ScaleToDpi(8, at), 2) << at;
    EXPECT_NEAR(client.bottom - cancel.bottom, ui::ScaleToDpi(8, at), 2) << at;
    const auto shot = testing::TakeWindowShot(window, "exclusions_at_" + std::to_string(at));
    EXPECT_THAT(testing::BlankPartsOf(window, shot), IsEmpty()) << at;
    EXPECT_THAT(testing::CaptionsThatDoNotFit(form), IsEmpty()) << at;
  }
  // The first one selected by the user, removed; "OK" hands the list over.
  SendMessageW(W(form.programList), LB_SETCURSEL, 0, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(W(form.programList)), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(W(form.programList)));
  SendMessageW(W(form.removeButton), BM_CLICK, 0, 0);
  SendMessageW(W(form.okButton), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_THAT(accepted, ElementsAre("C:\\Jeux\\Course\\course.exe", "Élan.EXE"));
  // A list set by policy shows, but nothing adds to it.
  dialog.Open(nullptr, {"jeu.exe"}, false, kSetByAdministrator, "");
  EXPECT_FALSE(IsWindowEnabled(W(form.addButton)));
}

}  // namespace
}  // namespace kvn
