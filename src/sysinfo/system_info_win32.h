#pragma once
// The "Informations" page's system services, the processor clock measurement, and the version
// and date of the program's own file.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/worker_thread_win32.h"
#include "sysinfo/system_info.h"

namespace kvn {

class MessageWindow;

// Half a second with the calling thread at time-critical priority, restored on every path; the
// process class is never touched. The clock in MHz, valid up to 2^32 cycles per 500 ms.
double MeasureCpuSpeed();

class Win32SystemInfoServices : public SystemInfoServices {
 public:
  Win32SystemInfoServices();
  ~Win32SystemInfoServices() override;

  std::string ComputerName() override;
  std::string UserName() override;
  std::string LocalIpAddress(const std::string& hostName) override;
  std::optional<std::string> DirectXVersionValue() override;
  std::optional<DisplayMode> CurrentMode() override;
  std::vector<DisplayMode> DisplayModes() override;
  std::int32_t ScreenWidth() override;
  std::int64_t DriveFreeBytes(int driveNumber) override;
  bool StartCpuSpeedMeasurement(std::function<void(double)> done) override;

 private:
  struct Measurement;
  static void MeasureThread(Measurement& measurement);

  std::unique_ptr<MessageWindow> window_;  // hears the end of a measurement
  // The program's end waits this long for a measurement (it takes half a second) and lets it
  // end on its own, or with the process.
  WorkerThread thread_{150};
  std::shared_ptr<Measurement> measurement_;  // shared with the thread, which may outlive this
  std::function<void(double)> done_;
};

// The file's last change, in the user's short date format; "" when it cannot be read.
std::string ReadFileDateText(const std::wstring& path);
// The program's own file.
std::wstring ProgramFileName();

// The program's own version (at most 10 characters) and date (at most 20), read from its file at
// the first call (start-up) and kept: the About text, the mail subjects and the fault report.
const std::string& ProgramFileVersion();
const std::string& ProgramFileDate();

}  // namespace kvn
