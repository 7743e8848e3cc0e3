// sysinfo/: the Windows release, the "Informations" page, the processor library (CPUID, caches,
// names, clock) and the "Processeur" page. Includes base/ and ui/ only.
#pragma once
// The "Informations" page: the machine facts in eight labels, the free space of the drives C: to
// Z: in a memo, and the refresh button. The facts come from a small service so that every
// answer the system can give is tested without it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/cpu_library.h"
#include "sysinfo/windows_release.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/window_parts.h"

namespace kvn {

struct DisplayMode {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t BitsPerPixel = 0;
};

class SystemInfoServices {
 public:
  virtual ~SystemInfoServices() = default;
  // "" when the query fails.
  virtual std::string ComputerName() = 0;
  virtual std::string UserName() = 0;
  // The dotted address the host name resolves to; "" when sockets or resolution fail.
  virtual std::string LocalIpAddress(const std::string& hostName) = 0;
  // HKLM "Software\Microsoft\DirectX" value "Version"; nullopt when the key does not open.
  // A key without the value gives "".
  virtual std::optional<std::string> DirectXVersionValue() = 0;
  // The mode the primary display is in; nullopt where the system cannot tell (Windows 95 and
  // NT 4 know no current settings).
  virtual std::optional<DisplayMode> CurrentMode() = 0;
  // The display modes of the primary display in enumeration order, and the screen width.
  virtual std::vector<DisplayMode> DisplayModes() = 0;
  virtual std::int32_t ScreenWidth() = 0;
  // Free bytes available to the caller on drive 3 (C:) to 26 (Z:); -1 when it cannot be asked.
  virtual std::int64_t DriveFreeBytes(int driveNumber) = 0;
  // Measures the processor clock away from the window's thread; `done` runs later on the
  // window's thread with the clock in MHz. False when no measurement could be started (`done`
  // will not run).
  virtual bool StartCpuSpeedMeasurement(std::function<void(double)> done) = 0;
};

// The program's two fixed drive settings: megabytes, two decimals.
inline constexpr int kDriveSizeUnit = 1;
inline constexpr int kDriveSizeDecimals = 2;

// Fixed notation with `decimals` decimals (0 to 4; halves of the binary value to even), the
// locale's decimal separator, and its thousands separator when `grouped`.
std::string FormatNumber(double value, int decimals, const NumberSeparators& separators,
                         bool grouped);

struct DirectXVersionInfo {
  std::uint16_t Major = 0;
  std::uint16_t Minor = 0;
  std::string Letter;
};
// "4.09.00.0902" gives 9, 0, "b"; nullopt for any value that does not read so.
std::optional<DirectXVersionInfo> ParseDirectXVersion(const std::string& value);

// The last mode whose width is the screen's; nullopt when none is. Only a guess, its height and
// depth need not be those in use: for systems that cannot tell the current mode.
std::optional<DisplayMode> CurrentDisplayMode(const std::vector<DisplayMode>& modes,
                                              std::int32_t screenWidth);

// One line per drive C: to Z: with free space above 0: "C:\ 1 234,56 Mo libres".
std::vector<std::string> DrivesFreeSpaceList(SystemInfoServices& services,
                                             const NumberSeparators& separators,
                                             int unit = kDriveSizeUnit,
                                             int decimals = kDriveSizeDecimals);

std::string CpuSpeedCaption(double mhz, const NumberSeparators& separators);

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t count);

// The About label's caption with the program's version and date appended (each cut to its
// length: 10 and 20 characters).
std::string AboutCaptionWithVersion(const std::string& caption, const std::string& fileVersion,
                                    const std::string& fileDate);

struct InfoPageControls {
  ui::TabSheet& systemInfoPage;
  ui::Label& windowsVersionLabel;
  ui::Label& computerNameLabel;
  ui::Label& userNameLabel;
  ui::Label& ipAddressLabel;
  ui::Label& installedRamLabel;
  ui::Label& processorSpeedLabel;
  ui::Label& directXLabel;
  ui::Label& resolutionLabel;
  ui::Memo& drivesMemo;
  ui::Button& refreshInfoButton;
};

// The page's controls out of any form that holds them under these names.
template <class Form>
InfoPageControls InfoPageControlsOf(Form& form) {
  return {.systemInfoPage = form.systemInfoPage,
          .windowsVersionLabel = form.windowsVersionLabel,
          .computerNameLabel = form.computerNameLabel,
          .userNameLabel = form.userNameLabel,
          .ipAddressLabel = form.ipAddressLabel,
          .installedRamLabel = form.installedRamLabel,
          .processorSpeedLabel = form.processorSpeedLabel,
          .directXLabel = form.directXLabel,
          .resolutionLabel = form.resolutionLabel,
          .drivesMemo = form.drivesMemo,
          .refreshInfoButton = form.refreshInfoButton};
}

class InfoPage {
 public:
  InfoPage(const InfoPageControls& controls, SystemInfoServices& services,
           WindowsReleaseSource& releaseSource, const WindowsRelease& release,
           NumberSeparators separators, std::int64_t installedRamMB);
  InfoPage(const InfoPage&) = delete;
  InfoPage& operator=(const InfoPage&) = delete;

  void Bind();
  void GetInfoSystem();
  void OnSystemInfoPageShow();
  void OnRefreshInfoClick();

  // Set by start-up and by the refresh button: the next showing reads the drives again.
  bool DrivesRefreshPending = true;
  bool Measuring() const { return measuring_; }

 private:
  void ReplaceDrives();
  void CpuSpeedMeasured(double mhz);

  InfoPageControls c_;
  SystemInfoServices& services_;
  WindowsReleaseSource& releaseSource_;
  const WindowsRelease& release_;
  NumberSeparators separators_;
  std::int64_t installedRamMB_;
  bool measuring_ = false;
};

}  // namespace kvn
