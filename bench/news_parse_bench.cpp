// What a hostile news file costs in memory: 4 MB of distinct names that are no wanted key, and
// 4 MB of the wanted keys each many times over. Every allocation goes through the counters below;
// the figures are the peak of live bytes while the lines are read, and while they are parsed
// (beyond the lines), and the tree's heading count as a check that the work was done.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "news/news_file.h"

namespace {

std::size_t g_live = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size) {
  // The size goes in front of the block, so that delete knows what it gives back.
  auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  g_live += size;
  if (g_live > g_peak) g_peak = g_live;
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void Free(void* p) {
  if (!p) return;
  auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
  g_live -= *block;
  std::free(block);
}

struct Peak {
  double readMB, parseMB;
  std::size_t headings;
};

Peak Measure(const std::string& file) {
  const std::size_t before = g_live;
  g_peak = g_live;
  const std::vector<std::string> lines = kvn::ReadNewsLines(file);
  const std::size_t readPeak = g_peak - before;
  const std::size_t withLines = g_live;
  g_peak = g_live;
  const std::size_t headings = kvn::ParseNews(lines).size();
  const std::size_t parsePeak = g_peak - withLines;
  return {readPeak / 1048576.0, parsePeak / 1048576.0, headings};
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  Free(p);
}
void operator delete[](void* p) noexcept {
  Free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Free(p);
}

int main() {
  constexpr std::size_t kSize = 4 * 1024 * 1024;
  std::string distinct, wanted;
  for (unsigned n = 0; distinct.size() < kSize; ++n) distinct += "n" + std::to_string(n) + "=v\r\n";
  for (unsigned n = 0; wanted.size() < kSize; ++n)
    wanted += "item" + std::to_string(n % 100) + "=h\r\nsubitem" + std::to_string(n % 100) + "-" +
              std::to_string(n / 100 % 100) + "=l|h\r\n";
  std::printf("%-28s %10s %12s %12s %9s\n", "file", "size (MB)", "read (MB)", "parse (MB)",
              "headings");
  for (const auto& [name, file] :
       {std::pair{"distinct names", &distinct}, std::pair{"wanted keys, repeated", &wanted}}) {
    const Peak peak = Measure(*file);
    std::printf("%-28s %10.2f %12.2f %12.2f %9zu\n", name, file->size() / 1048576.0, peak.readMB,
                peak.parseMB, peak.headings);
  }
  return 0;
}
