#pragma once
// Rounding used everywhere a value is "rounded": to the nearest whole number, halves to the even
// neighbour (12.5 -> 12, 13.5 -> 14). Truncation toward zero is always written out explicitly.
#include <cmath>
#include <cstdint>

namespace kvn {

inline std::int64_t RoundHalfEven(long double value) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-even by default;
  // rounding by hand keeps the result independent of whatever a driver or DLL left in the FPU.
  long double floorValue = std::floor(value);
  long double diff = value - floorValue;
  std::int64_t base = static_cast<std::int64_t>(floorValue);
  if (diff > 0.5L) return base + 1;
  if (diff < 0.5L) return base;
  return (base % 2 == 0) ? base : base + 1;
}

// A byte count in whole megabytes (1,048,576 bytes), rounded halves to even; signed amounts too.
inline std::int64_t RoundToMB(std::int64_t bytes) {
  return RoundHalfEven(static_cast<long double>(bytes) / 1024.0L / 1024.0L);
}

}  // namespace kvn
