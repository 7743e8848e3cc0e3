#pragma once
// What the fuzz loops check of a set of options, whatever produced it.
#include <cstdint>
#include <string>
#include <tuple>

#include "settings/exclusions.h"
#include "settings/options.h"

namespace kvn::fuzz {

// Every option, to compare two sets.
inline auto Tied(const Options& o) {
  return std::tie(o.method, o.manualAmountMB, o.repetitions, o.clipboard, o.balloons, o.directSteps,
                  o.hotKey, o.alarmOn, o.alarmPercent, o.periodicOn, o.periodicMinutes,
                  o.maximumLoad, o.optimiseAtStart, o.samplingIntervalMs, o.trayMode, o.opacity,
                  o.stayOnTop, o.startWithWindows, o.priority, o.unloadDlls, o.purgeStandby,
                  o.purgeStandbyPercent, o.exclusions, o.exclusionsPauseAuto);
}

// Empty when the options keep their limits (the manual amount within maxAmountMB), else what
// broke.
inline std::string BrokenLimit(const Options& o, std::int64_t maxAmountMB) {
  const auto in = [](std::int64_t v, std::int64_t low, std::int64_t high) {
    return v >= low && v <= high;
  };
  if (!in(static_cast<int>(o.method), 1, 3)) return "method";
  if (!in(o.manualAmountMB, 0, maxAmountMB)) return "manual amount";
  if (!in(o.repetitions, 0, 4)) return "repetitions";
  if (!in(o.alarmPercent, 0, 100)) return "alarm percent";
  if (!in(o.periodicMinutes, 5, 1440)) return "periodic minutes";
  if (!in(o.maximumLoad, 0, 100)) return "maximum load";
  if (o.samplingIntervalMs != 500 && o.samplingIntervalMs != 1000 && o.samplingIntervalMs != 2000)
    return "sampling interval";
  if (!in(o.trayMode, -1, 1)) return "tray mode";
  if (!in(o.opacity, 70, 255)) return "opacity";
  if (!in(o.priority, -1, 3)) return "priority";
  if (!in(o.purgeStandbyPercent, 5, 95)) return "purge percent";
  if (o.exclusions.size() > kMaxExclusions || CleanExclusions(o.exclusions) != o.exclusions)
    return "excluded programs";
  return {};
}

}  // namespace kvn::fuzz
