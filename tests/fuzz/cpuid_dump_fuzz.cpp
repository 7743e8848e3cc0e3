// Deterministic mutation loop over CPUID dump files: whatever the text, parsing it and reporting
// the processor it describes must neither crash nor hang, and the report keeps its shape.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cpuid/cpuid_dump.h"
#include "cpuid/cpuid_report.h"

namespace {

// xorshift64*: the same sequence on every run.
struct Random {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::uint64_t Next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

const char kAlphabet[] = "0123456789ABCDEFabcdef-: \n\r\tCPUIDSLx#[]\xFF";

std::string Mutate(std::string text, const std::vector<std::string>& seeds, Random& rnd) {
  const int steps = 1 + static_cast<int>(rnd.Below(8));
  for (int s = 0; s < steps; ++s) {
    const std::size_t at = rnd.Below(text.size() + 1);
    switch (rnd.Below(8)) {
      case 0:  // flip a byte
        if (!text.empty()) text[rnd.Below(text.size())] ^= static_cast<char>(1 + rnd.Below(255));
        break;
      case 1:  // a character that matters to the parser
        if (!text.empty())
          text[rnd.Below(text.size())] = kAlphabet[rnd.Below(sizeof kAlphabet - 1)];
        break;
      case 2:  // insert
        text.insert(at, 1 + rnd.Below(4), kAlphabet[rnd.Below(sizeof kAlphabet - 1)]);
        break;
      case 3:  // delete a run
        if (at < text.size()) text.erase(at, 1 + rnd.Below(12));
        break;
      case 4:  // truncate
        text.resize(rnd.Below(text.size() + 1));
        break;
      case 5: {  // duplicate a slice (repeated leaves, range maxima twice)
        const std::size_t from = rnd.Below(text.size() + 1);
        text.insert(at, text.substr(from, rnd.Below(80)));
        break;
      }
      case 6: {  // splice in part of another processor's dump
        const std::string& other = seeds[rnd.Below(seeds.size())];
        const std::size_t from = rnd.Below(other.size() + 1);
        text.insert(at, other.substr(from, rnd.Below(200)));
        break;
      }
      default: {  // a whole random leaf line, often in the ranges the library reads
        static const std::uint32_t bases[] = {0, 0x80000000u, 0x80860000u};
        char line[96];
        const std::uint32_t leaf =
            rnd.Below(4) == 0 ? static_cast<std::uint32_t>(rnd.Next())
                              : bases[rnd.Below(3)] + static_cast<std::uint32_t>(rnd.Below(10));
        // Mostly plain values, sometimes bit 31 (no descriptors) or bytes of text.
        auto reg = [&]() -> unsigned {
          switch (rnd.Below(3)) {
            case 0:
              return static_cast<unsigned>(rnd.Next());
            case 1:
              return static_cast<unsigned>(rnd.Next() >> 40) | 0x80000000u;
            default:
              return 0x0A202020u + static_cast<unsigned>(rnd.Below(0x5F));
          }
        };
        const unsigned a = reg(), b = reg(), c = reg(), d = reg();
        // Half the lines carry a sub-leaf tag, mostly a small one (the cache list of leaf 4).
        char tag[24] = "";
        if (rnd.Below(2) == 0)
          std::snprintf(tag, sizeof tag, " [SL %02X]",
                        rnd.Below(8) == 0 ? static_cast<unsigned>(rnd.Next())
                                          : static_cast<unsigned>(rnd.Below(6)));
        std::snprintf(line, sizeof line, "CPUID %08X: %08X-%08X-%08X-%08X%s\n", leaf, a, b, c, d,
                      tag);
        text.insert(at, line);
        break;
      }
    }
  }
  return text;
}

int CountLines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const fs::path dataDir = fs::path(__FILE__).parent_path().parent_path() / "data" / "cpuid";
  std::vector<std::string> seeds;
  for (const auto& entry : fs::directory_iterator(dataDir)) {
    if (entry.path().extension() != ".txt") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    seeds.push_back(text.str());
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "no seed dumps in %s\n", dataDir.string().c_str());
    return 1;
  }

  Random rnd;
  const int kIterations = 20000;
  for (int i = 0; i < kIterations; ++i) {
    const std::string text = Mutate(seeds[rnd.Below(seeds.size())], seeds, rnd);
    auto source = std::make_shared<kvn::CpuidDumpSource>(text);
    kvn::CpuLibrary library(source, std::make_shared<kvn::SingleProcessorSystem>(), nullptr);
    const std::string report = kvn::CpuidReport(library, false);
    // 14 fact lines and 31 feature rows, whatever the processor claims to be.
    if (CountLines(report) != 45) {
      std::fprintf(stderr, "iteration %d: report of %d lines\n--- input\n%s\n--- report\n%s", i,
                   CountLines(report), text.c_str(), report.c_str());
      return 1;
    }
  }
  std::printf("%d mutated dumps reported without fault\n", kIterations);
  return 0;
}
