#pragma once
// Builds HKEY_PERFORMANCE_DATA blocks laid out as Windows does (32-bit layout), and remembers
// where each structure landed so tests can damage one field at a time.
#include <cstdint>
#include <cstring>
#include <vector>

#include "control/perf_data.h"

namespace kvn::fake {

struct PerfObjectSpec {
  std::uint32_t titleIndex = kProcessorObjectIndex;
  // Counter title indexes in definition order; counter k sits at offset 8 + 8k of each block.
  std::vector<std::uint32_t> counters = {240, kProcessorTimeCounterIndex, 142};
  // One instance per value: the value of counter 6 (the others get 0x1111...).
  std::vector<std::int64_t> idleTimes = {0};
};

struct PerfBlock {
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> objectPos;
  std::vector<std::vector<std::size_t>> counterPos;   // per object
  std::vector<std::vector<std::size_t>> instancePos;  // per object
  std::vector<std::vector<std::size_t>> blockPos;     // per object: counter blocks

  void Put32(std::size_t pos, std::uint32_t v) { std::memcpy(&bytes[pos], &v, 4); }
  std::uint32_t Get32(std::size_t pos) const {
    std::uint32_t v;
    std::memcpy(&v, &bytes[pos], 4);
    return v;
  }
};

inline void AppendBytes(std::vector<std::uint8_t>& out, const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  out.insert(out.end(), b, b + n);
}
inline void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  AppendBytes(out, &v, 4);
}
inline void Append64(std::vector<std::uint8_t>& out, std::int64_t v) {
  AppendBytes(out, &v, 8);
}
inline void Set32(std::vector<std::uint8_t>& out, std::size_t pos, std::uint32_t v) {
  std::memcpy(&out[pos], &v, 4);
}

inline PerfBlock BuildPerfBlock(const std::vector<PerfObjectSpec>& objects,
                                const PerfSystemTime& time) {
  using namespace perf_layout;
  PerfBlock pb;
  auto& out = pb.bytes;
  const std::uint16_t sig[4] = {'P', 'E', 'R', 'F'};
  AppendBytes(out, sig, 8);
  Append32(out, 1);  // LittleEndian
  Append32(out, 1);  // Version
  Append32(out, 1);  // Revision
  Append32(out, 0);  // TotalByteLength, set below
  Append32(out, 0);  // HeaderLength, set below
  Append32(out, static_cast<std::uint32_t>(objects.size()));
  Append32(out, kProcessorObjectIndex);  // DefaultObject
  const std::uint16_t st[8] = {time.year, time.month,  time.dayOfWeek, time.day,
                               time.hour, time.minute, time.second,    time.milliseconds};
  AppendBytes(out, st, 16);
  Append32(out, 0);                              // padding before the LARGE_INTEGERs
  for (int i = 0; i < 6; ++i) Append32(out, 0);  // PerfTime, PerfFreq, PerfTime100nSec
  Append32(out, 8);                              // SystemNameLength
  Append32(out, kBlockSize);                     // SystemNameOffset
  const std::uint16_t name[4] = {'K', 'V', 'N', 0};
  AppendBytes(out, name, 8);
  Set32(out, kBlockHeaderLength, static_cast<std::uint32_t>(out.size()));

  for (const auto& obj : objects) {
    const std::size_t objPos = out.size();
    pb.objectPos.push_back(objPos);
    pb.counterPos.emplace_back();
    pb.instancePos.emplace_back();
    pb.blockPos.emplace_back();
    const auto numCounters = static_cast<std::uint32_t>(obj.counters.size());
    const std::uint32_t definitionLength = kObjSize + numCounters * kCtrSize;
    Append32(out, 0);  // TotalByteLength, set below
    Append32(out, definitionLength);
    Append32(out, kObjSize);
    Append32(out, obj.titleIndex);
    Append32(out, 0);
    Append32(out, obj.titleIndex + 1);
    Append32(out, 0);
    Append32(out, 100);  // DetailLevel
    Append32(out, numCounters);
    Append32(out, 0);  // DefaultCounter
    Append32(out, static_cast<std::uint32_t>(obj.idleTimes.size()));
    Append32(out, 0);  // CodePage
    for (int i = 0; i < 4; ++i) Append32(out, 0);
    for (std::uint32_t k = 0; k < numCounters; ++k) {
      pb.counterPos.back().push_back(out.size());
      Append32(out, kCtrSize);
      Append32(out, obj.counters[k]);
      Append32(out, 0);
      Append32(out, obj.counters[k] + 1);
      Append32(out, 0);
      Append32(out, 0);           // DefaultScale
      Append32(out, 100);         // DetailLevel
      Append32(out, 0x20570500);  // PERF_100NSEC_TIMER_INV
      Append32(out, 8);
      Append32(out, 8 + 8 * k);
    }
    for (std::size_t i = 0; i < obj.idleTimes.size(); ++i) {
      pb.instancePos.back().push_back(out.size());
      Append32(out, kInstSize + 8);  // ByteLength: definition and its name
      Append32(out, 0);
      Append32(out, 0);
      Append32(out, 0xFFFFFFFFu);  // PERF_NO_UNIQUE_ID
      Append32(out, kInstSize);
      Append32(out, 4);
      const std::uint16_t instName[4] = {static_cast<std::uint16_t>('0' + i % 10), 0, 0, 0};
      AppendBytes(out, instName, 8);
      pb.blockPos.back().push_back(out.size());
      Append32(out, 8 + 8 * numCounters);
      Append32(out, 0);  // alignment
      for (std::uint32_t k = 0; k < numCounters; ++k)
        Append64(out, obj.counters[k] == kProcessorTimeCounterIndex ? obj.idleTimes[i]
                                                                    : 0x1111111111111111LL);
    }
    Set32(out, objPos, static_cast<std::uint32_t>(out.size() - objPos));
  }
  Set32(out, kBlockTotalByteLength, static_cast<std::uint32_t>(out.size()));
  return pb;
}

