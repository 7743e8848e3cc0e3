#pragma once
// CPUID dump lines built in code, and a clock whose time moves only when it is read.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "sysinfo/cpuid_source.h"

namespace kvn::fakes {

inline std::string Leaf(std::uint32_t leaf, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                        std::uint32_t d) {
  char line[80];
  std::snprintf(line, sizeof line, "CPUID %08X: %08X-%08X-%08X-%08X\n", leaf, a, b, c, d);
  return line;
}

// One sub-leaf of a leaf, tagged as the dumps tag it.
inline std::string SubLeaf(std::uint32_t leaf, std::uint32_t subLeaf, std::uint32_t a,
                           std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  char tag[24];
  std::snprintf(tag, sizeof tag, " [SL %02X]\n", subLeaf);
  std::string line = Leaf(leaf, a, b, c, d);
  return line.replace(line.size() - 1, 1, tag);
}

// Leaf 0 with a vendor string spread over EBX, EDX, ECX.
inline std::string Vendor(std::uint32_t maxLeaf, const char (&vendor)[13]) {
  auto reg = [&](int at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value |= std::uint32_t{static_cast<unsigned char>(vendor[at + i])} << (8 * i);
    return value;
  };
  return Leaf(0, maxLeaf, reg(0), reg(8), reg(4));
}

// Time moves 1 ms per tick-count read; the counters follow it.
class FakeClock : public ICpuClock {
 public:
  explicit FakeClock(std::int64_t tenthsOfMhz) : tenthsOfMhz_(tenthsOfMhz) {}
  std::uint64_t ReadTimeStampCounter() override {
    return static_cast<std::uint64_t>(micros_ * tenthsOfMhz_ / 10);
  }
  std::int64_t ReadPerformanceCounter() override {
    if (stuckTicks) micros_ += 1000;
    return micros_;
  }
  std::int64_t PerformanceFrequency() override { return frequency; }
  std::uint32_t TickCount() override {
    if (!stuckTicks) micros_ += 1000;
    return static_cast<std::uint32_t>(micros_ / 1000);
  }
  void RunTimeCritical(const std::function<void()>& job) override {
    ++threads;
    job();
  }
  std::int64_t frequency = 1000000;
  bool stuckTicks = false;
  int threads = 0;

 private:
  std::int64_t tenthsOfMhz_;
  std::int64_t micros_ = 4294967294LL * 1000;  // the tick count wraps during the wait
};

}  // namespace kvn::fakes
