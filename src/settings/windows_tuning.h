#pragma once
// The Windows settings the program changes: five memory-management values, the switch that
// unloads idle DLLs, the current user's Run entry, and for its own process and window the
// priority class, the topmost state and the opacity (the last four as the options say).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/registry.h"
#include "settings/options.h"
#include "sysinfo/windows_release.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"

namespace kvn {

struct TuningControls {
  ui::ComboBox& cacheSizeCombo;
  ui::CheckBox& secondLevelCacheCheck;
  ui::RadioGroup& largeSystemCacheGroup;
  ui::CheckBox& kernelInMemoryCheck;
  ui::CheckBox& clearPageFileCheck;
  ui::TrackBar&
      opacityTrackBar;  // enabled where windows can be translucent; its hint shows the opacity
  ui::CheckBox& balloonsCheck;
  ui::Label& adminRightsLabel;    // says why the boxes do not stay checked without the rights
  ui::CheckBox& unloadDllsCheck;  // a machine value too, under the same rules
};

// The running release as far as these options care. Releases after XP count as XP: they have
// the same facilities.
struct TuningRelease {
  bool IsWinNT = false;  // NT 4
  bool IsWin2000 = false;
  bool IsWinXP = false;  // XP and every later NT release
  bool NtFamily() const { return IsWinNT || IsWin2000 || IsWinXP; }
};

// The release detection's answer as these options see it: NT 3 and 4 are "NT", every release
// after XP counts as XP, 9x and unknown releases offer none of the options.
TuningRelease TuningReleaseOf(const WindowsRelease& release);

struct TuningSinks {
  std::function<void(bool)> SetTopmost;
  std::function<void(int alpha)> SetAlpha;
  std::function<void(std::uint32_t priorityClass)> SetPriorityClass;
  std::function<void(const std::string&)> ShowWarning;
  std::function<void(const std::string&)> WriteLog;
  std::function<std::uint32_t()> SecondLevelCacheKB;
  std::function<std::string()> ProgramPath;
};

// Where the values live; tests point them at keys of their own.
struct TuningLocations {
  RegistryRoot memoryRoot = RegistryRoot::LocalMachine;
  std::string memoryManagement =
      "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
  RegistryRoot explorerRoot = RegistryRoot::LocalMachine;
  std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  RegistryRoot runRoot = RegistryRoot::CurrentUser;
  std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
};

inline constexpr char kRunValue[] = "Korvane";
inline constexpr char kPriorityWarning[] =
    "Attention changer la priorité d'exécution de Korvane peut provoquer quelques "
    "soucis.\r\nLes options les plus recommandées sont \"Normale\" ou \"Basse\".";
inline constexpr char kRightsText[] = "Droits administrateur requis.";

// "IOPageLockLimit" for a cacheSizeCombo item, and the item a stored value shows (6 for any other).
std::uint32_t IoPageLockLimitFor(int item);
int CbCacheItemFor(std::optional<std::uint32_t> stored);
// Priority class of a priorityCombo item; 0 for no item.
std::uint32_t PriorityClassFor(int item);
// opacityTrackBar's hint: the opacity in percent of 255, halves to even, then "%".
std::string OpacityHint(int position);
// The program's path as the registry keeps it: in double quotes, so that a path with blanks
// ("C:\Program Files\...") never makes Windows try "C:\Program.exe" first.
inline std::string QuotedPath(const std::string& path) {
  return "\"" + path + "\"";
}

class WindowsTuning {
 public:
  WindowsTuning(const TuningControls& controls, const Options& options, Registry& registry,
                TuningSinks sinks, TuningRelease release, TuningLocations locations = {});
  WindowsTuning(const WindowsTuning&) = delete;
  WindowsTuning& operator=(const WindowsTuning&) = delete;

  void Bind();
  // Start-up: enables what the release offers; when the machine-wide values cannot be changed by
  // this process, says so and disables the tuning group and the DLL switch.
  void ApplyAvailability(std::int64_t installedRamMB, bool lacksMachineRights);

  // Shows the stored memory-management values; writes nothing.
  void ReadMemoryTuning();
  void OnCacheSizeChange();
  void OnSecondLevelCacheClick();
  void OnLargeSystemCacheClick();
  void OnKernelInMemoryClick();
  void OnClearPageFileClick();
  // The DLL switch follows the option at once; refused, or without its key, the box goes back.
  void OnUnloadDllsClick();

  // An administrator's policy: the machine's memory values and the DLL switch are left alone.
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  void SetAlwaysUnloadDll(bool on);  // a refusal is silent
  int ReadAlwaysUnloadDll();
  void WriteRunEntry();
  void RemoveRunEntry();
  // Only an entry that starts this very copy (another copy's, an installed one's, stays).
  void RemoveOwnRunEntry();
  void SetStayOnTop(bool on);
  void OnStayOnTopClick() { SetStayOnTop(options_.stayOnTop); }
  void ApplyPriority(int index);
  void OnPriorityChange();  // the chosen priority, with a warning before the high classes
  void OnOpacityChange();   // the chosen opacity and its hint

 private:
  std::unique_ptr<RegistryKey> OpenMemoryManagement(OpenFailure* why);
  void ShowStored(bool absentSwapIsOff);
  void WriteMemoryValue(const char* name, std::uint32_t value, const char* failureLine);
  bool WriteUnloadSwitch(bool on, OpenFailure* why);
  // A write the system refused: logged, the rights line shown, the control back as stored.
  void WriteRefused(const std::string& failureLine);
  void LockMachineValues();

  TuningControls c_;
  const Options& options_;
  Registry& registry_;
  TuningSinks sinks_;
  TuningRelease release_;
  TuningLocations where_;
  bool refreshing_ = false;  // ReadMemoryTuning is setting the controls
  bool readOnly_ = false;
};

}  // namespace kvn
