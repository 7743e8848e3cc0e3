#include "gui/screenshot.h"

#include <fstream>
#include <string>
#include <vector>

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

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi;
}

std::string SaveWindowShot(HWND hwnd, const std::string& name) {
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(300);
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return {};

  // From the screen: what the user sees, child windows and frame included.
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files store it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  const int lines = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (lines != height) return {};

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  // Shots at another DPI sit beside those at 96 rather than over them.
  const int dpi = ScreenDpi();
  const std::string suffix = dpi == 96 ? std::string() : "_" + std::to_string(dpi) + "dpi";
  const std::string path = std::string(KORVANE_SHOT_DIR) + "/" + name + suffix + ".bmp";
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out ? path : std::string();
}

}  // namespace kvn::testing
