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

}  // namespace kvn::testing
