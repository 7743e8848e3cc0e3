#include "shell/processor_reading_win32.h"

#include "shell/processor_page_binding.h"
#include "sysinfo/cpu_library.h"

namespace kvn {

ProcessorFindings ReadProcessorFindings(const NumberSeparators& separators) {
  ProcessorFindings found;
  try {
    found.page = GetCpuInfoCurrent(InstalledCpuLibrary(), separators, true);
    found.logo = ProcessorLogoOf(InstalledCpuLibrary());
    found.pageRead = true;
  } catch (...) {
    found.pageRead = false;
  }
  try {
    found.mmx =
        InstalledCpuLibrary().Processors(0).Features().FindFeature("MMX").Available() ? 1 : 0;
  } catch (...) {
    found.mmx = -1;
  }
  return found;
}

ProcessorReading::ProcessorReading(const NumberSeparators& separators, HWND window, UINT done)
    : separators_(separators), window_(window), done_(done) {
  // The window's thread comes first: the user acts on the window while this reads.
  if (!thread_.Start(&ProcessorReading::Run, this, THREAD_PRIORITY_BELOW_NORMAL)) Run(this);
}

DWORD WINAPI ProcessorReading::Run(LPVOID self) {
  auto& reading = *static_cast<ProcessorReading*>(self);
  reading.findings_ = ReadProcessorFindings(reading.separators_);
  PostMessageW(reading.window_, reading.done_, 0, 0);
  return 0;
}

const ProcessorFindings& ProcessorReading::Wait() {
  thread_.Join(INFINITE);
  return findings_;
}

}  // namespace kvn
