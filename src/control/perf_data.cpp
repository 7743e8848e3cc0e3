#include "control/perf_data.h"

#include <cstring>

namespace kvn {

namespace {

using namespace perf_layout;

// Bounds-checked little-endian reads. Positions are 64-bit so that an offset near 4 GB added to
// another cannot wrap round on a 32-bit build.
class BlockReader {
 public:
  BlockReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Fits(std::uint64_t pos, std::uint64_t length) const {
    return pos <= size_ && length <= size_ - pos;
  }
  std::uint32_t U32(std::uint64_t pos) const {
    std::uint32_t v;
    std::memcpy(&v, data_ + pos, sizeof v);
    return v;
  }
  std::int64_t I64(std::uint64_t pos) const {
    std::int64_t v;
    std::memcpy(&v, data_ + pos, sizeof v);
    return v;
  }
  std::uint16_t U16(std::uint64_t pos) const {
    std::uint16_t v;
    std::memcpy(&v, data_ + pos, sizeof v);
    return v;
  }
  std::size_t Size() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

[[noreturn]] void NoObject() {
  throw LoadSamplingError(kNoProcessorObjectMessage);
}
[[noreturn]] void NoCounter() {
  throw LoadSamplingError(kNoUsageCounterMessage);
}

// Finds an object by its title index; returns its position, or 0 (where no object can start).
std::uint64_t FindObject(const BlockReader& r, std::uint32_t titleIndex) {
  if (!r.Fits(0, kBlockSize)) return 0;
  std::uint64_t pos = r.U32(kBlockHeaderLength);
  const std::uint32_t numObjects = r.U32(kBlockNumObjectTypes);
  for (std::uint32_t k = 0; k < numObjects; ++k) {
    if (pos == 0 || !r.Fits(pos, kObjSize)) break;
    if (r.U32(pos + kObjNameTitleIndex) == titleIndex) return pos;
    const std::uint32_t length = r.U32(pos + kObjTotalByteLength);
    if (length == 0) break;  // would stay on the same object for ever
    pos += length;
  }
  return 0;
}

std::uint64_t FindProcessorObject(const BlockReader& r) {
  if (const std::uint64_t pos = FindObject(r, kProcessorObjectIndex)) return pos;
  NoObject();
}

// The English names of the parts, as the counter name table spells them.
struct PartName {
  const char* name;
  MemoryListPart part;
};
constexpr PartName kPartNames[] = {
    {"Standby Cache Reserve Bytes", MemoryListPart::StandbyReserve},
    {"Standby Cache Normal Priority Bytes", MemoryListPart::StandbyNormal},
    {"Standby Cache Core Bytes", MemoryListPart::StandbyCore},
    {"Modified Page List Bytes", MemoryListPart::Modified},
    {"Free & Zero Page List Bytes", MemoryListPart::FreeZero},
};

// One UTF-16 string of the table from pos, up to its zero (or the table's end); pos moves past it.
std::u16string NextName(const std::uint8_t* data, std::size_t units, std::size_t& pos) {
  std::u16string text;
  while (pos < units) {
    char16_t c;
    std::memcpy(&c, data + pos * 2, 2);
    ++pos;
    if (c == 0) break;
    // No name of interest is longer: the rest of an overlong string is skipped, not kept.
    if (text.size() < 64) text.push_back(c);
  }
  return text;
}

bool SameAscii(const std::u16string& text, const char* ascii) {
  std::size_t i = 0;
  for (; ascii[i]; ++i)
    if (i >= text.size() || text[i] != static_cast<unsigned char>(ascii[i])) return false;
  return i == text.size();
}

// A decimal index of at most nine digits; 0 (no counter has it) for anything else.
std::uint32_t IndexOf(const std::u16string& text) {
  if (text.empty() || text.size() > 9) return 0;
  std::uint32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

// Finds counter 6 among the object's definitions; returns its CounterOffset.
std::uint32_t FindIdleCounterOffset(const BlockReader& r, std::uint64_t object) {
  std::uint64_t pos = object + r.U32(object + kObjHeaderLength);
  const std::uint32_t numCounters = r.U32(object + kObjNumCounters);
  for (std::uint32_t k = 0; k < numCounters; ++k) {
    if (!r.Fits(pos, kCtrSize)) break;
    if (r.U32(pos + kCtrNameTitleIndex) == kProcessorTimeCounterIndex)
      return r.U32(pos + kCtrCounterOffset);
    const std::uint32_t length = r.U32(pos + kCtrByteLength);
    if (length == 0) break;
    pos += length;
  }
  NoCounter();
}

}  // namespace

ProcessorObjectData ParseProcessorObject(const std::uint8_t* data, std::size_t size,
                                         std::int32_t instancesToRead) {
  const BlockReader r(data, data ? size : 0);
  const std::uint64_t object = FindProcessorObject(r);

  ProcessorObjectData result;
  result.numInstances = static_cast<std::int32_t>(r.U32(object + kObjNumInstances));
  std::int32_t count = instancesToRead;
  if (count < 0) {
    // A processor object without instances (or claiming more than the block can hold) is not
    // one this program can read.
    if (result.numInstances <= 0) NoObject();
    count = result.numInstances;
  }
  if (count > result.numInstances ||
      static_cast<std::uint64_t>(count) > r.Size() / (kInstSize + kCounterBlockSize))
    NoCounter();

  const std::uint32_t counterOffset = FindIdleCounterOffset(r, object);

  result.idleTimes.reserve(static_cast<std::size_t>(count));
  std::uint64_t instance = object + r.U32(object + kObjDefinitionLength);
  for (std::int32_t i = 0; i < count; ++i) {
    if (!r.Fits(instance, kInstSize)) NoCounter();
    const std::uint32_t instanceLength = r.U32(instance + kInstByteLength);
    if (instanceLength < kInstSize) NoCounter();
    const std::uint64_t block = instance + instanceLength;
    if (!r.Fits(block, kCounterBlockSize)) NoCounter();
    const std::uint32_t blockLength = r.U32(block);
    if (blockLength < kCounterBlockSize || !r.Fits(block, blockLength)) NoCounter();
    if (std::uint64_t{counterOffset} + sizeof(std::int64_t) > blockLength) NoCounter();
    result.idleTimes.push_back(r.I64(block + counterOffset));
    instance = block + blockLength;
  }

  const std::uint64_t t = kBlockSystemTime;
  result.systemTime = PerfSystemTime{r.U16(t),     r.U16(t + 2),  r.U16(t + 4),  r.U16(t + 6),
                                     r.U16(t + 8), r.U16(t + 10), r.U16(t + 12), r.U16(t + 14)};
  return result;
}

std::vector<MemoryListCounter> FindMemoryListCounters(const std::uint8_t* names, std::size_t size) {
  std::vector<MemoryListCounter> found;
  if (!names) return found;
  const std::size_t units = size / 2;
  std::size_t pos = 0;
  while (pos < units) {
    const std::uint32_t index = IndexOf(NextName(names, units, pos));
    const std::u16string name = NextName(names, units, pos);
    if (index == 0) continue;
    for (const PartName& p : kPartNames)
      if (SameAscii(name, p.name)) found.push_back({index, p.part});
  }
  return found;
}

bool ParseMemoryObject(const std::uint8_t* data, std::size_t size,
                       const std::vector<MemoryListCounter>& counters, MemoryListParts& parts) {
  parts = MemoryListParts{};
  const BlockReader r(data, data ? size : 0);
  const std::uint64_t object = FindObject(r, kMemoryObjectIndex);
  if (object == 0) return false;
  // One counter block right after the definitions: the object has no instances.
  if (static_cast<std::int32_t>(r.U32(object + kObjNumInstances)) != -1) return false;
  const std::uint64_t block = object + r.U32(object + kObjDefinitionLength);
  if (!r.Fits(block, kCounterBlockSize)) return false;
  const std::uint32_t blockLength = r.U32(block);
  if (blockLength < kCounterBlockSize || !r.Fits(block, blockLength)) return false;

  std::uint64_t pos = object + r.U32(object + kObjHeaderLength);
  const std::uint32_t numCounters = r.U32(object + kObjNumCounters);
  for (std::uint32_t k = 0; k < numCounters; ++k) {
    if (!r.Fits(pos, kCtrSize)) break;
    const std::uint32_t index = r.U32(pos + kCtrNameTitleIndex);
    const std::uint32_t offset = r.U32(pos + kCtrCounterOffset);
    // A counter of another size is not the 64-bit byte count the lists are.
    const bool readable = r.U32(pos + kCtrCounterSize) == sizeof(std::int64_t) &&
                          std::uint64_t{offset} + sizeof(std::int64_t) <= blockLength;
    for (const MemoryListCounter& c : counters) {
      const int part = static_cast<int>(c.part);
      if (c.index != index || !readable || parts.known[part]) continue;
      const std::int64_t value = r.I64(block + offset);
      if (value < 0) continue;
      parts.known[part] = true;
      parts.bytes[part] = value;
    }
    const std::uint32_t length = r.U32(pos + kCtrByteLength);
    if (length == 0) break;
    pos += length;
  }
  return true;
}

bool SystemTimeToFileTime100ns(const PerfSystemTime& st, std::int64_t& out) {
  static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12) return false;
  const bool leap = (st.year % 4 == 0 && st.year % 100 != 0) || st.year % 400 == 0;
  const int monthDays = kDaysInMonth[st.month - 1] + ((st.month == 2 && leap) ? 1 : 0);
  if (st.day < 1 || st.day > monthDays || st.hour > 23 || st.minute > 59 || st.second > 59 ||
      st.milliseconds > 999)
    return false;

  // Days since 1601-01-01 (a 400-year cycle starts there), proleptic Gregorian calendar.
  const std::int64_t y = st.year - 1601;
  std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < st.month; ++m) days += kDaysInMonth[m - 1] + ((m == 2 && leap) ? 1 : 0);
  days += st.day - 1;

  const std::int64_t ms =
      ((days * 24 + st.hour) * 60 + st.minute) * 60000 + st.second * 1000 + st.milliseconds;
  out = ms * 10000;
  return true;
}

}  // namespace kvn
