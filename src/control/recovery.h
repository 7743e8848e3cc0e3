// control/: recovery orchestration and its direct steps, the monitoring timers and triggers,
// processor load sampling, the global hot key and the clipboard. Includes base/, ui/, engine/,
// chart/, sysinfo/, processes/, news/ and the options of settings/; never shell/.
#pragma once
// Starting, repeating, cancelling and reporting recovery passes: every start command of the
// window ends in RecupRam, every stop command in AnnulRam.
#include <cstdint>
#include <functional>
#include <string>

#include "control/clipboard.h"
#include "engine/kvn_max_mem.h"
#include "ui/components.h"
#include "ui/control.h"
#include "ui/list_controls.h"
#include "ui/range_controls.h"
#include "ui/window_parts.h"

namespace kvn {

// The controls and menu items the recovery reads and drives.
struct RecoveryControls {
  ui::RadioButton& RadioButton1;  // "Système": half the installed memory
  ui::RadioButton& RadioButton2;  // "Manuel": the amount on TrackBar1
  ui::RadioButton& RadioButton3;  // "Tout": all physical memory
  ui::TrackBar& TrackBar1;
  ui::Label& Label4;
  ui::ComboBox& CNBRepetitions;
  ui::CheckBox& CBPressePapier;
  ui::CheckBox& cbxballoon;
  ui::Button& BitBtn1;
  ui::Button& BitBtn3;
  ui::MenuItem& RecoverRAM1;
  ui::MenuItem& Cancel1;
  ui::StatusBar& StatusBar;
};

class Recovery {
 public:
  static constexpr int kProgressPanel = 2;

  Recovery(const RecoveryControls& controls, TKVNMaxMem& engine, ClipboardService& clipboard,
           std::int64_t installedRamMB);
  Recovery(const Recovery&) = delete;
  Recovery& operator=(const Recovery&) = delete;

  // Shows a tray balloon: title, text, icon type (1 information), time-out in seconds.
  std::function<void(const std::string&, const std::string&, int, int)> ShowBalloonHint;
  // Writes a line to the program's log.
  std::function<void(const std::string&)> WriteLog;
  // Runs after a pass has released its blocks and before the memory is read again, so what it
  // frees counts in the amount recovered (the direct recovery steps).
  std::function<void()> AfterBlocksReleased;

  // Binds the engine's events and the handlers of the controls this class owns.
  void Bind();

  void RecupRam();
  void StartSeries();
  // A series of the given amount in megabytes, whatever the method chosen (the command line's
  // "/optimiser <Mo>"); the window's own settings stay as they are.
  void StartSeries(int megabytes);
  void AnnulRam();
  void EmptyClipboard();

  void KVNMaxMem1BeforeDefrag(TKVNMaxMem& sender);
  void KVNMaxMem1Progress(TKVNMaxMem& sender, int progress);
  void KVNMaxMem1AfterDefrag(TKVNMaxMem& sender);

  void MethodClick();  // RadioButton1Click, RadioButton2Click, RadioButton3Click
  void TrackBar1Change();

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
  int PassesPerSeries() const { return c_.CNBRepetitions.ItemIndex() + 1; }
  void ShowIdleCommands();

  RecoveryControls c_;
  TKVNMaxMem& engine_;
  ClipboardService& clipboard_;
  std::int64_t installedRamMB_;

  bool Optimising_ = false;
  int seriesAmountMB_ = 0;  // 0: the method and amount of the window
  std::uint8_t PassCount_ = 0;
  std::int32_t RecoveredTotalMB_ = 0;
  std::int64_t FreeBeforeBytes_ = 0;
  std::int64_t FreeAfterBytes_ = 0;
};

}  // namespace kvn
