#include "chart/chart_window_win32.h"

#include <windowsx.h>

#include <cstring>

#include "base/startup_trace_win32.h"
#include "base/window_thunk_win32.h"
#include "ui/dispatch.h"

namespace kvn {

ChartWindow::ChartWindow(HistoryChart& chart) : chart_(chart) {
  memDC_.reset(CreateCompatibleDC(nullptr));
}

ChartWindow::~ChartWindow() {
  if (chart_.Painter() == this) chart_.AttachPainter(nullptr);
  ReleaseBitmap();
}

bool ChartWindow::RegisterClassOnce(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WindowThunk<&ChartWindow::WindowProc, &ui::ReportException>;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;  // every pixel comes from the back bitmap
  wc.lpszClassName = kClassName;
  return RegisterWindowClass(wc);
}

ChartWindow* ChartWindow::Create(HistoryChart& chart, HWND parent, int x, int y, int width,
                                 int height, int controlId) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterClassOnce(instance)) return nullptr;
  auto* peer = new ChartWindow(chart);
  // From WM_NCCREATE on, the window owns the peer and deletes it at WM_NCDESTROY.
  HWND hwnd = CreateWindowExW(
      0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, width, height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, peer);
  if (!hwnd) {
    if (!peer->hwnd_) delete peer;  // never reached WM_NCCREATE
    return nullptr;
  }
  chart.SetSize(width, height);
  chart.AttachPainter(peer);
  const StartupWork work("chart drawing");
  chart.DrawChartBackground();
  return peer;
}

ChartWindow* ChartWindowFromHandle(HWND hwnd) {
  wchar_t name[32] = {};
  if (!hwnd || !GetClassNameW(hwnd, name, 32) || lstrcmpW(name, ChartWindow::kClassName) != 0)
    return nullptr;
  return AttachedObject<ChartWindow>(hwnd);
}

LRESULT ChartWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) hwnd_ = hwnd;
  if (msg == WM_NCDESTROY) {
    delete this;  // the window owns its peer
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return HandleMessage(msg, wParam, lParam);
}

LRESULT ChartWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything; erasing first would flicker
    case WM_PAINT: {
      const StartupWork work("chart drawing");
      // Frames skipped while hidden are composed now, before the copy.
      if (chart_.FrameStale()) chart_.Redraw();
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      CopyTo(dc);
      if (GetFocus() == hwnd_) {
        // On the screen only: the frame itself stays as the chart composed it.
        RECT focus{0, 0, backWidth_, backHeight_};
        InflateRect(&focus, -1, -1);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_CONTEXTMENU: {
      // The menu key or Shift+F10 with the chart focused: the speed menu at its top left corner.
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (p.x == -1 && p.y == -1) {
        p = POINT{8, 8};
        ClientToScreen(hwnd_, &p);
      }
      ui::Fire(OnRightClick, static_cast<int>(p.x), static_cast<int>(p.y));
      return 0;
    }
    case WM_PRINTCLIENT:
      CopyTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      chart_.SetSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_GETOBJECT: {
      LRESULT answer = 0;
      if (accessible_.Answer(hwnd_, wParam, lParam, answer)) return answer;
      return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
    case WM_RBUTTONUP:
      if (OnRightClick) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd_, &p);
        ui::Fire(OnRightClick, static_cast<int>(p.x), static_cast<int>(p.y));
      }
      return 0;
    default:
      return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
}

void ChartWindow::CopyTo(HDC target) const {
  if (!bitmap_) return;
  BitBlt(target, 0, 0, backWidth_, backHeight_, memDC_.get(), 0, 0, SRCCOPY);
}

void ChartWindow::ReleaseBitmap() {
  selectedBitmap_.reset();  // the DC's own bitmap back before this one goes
  bitmap_.reset();
  bits_ = nullptr;
  backWidth_ = backHeight_ = 0;
}

void ChartWindow::SetBackSize(int width, int height) {
  if (bitmap_ && width == backWidth_ && height == backHeight_) return;
  ReleaseBitmap();
  if (!memDC_ || width <= 0 || height <= 0) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(memDC_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) return;
  selectedBitmap_.emplace(memDC_.get(), bitmap_.get());
  bits_ = static_cast<std::uint32_t*>(bits);
  backWidth_ = width;
  backHeight_ = height;
}

void ChartWindow::FillRect(int left, int top, int right, int bottom, ChartColorRef color) {
  if (!bitmap_) return;
  const GdiHandle<HBRUSH> brush(CreateSolidBrush(color));
  if (!brush) return;
  RECT r{left, top, right, bottom};
  ::FillRect(memDC_.get(), &r, brush.get());
}

void ChartWindow::Polyline(const std::vector<ChartPoint>& points, ChartColorRef color) {
  if (!bitmap_ || points.size() < 2) return;
  const GdiHandle<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  if (!pen) return;
  const ui::win32::SelectObjectScope selected(memDC_.get(), pen.get());  // put back before it goes
  if (!selected.Selected()) return;
  // One call for the whole curve: the same pixels as moving to the first point and drawing a
  // line to each next one, without a round trip per segment.
  polyPoints_.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) polyPoints_[i] = POINT{points[i].x, points[i].y};
  ::Polyline(memDC_.get(), polyPoints_.data(), static_cast<int>(polyPoints_.size()));
}

void ChartWindow::Present() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ChartWindow::Repaint() {
  Present();
}

bool ChartWindow::Visible() const {
  return hwnd_ && IsWindowVisible(hwnd_);
}

bool ChartWindow::RestoreBackground(const BackgroundKey& key) {
  const std::size_t pixels = static_cast<std::size_t>(backWidth_) * backHeight_;
  if (!bits_ || !(key == backgroundKey_) || background_.size() != pixels) return false;
  GdiFlush();
  std::memcpy(bits_, background_.data(), pixels * sizeof(std::uint32_t));
  return true;
}

void ChartWindow::SaveBackground(const BackgroundKey& key) {
  if (!bits_) return;
  GdiFlush();
  background_.assign(bits_, bits_ + static_cast<std::size_t>(backWidth_) * backHeight_);
  backgroundKey_ = key;
}

bool ChartWindow::AccessibleName(std::wstring& name) const {
  name = L"Historique de la RAM libre et de l'activité CPU";
  return true;
}

bool ChartWindow::AccessibleValue(std::wstring& value) const {
  // In the legend's words.
  const HistoryChart::Sample& last = chart_.LastSample();
  if (last.ram < 0) return false;
  wchar_t text[80];
  value.assign(text, wsprintfW(text, L"RAM libre %d %%, activité CPU %d %%, alarme RAM %d %%",
                               last.ram, last.cpu, chart_.AlarmLevel()));
  return true;
}

COLORREF ChartWindow::BackPixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= backWidth_ || y >= backHeight_) return CLR_INVALID;
  GdiFlush();
  const std::uint32_t p = bits_[static_cast<std::size_t>(y) * backWidth_ + x];  // 0x00RRGGBB
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

}  // namespace kvn
