#pragma once
// CPUID registers answered from a text dump, one leaf a line:
//   CPUID 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF
//   CPUID 00000004: 1C004122-01C0003F-0000003F-00000000 [SL 01]
// (leaf: EAX-EBX-ECX-EDX, hexadecimal). A "[SL n]" tag after the registers names the sub-leaf
// (ECX, hexadecimal); a line without one is sub-leaf 0, and any other tag (a vendor or brand
// text, a core number) is ignored. Lines of any other shape are ignored, the first line of a
// leaf and sub-leaf counts, and what the file does not list answers four zero registers.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "sysinfo/cpuid_source.h"

namespace kvn {

class CpuidDumpSource : public ICpuidSource {
 public:
  explicit CpuidDumpSource(std::string_view text);
  // Throws std::runtime_error when the file cannot be read.
  static CpuidDumpSource FromFile(const std::string& path);

  CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t subLeaf) override;
  // Leaves and sub-leaves read from the file.
  std::size_t LeafCount() const { return leaves_.size(); }

 private:
  std::map<std::pair<std::uint32_t, std::uint32_t>, CpuidRegisters> leaves_;
};

// One dump line, or nothing when the line is not a leaf.
struct CpuidDumpLine {
  std::uint32_t leaf;
  std::uint32_t subLeaf;
  CpuidRegisters registers;
};
std::optional<CpuidDumpLine> ParseCpuidDumpLine(std::string_view line);

// A machine with one processor and no pinning: what a dump file describes.
class SingleProcessorSystem : public ICpuSystem {
 public:
  std::uint32_t ProcessorCount() override { return 1; }
  std::uint32_t SetThreadAffinityMask(std::uint32_t) override { return 0; }
  void YieldTimeSlice() override {}
};

}  // namespace kvn
