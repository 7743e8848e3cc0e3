// The page model put on the main form's "Processeur" controls.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "cpuid/cpuid_dump.h"
#include "fakes/fake_cpu.h"
#include "shell/main_form.h"
#include "shell/processor_page_binding.h"

namespace kvn {
namespace {

std::unique_ptr<CpuLibrary> DumpLibrary(const char* name, bool withClock) {
  std::ifstream file(std::string(KORVANE_TEST_DATA) + "/cpuid/" + name + ".txt", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::shared_ptr<ICpuClock> clock;
  if (withClock) clock = std::make_shared<fakes::FakeClock>(30600);
  return std::make_unique<CpuLibrary>(std::make_shared<CpuidDumpSource>(text.str()),
                                      std::make_shared<SingleProcessorSystem>(), clock);
}

TEST(ProcessorPageBindingTest, FillsLabelsRowsAndLevelTwoSize) {
  MainForm form;
  auto lib = DumpLibrary("pentium4_ht", true);
  GetCpuInfoCurrent(form, *lib, NumberSeparators{",", "."});
  EXPECT_EQ(form.processorNameLabel.Caption(), "Intel(R) Pentium(R) 4 CPU 3.06GHz ( 3060 Mhz )");
  EXPECT_EQ(form.mmxLabel.Caption(), "MMX Instructions supportées");
  EXPECT_EQ(form.threeDNowLabel.Caption(), "3DNow! Instructions non supportées");
  EXPECT_EQ(form.l1CodeLabel.Caption(), "0 Kb");
  EXPECT_EQ(form.l1DataLabel.Caption(), "8 Kb");
  EXPECT_EQ(form.l2Label.Caption(), "512,0 Kb");
  EXPECT_EQ(form.l3Label.Caption(), "0 bytes");
  EXPECT_EQ(SecondLevelCacheKB(), 512u);
  const auto& items = form.featureList.Items();
  ASSERT_EQ(items.size(), 31u);
  EXPECT_EQ(items[23].caption, "HTT");
  ASSERT_EQ(items[23].subItems.size(), 1u);
  EXPECT_EQ(items[23].subItems[0], "Hyper-Threading technology");
  EXPECT_EQ(items[23].imageIndex, kImageTicked);
  EXPECT_EQ(items[27].caption, "3DNOW");
  EXPECT_EQ(items[27].imageIndex, kImageEmpty);
}

TEST(ProcessorPageBindingTest, FailureKeepsTheDesignCaptions) {
  MainForm form;
  const std::string designName = form.processorNameLabel.Caption();
  const std::string designLevel2 = form.l2Label.Caption();
  auto lib = DumpLibrary("pentium4_ht", false);  // no clock: the first step fails
  GetCpuInfoCurrent(form, *lib, NumberSeparators{});
  EXPECT_EQ(form.processorNameLabel.Caption(), designName);
  EXPECT_EQ(form.l2Label.Caption(), designLevel2);
  EXPECT_TRUE(form.featureList.Items().empty());
  EXPECT_EQ(SecondLevelCacheKB(), 0u);
}

TEST(ProcessorPageBindingTest, OneLogoOrNone) {
  struct Case {
    const char* dump;
    bool intel, amd, cyrix, p4ht;
  } cases[] = {
      {"pentium4_ht", false, false, false, true}, {"pentium4_noht", true, false, false, false},
      {"amd_k6", false, true, false, false},      {"cyrix_6x86mx", false, false, true, false},
      {"via_c3", false, false, false, false},     {"unknown_vendor", false, false, false, false},
  };
  for (const Case& c : cases) {
    MainForm form;
    SelectProcessorLogo(form, *DumpLibrary(c.dump, false));
    EXPECT_EQ(form.intelLogo.Visible(), c.intel) << c.dump;
    EXPECT_EQ(form.amdLogo.Visible(), c.amd) << c.dump;
    EXPECT_EQ(form.cyrixLogo.Visible(), c.cyrix) << c.dump;
    EXPECT_EQ(form.pentium4HTLogo.Visible(), c.p4ht) << c.dump;
  }
}

}  // namespace
}  // namespace kvn
