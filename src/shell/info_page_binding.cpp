#include "shell/info_page_binding.h"

#include "shell/main_form.h"

namespace kvn {

void SelectWindowsLogo(MainForm& form, WindowsLogo logo) {
  const struct {
    ui::Image& image;
    WindowsLogo logo;
  } logos[] = {
      {form.win95Logo, WindowsLogo::LogoWin95},
      {form.win98Logo, WindowsLogo::LogoWin98},
      {form.winMELogo, WindowsLogo::LogoWinME},
      {form.winNTLogo, WindowsLogo::LogoWinNT},
      {form.winNTServerLogo, WindowsLogo::LogoWinNTS},
      {form.win2000Logo, WindowsLogo::LogoWin2K},
      {form.winXPLogo, WindowsLogo::LogoWinXP},
      {form.laterWindowsLogo, WindowsLogo::LogoWinLater},
  };
  for (const auto& l : logos) l.image.SetVisible(false);
  for (const auto& l : logos) {
    if (l.logo == logo)
      l.image.SetVisible(true);
    else
      l.image.SetResourceId(0);  // the picture is released
  }
}

}  // namespace kvn
