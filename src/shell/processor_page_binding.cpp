#include "shell/processor_page_binding.h"

#include <exception>

#include "shell/main_form.h"

namespace kvn {

namespace {

std::uint32_t secondLevelCacheKB = 0;

void SetIfFilled(ui::Label& label, const std::optional<std::string>& text) {
  if (text) label.SetCaption(*text);
}

}  // namespace

void GetCpuInfoCurrent(MainForm& form, const TCpuLibrary& library,
                       const NumberSeparators& separators) {
  ShowProcessorPage(form, GetCpuInfoCurrent(library, separators, true));
}

void ShowProcessorPage(MainForm& form, const ProcessorPageModel& page) {
  SetIfFilled(form.lblName, page.lblName);
  SetIfFilled(form.LblMMX, page.LblMMX);
  SetIfFilled(form.lblSIMD, page.lblSIMD);
  SetIfFilled(form.lbl3DNow, page.lbl3DNow);
  SetIfFilled(form.lblL1Code, page.lblL1Code);
  SetIfFilled(form.lblL1Data, page.lblL1Data);
  SetIfFilled(form.lblLevel1, page.lblLevel1);
  SetIfFilled(form.lblLevel2, page.lblLevel2);
  SetIfFilled(form.lblLevel3, page.lblLevel3);
  // One row a feature: abbreviation, description, ticked or empty box. The rows are added to
  // those already listed, all in one go.
  std::vector<ui::ListItem> rows = form.ListView1.Items();
  for (const ProcessorFeatureRow& row : page.ListView1)
    rows.push_back(
        {row.Abbreviation, {row.Description}, row.Supported ? kImageTicked : kImageEmpty});
  form.ListView1.SetItems(std::move(rows));
  secondLevelCacheKB = page.SecondLevelCacheKB;
}

void SelectProcessorLogo(MainForm& form, const TCpuLibrary& library) {
  ShowProcessorLogo(form, ProcessorLogoOf(library));
}

ProcessorLogo ProcessorLogoOf(const TCpuLibrary& library) {
  try {
    return SelectProcessorLogo(library);
  } catch (const std::exception&) {
    return ProcessorLogo::None;  // a processor that cannot be read shows no maker
  }
}

void ShowProcessorLogo(MainForm& form, ProcessorLogo chosen) {
  form.LogoIntel.SetVisible(chosen == ProcessorLogo::LogoIntel);
  form.LogoAMD.SetVisible(chosen == ProcessorLogo::LogoAMD);
  form.LogoCyrix.SetVisible(chosen == ProcessorLogo::LogoCyrix);
  form.logoP4HT.SetVisible(chosen == ProcessorLogo::logoP4HT);
}

std::uint32_t SecondLevelCacheKB() {
  return secondLevelCacheKB;
}

}  // namespace kvn
