// The "Processeur" page model: labels, rows, level-2 size, logo, and the stop-on-failure rule.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "cpuid/cpuid_dump.h"
#include "fakes/fake_cpu.h"
#include "sysinfo/processor_page.h"

namespace kvn {
namespace {

std::string DumpText(const char* name) {
  std::ifstream file(std::string(KORVANE_TEST_DATA) + "/cpuid/" + name + ".txt", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Answers from a dump and fails at the n-th CPUID execution.
class FailingSource : public ICpuidSource {
 public:
  FailingSource(const std::string& dump, int failAt) : dump_(dump), failAt_(failAt) {}
  CpuidRegisters Execute(std::uint32_t leaf, std::uint32_t subLeaf) override {
    if (++calls == failAt_) throw std::runtime_error("CPUID failed");
    return dump_.Execute(leaf, subLeaf);
  }
  int calls = 0;

 private:
  CpuidDumpSource dump_;
  int failAt_;
};

TEST(ProcessorPageTest, AthlonWithClock) {
  auto clock = std::make_shared<fakes::FakeClock>(13335);  // 1333.5 MHz
  CpuLibrary lib(std::make_shared<CpuidDumpSource>(DumpText("amd_athlon")),
                 std::make_shared<SingleProcessorSystem>(), clock);
  ProcessorPageModel page = GetCpuInfoCurrent(lib, NumberSeparators{",", " "});
  ASSERT_TRUE(page.Complete) << page.FailureMessage;
  EXPECT_EQ(clock->threads, 2) << "a first measurement, then the one shown";
  EXPECT_EQ(page.processorNameLabel, "AMD Athlon(tm) Processor ( 1333 Mhz )");
  EXPECT_EQ(page.mmxLabel, "MMX Instructions supportées");
  EXPECT_EQ(page.simdLabel, "SIMD Instructions non supportées");
  EXPECT_EQ(page.threeDNowLabel, "3DNow! Instructions supportées");
  EXPECT_EQ(page.l1CodeLabel, "64 Kb");
  EXPECT_EQ(page.l1DataLabel, "64 Kb");
  EXPECT_EQ(page.l1UnifiedLabel, "0 Kb");
  EXPECT_EQ(page.l2Label, "256,0 Kb");
  EXPECT_EQ(page.l3Label, "0 bytes");
  EXPECT_EQ(page.SecondLevelCacheKB, 256u);
  ASSERT_EQ(page.featureList.size(), 31u);
  EXPECT_EQ(page.featureList[17].Abbreviation, "SERIAL");
  EXPECT_EQ(page.featureList[17].Description, "Processor Serial Number");
  EXPECT_EQ(page.featureList[27].Abbreviation, "3DNOW");
  EXPECT_TRUE(page.featureList[27].Supported);
  EXPECT_EQ(page.featureList[29].Abbreviation, "MMX+");
  EXPECT_TRUE(page.featureList[29].Supported);
}

TEST(ProcessorPageTest, ThreeLinesShowWhatTheProcessorHas) {
  // SSE behind "SIMD", the extended MMX+ bit, and IA-64 in the standard set.
  const std::string itanium =
      fakes::Vendor(1, "GenuineIntel") + fakes::Leaf(1, 0x700, 0, 0, (1u << 25) | (1u << 30));
  CpuLibrary lib(std::make_shared<CpuidDumpSource>(itanium),
                 std::make_shared<SingleProcessorSystem>(), nullptr);
  ProcessorPageModel page = GetCpuInfoCurrent(lib, {}, false);
  ASSERT_TRUE(page.Complete);
  EXPECT_EQ(page.simdLabel, "SIMD Instructions supportées");
  EXPECT_EQ(page.featureList[30].Abbreviation, "IA-64");
  EXPECT_TRUE(page.featureList[30].Supported);
  EXPECT_EQ(page.processorNameLabel, "Intel x86 Family 7 Model 0 Stepping 0");
}

TEST(ProcessorPageTest, LogoRules) {
  struct Case {
    std::string dump;
    ProcessorLogo logo;
  } cases[] = {
      {DumpText("pentium4_ht"), ProcessorLogo::logoP4HT},
      {DumpText("pentium4_noht"), ProcessorLogo::LogoIntel},
      {DumpText("amd_athlon"), ProcessorLogo::LogoAMD},
      {DumpText("cyrix_6x86mx"), ProcessorLogo::LogoCyrix},
      {DumpText("via_c3"), ProcessorLogo::None},
      // An AMD processor reporting the HTT bit still shows its maker's logo.
      {fakes::Vendor(1, "AuthenticAMD") + fakes::Leaf(1, 0xF48, 0, 0, 1u << 28),
       ProcessorLogo::LogoAMD},
  };
  for (const Case& c : cases) {
    CpuLibrary lib(std::make_shared<CpuidDumpSource>(c.dump),
                   std::make_shared<SingleProcessorSystem>(), nullptr);
    EXPECT_EQ(SelectProcessorLogo(lib), c.logo) << c.dump;
  }
}

TEST(ProcessorPageTest, FailureStopsTheFillAndKeepsWhatWasFilled) {
  const std::string dump = DumpText("pentium4_ht");
  int total = 0;
  {
    auto source = std::make_shared<FailingSource>(dump, -1);
    CpuLibrary lib(source, std::make_shared<SingleProcessorSystem>(), nullptr);
    ASSERT_TRUE(GetCpuInfoCurrent(lib, {}, false).Complete);
    total = source->calls;
  }
  ASSERT_GT(total, 31);
  bool sawPartialRows = false;
  for (int failAt = 1; failAt <= total; ++failAt) {
    auto source = std::make_shared<FailingSource>(dump, failAt);
    CpuLibrary lib(source, std::make_shared<SingleProcessorSystem>(), nullptr);
    ProcessorPageModel page = GetCpuInfoCurrent(lib, {}, false);
    ASSERT_FALSE(page.Complete) << failAt;
    EXPECT_EQ(page.FailureMessage, "CPUID failed");
    // Filled in page order: a later item is there only when every earlier one is.
    const bool filled[] = {page.processorNameLabel.has_value(),
                           page.mmxLabel.has_value(),
                           page.simdLabel.has_value(),
                           page.threeDNowLabel.has_value(),
                           page.l1CodeLabel.has_value(),
                           page.l2Label.has_value(),
                           page.l3Label.has_value(),
                           !page.featureList.empty()};
    for (int i = 1; i < 8; ++i)
      if (filled[i]) {
        EXPECT_TRUE(filled[i - 1]) << "item " << i << " failAt " << failAt;
      }
    EXPECT_EQ(page.l1CodeLabel.has_value(), page.l1UnifiedLabel.has_value());
    EXPECT_LT(page.featureList.size(), 31u);
    if (!page.l1CodeLabel) {
      EXPECT_EQ(page.SecondLevelCacheKB, 0u);
    }
    if (page.l2Label) {
      EXPECT_EQ(page.SecondLevelCacheKB, 512u);
    }
    if (!page.featureList.empty()) sawPartialRows = true;
  }
  EXPECT_TRUE(sawPartialRows);
}

TEST(ProcessorPageTest, ClockFailureLeavesThePageEmpty) {
  class NoThreadClock : public fakes::FakeClock {
   public:
    NoThreadClock() : FakeClock(10000) {}
    void RunTimeCritical(const std::function<void()>&) override {
      throw std::runtime_error("Cannot create the processor speed thread");
    }
  };
  CpuLibrary lib(std::make_shared<CpuidDumpSource>(DumpText("pentium3_katmai")),
                 std::make_shared<SingleProcessorSystem>(), std::make_shared<NoThreadClock>());
  ProcessorPageModel page = GetCpuInfoCurrent(lib, {});
  EXPECT_FALSE(page.Complete);
  EXPECT_FALSE(page.processorNameLabel.has_value());
  EXPECT_TRUE(page.featureList.empty());
  EXPECT_EQ(page.SecondLevelCacheKB, 0u);
}

}  // namespace
}  // namespace kvn
