#include "shell/info_page_binding.h"

#include "shell/main_form.h"

namespace kvn {

void SelectWindowsLogo(MainForm& form, WindowsLogo logo) {
  const struct {
    ui::Image& image;
    WindowsLogo logo;
  } logos[] = {
      {form.LogoWin95, WindowsLogo::LogoWin95},   {form.LogoWin98, WindowsLogo::LogoWin98},
      {form.LogoWinME, WindowsLogo::LogoWinME},   {form.LogoWinNT, WindowsLogo::LogoWinNT},
      {form.LogoWinNTS, WindowsLogo::LogoWinNTS}, {form.LogoWin2K, WindowsLogo::LogoWin2K},
      {form.LogoWinXP, WindowsLogo::LogoWinXP},   {form.LogoWinLater, WindowsLogo::LogoWinLater},
  };
  for (const auto& l : logos) l.image.SetVisible(false);
  for (const auto& l : logos) {
    if (l.logo == logo)
      l.image.SetVisible(true);
    else
      l.image.SetResourceId(0);  // the picture is released
  }
}

InfoPageControls InfoPageControlsOf(MainForm& form) {
  return {form.TabSheet5,
          form.Label_version_os,
          form.Label_nom_machine,
          form.Label_nom_utilisateur,
          form.Label_ip_adresse,
          form.Label_ram,
          form.Label_cpu_speed,
          form.Label_directX,
          form.Label_Resolution,
          form.MDrivesInfos,
          form.Btn3};
}

}  // namespace kvn
