// The "Exclusions" window as the user sees it, at the screen's DPI and after a change of DPI.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/text_win32.h"
#include "gui/caption_fit.h"
#include "gui/screenshot.h"
#include "shell/exclusions_dialog_win32.h"
#include "ui/dpi.h"

namespace kvn {
namespace {

constexpr UINT kDpiChanged = 0x02E0;

HWND W(const ui::Control& control) {
  return ui::win32::FormHost::WindowOf(control);
}
std::vector<std::string> ListTexts(HWND list) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[300] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    texts.push_back(Narrow(text));
  }
  return texts;
}
// The list, the edit and the buttons keep their places for a client area at `dpi`.
void ExpectLaidOutAt(HWND dialog, const ExclusionsForm& form, int dpi) {
  RECT client{}, list{}, ok{};
  GetClientRect(dialog, &client);
  GetWindowRect(W(form.lbProgrammes), &list);
  GetWindowRect(W(form.btnAnnuler), &ok);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
  EXPECT_NEAR(list.right - list.left, ui::ScaleToDpi(form.lbProgrammes.Bounds().width, dpi), 1);
  // "Annuler" stays in the bottom right corner.
  EXPECT_NEAR(client.right - ok.right, ui::ScaleToDpi(8, dpi), 2);
  EXPECT_NEAR(client.bottom - ok.bottom, ui::ScaleToDpi(8, dpi), 2);
}

TEST(ExclusionsWindow, ListsAddsRemovesAndFitsAtTheScreensDpi) {
  TExclusionsDialog dialog;
  std::vector<std::string> accepted;
  bool pause = false;
  dialog.OnAccept = [&](const std::vector<std::string>& entries, bool p) {
    accepted = entries;
    pause = p;
  };
  dialog.Open(nullptr, {"jeu.exe", "C:\\Jeux\\Course\\course.exe"}, true, "", "");
  testing::PumpMessages(100);
  HWND window = dialog.Handle();
  ExclusionsForm& form = dialog.Form();
  ASSERT_EQ(FindWindowW(TExclusionsDialog::kClassName, L"Exclusions"), window);
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME);
  const int dpi = testing::ScreenDpi();
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, ui::ScaleToDpi(ExclusionsForm::kClientWidth, dpi));
  EXPECT_THAT(ListTexts(W(form.lbProgrammes)),
              ::testing::ElementsAre("jeu.exe", "C:\\Jeux\\Course\\course.exe"));
  EXPECT_EQ(SendMessageW(W(form.cbPause), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(W(form.btnRetirer))) << "nothing selected";

  // A name typed, then "Ajouter..."; the same name again is refused.
  for (int i = 0; i < 2; ++i) {
    SetWindowTextW(W(form.edNom), L"  Élan.EXE ");
    SendMessageW(W(form.btnAjouter), BM_CLICK, 0, 0);
  }
  EXPECT_THAT(ListTexts(W(form.lbProgrammes)),
              ::testing::ElementsAre("jeu.exe", "C:\\Jeux\\Course\\course.exe", "Élan.EXE"));
  EXPECT_EQ(SendMessageW(W(form.lbProgrammes), LB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(IsWindowEnabled(W(form.btnRetirer)));
  const auto shot = testing::TakeWindowShot(window, "exclusions_window");
  EXPECT_THAT(testing::BlankPartsOf(window, shot), ::testing::IsEmpty());
  EXPECT_THAT(testing::CaptionsThatDoNotFit(form), ::testing::IsEmpty());

  // The first one selected by the user, removed.
  SendMessageW(W(form.lbProgrammes), LB_SETCURSEL, 0, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(W(form.lbProgrammes)), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(W(form.lbProgrammes)));
  SendMessageW(W(form.btnRetirer), BM_CLICK, 0, 0);
  EXPECT_THAT(ListTexts(W(form.lbProgrammes)),
              ::testing::ElementsAre("C:\\Jeux\\Course\\course.exe", "Élan.EXE"));

  // Never smaller than its least size; the controls follow a resizing and a change of DPI.
  SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, ui::ScaleToDpi(ExclusionsForm::kMinWidth, dpi));
  SetWindowPos(window, nullptr, 0, 0, ui::ScaleToDpi(520, dpi), ui::ScaleToDpi(330, dpi),
               SWP_NOMOVE | SWP_NOZORDER);
  testing::PumpMessages(50);
  ExpectLaidOutAt(window, form, dpi);
  const int other = dpi == 144 ? 96 : 144;
  RECT suggested{0, 0, ui::ScaleToDpi(ExclusionsForm::kClientWidth, other),
                 ui::ScaleToDpi(ExclusionsForm::kClientHeight, other)};
  AdjustWindowRectEx(&suggested, GetWindowLongW(window, GWL_STYLE), FALSE,
                     GetWindowLongW(window, GWL_EXSTYLE));
  OffsetRect(&suggested, -suggested.left, -suggested.top);
  SendMessageW(window, kDpiChanged, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  testing::PumpMessages(100);
  ExpectLaidOutAt(window, form, other);
  EXPECT_THAT(
      testing::BlankPartsOf(
          window, testing::TakeWindowShot(window, "exclusions_moved_to_" + std::to_string(other))),
      ::testing::IsEmpty());

  SendMessageW(W(form.btnOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_THAT(accepted, ::testing::ElementsAre("C:\\Jeux\\Course\\course.exe", "Élan.EXE"));
  EXPECT_TRUE(pause);
}

// A list set by policy shows, but nothing adds to it or takes from it; "Annuler" keeps the
// options as they were.
TEST(ExclusionsWindow, ALockedListShowsButDoesNotChange) {
  TExclusionsDialog dialog;
  bool accepted = false;
  dialog.OnAccept = [&](const std::vector<std::string>&, bool) { accepted = true; };
  dialog.Open(nullptr, {"jeu.exe"}, false, "Défini par votre administrateur", "");
  testing::PumpMessages(50);
  const ExclusionsForm& form = dialog.Form();
  EXPECT_FALSE(IsWindowEnabled(W(form.btnAjouter)));
  EXPECT_FALSE(IsWindowEnabled(W(form.edNom)));
  EXPECT_TRUE(IsWindowEnabled(W(form.cbPause)));
  EXPECT_EQ(form.btnAjouter.Hint(), "Défini par votre administrateur");
  SendMessageW(W(form.btnAnnuler), BM_CLICK, 0, 0);
  EXPECT_FALSE(accepted);
  EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
}

}  // namespace
}  // namespace kvn
