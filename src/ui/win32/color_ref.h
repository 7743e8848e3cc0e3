#pragma once
// The toolkit's colours as Windows draws them.
#include <windows.h>

#include "ui/control.h"

namespace kvn::ui::win32 {

// A colour as plain RGB: kDefaultColor and kNoColor give the system colour `systemColor`
// (COLOR_*), a system colour reference (clBtnFace..., the high bit set over its index) is looked
// up, anything else is taken as 0x00BBGGRR.
COLORREF ToColorRef(Color c, int systemColor);

}  // namespace kvn::ui::win32
