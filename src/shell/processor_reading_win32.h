#pragma once
// Identifying the processor for its page, its logo and the MMX check. It pins the reading thread
// to each processor in turn and measures the clock twice, tens of milliseconds that the window's
// thread must not spend: the program reads on a thread of its own once the window shows.
#include <windows.h>

#include "base/worker_thread_win32.h"
#include "sysinfo/processor_page.h"

namespace kvn {

struct ProcessorFindings {
  ProcessorPageModel page;
  ProcessorLogo logo = ProcessorLogo::None;
  bool pageRead = false;  // false: the reading of the page failed
  int mmx = -1;           // 1 present, 0 missing, -1 unreadable
};

// Reads on the calling thread, from the program's processor library.
ProcessorFindings ReadProcessorFindings(const NumberSeparators& separators);

class ProcessorReading {
 public:
  // Starts the reading on a thread and posts `done` to `window` when it ends; reads at once
  // when no thread can be started.
  ProcessorReading(const NumberSeparators& separators, HWND window, UINT done);
  ~ProcessorReading() { Wait(); }
  ProcessorReading(const ProcessorReading&) = delete;
  ProcessorReading& operator=(const ProcessorReading&) = delete;

  // What was found, once the reading has ended (waited for when still under way).
  const ProcessorFindings& Wait();

 private:
  static DWORD WINAPI Run(LPVOID self);

  NumberSeparators separators_;
  HWND window_;
  UINT done_;
  ProcessorFindings findings_;
  WorkerThread thread_;
};

}  // namespace kvn
