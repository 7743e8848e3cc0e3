#include "gui/screenshot.h"

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "base/text_win32.h"

#ifndef KORVANE_SHOT_DIR
#define KORVANE_SHOT_DIR "."
#endif

namespace kvn::testing {

void PumpMessages(unsigned ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

bool MovePointerTo(int x, int y) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    SetCursorPos(x, y);
    bool there = true;
    for (int look = 0; look < 3 && there; ++look) {
      PumpMessages(15);
      POINT at{};
      there = GetCursorPos(&at) && at.x == x && at.y == y;
    }
    if (there) return true;
  }
  return false;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi;
}

WindowShot TakeWindowShot(HWND hwnd, const std::string& name) {
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(300);
  WindowShot shot;
  RECT& r = shot.screen;
  GetWindowRect(hwnd, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return shot;

  // From the screen: what the user sees, child windows and frame included.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO top = TopDownBitmapInfo(width, height);
  std::vector<RGBQUAD> quads(static_cast<size_t>(width) * height);
  const bool read =
      GetDIBits(memory, bitmap, 0, height, quads.data(), &top, DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return shot;
  for (const RGBQUAD& q : quads) shot.pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));

  // The file: 24 bits, bottom-up, as BMP files store it.
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const RGBQUAD& q = quads[static_cast<size_t>(y) * width + x];
      char* p = &pixels[static_cast<size_t>(height - 1 - y) * stride + x * 3];
      p[0] = static_cast<char>(q.rgbBlue);
      p[1] = static_cast<char>(q.rgbGreen);
      p[2] = static_cast<char>(q.rgbRed);
    }
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  // Shots at another DPI, or from the 64-bit Windows run, sit beside the others rather than over
  // them.
  const int dpi = ScreenDpi();
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const std::string suffix =
      (dpi == 96 ? std::string() : "_" + std::to_string(dpi) + "dpi") + (wow64 ? "_win64" : "");
  const std::string path = std::string(KORVANE_SHOT_DIR) + "/" + name + suffix + ".bmp";
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  if (out) shot.path = path;
  return shot;
}

int WindowShot::ColoursIn(RECT rect) const {
  RECT part{};
  if (pixels.empty() || !IntersectRect(&part, &rect, &screen)) return 0;
  const int width = screen.right - screen.left;
  std::set<COLORREF> colours;
  for (int y = part.top; y < part.bottom; ++y)
    for (int x = part.left; x < part.right; ++x)
      colours.insert(pixels[static_cast<size_t>(y - screen.top) * width + (x - screen.left)]);
  return static_cast<int>(colours.size());
}

namespace {

void CollectBlankChildren(HWND parent, const WindowShot& shot, std::vector<std::string>& blank) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    const std::wstring caption(text);
    RECT r{};
    GetWindowRect(child, &r);
    if (IsWindowVisible(child) && caption.find_first_not_of(L" &") != std::wstring::npos &&
        shot.ColoursIn(r) == 1)
      blank.push_back(Narrow(caption));
    CollectBlankChildren(child, shot, blank);
  }
}

}  // namespace

std::vector<std::string> BlankPartsOf(HWND hwnd, const WindowShot& shot) {
  std::vector<std::string> blank;
  if (shot.ColoursIn(shot.screen) < 2) blank.push_back("the whole window");
  CollectBlankChildren(hwnd, shot, blank);
  return blank;
}

}  // namespace kvn::testing
