// The processor library on dump text: leaf ranges, pinning, signature, feature sets,
// names, caches, clock and size texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cpuid/cpuid_dump.h"
#include "fakes/fake_cpu.h"
#include "sysinfo/cpu_library.h"

namespace kvn {
namespace {

using fakes::FakeClock;
using fakes::Leaf;
using fakes::Vendor;

std::unique_ptr<CpuLibrary> Library(const std::string& dump,
                                    std::shared_ptr<ICpuSystem> system = nullptr,
                                    std::shared_ptr<ICpuClock> clock = nullptr) {
  if (!system) system = std::make_shared<SingleProcessorSystem>();
  return std::make_unique<CpuLibrary>(std::make_shared<CpuidDumpSource>(dump), system, clock);
}

// --- Leaf ranges ------------------------------------------------------------------------------

TEST(CpuidDumpTest, LeafBeyondTheRangeMaximumReadsZero) {
  // Leaf 2 is in the file but leaf 0 says only leaf 1 exists; likewise for the extended range.
  auto lib = Library(Vendor(1, "GenuineIntel") + Leaf(1, 0x683, 0, 0, 0x00800000) +
                     Leaf(2, 0x03020101, 0, 0, 0x0C040882) + Leaf(0x80000000, 0x80000001, 0, 0, 0) +
                     Leaf(0x80000002, 1, 2, 3, 4));
  ProcessorCpuid cpuid = lib->Processors(0).Cpuid();
  EXPECT_TRUE(cpuid.Execute(1).Supported());
  EXPECT_FALSE(cpuid.Execute(2).Supported());
  EXPECT_EQ(cpuid.Execute(2).Registers(), CpuidRegisters{});
  EXPECT_TRUE(cpuid.Execute(0x80000001u).Supported());
  EXPECT_FALSE(cpuid.Execute(0x80000002u).Supported());
  EXPECT_EQ(lib->Processors(0).Cache().Level2().Size(), 0u);
}

// --- Pinning ----------------------------------------------------------------------------------

class RecordingSystem : public ICpuSystem {
 public:
  RecordingSystem(std::uint32_t count, bool canSet) : count_(count), canSet_(canSet) {}
  std::uint32_t ProcessorCount() override { return count_; }
  // Refused where the system cannot pin: nothing changes then.
  std::uint32_t SetThreadAffinityMask(std::uint32_t m) override {
    if (!canSet_) return 0;
    sets.push_back(m);
    return std::exchange(mask, m);
  }
  void YieldTimeSlice() override { ++yields; }
  std::uint32_t mask = 0xF;
  std::vector<std::uint32_t> sets;
  int yields = 0;

 private:
  std::uint32_t count_;
  bool canSet_;
};

// Records the thread's mask at each CPUID execution.
class MaskRecordingSource : public ICpuidSource {
 public:
  MaskRecordingSource(std::string dump, RecordingSystem& system) : dump_(dump), system_(system) {}
  CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t subLeaf) override {
    masks.push_back(system_.mask);
    return dump_.Execute(leaf, subLeaf);
  }
  std::vector<std::uint32_t> masks;

