#pragma once
// The standby cache, the modified page list and the free-and-zero page list as Windows counts
// them (Vista and later), read from the performance data with the load sampler's reader; the
// texts that show them, the account of a recovery series, and the rule that purges the standby
// list above a share of the installed memory.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/perf_data.h"

namespace kvn {

// Bytes on each list; a list is missing where Windows does not count it.
struct MemoryLists {
  std::optional<std::int64_t> standby;  // reserve + normal priority + core
  std::optional<std::int64_t> modified;
  std::optional<std::int64_t> freeZero;
  bool Any() const { return standby || modified || freeZero; }
};

// The lists out of the memory object's parts: the standby cache only when its three parts are
// there (two of them would understate it).
MemoryLists ListsFromParts(const MemoryListParts& parts);

// "En attente : 5120 Mo, modifiée : 210 Mo, libre : 830 Mo", the missing lists left out; empty
// when there is none.
std::string MemoryListsText(const MemoryLists& lists);

// Where a series' memory came from, between the readings before its first pass and after its
// last: "Provenance : cache en attente -1200 Mo, working sets -300 Mo". The working sets gave
// what the three lists gained together; each part needs the lists it is computed from.
std::string PassAccountText(const MemoryLists& before, const MemoryLists& after);

// The tray tip with the lists on a line of their own, when that fits the tip's 127 characters;
// the tip alone otherwise.
std::string TrayTipWithLists(const std::string& tip, const std::string& lists);

class MemoryListPlatform {
 public:
  static constexpr long kErrorMoreData = 234;
  virtual ~MemoryListPlatform() = default;
  // The Windows major version, 0 when unknown.
  virtual unsigned MajorVersion() = 0;
  // HKEY_PERFORMANCE_DATA "Counter 009", the English name table; false when it cannot be read.
  virtual bool ReadCounterNames(std::vector<std::uint8_t>& names) = 0;
  // HKEY_PERFORMANCE_DATA "4" into buffer, size in and out; the system's answer.
  virtual long QueryMemoryObject(std::uint8_t* buffer, std::uint32_t& size) = 0;
};

class MemoryListReader {
 public:
  static constexpr std::uint32_t kInitialBufferSize = 4096;
  static constexpr std::uint32_t kMaxBufferSize = 1u << 20;

  explicit MemoryListReader(MemoryListPlatform& platform) : platform_(platform) {}
  MemoryListReader(const MemoryListReader&) = delete;
  MemoryListReader& operator=(const MemoryListReader&) = delete;

  // Looks the counters up in the name table, once: slow (the table is large), so the program runs
  // it away from the window's thread. Read answers nothing until it is done.
  void FindCounters();
  // A fresh reading; nothing before Vista, where the counters are not named (Wine), or while
  // FindCounters has not finished.
  MemoryLists Read();
  // The counters were found: the lists can be read.
  bool Available() const { return state_.load() == kFound; }

 private:
  enum State { kPending, kFound, kAbsent };
  MemoryListPlatform& platform_;
  std::atomic<int> state_{kPending};
  std::vector<MemoryListCounter> counters_;  // written once, before state_ says kFound
  std::vector<std::uint8_t> buffer_;
};

// "Vider le cache en attente au-dessus de N %": purge the standby list when it holds more than N %
// of the installed memory while the free-and-zero list is below the alarm level, at most once a
// minute, and only where the program holds the privilege the purge needs.
class StandbyPurgeRule {
 public:
  static constexpr std::uint32_t kMinimumGapMs = 60000;
  struct Facts {
    bool on = false;
    int thresholdPercent = 0;
    int alarmPercent = 0;
    bool privilegeHeld = false;
    bool passRunning = false;  // the direct steps use the same privilege meanwhile
    std::int64_t totalBytes = 0;
    MemoryLists lists;
    std::uint32_t nowMs = 0;  // a millisecond tick count (it wraps round)
  };
  // True when the purge is due now; it then counts as done at nowMs.
  bool Due(const Facts& facts);

 private:
  bool purged_ = false;
  std::uint32_t lastMs_ = 0;
};

}  // namespace kvn
