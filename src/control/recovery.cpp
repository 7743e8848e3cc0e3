#include "control/recovery.h"

#include <algorithm>

#include "base/rounding.h"

namespace kvn {

namespace {
constexpr char kBalloonTitle[] = "Korvane";
constexpr int kBalloonInfo = 1;
constexpr int kBalloonSeconds = 10;
}  // namespace

std::int64_t SeriesAmountMB(std::int64_t requestedMB, std::int64_t installedRamMB) {
  return std::clamp<std::int64_t>(requestedMB, 1, installedRamMB > 0 ? installedRamMB : 1);
}

Recovery::Recovery(const RecoveryControls& controls, const Options& options, MemoryEngine& engine,
                   ClipboardService& clipboard, std::int64_t installedRamMB)
    : c_(controls),
      options_(options),
      engine_(engine),
      clipboard_(clipboard),
      installedRamMB_(installedRamMB) {}

void Recovery::Bind() {
  engine_.OnBeforeDefrag = [this](MemoryEngine& s) { OnPassStarting(s); };
  engine_.OnProgress = [this](MemoryEngine& s, int p) { OnPassProgress(s, p); };
  engine_.OnAfterDefrag = [this](MemoryEngine& s) { OnPassFinished(s); };
  c_.optimiseButton.OnClick = [this] { StartSeries(); };
  c_.optimiseItem.OnClick = [this] { StartSeries(); };
  c_.cancelButton.OnClick = [this] { CancelRecovery(); };
  c_.cancelItem.OnClick = [this] { CancelRecovery(); };
}

void Recovery::RecoverRam() {
  // Before the engine is asked: even a refused Defrag would withdraw a pending cancel.
  if (Running()) return;
  if (seriesAmountMB_ > 0) {
    engine_.Defrag(seriesAmountMB_);
    return;
  }
  // The three tests run one after the other: a pass's message pump may let the user choose
  // another method before the next test.
  if (options_.method == RecoveryMethod::System)
    engine_.Defrag(static_cast<int>(HalfRamMB(installedRamMB_)));
  if (options_.method == RecoveryMethod::Manual) engine_.Defrag(options_.manualAmountMB);
  if (options_.method == RecoveryMethod::All) engine_.DefragAll();
}

void Recovery::StartSeries() {
  // A start command during a pass does nothing, whoever gives it: resetting the counters here
  // would make the running series forget the passes it has done.
  if (Running()) return;
  seriesAmountMB_ = 0;
  PassCount_ = 0;
  RecoveredTotalMB_ = 0;
  RecoverRam();
}

void Recovery::StartSeries(std::int64_t requestedMB) {
  if (Running()) return;
  seriesAmountMB_ = static_cast<int>(SeriesAmountMB(requestedMB, installedRamMB_));
  PassCount_ = 0;
  RecoveredTotalMB_ = 0;
  RecoverRam();
}

void Recovery::CancelRecovery() {
  ShowIdleCommands();
  // Only a running pass has a series to end: when idle the counter stays at 0, or the alarm rule
  // (which waits for it) would hold back until the next manual start. The pass runs until its
  // end handler is over, the direct steps included, though the engine is idle by then.
  if (Running()) PassCount_ = static_cast<std::uint8_t>(PassesPerSeries());
  engine_.StopDefrag();
  c_.statusBar.SetPanelText(kProgressPanel, " ");
  c_.statusBar.SetGaugePosition(0);
}

void Recovery::EmptyClipboard() {
  if (!clipboard_.Empty() && WriteLog) WriteLog("Impossible de vider le presse-papiers");
}

void Recovery::OnPassStarting(MemoryEngine& sender) {
  Optimising_ = true;
  if (options_.balloons && ShowBalloonHint)
    ShowBalloonHint(kBalloonTitle, "Optimisation en cours ...", kBalloonInfo, kBalloonSeconds);
  FreeBeforeBytes_ = sender.FreeMemory();
  // The account covers the whole series, as the amount recovered does.
  if (PassCount_ == 0) listsBefore_ = ReadMemoryLists ? ReadMemoryLists() : MemoryLists{};
  c_.statusBar.SetHint("");  // the last pass's account and steps, stale from now on
  c_.statusBar.SetPanelText(kProgressPanel, " optimisation en cours ... %");
  c_.optimiseButton.SetEnabled(false);
  c_.cancelButton.SetEnabled(true);
  c_.optimiseItem.Enabled = false;
  c_.cancelItem.Enabled = true;
  // After the first reading, so that what the clipboard held counts as recovered.
  if (options_.clipboard) EmptyClipboard();
}

void Recovery::OnPassProgress(MemoryEngine&, int progress) {
  c_.statusBar.SetGaugePosition(progress);
  c_.statusBar.SetPanelText(kProgressPanel,
                            " optimisation en cours ..." + std::to_string(progress) + " %");
}

void Recovery::OnPassFinished(MemoryEngine& sender) {
  if (AfterBlocksReleased) AfterBlocksReleased();
  ShowIdleCommands();
  FreeAfterBytes_ = sender.FreeMemory();
  const std::int64_t total = RecoveredTotalMB_ + RoundToMB(FreeAfterBytes_ - FreeBeforeBytes_);
  RecoveredTotalMB_ = static_cast<std::int32_t>(total < 0 ? 0 : total);
  const std::string amount = std::to_string(RecoveredTotalMB_);
  c_.statusBar.SetPanelText(kProgressPanel, " Quantité récupérée : " + amount + " Mo");
  c_.statusBar.SetGaugePosition(0);
  const std::string account =
      PassAccountText(listsBefore_, ReadMemoryLists ? ReadMemoryLists() : MemoryLists{});
  if (!account.empty()) {
    const std::string& steps = c_.statusBar.Hint();
    c_.statusBar.SetHint(steps.empty() ? " " + account : steps + "\r\n " + account);
  }
  if (options_.balloons && ShowBalloonHint)
    ShowBalloonHint(kBalloonTitle,
                    "Optimisation terminée!\n\rQuantité récupérée : " + amount + " Mo." +
                        (account.empty() ? "" : "\n\r" + account + "."),
                    kBalloonInfo, kBalloonSeconds);
  Optimising_ = false;
  ++PassCount_;
  if (PassesPerSeries() > PassCount_)
    RecoverRam();  // the next pass of the series, inside this handler
  else
    PassCount_ = 0;
}

void Recovery::OnMethodClick() {
  c_.manualAmountTrackBar.SetEnabled(options_.method == RecoveryMethod::Manual);
}

void Recovery::OnManualAmountChange() {
  const std::string position = std::to_string(options_.manualAmountMB);
  c_.manualAmountTrackBar.SetHint(position);
  c_.manualAmountValue.SetCaption(position + " MB");
}

void Recovery::ShowIdleCommands() {
  c_.cancelButton.SetEnabled(false);
  c_.optimiseButton.SetEnabled(true);
  c_.optimiseItem.Enabled = true;
  c_.cancelItem.Enabled = false;
}

}  // namespace kvn
