// control/: recovery orchestration and its direct steps, the monitoring timers and triggers,
// processor load sampling, the global hot key and the clipboard. Includes base/, ui/, engine/,
// chart/, sysinfo/, processes/, news/ and the options of settings/; never shell/.
#pragma once
// Starting, repeating, cancelling and reporting recovery passes: every start command of the
// window ends in RecoverRam, every stop command in CancelRecovery.
#include <cstdint>
#include <functional>
#include <string>

#include "control/clipboard.h"
#include "control/memory_lists.h"
#include "engine/kvn_max_mem.h"
#include "settings/options.h"
#include "ui/components.h"
#include "ui/control.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn {

// The megabytes a series asked for by amount ("/optimiser <Mo>") passes: at least 1, at most the
// installed memory (or 1 when that is unknown).
std::int64_t SeriesAmountMB(std::int64_t requestedMB, std::int64_t installedRamMB);

// The controls and menu items the recovery drives.
struct RecoveryControls {
  ui::TrackBar& manualAmountTrackBar;  // enabled for the manual method; its hint shows the amount
  ui::Label& manualAmountValue;
  ui::Button& optimiseButton;
  ui::Button& cancelButton;
  ui::MenuItem& optimiseItem;
  ui::MenuItem& cancelItem;
  ui::StatusBar& statusBar;
};

class Recovery {
 public:
  static constexpr int kProgressPanel = 2;

  Recovery(const RecoveryControls& controls, const Options& options, MemoryEngine& engine,
           ClipboardService& clipboard, std::int64_t installedRamMB);
  Recovery(const Recovery&) = delete;
  Recovery& operator=(const Recovery&) = delete;

  // Shows a tray balloon: title, text, icon type (1 information), time-out in seconds.
  std::function<void(const std::string&, const std::string&, int, int)> ShowBalloonHint;
  // Writes a line to the program's log.
  std::function<void(const std::string&)> WriteLog;
  // Runs after a pass has released its blocks and before the memory is read again, so what it
  // frees counts in the amount recovered (the direct recovery steps).
  std::function<void()> AfterBlocksReleased;
  // The memory lists, read before a series' first pass and after each pass for the account of
  // where the memory came from.
  std::function<MemoryLists()> ReadMemoryLists;

  // Binds the engine's events and the handlers of the commands.
  void Bind();

  void RecoverRam();
  void StartSeries();
  // A series of the given amount in megabytes (see SeriesAmountMB), whatever the method chosen
  // (the command line's "/optimiser <Mo>"); the options stay as they are.
  void StartSeries(std::int64_t requestedMB);
  void CancelRecovery();
  void EmptyClipboard();

  void OnPassStarting(MemoryEngine& sender);
  void OnPassProgress(MemoryEngine& sender, int progress);
  void OnPassFinished(MemoryEngine& sender);

  // After the method or the manual amount changed (OnSystemMethodClick to OnAllMethodClick,
  // OnManualAmountChange).
  void OnMethodClick();
  void OnManualAmountChange();

  bool Optimising() const { return Optimising_; }
  std::uint8_t PassCount() const { return PassCount_; }
  std::int32_t RecoveredTotalMB() const { return RecoveredTotalMB_; }
  std::int64_t FreeBeforeBytes() const { return FreeBeforeBytes_; }
  std::int64_t FreeAfterBytes() const { return FreeAfterBytes_; }
  std::int64_t InstalledRamMB() const { return installedRamMB_; }

 private:
  // A pass is under way: from its start event to the end of its end handler, or held by the
  // engine before either runs.
  bool Running() const { return Optimising_ || engine_.Busy(); }
  int PassesPerSeries() const { return options_.repetitions; }
  void ShowIdleCommands();

  RecoveryControls c_;
  const Options& options_;
  MemoryEngine& engine_;
  ClipboardService& clipboard_;
  std::int64_t installedRamMB_;

  bool Optimising_ = false;
  int seriesAmountMB_ = 0;  // 0: the method and amount of the window
  std::uint8_t PassCount_ = 0;
  std::int32_t RecoveredTotalMB_ = 0;
  std::int64_t FreeBeforeBytes_ = 0;
  std::int64_t FreeAfterBytes_ = 0;
  MemoryLists listsBefore_;
};

}  // namespace kvn
