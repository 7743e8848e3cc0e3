// The CPUID dump reader: which lines are leaves, and what a source built from them answers.
#include <gtest/gtest.h>

#include <cstdint>

#include "cpuid/cpuid_dump.h"
#include "fakes/fake_cpu.h"

namespace kvn {
namespace {

using fakes::Leaf;

TEST(CpuidDumpTest, LineShapes) {
  struct Case {
    const char* line;
    bool parsed;
    std::uint32_t leaf, subLeaf, edx;
  } cases[] = {
      {"CPUID 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF", true, 1, 0, 0xBFEBFBFF},
      {"CPUID 80000001: 00000000-00000000-00000001-20100800 [SL 00]", true, 0x80000001, 0,
       0x20100800},
      {"  CPUID 00000002: 665b5001-00000000-00000000-007b7040\r", true, 2, 0, 0x007B7040},
      {"CPUID 00000004: 00000000-00000000-00000000-00000000\tcore 1", true, 4, 0, 0},
      {"CPUID 00000004: 1C004122-01C0003F-0000003F-00000007 [SL 01]", true, 4, 1, 7},
      {"CPUID 0000000D: 00000000-00000000-00000000-00000005  [SL 3e]\r", true, 0xD, 0x3E, 5},
      {"CPUID 00000000: 0000000D-756E6547-6C65746E-49656E69 [GenuineIntel]", true, 0, 0,
       0x49656E69},
      {"CPUID 00000004: 00000000-00000000-00000000-00000000 [SL ]", false, 0, 0, 0},
      {"CPUID 00000004: 00000000-00000000-00000000-00000000 [SL 0G]", false, 0, 0, 0},
      {"CPUID 00000004: 00000000-00000000-00000000-00000000 [SL 01", false, 0, 0, 0},
      {"CPUID 00000004: 00000000-00000000-00000000-00000000 [SL 123456789]", false, 0, 0, 0},
      {"CPUID 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF0", false, 0, 0, 0},
      {"CPUID 00000001: 000006F6-00020800-0000E3BD", false, 0, 0, 0},
      {"CPUID 0000001: 000006F6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"CPUID 00000001 000006F6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"CPUID 00000001: 000006G6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"CPUID00000001: 000006F6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"cpuid 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"# CPUID 00000001: 000006F6-00020800-0000E3BD-BFEBFBFF", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    auto parsed = ParseCpuidDumpLine(c.line);
    ASSERT_EQ(parsed.has_value(), c.parsed) << c.line;
    if (!parsed) continue;
    EXPECT_EQ(parsed->leaf, c.leaf) << c.line;
    EXPECT_EQ(parsed->subLeaf, c.subLeaf) << c.line;
    EXPECT_EQ(parsed->registers.edx, c.edx) << c.line;
  }
}

TEST(CpuidDumpTest, SubLeavesAnswerTheirOwnLines) {
  // An untagged line is sub-leaf 0; a later line for the same sub-leaf (another logical
  // processor) does not replace it; a sub-leaf the file does not list is zero.
  CpuidDumpSource source(Leaf(4, 0x121, 0, 0, 0) + fakes::SubLeaf(4, 1, 0x122, 0, 0, 0) +
                         fakes::SubLeaf(4, 0, 0x999, 0, 0, 0) +
                         fakes::SubLeaf(4, 2, 0x143, 0, 0, 0) +
                         fakes::SubLeaf(4, 1, 0x888, 0, 0, 0) + Leaf(2, 7, 8, 9, 10));
  EXPECT_EQ(source.Execute(4, 0).eax, 0x121u);
  EXPECT_EQ(source.Execute(4, 1).eax, 0x122u);
  EXPECT_EQ(source.Execute(4, 2).eax, 0x143u);
  EXPECT_EQ(source.Execute(4, 3), CpuidRegisters{});
  EXPECT_EQ(source.Execute(2, 0), (CpuidRegisters{7, 8, 9, 10}));
  EXPECT_EQ(source.Execute(2, 1), CpuidRegisters{});
}

TEST(CpuidDumpTest, FirstLineOfALeafCountsAndMissingLeavesAreZero) {
  CpuidDumpSource source("------[ Logical CPU #0 ]------\r\n" + Leaf(1, 0x6F6, 1, 2, 3) +
                         "junk\n------[ Logical CPU #1 ]------\n" + Leaf(1, 0x6F7, 4, 5, 6) +
                         Leaf(2, 7, 8, 9, 10));
  EXPECT_EQ(source.LeafCount(), 2u);
  EXPECT_EQ(source.Execute(1, 0), (CpuidRegisters{0x6F6, 1, 2, 3}));
  EXPECT_EQ(source.Execute(2, 0), (CpuidRegisters{7, 8, 9, 10}));
  EXPECT_EQ(source.Execute(0x80000000u, 0), CpuidRegisters{});
}

}  // namespace
}  // namespace kvn
