#include "ui/win32/high_contrast.h"

#include <windows.h>

namespace kvn::ui::win32 {

namespace {

bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool (*query_)() = &SystemHighContrast;
int state_ = -1;  // not read yet

}  // namespace

bool HighContrast() {
  if (state_ < 0) state_ = query_() ? 1 : 0;
  return state_ == 1;
}

bool ReadHighContrast() {
  const int before = state_;
  state_ = query_() ? 1 : 0;
  return state_ != before;
}

void SetHighContrastQuery(bool (*query)()) {
  query_ = query ? query : &SystemHighContrast;
  state_ = -1;
}

}  // namespace kvn::ui::win32
