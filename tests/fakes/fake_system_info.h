#pragma once
// Scripted answers for the release detection and the "Informations" page: a version record,
// registry values and drives as a test sets them, with the questions counted.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/system_info.h"
#include "sysinfo/windows_release.h"

namespace kvn::fake {

class FakeReleaseSource : public WindowsReleaseSource {
 public:
  std::optional<WindowsVersionRecord> version;
  std::optional<WindowsVersionRecord> extended;
  std::optional<WindowsVersionRecord> kernel;
  std::uint32_t kernel32 = 0;
  std::optional<std::uint32_t> csdValue;
  std::optional<std::string> productType;
  int kernel32Reads = 0;

  std::optional<WindowsVersionRecord> VersionRecord() override { return version; }
  std::optional<WindowsVersionRecord> ExtendedVersionRecord() override { return extended; }
  std::optional<WindowsVersionRecord> KernelVersionRecord() override { return kernel; }
  std::uint32_t Kernel32FileVersion() override {
    ++kernel32Reads;
    return kernel32;
  }
  std::optional<std::uint32_t> CsdVersionValue() override { return csdValue; }
  std::optional<std::string> ProductTypeValue() override { return productType; }
};

class FakeSystemInfo : public SystemInfoServices {
 public:
  std::string computer = "POSTE-1";
  std::string user = "alice";
  std::map<std::string, std::string> addresses = {{"POSTE-1", "192.168.1.20"}};
  std::optional<std::string> directX = std::string("4.09.00.0904");
  std::optional<DisplayMode> current;  // none: a system that cannot tell
  std::vector<DisplayMode> modes = {{1024, 768, 32}};
  std::int32_t screenWidth = 1024;
  std::map<int, std::int64_t> drives;  // by drive number; missing ones answer -1
  std::vector<int> probed;             // drive numbers asked, in order
  int measurementsStarted = 0;
  bool threadAvailable = true;
  std::function<void(double)> pendingMeasurement;  // run it to end the measurement

  std::string ComputerName() override { return computer; }
  std::string UserName() override { return user; }
  std::string LocalIpAddress(const std::string& host) override {
    auto it = addresses.find(host);
    return it == addresses.end() ? std::string() : it->second;
  }
  std::optional<std::string> DirectXVersionValue() override { return directX; }
  std::optional<DisplayMode> CurrentMode() override { return current; }
  std::vector<DisplayMode> DisplayModes() override { return modes; }
  std::int32_t ScreenWidth() override { return screenWidth; }
  std::int64_t DriveFreeBytes(int driveNumber) override {
    probed.push_back(driveNumber);
    auto it = drives.find(driveNumber);
    return it == drives.end() ? -1 : it->second;
  }
  bool StartCpuSpeedMeasurement(std::function<void(double)> done) override {
    if (!threadAvailable) return false;
    ++measurementsStarted;
    pendingMeasurement = std::move(done);
    return true;
  }
  // The measuring thread reports back.
  void FinishMeasurement(double mhz) {
    auto done = std::move(pendingMeasurement);
    pendingMeasurement = nullptr;
    if (done) done(mhz);
  }
};

}  // namespace kvn::fake
