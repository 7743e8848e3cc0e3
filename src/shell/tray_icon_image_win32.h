#pragma once
// Drawing the tray icon's text image with GDI. Every GDI object and DC lives in an owner that
// releases it on every path, so a text update can run for months without leaking.
#include <windows.h>

#include "shell/tray_icon.h"
#include "ui/win32/gdi_handles.h"

namespace kvn {

using ui::win32::IconHandle;

// The icon for the image, at the system's small-icon size (16 x 16 at 96 DPI); empty when GDI
// refuses (the shell then gets no icon).
IconHandle RenderTrayTextIcon(const TrayTextImage& image);

}  // namespace kvn
