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

void GetCpuInfoCurrent(MainForm& form, const CpuLibrary& library,
                       const NumberSeparators& separators) {
  ShowProcessorPage(form, GetCpuInfoCurrent(library, separators, true));
}

void ShowProcessorPage(MainForm& form, const ProcessorPageModel& page) {
  SetIfFilled(form.processorNameLabel, page.processorNameLabel);
  SetIfFilled(form.mmxLabel, page.mmxLabel);
  SetIfFilled(form.simdLabel, page.simdLabel);
  SetIfFilled(form.threeDNowLabel, page.threeDNowLabel);
  SetIfFilled(form.l1CodeLabel, page.l1CodeLabel);
  SetIfFilled(form.l1DataLabel, page.l1DataLabel);
  SetIfFilled(form.l1UnifiedLabel, page.l1UnifiedLabel);
  SetIfFilled(form.l2Label, page.l2Label);
  SetIfFilled(form.l3Label, page.l3Label);
  // One row a feature: abbreviation, description, ticked or empty box. The rows are added to
  // those already listed, all in one go.
  std::vector<ui::ListItem> rows = form.featureList.Items();
  for (const ProcessorFeatureRow& row : page.featureList)
    rows.push_back(
        {row.Abbreviation, {row.Description}, row.Supported ? kImageTicked : kImageEmpty});
  form.featureList.SetItems(std::move(rows));
  secondLevelCacheKB = page.SecondLevelCacheKB;
}

void SelectProcessorLogo(MainForm& form, const CpuLibrary& library) {
  ShowProcessorLogo(form, ProcessorLogoOf(library));
}

ProcessorLogo ProcessorLogoOf(const CpuLibrary& library) {
  try {
    return SelectProcessorLogo(library);
  } catch (const std::exception&) {
    return ProcessorLogo::None;  // a processor that cannot be read shows no maker
  }
}

void ShowProcessorLogo(MainForm& form, ProcessorLogo chosen) {
  form.intelLogo.SetVisible(chosen == ProcessorLogo::LogoIntel);
  form.amdLogo.SetVisible(chosen == ProcessorLogo::LogoAMD);
  form.cyrixLogo.SetVisible(chosen == ProcessorLogo::LogoCyrix);
  form.pentium4HTLogo.SetVisible(chosen == ProcessorLogo::logoP4HT);
}

std::uint32_t SecondLevelCacheKB() {
  return secondLevelCacheKB;
}

}  // namespace kvn
