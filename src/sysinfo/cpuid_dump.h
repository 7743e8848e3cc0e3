#pragma once
// CPUID registers answered from a text dump, one leaf a line:
//   CPUID 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF
// (leaf: EAX-EBX-ECX-EDX, hexadecimal). Anything after the registers (a sub-leaf or core tag)
// is ignored, lines of any other shape are ignored, the first line of a leaf counts, and a leaf
// the file does not list answers four zero registers.
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sysinfo/cpuid_source.h"

namespace kvn {

class TCpuidDumpSource : public ICpuidSource {
 public:
  explicit TCpuidDumpSource(std::string_view text);
  // Throws std::runtime_error when the file cannot be read.
  static TCpuidDumpSource FromFile(const std::string& path);

  CpuidRegisters Execute(std::uint32_t leaf) override;
  std::size_t LeafCount() const { return leaves_.size(); }

 private:
  std::map<std::uint32_t, CpuidRegisters> leaves_;
};

// One dump line, or nothing when the line is not a leaf.
struct CpuidDumpLine {
  std::uint32_t leaf;
  CpuidRegisters registers;
};
std::optional<CpuidDumpLine> ParseCpuidDumpLine(std::string_view line);

}  // namespace kvn
