#pragma once
// The colour dialog of Windows behind ColorDialog::Execute.
#include <windows.h>

#include <string_view>

#include "ui/components.h"

namespace kvn::ui::win32 {

class Win32ColorPicker : public ColorPicker {
 public:
  bool Pick(Color& color, void* ownerWindow) override;
  // Told when the system has no colour dialog; the pick then changes nothing, as a cancel does.
  void (*WriteLog)(std::string_view line) = nullptr;

 private:
  COLORREF custom_[16] = {};  // the dialog's custom colours, kept for the whole run
};

}  // namespace kvn::ui::win32
