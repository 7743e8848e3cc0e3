// Deterministic mutation loop over the performance-data walk: well-formed blocks are damaged
// field by field, truncated and spliced, and every result must be either a clean reading or one
// of the two errors. Run under AddressSanitizer, any read past the block aborts the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../fakes/perf_buffer_builder.h"
#include "../fakes/perf_fake_platform.h"
#include "control/perf_data.h"

namespace {

using namespace kvn;

std::vector<std::vector<std::uint8_t>> Seeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  seeds.push_back(fake::BuildProcessorBlock({1, 2, 3}, fake::MakeSystemTime(1, 2)).bytes);
  fake::PerfObjectSpec other;
  other.titleIndex = 230;
  other.idleTimes = {4, 5};
  fake::PerfObjectSpec cpu;
  cpu.counters = {142, 6, 240, 1746};
  cpu.idleTimes = {7, 8, 9, 10, 11};
  seeds.push_back(fake::BuildPerfBlock({other, cpu}, fake::MakeSystemTime(3, 4)).bytes);
  fake::PerfObjectSpec lone;
  lone.counters = {6};
  seeds.push_back(fake::BuildPerfBlock({lone}, fake::MakeSystemTime(5, 6)).bytes);
  return seeds;
}

void Mutate(std::vector<std::uint8_t>& b, std::mt19937& rng) {
  static const std::uint32_t kInteresting[] = {
      0,  1,   3,          4,          6,          8,          24,         40,
      64, 238, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFC, 0xFFFFFFF8, 0x10000};
  const int steps = 1 + static_cast<int>(rng() % 4);
  for (int s = 0; s < steps && !b.empty(); ++s) {
    const std::size_t pos = rng() % b.size();
    switch (rng() % 6) {
      case 0:  // flip one bit
        b[pos] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 1:  // a 32-bit field takes an awkward value
        if (pos + 4 <= b.size()) {
          const std::uint32_t v = kInteresting[rng() % std::size(kInteresting)];
          std::memcpy(&b[pos & ~std::size_t{3}], &v, 4);
        }
        break;
      case 2:  // a 32-bit field moves by a little
        if ((pos & ~std::size_t{3}) + 4 <= b.size()) {
          std::uint32_t v;
          std::memcpy(&v, &b[pos & ~std::size_t{3}], 4);
          v += static_cast<std::uint32_t>(static_cast<int>(rng() % 65) - 32);
          std::memcpy(&b[pos & ~std::size_t{3}], &v, 4);
        }
        break;
      case 3:  // truncated
        b.resize(pos);
        break;
      case 4:  // bytes removed from the middle
        b.erase(b.begin() + pos, b.begin() + std::min(b.size(), pos + 1 + rng() % 32));
        break;
      default:  // bytes duplicated into the middle
      {
        const std::size_t len = std::min<std::size_t>(b.size() - pos, 1 + rng() % 48);
        std::vector<std::uint8_t> copy(b.begin() + pos, b.begin() + pos + len);
        b.insert(b.begin() + rng() % (b.size() + 1), copy.begin(), copy.end());
      }
    }
  }
}

// The sampler over a good block then a damaged one: its state stays usable whatever the second
// block holds, and every index it accepts is one it holds counters for.
bool SamplerSurvives(const std::vector<std::uint8_t>& good, const std::vector<std::uint8_t>& bad) {
  fake::FakeLoadPlatform platform;
  platform.blocks = {good, bad};
  LoadSampler sampler(platform);
  for (int round = 0; round < 3; ++round) {
    try {
      sampler.TakeLoadSnapshot();
    } catch (const LoadSamplingError&) {
    }
    for (int i = -1; i <= sampler.ProcessorCount() + 1; ++i) {
      try {
        const double load = sampler.ProcessorLoad(i);
        if (i < 0 || i >= sampler.ProcessorCount()) return false;
        (void)load;
      } catch (const LoadSamplingError&) {
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 300000;
  std::mt19937 rng(20261207);
  const auto seeds = Seeds();
  const auto memorySeed = fake::BuildMemoryBlock({{1380, 8, 1}, {1384, 8, 2}, {1388, 8, 3}}).bytes;
  const std::vector<MemoryListCounter> memoryCounters = {{1380, MemoryListPart::FreeZero},
                                                         {1384, MemoryListPart::StandbyReserve}};
  long parsed = 0, objectErrors = 0, counterErrors = 0;
  for (long it = 0; it < iterations; ++it) {
    std::vector<std::uint8_t> b = seeds[it % seeds.size()];
    Mutate(b, rng);
    // An exact-size copy so that a read one byte too far is caught.
    std::vector<std::uint8_t> exact(b);
    if (it % 16 == 0 && !SamplerSurvives(seeds[it % seeds.size()], b)) {
      std::fprintf(stderr, "iteration %ld: sampler accepted an index it has no counter for\n", it);
      return 1;
    }
    // The memory lists walk the same kind of block, and take a name table from anywhere.
    std::vector<std::uint8_t> memory = memorySeed;
    Mutate(memory, rng);
    MemoryListParts parts;
    ParseMemoryObject(memory.data(), memory.size(), memoryCounters, parts);
    FindMemoryListCounters(exact.data(), exact.size());
    const std::int32_t count = (it % 3 == 0) ? -1 : static_cast<std::int32_t>(rng() % 8);
    try {
      ProcessorObjectData d = ParseProcessorObject(exact.data(), exact.size(), count);
      const std::size_t want = count < 0 ? static_cast<std::size_t>(d.numInstances) : count;
      if (d.idleTimes.size() != want) {
        std::fprintf(stderr, "iteration %ld: %zu values for %zu instances\n", it,
                     d.idleTimes.size(), want);
        return 1;
      }
      std::int64_t stamp;
      SystemTimeToFileTime100ns(d.systemTime, stamp);
      ++parsed;
    } catch (const LoadSamplingError& e) {
      const std::string m = e.what();
      if (m == kNoProcessorObjectMessage) {
        ++objectErrors;
      } else if (m == kNoUsageCounterMessage) {
        ++counterErrors;
      } else {
        std::fprintf(stderr, "iteration %ld: unexpected message '%s'\n", it, m.c_str());
        return 1;
      }
    }
  }
  std::printf("perf_data_fuzz: %ld blocks, %ld read, %ld without object, %ld without counter\n",
              iterations, parsed, objectErrors, counterErrors);
  return 0;
}
