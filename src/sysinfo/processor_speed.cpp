// The processor clock: time-stamp counter cycles over performance-counter time.
#include <cmath>
#include <stdexcept>

#include "sysinfo/cpu_library.h"

namespace kvn {

double CpuSpeedThread::Measure(ICpuClock& clock) {
  double mhz = 0;
  clock.RunTimeCritical([&] {
    const std::uint64_t cycles0 = clock.ReadTimeStampCounter();
    const std::int64_t counter0 = clock.ReadPerformanceCounter();
    const std::uint32_t tick0 = clock.TickCount();
    // Spin until the tick count has moved by 5 ms. A tick count that never moves must not hang
    // the window: a full second of performance counter ends the wait as well.
    const std::int64_t frequency0 = clock.PerformanceFrequency();
    while (clock.TickCount() - tick0 < 5) {
      if (frequency0 > 0 && clock.ReadPerformanceCounter() - counter0 >= frequency0) break;
    }
    const std::uint64_t cycles1 = clock.ReadTimeStampCounter();
    const std::int64_t counter1 = clock.ReadPerformanceCounter();
    const std::int64_t frequency = clock.PerformanceFrequency();
    if (frequency <= 0 || counter1 <= counter0) return;  // no time measured: no clock
    const double seconds =
        static_cast<double>(counter1 - counter0) / static_cast<double>(frequency);
    mhz = static_cast<double>(cycles1 - cycles0) / seconds / 1000000.0;
  });
  return mhz;
}

std::uint32_t NormaliseSpeed(std::uint32_t rawSpeed) {
  static constexpr int kSpeedGrid[12] = {0, 17, 20, 33, 50, 60, 66, 67, 80, 83, 90, 100};
  const int r = static_cast<int>(rawSpeed % 100);
  for (int i = 1; i < 12; ++i) {
    if (r >= kSpeedGrid[i]) continue;
    const int lo = kSpeedGrid[i - 1], hi = kSpeedGrid[i];
    const std::int64_t speed =
        static_cast<std::int64_t>(rawSpeed) + (r - lo < hi - r ? lo - r : hi - r);
    return static_cast<std::uint32_t>(speed);
  }
  return rawSpeed;  // not reached: r is below 100
}

std::uint32_t ProcessorSpeedInformation::RawSpeed() const {
  ICpuClock* clock = library_->Clock();
  if (!clock) throw std::runtime_error("The processor clock cannot be measured here");
  const double mhz = CpuSpeedThread::Measure(*clock);
  if (!(mhz > 0)) return 0;
  if (mhz >= 4294967295.0) return 4294967295u;
  return static_cast<std::uint32_t>(std::trunc(mhz));
}

}  // namespace kvn
