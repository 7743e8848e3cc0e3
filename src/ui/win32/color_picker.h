#pragma once
// The colour dialog of Windows behind ColorDialog::Execute.
#include <windows.h>

#include "ui/components.h"

namespace kvn::ui::win32 {

class Win32ColorPicker : public ColorPicker {
 public:
  bool Pick(Color& color, void* ownerWindow) override;

 private:
  COLORREF custom_[16] = {};  // the dialog's custom colours, kept for the whole run
};

}  // namespace kvn::ui::win32
