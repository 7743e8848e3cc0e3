#pragma once
// Screenshots for window tests: a window as it shows on the (virtual) screen, saved as a BMP in
// the build's screenshot folder for a person to look at.
#include <windows.h>

#include <string>
#include <vector>

namespace kvn::testing {

// A window as the screen showed it, frame included.
struct WindowShot {
  std::string path;              // where the BMP went; empty when none could be written
  RECT screen{};                 // the rectangle taken, in screen coordinates
  std::vector<COLORREF> pixels;  // top row first; empty when nothing could be read
  // How many colours the part of rect (screen coordinates) inside the shot shows.
  int ColoursIn(RECT rect) const;
};

// Repaints the window, lets pending messages run, then copies its on-screen rectangle (frame
// included) to KORVANE_SHOT_DIR/<name>.bmp (<name>_<dpi>dpi.bmp when the screen is not at 96
// DPI), and keeps its pixels for the test to look at.
WindowShot TakeWindowShot(HWND hwnd, const std::string& name);
inline std::string SaveWindowShot(HWND hwnd, const std::string& name) {
  return TakeWindowShot(hwnd, name).path;
}
// What the shot shows wrong: the window in one colour, or a visible child window with a caption
// whose area shows one colour (its text never drawn, or drawn over). Empty when none.
std::vector<std::string> BlankPartsOf(HWND hwnd, const WindowShot& shot);

// The screen's DPI as this program sees it (96 unless Wine's LogPixels says otherwise).
int ScreenDpi();

// Lets posted and paint messages run for about `ms` milliseconds.
void PumpMessages(unsigned ms = 50);

// Puts the pointer at (x, y) and waits until it stays there: under Wine the X server's report of
// an earlier move can arrive after a warp and put the pointer back. False if it never stayed.
bool MovePointerTo(int x, int y);

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
