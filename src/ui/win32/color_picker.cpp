#include "ui/win32/color_picker.h"

#include <commdlg.h>

namespace kvn::ui::win32 {

bool Win32ColorPicker::Pick(Color& color, void* ownerWindow) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = static_cast<HWND>(ownerWindow);
  choose.rgbResult = static_cast<COLORREF>(color & 0x00FFFFFFu);
  choose.lpCustColors = custom_;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return false;  // cancelled (or the dialog failed): no change
  color = choose.rgbResult;
  return true;
}

}  // namespace kvn::ui::win32
