// Each dump under tests/data/cpuid/ must give exactly the report stored beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "cpuid/cpuid_dump.h"
#include "cpuid/cpuid_report.h"
#include "fakes/fake_cpu.h"

namespace kvn {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class CpuidReportTest : public testing::TestWithParam<const char*> {};

TEST_P(CpuidReportTest, DumpGivesTheExpectedReport) {
  const std::string base = std::string(KORVANE_TEST_DATA) + "/cpuid/" + GetParam();
  const std::string expected = ReadText(base + ".expected");
  ASSERT_FALSE(expected.empty()) << base << ".expected is missing";
  auto source = std::make_shared<CpuidDumpSource>(CpuidDumpSource::FromFile(base + ".txt"));
  CpuLibrary library(source, std::make_shared<SingleProcessorSystem>(), nullptr);
  EXPECT_EQ(CpuidReport(library, false), expected);
}

INSTANTIATE_TEST_SUITE_P(Processors, CpuidReportTest,
                         testing::Values("pentium3_coppermine", "pentium3_katmai",
                                         "celeron_tualatin", "pentium4_ht", "pentium4_noht",
                                         "amd_k6", "amd_athlon", "via_c3", "cyrix_6x86mx",
                                         "transmeta_crusoe", "unknown_vendor", "xeon_gold_6252",
                                         "xeon_nehalem_ep", "ryzen5_3600x"));

TEST(CpuidReportTest, ControlBytesOfADamagedDumpStayOnTheirLine) {
  const std::string dump = fakes::Vendor(0x80000000, "Genu\nineIn\rl") +
                           fakes::Leaf(0x80000000, 0x80000004, 0, 0, 0) +
                           fakes::Leaf(0x80000002, 0x0A444D41, 0x20202020, 0, 0);
  CpuLibrary library(std::make_shared<CpuidDumpSource>(dump),
                     std::make_shared<SingleProcessorSystem>(), nullptr);
  const std::string report = CpuidReport(library, false);
  EXPECT_EQ(report.substr(0, report.find('\n')), "vendor: Genu?ineIn?l");
  EXPECT_NE(report.find("\nname: AMD\n"), std::string::npos) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 45);
}

TEST(CpuidReportTest, MissingDumpFileIsAnError) {
  EXPECT_THROW(CpuidDumpSource::FromFile(std::string(KORVANE_TEST_DATA) + "/cpuid/nothing.txt"),
               std::runtime_error);
}

}  // namespace
}  // namespace kvn
