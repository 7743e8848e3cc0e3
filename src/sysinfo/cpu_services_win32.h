#pragma once
// The processor library's Windows services: CPUID and RDTSC executed for real, the system's
// processor count and process affinity, and the clock measurement thread.
#include <memory>

#include "sysinfo/cpu_library.h"

namespace kvn {

std::shared_ptr<ICpuidSource> CreateWindowsCpuidSource();
std::shared_ptr<ICpuSystem> CreateWindowsCpuSystem();
std::shared_ptr<ICpuClock> CreateWindowsCpuClock();

// A library on this machine's processors.
std::unique_ptr<CpuLibrary> CreateWindowsCpuLibrary();

// The separators of the user's number format (size texts of the cache labels).
NumberSeparators UserNumberSeparators();

// Library start: installs the global library, before the main window exists.
void InitializeCpuLibrary();

}  // namespace kvn
