#include "ui/dpi.h"

#include <cstdint>

namespace kvn::ui {

namespace {
// value * num / den in 64 bits, rounded to the nearest, halves away from zero.
int MulDivRound(int value, int num, int den) {
  const std::int64_t product = static_cast<std::int64_t>(value) * num;
  const std::int64_t half = den / 2;
  const std::int64_t q = product >= 0 ? (product + half) / den : (product - half) / den;
  return static_cast<int>(q);
}
}  // namespace

int SaneDpi(int dpi) {
  // Windows offers 96 to 480 (500 %); anything outside is a failed call, not a screen.
  return dpi >= 48 && dpi <= 960 ? dpi : kDesignDpi;
}

int ScaleToDpi(int value, int dpi) {
  dpi = SaneDpi(dpi);
  return dpi == kDesignDpi ? value : MulDivRound(value, dpi, kDesignDpi);
}

int UnscaleFromDpi(int value, int dpi) {
  dpi = SaneDpi(dpi);
  return dpi == kDesignDpi ? value : MulDivRound(value, kDesignDpi, dpi);
}

Rect ScaleRectToDpi(const Rect& r, int dpi) {
  const int left = ScaleToDpi(r.x, dpi), top = ScaleToDpi(r.y, dpi);
  const int right = ScaleToDpi(r.x + r.width, dpi), bottom = ScaleToDpi(r.y + r.height, dpi);
  return Rect{left, top, right - left, bottom - top};
}

}  // namespace kvn::ui
