#include "control/memory_lists.h"

#include <algorithm>

#include "base/rounding.h"

namespace kvn {

namespace {

constexpr std::size_t kTrayTipMax = 127;  // UTF-16 units the notification area keeps

std::int64_t Part(const MemoryListParts& parts, MemoryListPart part, bool& known) {
  known = known && parts.known[static_cast<int>(part)];
  return parts.bytes[static_cast<int>(part)];
}

std::string Signed(std::int64_t mb) {
  return (mb > 0 ? "+" : "") + std::to_string(mb) + " Mo";
}

std::size_t Utf16Units(const std::string& text) {
  std::size_t units = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
  return units;
}

}  // namespace

MemoryLists ListsFromParts(const MemoryListParts& parts) {
  MemoryLists lists;
  bool known = true;
  const std::int64_t standby = Part(parts, MemoryListPart::StandbyReserve, known) +
                               Part(parts, MemoryListPart::StandbyNormal, known) +
                               Part(parts, MemoryListPart::StandbyCore, known);
  if (known) lists.standby = standby;
  if (parts.known[static_cast<int>(MemoryListPart::Modified)])
    lists.modified = parts.bytes[static_cast<int>(MemoryListPart::Modified)];
  if (parts.known[static_cast<int>(MemoryListPart::FreeZero)])
    lists.freeZero = parts.bytes[static_cast<int>(MemoryListPart::FreeZero)];
  return lists;
}

std::string MemoryListsText(const MemoryLists& lists) {
  std::string text;
  const auto add = [&text](const char* name, const std::optional<std::int64_t>& bytes) {
    if (!bytes) return;
    text += (text.empty() ? "" : ", ") + std::string(name) + " : " +
            std::to_string(RoundToMB(*bytes)) + " Mo";
  };
  add("en attente", lists.standby);
  add("modifiée", lists.modified);
  add("libre", lists.freeZero);
  if (!text.empty()) text[0] = static_cast<char>(text[0] - 'a' + 'A');  // each name starts a-z
  return text;
}

std::string PassAccountText(const MemoryLists& before, const MemoryLists& after) {
  std::string text;
  if (before.standby && after.standby)
    text = "cache en attente " + Signed(RoundToMB(*after.standby - *before.standby));
  const auto outside = [](const MemoryLists& l) -> std::optional<std::int64_t> {
    if (!l.standby || !l.modified || !l.freeZero) return std::nullopt;
    return *l.standby + *l.modified + *l.freeZero;
  };
  // Pages not in any working set sit on one of the three lists: what the lists gained together
  // is what the working sets (the system's own included) gave up.
  if (const auto b = outside(before), a = outside(after); a && b)
    text += (text.empty() ? "" : ", ") + std::string("working sets ") + Signed(RoundToMB(*b - *a));
  return text.empty() ? text : "Provenance : " + text;
}

std::string TrayTipWithLists(const std::string& tip, const std::string& lists) {
  if (lists.empty() || Utf16Units(tip) + 1 + Utf16Units(lists) > kTrayTipMax) return tip;
  return tip + "\n" + lists;
}

void MemoryListReader::FindCounters() {
  if (state_.load() != kPending) return;
  std::vector<std::uint8_t> names;
  // The lists came with Vista: an older release names none of them, and its table is not read.
  if (platform_.MajorVersion() >= 6 && platform_.ReadCounterNames(names))
    counters_ = FindMemoryListCounters(names.data(), names.size());
  state_.store(counters_.empty() ? kAbsent : kFound);
}

MemoryLists MemoryListReader::Read() {
  if (!Available()) return {};
  if (buffer_.empty()) buffer_.resize(kInitialBufferSize);
  std::uint32_t size = static_cast<std::uint32_t>(buffer_.size());
  long answer = platform_.QueryMemoryObject(buffer_.data(), size);
  while (answer == MemoryListPlatform::kErrorMoreData && buffer_.size() < kMaxBufferSize) {
    buffer_.resize(buffer_.size() * 2);
    size = static_cast<std::uint32_t>(buffer_.size());
    answer = platform_.QueryMemoryObject(buffer_.data(), size);
  }
  MemoryListParts parts;
  if (answer != 0 || !ParseMemoryObject(buffer_.data(), std::min<std::size_t>(size, buffer_.size()),
                                        counters_, parts))
    return {};
  return ListsFromParts(parts);
}

bool StandbyPurgeRule::Due(const Facts& f) {
  if (!f.on || !f.privilegeHeld || f.passRunning || f.totalBytes <= 0) return false;
  if (!f.lists.standby || !f.lists.freeZero) return false;
  if (purged_ && f.nowMs - lastMs_ < kMinimumGapMs) return false;
  // In whole bytes, so that no rounding makes the rule fire a hair below its threshold. The free
  // memory is the free-and-zero list: what the program shows as free counts the standby cache in,
  // and could never be low while the cache is large.
  const long double total = static_cast<long double>(f.totalBytes);
  const bool cacheAbove = *f.lists.standby * 100.0L > total * f.thresholdPercent;
  const bool freeBelow = *f.lists.freeZero * 100.0L < total * f.alarmPercent;
  if (!cacheAbove || !freeBelow) return false;
  purged_ = true;
  lastMs_ = f.nowMs;
  return true;
}

}  // namespace kvn
