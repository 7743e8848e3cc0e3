#include "ui/win32/color_ref.h"

namespace kvn::ui::win32 {

COLORREF ToColorRef(Color c, int systemColor) {
  if (c == kDefaultColor || c == kNoColor) return GetSysColor(systemColor);
  if (c & 0x80000000u) return GetSysColor(static_cast<int>(c & 0xFFu));
  return static_cast<COLORREF>(c & 0x00FFFFFFu);
}

}  // namespace kvn::ui::win32
