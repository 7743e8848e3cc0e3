#include "ui/win32/color_picker.h"

#include "base/system_functions_win32.h"

namespace kvn::ui::win32 {

bool Win32ColorPicker::Pick(Color& color, void* ownerWindow) {
  // comdlg32.dll comes with the first pick, not with the program.
  const auto chooseColor = Comdlg32().ChooseColorW;
  if (!chooseColor) {
    if (WriteLog) WriteLog("Boîte de dialogue des couleurs indisponible (comdlg32.dll)");
    return false;
  }
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = static_cast<HWND>(ownerWindow);
  choose.rgbResult = static_cast<COLORREF>(color & 0x00FFFFFFu);
  choose.lpCustColors = custom_;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!chooseColor(&choose)) return false;  // cancelled (or the dialog failed): no change
  color = choose.rgbResult;
  return true;
}

}  // namespace kvn::ui::win32
