// Cache sizes: from Intel's descriptor bytes, or from the extended leaves for the vendors that
// report them there. Recent Intel processors list their caches only in leaf 4.
#include <algorithm>
#include <optional>

#include "sysinfo/cpu_library.h"

namespace kvn {

namespace {

struct CacheDescriptorRow {
  std::uint8_t Descriptor;
  CacheKind Kind;
  std::uint32_t SizeKB;  // trace cache: thousands of micro-operations
  std::uint32_t LineSize;
};

using enum CacheKind;

constexpr std::array<CacheDescriptorRow, 36> kDescriptorTable = {{
    {0x06, L1Code, 8, 32},    {0x08, L1Code, 16, 32},   {0x30, L1Code, 32, 64},
    {0x0A, L1Data, 8, 32},    {0x0C, L1Data, 16, 32},   {0x2C, L1Data, 32, 64},
    {0x66, L1Data, 8, 64},    {0x67, L1Data, 16, 64},   {0x68, L1Data, 32, 64},
    {0x39, Level2, 128, 64},  {0x3B, Level2, 128, 64},  {0x3C, Level2, 256, 64},
    {0x40, Level2, 0, 0},     {0x41, Level2, 128, 32},  {0x42, Level2, 256, 32},
    {0x43, Level2, 512, 32},  {0x44, Level2, 1024, 32}, {0x45, Level2, 2048, 32},
    {0x79, Level2, 128, 64},  {0x7A, Level2, 256, 64},  {0x7B, Level2, 512, 64},
    {0x7C, Level2, 1024, 64}, {0x82, Level2, 256, 32},  {0x83, Level2, 512, 32},
    {0x84, Level2, 1024, 32}, {0x85, Level2, 2048, 32}, {0x86, Level2, 512, 64},
    {0x87, Level2, 1024, 64}, {0x22, Level3, 512, 64},  {0x23, Level3, 1024, 64},
    {0x25, Level3, 2048, 64}, {0x29, Level3, 4096, 64}, {0x40, Level3, 0, 0},
    {0x70, Trace, 12, 0},     {0x71, Trace, 16, 0},     {0x72, Trace, 32, 0},
}};

// A processor that never ends its leaf-4 list (a broken hypervisor) still ends the walk.
constexpr std::uint32_t kMaxCacheSubLeaves = 64;

std::uint32_t ClampToBytes(std::uint64_t bytes) {
  return bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(bytes);
}

std::uint32_t SizeByDescriptors(const CpuCacheDescriptors& descriptors, CacheKind kind) {
  std::uint32_t size = 0;
  for (const CacheDescriptorRow& row : kDescriptorTable)  // the last matching row wins
    if (row.Kind == kind && descriptors.Contains(row.Descriptor)) size = row.SizeKB * 1024;
  return size;
}

// The kind of a leaf-4 entry (EAX: type in bits 4..0, level in bits 7..5), or nothing for a
// level this program has no line for.
std::optional<CacheKind> DeterministicKind(std::uint32_t eax) {
  const std::uint32_t type = eax & 0x1F;  // 1 data, 2 instruction, 3 unified
  if (type < 1 || type > 3) return std::nullopt;
  switch ((eax >> 5) & 0x7) {
    case 1:
      return type == 1 ? L1Data : type == 2 ? L1Code : L1Unified;
    case 2:
      return Level2;
    case 3:
      return Level3;
    default:
      return std::nullopt;
  }
}

// (ways + 1) x (partitions + 1) x (line size + 1) x (sets + 1).
std::uint32_t DeterministicSize(const CpuidRegisters& r) {
  const std::uint64_t perSet =
      std::uint64_t{(r.ebx >> 22) + 1} * (((r.ebx >> 12) & 0x3FF) + 1) * ((r.ebx & 0xFFF) + 1);
  const std::uint64_t sets = std::uint64_t{r.ecx} + 1;
  return sets > 0xFFFFFFFFu / perSet ? 0xFFFFFFFFu : static_cast<std::uint32_t>(perSet * sets);
}

}  // namespace

CpuCacheDescriptors::CpuCacheDescriptors(const CpuLibrary& library, std::uint8_t index,
                                         CacheKind kind) {
  ProcessorCpuid cpuid(library, index);
  CpuidRegisters r;
  if (ProcessorVendor(library, index).CpuVendor() == CpuVendorId::cvIntel) {
    // The low byte of leaf 2 says how many times the leaf must run to give every descriptor.
    const std::uint32_t repeat = cpuid.Execute(2).Registers().eax & 0xFF;
    r = cpuid.Execute(2, repeat).Registers();
  } else {
    const bool level1 = kind == L1Code || kind == L1Data || kind == L1Unified || kind == Trace;
    r = cpuid.Execute(level1 ? 0x80000005u : 0x80000006u).Registers();
  }
  for (std::uint32_t reg : {r.eax, r.ebx, r.ecx, r.edx}) {
    if (reg & 0x80000000u) continue;  // bit 31 set: the register holds no descriptors
    for (int i = 0; i < 4; ++i) bytes_[count_++] = static_cast<std::uint8_t>(reg >> (8 * i));
  }
}

bool CpuCacheDescriptors::Contains(std::uint8_t descriptor) const {
  return std::find(bytes_.begin(), bytes_.begin() + count_, descriptor) != bytes_.begin() + count_;
}

std::uint32_t CacheByDescriptor::Size() const {
  return SizeByDescriptors(CpuCacheDescriptors(*library_, index_, kind_), kind_);
}

std::uint32_t CacheByExtendedCpuid::Size() const {
  ProcessorCpuid cpuid(*library_, index_);
  switch (kind_) {
    case L1Code:
      return (cpuid.Execute(0x80000005u).Registers().edx >> 24) * 1024;
    case L1Data:
      return (cpuid.Execute(0x80000005u).Registers().ecx >> 24) * 1024;
    case Level2: {
      const std::uint32_t ecx = cpuid.Execute(0x80000006u).Registers().ecx;
      // Via's level 2 size is only the top byte of ECX.
      const bool via = ProcessorVendor(*library_, index_).CpuVendor() == CpuVendorId::cvVia;
      return (via ? ecx >> 24 : ecx >> 16) * 1024;
    }
    case Level3: {
      // EDX bits 31..18 in 512 KB units; 0 where the processor has no level 3 (or no such
      // field: VIA and Transmeta leave the register 0).
      const std::uint32_t edx = cpuid.Execute(0x80000006u).Registers().edx;
      return ClampToBytes(std::uint64_t{edx >> 18} * 512 * 1024);
    }
    default:
      return 0;
  }
}

bool CacheByDeterministicCpuid::Listed() const {
  return (ProcessorCpuid(*library_, index_).SubLeaf(4, 0).Registers().eax & 0x1F) != 0;
}

std::uint32_t CacheByDeterministicCpuid::Size() const {
  ProcessorCpuid cpuid(*library_, index_);
  for (std::uint32_t subLeaf = 0; subLeaf < kMaxCacheSubLeaves; ++subLeaf) {
    const CpuidRegisters r = cpuid.SubLeaf(4, subLeaf).Registers();
    if ((r.eax & 0x1F) == 0) break;  // a null type ends the list
    if (DeterministicKind(r.eax) == kind_) return DeterministicSize(r);
  }
  return 0;
}

std::uint32_t CpuCache::Size() const {
  const ProcessorVendor vendor(*library_, index_);
  if (vendor.CacheMethodCode() == 1) return CacheByExtendedCpuid(*library_, index_, kind_).Size();
  const CpuCacheDescriptors descriptors(*library_, index_, kind_);
  const std::uint32_t size = SizeByDescriptors(descriptors, kind_);
  // Descriptor 0xFF: leaf 2 describes no cache and leaf 4 lists them all. Without it, leaf 4
  // still gives each cache the descriptors leave out: Core 2 to Westmere name their level 1 in
  // leaf 2 with descriptors of the table, and their level 2 and 3 with descriptors it lacks.
  const bool deferred = vendor.CpuVendor() == CpuVendorId::cvIntel && descriptors.Contains(0xFF);
  if (!deferred && size != 0) return size;
  const CacheByDeterministicCpuid leafFour(*library_, index_, kind_);
  return leafFour.Listed() ? leafFour.Size() : size;
}

std::string SizeText(std::uint32_t bytes, const NumberSeparators& separators) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  std::uint64_t unit = 1024;
  const char* suffix = " Kb";
  if (bytes > 1073741823u) {
    unit = 1073741824u;
    suffix = " Gb";
  } else if (bytes > 1048575u) {
    unit = 1048576u;
    suffix = " Mb";
  }
  // One decimal, halves away from zero, worked out in whole tenths so nothing is lost.
  const std::uint64_t tenths = (std::uint64_t{bytes} * 10 + unit / 2) / unit;
  std::string whole = std::to_string(tenths / 10);
  for (int pos = static_cast<int>(whole.size()) - 3; pos > 0; pos -= 3)
    whole.insert(static_cast<std::size_t>(pos), separators.Thousand);
  return whole + separators.Decimal + std::to_string(tenths % 10) + suffix;
}

}  // namespace kvn
