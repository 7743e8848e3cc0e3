// The "Informations" page's logos: only the running release's picture is shown and kept.
#include "shell/info_page_binding.h"

#include <gtest/gtest.h>

#include "shell/main_form.h"

namespace kvn {
namespace {

TEST(InfoPageLogo, OnlyTheChosenPictureStays) {
  for (WindowsLogo chosen : {WindowsLogo::LogoWinXP, WindowsLogo::LogoWinNTS,
                             WindowsLogo::LogoWinLater, WindowsLogo::None}) {
    SCOPED_TRACE(WindowsLogoName(chosen));
    MainForm form;
    SelectWindowsLogo(form, chosen);
    int shown = 0, kept = 0;
    const std::pair<WindowsLogo, ui::Image*> logos[] = {
        {WindowsLogo::LogoWin95, &form.win95Logo},
        {WindowsLogo::LogoWin98, &form.win98Logo},
        {WindowsLogo::LogoWinME, &form.winMELogo},
        {WindowsLogo::LogoWinNT, &form.winNTLogo},
        {WindowsLogo::LogoWinNTS, &form.winNTServerLogo},
        {WindowsLogo::LogoWin2K, &form.win2000Logo},
        {WindowsLogo::LogoWinXP, &form.winXPLogo},
        {WindowsLogo::LogoWinLater, &form.laterWindowsLogo}};
    for (const auto& [which, logo] : logos) {
      const bool isChosen = which == chosen;
      EXPECT_EQ(logo->Visible(), isChosen) << logo->Name();
      EXPECT_EQ(logo->ResourceId() != 0, isChosen) << logo->Name();
      shown += logo->Visible();
      kept += logo->ResourceId() != 0;
    }
    EXPECT_EQ(shown, chosen == WindowsLogo::None ? 0 : 1);
    EXPECT_EQ(kept, shown);
  }
}

}  // namespace
}  // namespace kvn