 private:
  CpuidDumpSource dump_;
  RecordingSystem& system_;
};

TEST(CpuAffinityTest, ReadingsRunOnThePinnedProcessorAndTheMaskIsRestored) {
  struct Case {
    std::uint32_t count;
    bool canSet;
    std::uint8_t index;
    std::uint32_t pinnedMask;  // 0: no pinning
  } cases[] = {
      {4, true, 2, 0b100}, {4, true, 0, 0b1}, {2, true, 5, 0b1},
      {2, true, 40, 0},    {1, true, 0, 0},   {4, false, 2, 0},
  };
  const std::string dump = Vendor(1, "GenuineIntel") + Leaf(1, 0x683, 0, 0, 0x00800000);
  for (const Case& c : cases) {
    auto system = std::make_shared<RecordingSystem>(c.count, c.canSet);
    auto source = std::make_shared<MaskRecordingSource>(dump, *system);
    CpuLibrary lib(source, system, nullptr);
    EXPECT_TRUE(lib.Processors(c.index).Features().Standard().ByName("MMX").Available());
    ASSERT_FALSE(source->masks.empty());
    for (std::uint32_t mask : source->masks)
      EXPECT_EQ(mask, c.pinnedMask ? c.pinnedMask : 0xFu) << int(c.index);
    EXPECT_EQ(system->mask, 0xFu) << "the thread's mask must be restored";
    EXPECT_EQ(system->sets.empty(), c.pinnedMask == 0);
    EXPECT_EQ(system->yields > 0, c.pinnedMask != 0);
  }
}

// --- Signature and vendor ---------------------------------------------------------------------

TEST(ProcessorSignatureTest, Fields) {
  struct Case {
    std::uint32_t eax, ebx;
    std::uint32_t family, model, stepping, type, brand;
  } cases[] = {
      {0x00000683, 0x00000002, 6, 8, 3, 0, 2},
      {0x00001632, 0x00000000, 6, 3, 2, 1, 0},
      {0x00000F29, 0x00020809, 15, 2, 9, 0, 9},
      {0x00130FF2, 0x000000FF, 16, 18, 2, 0, 255},  // extended family and model added
      {0x000306F2, 0x00000000, 6, 18, 2, 0, 0},     // model 15 takes the extended model too
      {0x0FF00F00, 0x00000000, 270, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    auto lib = Library(Vendor(1, "GenuineIntel") + Leaf(1, c.eax, c.ebx, 0, 0));
    ProcessorSignature sig = lib->Processors(0).Signature();
    EXPECT_EQ(sig.Family(), c.family) << std::hex << c.eax;
    EXPECT_EQ(sig.Model(), c.model) << std::hex << c.eax;
    EXPECT_EQ(sig.Stepping(), c.stepping) << std::hex << c.eax;
    EXPECT_EQ(sig.ProcessorType(), c.type) << std::hex << c.eax;
    EXPECT_EQ(sig.BrandIndex(), c.brand) << std::hex << c.eax;
    EXPECT_EQ(sig.Value(), c.eax);
  }
}

TEST(ProcessorVendorTest, EveryTableRowAndAnUnknownString) {
  const char* strings[] = {"GenuineIntel", "AuthenticAMD", "CyrixInstead",
                           "CentaurHauls", "NexGenDriven", "UMC UMC UMC ",
                           "RiseRiseRise", "GenuineTMx86", "BadCpuVendor"};
  const CpuVendorId expected[] = {
      CpuVendorId::cvIntel, CpuVendorId::cvAmd,       CpuVendorId::cvCyrix,
      CpuVendorId::cvVia,   CpuVendorId::cvNexGen,    CpuVendorId::cvUmc,
      CpuVendorId::cvRise,  CpuVendorId::cvTransmeta, CpuVendorId::cvUnknown};
  for (int i = 0; i < 9; ++i) {
    char name[13];
    std::snprintf(name, sizeof name, "%s", strings[i]);
    auto lib = Library(Vendor(1, name));
    ProcessorVendor vendor = lib->Processors(0).Vendor();
    EXPECT_EQ(vendor.VendorString(), strings[i]);
    EXPECT_EQ(vendor.CpuVendor(), expected[i]) << strings[i];
  }
  auto none = Library("");
  EXPECT_EQ(none->Processors(0).Vendor().CpuVendor(), CpuVendorId::cvUnknown);
  EXPECT_EQ(none->Processors(0).Vendor().CompanyName(), "Unknown Vendor");
}

// --- Features ---------------------------------------------------------------------------------

TEST(FeatureSetTest, SlotCountsPerVendorCode) {
  struct Case {
    FeatureSetKind kind;
    std::uint8_t vendorCode;
    int count;
  } cases[] = {
      {FeatureSetKind::Standard, 0, 30},       {FeatureSetKind::Standard, 2, 30},
      {FeatureSetKind::StandardEcx, 1, 3},     {FeatureSetKind::Extended, 0, 19},
      {FeatureSetKind::Extended, 2, 24},       {FeatureSetKind::Extended, 3, 21},
      {FeatureSetKind::PowerManagement, 1, 0}, {FeatureSetKind::PowerManagement, 2, 6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FeatureSetDefinition(c.kind, c.vendorCode).Count(), c.count)
        << int(c.kind) << "/" << int(c.vendorCode);
  // Vendor rows replace the common row of their bit.
  EXPECT_STREQ(FeatureSetDefinition(FeatureSetKind::Extended, 2).Slot(19)->Name, "MP");
  EXPECT_STREQ(FeatureSetDefinition(FeatureSetKind::Extended, 3).Slot(24)->Name, "MMX+");
  EXPECT_STREQ(FeatureSetDefinition(FeatureSetKind::Extended, 0).Slot(24)->Name, "FXSR");
}

TEST(FeatureSetTest, LookupsByName) {
  const std::string amd = Vendor(1, "AuthenticAMD") + Leaf(1, 0x644, 0, 0, 0x2080A000) +
                          Leaf(0x80000000, 0x80000007, 0, 0, 0) +
                          Leaf(0x80000001, 0, 0, 0, 0xC0400000) + Leaf(0x80000007, 0, 0, 0, 0x10);
  auto lib = Library(amd);
  ProcessorFeatures features = lib->Processors(0).Features();

  CpuFeature mmx = features.Standard().ByName("mmx");
  EXPECT_TRUE(mmx.IsKnown());
  EXPECT_EQ(mmx.Name(), "MMX");
  EXPECT_EQ(mmx.Bit(), 23u);
  EXPECT_TRUE(mmx.Available());

  CpuFeature simd = features.Standard().ByName("SIMD");
  EXPECT_FALSE(simd.IsKnown());
  EXPECT_FALSE(simd.Available());

  // "TM": row 10 (power management) comes before row 42 (standard).
  CpuFeature tm = features.FindFeature("TM");
  EXPECT_EQ(tm.Kind(), FeatureSetKind::PowerManagement);
  EXPECT_EQ(tm.Bit(), 4u);
  EXPECT_TRUE(tm.Available());
  CpuFeature standardTm = features.Standard().ByName("TM");
  EXPECT_EQ(standardTm.Bit(), 29u);
  EXPECT_TRUE(standardTm.Available());

  CpuFeature htt = features.FindFeature("htt");
  EXPECT_EQ(htt.Kind(), FeatureSetKind::Standard);
  EXPECT_EQ(htt.Bit(), 28u);
  EXPECT_FALSE(features.FindFeature("NOSUCH").IsKnown());

  // AMD's own bits: MMX+ at 22, SEP of family 6 at the empty slot 10.
  EXPECT_EQ(features.Extended().ByName("MMX+").Bit(), 22u);
  EXPECT_TRUE(features.Extended().ByName("MMX+").Available());
  EXPECT_TRUE(features.Extended().ByName("3DNow").Available());
  EXPECT_FALSE(features.Standard().ByName("SEP").IsKnown());
  EXPECT_TRUE(features.Standard().ByIndex(13).Available());  // PGE, bit 13 of 0x2080A000
}

TEST(FeatureSetTest, VendorSpecialCases) {
  // AMD K5 model 0 reports PGE at bit 9.
  auto k5 = Library(Vendor(1, "AuthenticAMD") + Leaf(1, 0x500, 0, 0, 1u << 9));
  CpuFeature pge = k5->Processors(0).Features().Standard().ByName("PGE");
  EXPECT_EQ(pge.Bit(), 9u);
  EXPECT_TRUE(pge.Available());
  // Cyrix reports extended MMX at bit 24 of the extended leaf.
  auto cyrix = Library(Vendor(1, "CyrixInstead") + Leaf(1, 0x650, 0, 0, 0) +
                       Leaf(0x80000000, 0x80000001, 0, 0, 0) + Leaf(0x80000001, 0, 0, 0, 1u << 24));
  CpuFeature mmxPlus = cyrix->Processors(0).Features().Extended().ByName("MMX+");
  EXPECT_EQ(mmxPlus.Bit(), 24u);
  EXPECT_TRUE(mmxPlus.Available());
  // Intel has no vendor rows: the 3DNow! names are not in its extended set.
  auto intel = Library(Vendor(1, "GenuineIntel") + Leaf(0x80000000, 0x80000001, 0, 0, 0) +
                       Leaf(0x80000001, 0, 0, 0, 0xFFFFFFFF));
  EXPECT_FALSE(intel->Processors(0).Features().Extended().ByName("3DNOW").Available());
  EXPECT_TRUE(intel->Processors(0).Features().Extended().ByName("FPU").Available());
}

// --- Names ------------------------------------------------------------------------------------

std::string IntelDump(std::uint32_t eax, std::uint32_t brandIndex, std::uint32_t descriptors,
                      std::uint32_t edx = 0) {
  return Vendor(2, "GenuineIntel") + Leaf(1, eax, brandIndex, 0, edx) +
         Leaf(2, 0x00000001, 0, 0, descriptors);
}

TEST(ProcessorNameTest, LookupRules) {
  struct Case {
    std::string dump;
    const char* name;
  } cases[] = {
      {IntelDump(0x683, 1, 0), "Intel Celeron"},
      {IntelDump(0x6B1, 3, 0), "Intel Celeron"},
      {IntelDump(0x6B4, 3, 0), "Intel Pentium III Xeon"},
      {IntelDump(0xF12, 8, 0), "Intel Pentium 4"},
      {IntelDump(0xF13, 8, 0), "Intel Geniune Processor"},
      {IntelDump(0xF12, 11, 0), "Intel Xeon MP"},
      {IntelDump(0xF24, 11, 0), "Intel Xeon"},
      {IntelDump(0xF24, 14, 0), "Intel Mobile Pentium 4"},
      {IntelDump(0x686, 15, 0), "Intel Mobile Celeron"},
      {IntelDump(0x672, 5, 0x43), "Intel Pentium III"},  // index without a rule: signature
      {IntelDump(0x480, 0, 0), "Intel 80486DX4"},
      {IntelDump(0x543, 0, 0), "Intel Pentium MMX"},
      {IntelDump(0x1632, 0, 0), "Intel Pentium II Overdrive"},
      {IntelDump(0x633, 0, 0), "Intel Pentium II"},
      {IntelDump(0x652, 0, 0x41), "Intel Celeron"},
      {IntelDump(0x652, 0, 0x43), "Intel Pentium II"},
      {IntelDump(0x652, 0, 0x44), "Intel Pentium II Xeon"},
      {IntelDump(0x665, 0, 0x42), "Intel Mobile Pentium II"},
      {IntelDump(0x665, 0, 0x41, 1u << 18), "Intel Mobile Celeron"},
      {IntelDump(0x665, 0, 0x41), "Intel Celeron"},
      {IntelDump(0x673, 0, 0x44), "Intel Pentium III Xeon"},
      {IntelDump(0x683, 0, 0x82), "Intel x86 Family 6 Model 8 Stepping 3"},
      {Vendor(1, "AuthenticAMD") + Leaf(1, 0x58C, 0, 0, 0), "AMD K6 2"},
      {Vendor(1, "AuthenticAMD") + Leaf(1, 0x4E4, 0, 0, 0), "AMD AM5x86"},
      {Vendor(1, "AuthenticAMD") + Leaf(1, 0x644, 0, 0, 0), "AMD x86 Family 6 Model 4 Stepping 4"},
      {Vendor(1, "CyrixInstead") + Leaf(1, 0x672, 0, 0, 0), "Via Cyrix III"},
      {Vendor(1, "CentaurHauls") + Leaf(1, 0x585, 0, 0, 0), "IDT WinChip 2"},
      {Vendor(1, "NexGenDriven") + Leaf(1, 0x500, 0, 0, 0), "NexGen Nx586"},
      {Vendor(1, "UMC UMC UMC ") + Leaf(1, 0x420, 0, 0, 0), "UMC U5D"},
      {Vendor(1, "RiseRiseRise") + Leaf(1, 0x520, 0, 0, 0), "Rise iDragon II"},
      {Vendor(1, "GenuineTMx86") + Leaf(1, 0x543, 0, 0, 0) + Leaf(0x80860000, 0x80860005, 0, 0, 0),
       "Transmeta x86 Family 5 Model 4 Stepping 3"},
      {Vendor(1, "Vortex86 SoC") + Leaf(1, 0x683, 0, 0, 0),
       "Unknown x86 Family 6 Model 8 Stepping 3"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Library(c.dump)->Processors(0).Name().Text(), c.name) << c.dump;
}

TEST(ProcessorNameTest, BrandStringNeedsLeaf80000004) {
  // "  Intel(R) Pentium(R) 4 CPU 1500MHz" as Intel documents it, leading blanks trimmed.
  const std::string brand = Leaf(0x80000002, 0x20202020, 0x20202020, 0x20202020, 0x6E492020) +
                            Leaf(0x80000003, 0x286C6574, 0x50202952, 0x69746E65, 0x52286D75) +
                            Leaf(0x80000004, 0x20342029, 0x20555043, 0x30303531, 0x007A484D);
  const std::string p4 = Vendor(2, "GenuineIntel") + Leaf(1, 0xF13, 9, 0, 0) + brand;
  EXPECT_EQ(Library(p4 + Leaf(0x80000000, 0x80000004, 0, 0, 0))->Processors(0).Name().Text(),
            "Intel(R) Pentium(R) 4 CPU 1500MHz");
  EXPECT_EQ(Library(p4 + Leaf(0x80000000, 0x80000003, 0, 0, 0))->Processors(0).Name().Text(),
            "Intel Geniune Processor");
  // Padding NULs in front are trimmed like blanks; one inside ends the text.
  const std::string padded = Vendor(1, "AuthenticAMD") + Leaf(0x80000000, 0x80000004, 0, 0, 0) +
                             Leaf(0x80000002, 0, 0, 0x20444D41, 0x6B6C7441) +
                             Leaf(0x80000003, 0x00202020, 0x41414141, 0, 0);
  EXPECT_EQ(Library(padded)->Processors(0).Name().Text(), "AMD Atlk");
}

// --- Caches -----------------------------------------------------------------------------------

TEST(ProcessorCacheTest, LevelTwoFromDescriptors) {
  struct Case {
    std::uint32_t edx;
    std::uint32_t l2;
  } cases[] = {
      {0x00004340, 512 * 1024},  // 0x43 comes later in the table than 0x40
      {0x00004043, 512 * 1024},  {0x00000040, 0},
      {0x80000043, 0},           // bit 31 set: no descriptors in that register
      {0x00827A00, 256 * 1024},  // both 256 KB rows
      {0x00447C00, 1024 * 1024},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Library(IntelDump(0x686, 0, c.edx))->Processors(0).Cache().Level2().Size(), c.l2)
        << std::hex << c.edx;
}

TEST(ProcessorCacheTest, IntelRunsLeafTwoAsOftenAsItSays) {
  class CountingSource : public ICpuidSource {
   public:
    CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t) override {
      if (leaf == 0) return {2, 0x756E6547, 0x6C65746E, 0x49656E69};
      if (leaf != 2) return {};
      ++runs;
      // One run for the count, three more; only the last one's registers count.
      return {0x00000003, 0, 0, runs == 4 ? 0x00000044u : 0u};
    }
    int runs = 0;
  };
  auto source = std::make_shared<CountingSource>();
  CpuLibrary lib(source, std::make_shared<SingleProcessorSystem>(), nullptr);
  EXPECT_EQ(lib.Processors(0).Cache().Level2().Size(), 1024u * 1024);
  EXPECT_EQ(source->runs, 4);
}

TEST(ProcessorCacheTest, ExtendedLeavesAndViaLevelTwo) {
  const std::string ext = Leaf(0x80000000, 0x80000006, 0, 0, 0) +
                          Leaf(0x80000005, 0, 0, 0x40020140, 0x20020140) +
                          Leaf(0x80000006, 0, 0, 0x01008140, 0);
  auto amd = Library(Vendor(1, "AuthenticAMD") + ext);
  ProcessorCache cache = amd->Processors(0).Cache();
  EXPECT_EQ(cache.Level1().Code().Size(), 32u * 1024);
  EXPECT_EQ(cache.Level1().Data().Size(), 64u * 1024);
  EXPECT_EQ(cache.Level1().Unified().Size(), 0u);
  EXPECT_EQ(cache.Level2().Size(), 256u * 1024);
  EXPECT_EQ(cache.Level3().Size(), 0u);
  EXPECT_EQ(cache.Trace().Size(), 0u);
  EXPECT_EQ(Library(Vendor(1, "CentaurHauls") + ext)->Processors(0).Cache().Level2().Size(), 1024u);
}

// One entry of leaf 4: level, type (1 data, 2 instruction, 3 unified), ways, partitions, line
// size and sets, each stored less one as the processor reports them.
CpuidRegisters CacheEntry(std::uint32_t level, std::uint32_t type, std::uint32_t ways,
                          std::uint32_t partitions, std::uint32_t line, std::uint32_t sets) {
  return {(level << 5) | type, ((ways - 1) << 22) | ((partitions - 1) << 12) | (line - 1), sets - 1,
          0};
}

TEST(ProcessorCacheTest, LeafFourWhenLeafTwoDefersOrNamesNoCache) {
  const CpuidRegisters l1d = CacheEntry(1, 1, 12, 1, 64, 64);    // 48 KB
  const CpuidRegisters l1i = CacheEntry(1, 2, 8, 1, 64, 64);     // 32 KB
  const CpuidRegisters l2 = CacheEntry(2, 3, 10, 1, 64, 2048);   // 1280 KB
  const CpuidRegisters l3 = CacheEntry(3, 3, 12, 1, 64, 40960);  // 30 MB
  const CpuidRegisters l1u = CacheEntry(1, 3, 8, 2, 64, 64);     // 64 KB in two partitions
  const CpuidRegisters l4 = CacheEntry(4, 3, 16, 1, 64, 65536);  // 64 MB: no line shows it
  const CpuidRegisters huge{0x63, 0xFFFFFFFF, 0xFFFFFFFF, 0};    // level 3 beyond 32 bits
  constexpr std::uint32_t K = 1024;
  struct Case {
    const char* what;
    std::uint32_t maxLeaf, leafTwoEdx;
    std::vector<CpuidRegisters> leafFour;
    std::uint32_t code, data, unified, level2, level3;
  } cases[] = {
      {"descriptor FF", 4, 0x000000FF, {l1d, l1i, l2, l3}, 32 * K, 48 * K, 0, 1280 * K, 30720 * K},
      {"FF beside cache descriptors",
       4,
       0x002C7AFF,
       {l1d, l1i, l2, l3},
       32 * K,
       48 * K,
       0,
       1280 * K,
       30720 * K},
      {"no descriptor names a cache",
       4,
       0,
       {l1d, l1i, l2, l3},
       32 * K,
       48 * K,
       0,
       1280 * K,
       30720 * K},
      // What the descriptors leave out comes from leaf 4 (a Core 2 names its level 2 with 0x49,
      // which the table lacks).
      {"descriptors name some caches",
       4,
       0x00002C7A,
       {l1d, l1i, l2, l3},
       32 * K,
       32 * K,
       0,
       256 * K,
       30720 * K},
      {"Core 2: level 1 named, level 2 not",
       4,
       0x0049302C,
       {l1d, l1i, l2},
       32 * K,
       32 * K,
       0,
       1280 * K,
       0},
      {"FF on a processor without leaf 4", 2, 0x000000FF, {l1d, l1i, l2, l3}, 0, 0, 0, 0, 0},
      {"the list ends at a null type", 4, 0, {l1d, CpuidRegisters{}, l2}, 0, 48 * K, 0, 0, 0},
      {"unified level 1, level 4 left out", 4, 0, {l1u, l4}, 0, 0, 64 * K, 0, 0},
      {"the first entry of a level counts",
       4,
       0,
       {l2, CacheEntry(2, 3, 8, 1, 64, 1024)},
       0,
       0,
       0,
       1280 * K,
       0},
      {"a size beyond 32 bits", 4, 0xFF, {huge}, 0, 0, 0, 0, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    std::string dump = Vendor(c.maxLeaf, "GenuineIntel") + Leaf(1, 0x906EA, 0, 0, 0) +
                       Leaf(2, 0x00000001, 0, 0, c.leafTwoEdx);
    for (std::uint32_t i = 0; i < c.leafFour.size(); ++i) {
      const CpuidRegisters& r = c.leafFour[i];
      dump += fakes::SubLeaf(4, i, r.eax, r.ebx, r.ecx, r.edx);
    }
    auto lib = Library(dump);
    ProcessorCache cache = lib->Processors(0).Cache();
    EXPECT_EQ(cache.Level1().Code().Size(), c.code) << c.what;
    EXPECT_EQ(cache.Level1().Data().Size(), c.data) << c.what;
    EXPECT_EQ(cache.Level1().Unified().Size(), c.unified) << c.what;
    EXPECT_EQ(cache.Level2().Size(), c.level2) << c.what;
    EXPECT_EQ(cache.Level3().Size(), c.level3) << c.what;
    EXPECT_EQ(cache.Trace().Size(), 0u) << c.what;
  }
}

TEST(ProcessorCacheTest, ALeafFourListWithoutEndStillEnds) {
  class EndlessSource : public ICpuidSource {
   public:
    CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t) override {
      if (leaf == 0) return {4, 0x756E6547, 0x6C65746E, 0x49656E69};
      if (leaf == 2) return {1, 0, 0, 0xFF};
      if (leaf != 4) return {};
      ++leafFourRuns;
      return CacheEntry(1, 1, 8, 1, 64, 64);  // the same data cache for every sub-leaf
    }
    int leafFourRuns = 0;
  };
  auto source = std::make_shared<EndlessSource>();
  CpuLibrary lib(source, std::make_shared<SingleProcessorSystem>(), nullptr);
  EXPECT_EQ(lib.Processors(0).Cache().Level1().Data().Size(), 32u * 1024);
  EXPECT_EQ(lib.Processors(0).Cache().Level2().Size(), 0u);
  EXPECT_LE(source->leafFourRuns, 200);
}

TEST(ProcessorCacheTest, LevelThreeFromExtendedLeafSix) {
  struct Case {
    const char (&vendor)[13];
    std::uint32_t edx;
    std::uint32_t level3;
  } cases[] = {
      {"AuthenticAMD", 0x01009140, 32u * 1024 * 1024},  // 64 units of 512 KB
      {"AuthenticAMD", 0x0003FFFF, 0},                  // only the low fields are set
      {"AuthenticAMD", 0xFFFC0000, 0xFFFFFFFFu},        // held at what 32 bits can say
      {"CentaurHauls", 0x00200000, 4u * 1024 * 1024},
  };
  for (const Case& c : cases) {
    auto lib = Library(Vendor(1, c.vendor) + Leaf(0x80000000, 0x80000006, 0, 0, 0) +
                       Leaf(0x80000006, 0, 0, 0x02006140, c.edx));
    EXPECT_EQ(lib->Processors(0).Cache().Level3().Size(), c.level3)
        << c.vendor << std::hex << c.edx;
  }
}

// --- Clock ------------------------------------------------------------------------------------

TEST(ProcessorSpeedTest, NormalisationGrid) {
  struct Case {
    std::uint32_t raw, normalised;
  } cases[] = {{1993, 1990}, {2396, 2400}, {1466, 1466}, {733, 733},   {549, 550},   {1999, 2000},
               {0, 0},       {18, 17},     {19, 20},     {1055, 1060}, {1041, 1033}, {99, 100}};
  for (const Case& c : cases) EXPECT_EQ(NormaliseSpeed(c.raw), c.normalised) << c.raw;
}

TEST(ProcessorSpeedTest, MeasuredOnTheWorkerThread) {
  auto clock = std::make_shared<FakeClock>(23967);
  auto lib = Library("", nullptr, clock);
  ProcessorSpeedInformation speed = lib->Processors(0).Speed();
  EXPECT_EQ(speed.RawSpeed(), 2396u);
  EXPECT_EQ(speed.NormalisedSpeed(), 2400u);
  EXPECT_EQ(clock->threads, 2) << "every access measures anew";
}

TEST(ProcessorSpeedTest, BrokenCountersGiveZeroWithoutHanging) {
  // A tick count that never moves: the wait ends after a second of performance counter.
  auto stuck = std::make_shared<FakeClock>(10000);
  stuck->stuckTicks = true;
  EXPECT_NEAR(Library("", nullptr, stuck)->Processors(0).Speed().RawSpeed(), 1000, 5);
  auto noFrequency = std::make_shared<FakeClock>(10000);
  noFrequency->frequency = 0;
  EXPECT_EQ(Library("", nullptr, noFrequency)->Processors(0).Speed().RawSpeed(), 0u);
  EXPECT_THROW(Library("")->Processors(0).Speed().RawSpeed(), std::runtime_error);
}

// --- Size text --------------------------------------------------------------------------------

TEST(SizeTextTest, UnitsAndSeparators) {
  struct Case {
    std::uint32_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},         {1023, "1023 bytes"},    {1024, "1.0 Kb"},
      {1280, "1.3 Kb"},       {262144, "256.0 Kb"},    {1048575, "1,024.0 Kb"},
      {1048576, "1.0 Mb"},    {1572864, "1.5 Mb"},     {1073741823, "1,024.0 Mb"},
      {1073741824, "1.0 Gb"}, {4294967295u, "4.0 Gb"},
  };
  for (const Case& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
  EXPECT_EQ(SizeText(1048575, NumberSeparators{",", "\xC2\xA0"}),
            "1\xC2\xA0"
            "024,0 Kb");
}

}  // namespace
}  // namespace kvn
