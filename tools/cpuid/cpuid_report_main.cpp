// cpuid_report [dump file]: prints what the "Processeur" page shows for the processor of a CPUID
// dump, or for this machine's own processor when no file is given (Windows only).
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "cpuid/cpuid_dump.h"
#include "cpuid/cpuid_report.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "sysinfo/cpu_services_win32.h"
#endif

int main(int argc, char** argv) {
  using namespace kvn;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the same bytes as on every other system
#endif
  try {
    std::string report;
    if (argc > 2) {
      std::fprintf(stderr, "usage: cpuid_report [cpuid dump file]\n");
      return 2;
    }
    if (argc == 2) {
      auto source = std::make_shared<CpuidDumpSource>(CpuidDumpSource::FromFile(argv[1]));
      CpuLibrary library(source, std::make_shared<SingleProcessorSystem>(), nullptr);
      report = CpuidReport(library, false);
    } else {
#ifdef _WIN32
      report = CpuidReport(*CreateWindowsCpuLibrary(), true);
#else
      std::fprintf(stderr, "cpuid_report: this build reads dump files only; give one\n");
      return 2;
#endif
    }
    std::fwrite(report.data(), 1, report.size(), stdout);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cpuid_report: %s\n", e.what());
    return 1;
  }
}