// A block with the processor object alone.
inline PerfBlock BuildProcessorBlock(const std::vector<std::int64_t>& idleTimes,
                                     const PerfSystemTime& time) {
  PerfObjectSpec obj;
  obj.idleTimes = idleTimes;
  return BuildPerfBlock({obj}, time);
}

inline PerfSystemTime MakeSystemTime(std::uint16_t second, std::uint16_t ms) {
  return PerfSystemTime{2026, 12, 1, 7, 8, 30, second, ms};
}

// A block with the memory object alone: no instances, one counter block of 8-byte slots, each
// counter defined with its index and size (a size other than 8 marks a counter of another kind).
struct MemoryCounterSpec {
  std::uint32_t index, size;
  std::int64_t value;
};
inline PerfBlock BuildMemoryBlock(const std::vector<MemoryCounterSpec>& counters) {
  PerfObjectSpec obj{kMemoryObjectIndex, {}, {0}};  // its instance becomes the counter block
  for (const auto& c : counters) obj.counters.push_back(c.index);
  PerfBlock pb = BuildPerfBlock({obj}, MakeSystemTime(0, 0));
  using namespace perf_layout;
  const std::size_t o = pb.objectPos[0];
  pb.Put32(o + kObjNumInstances, 0xFFFFFFFFu);  // PERF_NO_INSTANCES
  pb.bytes.erase(pb.bytes.begin() + pb.instancePos[0][0], pb.bytes.begin() + pb.blockPos[0][0]);
  const std::size_t block = pb.instancePos[0][0];
  for (std::size_t k = 0; k < counters.size(); ++k) {
    pb.Put32(pb.counterPos[0][k] + kCtrCounterSize, counters[k].size);
    std::memcpy(&pb.bytes[block + 8 + 8 * k], &counters[k].value, 8);
  }
  pb.Put32(o, static_cast<std::uint32_t>(pb.bytes.size() - o));
  pb.Put32(kBlockTotalByteLength, static_cast<std::uint32_t>(pb.bytes.size()));
  return pb;
}

// A counter name table as "Counter 009" gives it, from "index|name|index|name": UTF-16 strings
// each ended by a zero, an empty string last.
inline std::vector<std::uint8_t> CounterNames(const char* strings) {
  std::vector<std::uint8_t> out;
  for (const char* s = strings; *s; ++s)
    out.insert(out.end(), {static_cast<std::uint8_t>(*s == '|' ? 0 : *s), 0});
  out.insert(out.end(), {0, 0, 0, 0});  // the last string's end, then the empty one
  return out;
}

}  // namespace kvn::fake
