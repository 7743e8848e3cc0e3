#pragma once
// Screenshots for window tests: a window as it shows on the (virtual) screen, saved as a BMP in
// the build's screenshot folder for a person to look at.
#include <windows.h>

#include <string>

namespace kvn::testing {

// Repaints the window, lets pending messages run, then copies its on-screen rectangle (frame
// included) to KORVANE_SHOT_DIR/<name>.bmp (<name>_<dpi>dpi.bmp when the screen is not at 96
// DPI). Returns the path, or an empty string on failure.
std::string SaveWindowShot(HWND hwnd, const std::string& name);

// The screen's DPI as this program sees it (96 unless Wine's LogPixels says otherwise).
int ScreenDpi();

// Lets posted and paint messages run for about `ms` milliseconds.
void PumpMessages(unsigned ms = 50);

// The header of a 32-bit device-independent bitmap of width x height whose first row is the top
// one, as pixels are read back for comparison.
inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

}  // namespace kvn::testing
