#pragma once
// The recovery's controls as the form gives them, for the tests that drive a Recovery.
#include "control/recovery.h"

namespace kvn {

struct RecoveryControlSet {
  ui::TrackBar manualAmountTrackBar;
  ui::Label manualAmountValue;
  ui::Button optimiseButton, cancelButton;
  ui::MenuItem optimiseItem{"optimiseItem", "&Optimiser la RAM"};
  ui::MenuItem cancelItem{"cancelItem", "&Annuler"};
  ui::StatusBar statusBar;

  RecoveryControls Bundle() {
    return {.manualAmountTrackBar = manualAmountTrackBar,
            .manualAmountValue = manualAmountValue,
            .optimiseButton = optimiseButton,
            .cancelButton = cancelButton,
            .optimiseItem = optimiseItem,
            .cancelItem = cancelItem,
            .statusBar = statusBar};
  }
};

}  // namespace kvn
