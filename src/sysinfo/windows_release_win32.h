#pragma once
// The release detection's system services, and the program's one detection.
#include <windows.h>

#include "sysinfo/windows_release.h"

namespace kvn {

// The A forms of the version query: they are the ones every release, 9x included, implements.
class Win32WindowsReleaseSource : public WindowsReleaseSource {
 public:
  std::optional<WindowsVersionRecord> VersionRecord() override;
  std::optional<WindowsVersionRecord> ExtendedVersionRecord() override;
  std::optional<WindowsVersionRecord> KernelVersionRecord() override;
  std::uint32_t Kernel32FileVersion() override;
  std::optional<std::uint32_t> CsdVersionValue() override;
  std::optional<std::string> ProductTypeValue() override;
};

WindowsReleaseSource& SystemReleaseSource();

// The running release, detected at the first call; start-up makes that call before any window
// exists, and the answer never changes afterwards.
const WindowsRelease& CurrentWindowsRelease();

// Name, two blanks and service-pack text of the running release, as the "Informations" page
// shows it: the fault report's "OS:" line.
std::string CurrentWindowsVersionText();

// The product version (major << 16 | minor) of a file's version resource; 0 when unreadable.
std::uint32_t FileProductVersion(const wchar_t* path);

}  // namespace kvn
