#pragma once
// Puts the processor facts on the "Processeur" page of the main window. Called once by start-up.
#include <cstdint>

#include "sysinfo/processor_page.h"

namespace kvn {

class MainForm;

// Fills the page's labels and feature list from processor 0 and records SecondLevelCacheKB. A
// failure stops the filling silently: what was filled stays, the rest keeps its design captions.
void GetCpuInfoCurrent(MainForm& form, const CpuLibrary& library,
                       const NumberSeparators& separators);
// The same from a model read beforehand (on another thread).
void ShowProcessorPage(MainForm& form, const ProcessorPageModel& page);

// Shows the maker's logo and hides the other three; no rule matching hides all four.
void SelectProcessorLogo(MainForm& form, const CpuLibrary& library);
// The logo chosen beforehand (SelectProcessorLogo of the library, None when it failed).
ProcessorLogo ProcessorLogoOf(const CpuLibrary& library);
void ShowProcessorLogo(MainForm& form, ProcessorLogo chosen);

// The level-2 cache in KB found by the fill; 0 before it, or when no level-2 cache was found.
std::uint32_t SecondLevelCacheKB();

// The ticked and empty boxes of the shared image list.
inline constexpr int kImageTicked = 2;
inline constexpr int kImageEmpty = 3;

}  // namespace kvn
