#include <gtest/gtest.h>

#include <cstdint>

#include "engine/kvn_max_mem.h"
#include "fakes/fake_memory_service.h"

namespace kvn {
namespace {

constexpr std::uint64_t kMB = 1048576;
constexpr std::uint64_t kGB = 1024 * kMB;

TEST(MemoryStatus, QuantitiesFromTheStatusRecord) {
  struct Case {
    const char* what;
    std::uint64_t totalPhys, totalPageFile, availPageFile, totalVirtual;
    std::int64_t totalSwapFileSize, pageSize;
    int swapFileUsage;
    std::int64_t swapFileUsageMB, virtualUsage;
  };
  const Case cases[] = {
      {"512 MB page file", 512 * kMB, kGB, kGB, 2 * kGB, 512, 512, 0, 0, 2048},
      {"commit limit 10 MB below physical memory", 512 * kMB, 502 * kMB, 250 * kMB, 2 * kGB, 0, -10,
       50, 0, 2048},
      {"12.5 % goes to the even neighbour", 0, 1000, 875, 0, 0, 0, 12, 0, 0},
      {"13.5 % goes to the even neighbour", 0, 1000, 865, 0, 0, 0, 14, 0, 0},
      // 767 MB page file used at 33 %: 253.11 MB, truncated.
      {"usage MB from the rounded percentage", kGB, kGB + 767 * kMB, kGB + 767 * kMB - 619739873,
       3 * kGB, 767, 767, 33, 253, 3072},
      // 29 % of 100 MB must not come out as 28 through 0.29 * 100 = 28.999...
      {"usage MB exact in whole numbers", kGB, kGB + 100 * kMB, 836842947, 4 * kGB, 100, 100, 29,
       29, 4096},
      {"quantities above 4 GB", 16 * kGB, 24 * kGB, 12 * kGB, 128ull * 1024 * kGB, 8192, 8192, 50,
       4096, 128 * 1024 * 1024},
      {"no commit limit reported", 512 * kMB, 0, 0, 0, 0, -512, 0, 0, 0},
      {"available above total", 512 * kMB, kGB, 2 * kGB, 0, 512, 512, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMemoryService fake;
    fake.status.totalPhys = c.totalPhys;
    fake.status.totalPageFile = c.totalPageFile;
    fake.status.availPageFile = c.availPageFile;
    fake.status.totalVirtual = c.totalVirtual;
    MemoryEngine engine(fake);
    EXPECT_EQ(engine.TotalMemory(), static_cast<std::int64_t>(c.totalPhys));
    EXPECT_EQ(engine.TotalSwapFileSize(), c.totalSwapFileSize);
    EXPECT_EQ(engine.PageSize(), c.pageSize);
    EXPECT_EQ(engine.SwapFileUsage(), c.swapFileUsage);
    EXPECT_EQ(engine.SwapFileUsageMB(), c.swapFileUsageMB);
    EXPECT_EQ(engine.VirtualUsage(), c.virtualUsage);
  }
}

TEST(MemoryStatus, EveryReadIsAFreshStatusCall) {
  FakeMemoryService fake;
  fake.status.availPhys = 100 * kMB;
  MemoryEngine engine(fake);
  EXPECT_EQ(engine.FreeMemory(), static_cast<std::int64_t>(100 * kMB));
  fake.status.availPhys = 6 * kGB;  // above 4 GB: no wrap
  EXPECT_EQ(engine.FreeMemory(), static_cast<std::int64_t>(6 * kGB));
  EXPECT_EQ(fake.statusReads, 2);
}

TEST(MemoryStatus, InstalledRamMB) {
  struct Case {
    std::int64_t totalBytes, mb;
  };
  const Case cases[] = {
      {535560192, 511},
      {static_cast<std::int64_t>(512 * kMB), 513},
      {static_cast<std::int64_t>(16 * kGB - 300 * kMB), 16085},
      {0, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(InstalledRamMB(c.totalBytes), c.mb) << c.totalBytes;
}

}  // namespace
}  // namespace kvn
