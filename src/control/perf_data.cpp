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

// Finds the processor object; returns its position.
std::uint64_t FindProcessorObject(const BlockReader& r) {
  if (!r.Fits(0, kBlockSize)) NoObject();
  std::uint64_t pos = r.U32(kBlockHeaderLength);
  const std::uint32_t numObjects = r.U32(kBlockNumObjectTypes);
  for (std::uint32_t k = 0; k < numObjects; ++k) {
    if (!r.Fits(pos, kObjSize)) break;
    if (r.U32(pos + kObjNameTitleIndex) == kProcessorObjectIndex) return pos;
    const std::uint32_t length = r.U32(pos + kObjTotalByteLength);
    if (length == 0) break;  // would stay on the same object for ever
    pos += length;
  }
  NoObject();
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
