#pragma once
// The text report of cpuid_report: what the "Processeur" page would show, one fact a line.
#include <string>

#include "sysinfo/cpu_library.h"

namespace kvn {

// `withSpeed` measures the clock and adds the last line "speed: <raw> <normalised>".
std::string CpuidReport(const CpuLibrary& library, bool withSpeed);

}  // namespace kvn
