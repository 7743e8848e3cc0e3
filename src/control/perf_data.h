#pragma once
// Reading of the processor object (238) out of the block that HKEY_PERFORMANCE_DATA returns.
// The block comes from the system but is walked by offsets it carries itself, so every offset
// and length is checked against the bytes actually returned before anything is read.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvn {

// Every failure of the load sampler; the messages are the program's own, in English.
class LoadSamplingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kNoVersionMessage[] = "Can't get the Windows version";
inline constexpr char kNoProcessorObjectMessage[] =
    "Unable to locate the \"Processor\" performance object";
inline constexpr char kNoUsageCounterMessage[] =
    "Unable to locate the \"% of CPU usage\" performance counter";
inline constexpr char kCpuIndexMessage[] = "CPU index out of bounds";
inline constexpr char kStartStatMessage[] = "Unable to start performance monitoring";
inline constexpr char kStatDataMessage[] = "Unable to read performance data";

inline constexpr std::uint32_t kProcessorObjectIndex = 238;
inline constexpr std::uint32_t kProcessorTimeCounterIndex = 6;

// The SYSTEMTIME of the block's header, field by field.
struct PerfSystemTime {
  std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// What one snapshot needs from the block.
struct ProcessorObjectData {
  std::int32_t numInstances = 0;        // the object's own count, "_Total" included
  std::vector<std::int64_t> idleTimes;  // counter 6 of each instance read, 100 ns units
  PerfSystemTime systemTime;
};

// Walks the block. instancesToRead < 0 reads as many instances as the object declares (the first
// snapshot); otherwise exactly that many. Throws LoadSamplingError with the object message when
// the header or the object walk is damaged, and with the counter message when the counter
// definitions, instances or counter blocks are.
ProcessorObjectData ParseProcessorObject(const std::uint8_t* data, std::size_t size,
                                         std::int32_t instancesToRead);

// The memory lists of the "Memory" object (4), which Windows gives from Vista on. Their counters
// have no fixed indices: they are looked up by name in the counter name table.
inline constexpr std::uint32_t kMemoryObjectIndex = 4;

enum class MemoryListPart : std::uint8_t {
  StandbyReserve,
  StandbyNormal,
  StandbyCore,
  Modified,
  FreeZero,
  Count
};
struct MemoryListCounter {
  std::uint32_t index;
  MemoryListPart part;
};

// Every counter of the name table ("Counter 009": UTF-16 index and name strings in pairs, each
// ended by a zero) named as one of the parts; a name may stand under several indices.
std::vector<MemoryListCounter> FindMemoryListCounters(const std::uint8_t* names, std::size_t size);

// The parts read from the memory object: a part is known when its counter is there and holds a
// 64-bit value. False when the block has no memory object that can be read.
struct MemoryListParts {
  bool known[static_cast<int>(MemoryListPart::Count)] = {};
  std::int64_t bytes[static_cast<int>(MemoryListPart::Count)] = {};
};
bool ParseMemoryObject(const std::uint8_t* data, std::size_t size,
                       const std::vector<MemoryListCounter>& counters, MemoryListParts& parts);

// SYSTEMTIME -> FILETIME (100 ns units since 1601-01-01). False for a date Windows would refuse.
bool SystemTimeToFileTime100ns(const PerfSystemTime& st, std::int64_t& out);

// Byte offsets of the structures as 32-bit Windows lays them out (winperf.h).
namespace perf_layout {
inline constexpr std::size_t kBlockTotalByteLength = 20;
inline constexpr std::size_t kBlockHeaderLength = 24;
inline constexpr std::size_t kBlockNumObjectTypes = 28;
inline constexpr std::size_t kBlockSystemTime = 36;
inline constexpr std::size_t kBlockSize = 88;

inline constexpr std::size_t kObjTotalByteLength = 0;
inline constexpr std::size_t kObjDefinitionLength = 4;
inline constexpr std::size_t kObjHeaderLength = 8;
inline constexpr std::size_t kObjNameTitleIndex = 12;
inline constexpr std::size_t kObjNumCounters = 32;
inline constexpr std::size_t kObjNumInstances = 40;
inline constexpr std::size_t kObjSize = 64;

inline constexpr std::size_t kCtrByteLength = 0;
inline constexpr std::size_t kCtrNameTitleIndex = 4;
inline constexpr std::size_t kCtrCounterSize = 32;
inline constexpr std::size_t kCtrCounterOffset = 36;
inline constexpr std::size_t kCtrSize = 40;

inline constexpr std::size_t kInstByteLength = 0;
inline constexpr std::size_t kInstSize = 24;

inline constexpr std::size_t kCounterBlockSize = 4;  // DWORD ByteLength
}  // namespace perf_layout

}  // namespace kvn
