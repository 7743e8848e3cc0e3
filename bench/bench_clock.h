#pragma once
// The benchmarks' clock: the performance counter, in milliseconds since an arbitrary origin.
#include <windows.h>

namespace kvn::bench {

inline double ClockMs() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace kvn::bench
