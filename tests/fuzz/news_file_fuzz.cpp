// Deterministic mutation loop over the news file: good files are damaged byte by byte, cut,
// spliced and given awkward bytes (NUL, lone CR, "|", "=", UTF-8 lead bytes), and every tree
// must keep the format's limits. Run under AddressSanitizer, any read past a text aborts the run.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "news/news_file.h"

namespace {

using namespace kvn;

std::vector<std::string> Seeds() {
  return {
      "item0=Nouvelle version\r\nsubitem0-0=Page de téléchargement|http://k.example/page.htm\r\n"
      "subitem0-1=Programme|http://k.example/setup.exe\r\nitem1=Outils\r\n"
      "subitem1-0=Archive|http://k.example/tools.zip\r\n",
      "\xEF\xBB\xBFITEM2=Actualit\xC3\xA9s\nSubItem2-5=  a  |  https://x/y.ZIP  \rjunk\n=\n",
      "item0=Actualit\xE9s\r\nsubitem0-0=\x93lien\x94|http://x/\x80.exe\r\n",
      "<html><head><title>404 Not Found</title></head>\r\nitem0=A\r\n",
      "item99=Z\r\nsubitem99-99=l|" + std::string(140, 't') + "\r\nitem0=\r\n",
  };
}

void Mutate(std::string& s, std::mt19937& rng) {
  static const char kAwkward[] = {'\0',   '\r',   '\n',   '|', '=', ' ', '\t', '\xC3', '\xE9',
                                  '\xF0', '\x80', '\xBF', '0', '9', '-', 'I',  'i'};
  const int steps = 1 + static_cast<int>(rng() % 6);
  for (int k = 0; k < steps && !s.empty(); ++k) {
    const std::size_t pos = rng() % s.size();
    switch (rng() % 6) {
      case 0:
        s[pos] = static_cast<char>(s[pos] ^ (1u << (rng() % 8)));
        break;
      case 1:
        s[pos] = kAwkward[rng() % sizeof(kAwkward)];
        break;
      case 2:
        s.resize(pos);
        break;
      case 3:
        s.erase(pos, 1 + rng() % 16);
        break;
      case 4:
        s.insert(pos, std::string(1 + rng() % 300, kAwkward[rng() % sizeof(kAwkward)]));
        break;
      default: {
        const std::string copy = s.substr(pos, 1 + rng() % 64);
        s.insert(rng() % (s.size() + 1), copy);
      }
    }
  }
}

bool IsTrimmed(const std::string& s) {
  return s.empty() || (static_cast<unsigned char>(s.front()) > ' ' &&
                       static_cast<unsigned char>(s.back()) > ' ');
}

std::size_t Characters(const std::string& s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// Empty when the tree keeps every rule, else what broke.
std::string Check(const std::string& file, long& headings) {
  const std::vector<std::string> lines = ReadNewsLines(file);
  for (const std::string& line : lines)
    if (line.find_first_of("\r\n") != std::string::npos) return "a line holds a line end";
  const std::vector<NewsHeading> tree = ParseNews(lines);
  headings += static_cast<long>(tree.size());
  if (tree.size() > 100) return "more than 100 headings";
  for (const NewsHeading& h : tree) {
    if (h.text.empty()) return "an empty heading";
    if (h.links.size() > 100) return "more than 100 links";
    for (const NewsLink& l : h.links) {
      if (Characters(l.target) > kMaxLinkTarget) return "a target over 128 characters";
      if (!IsTrimmed(l.label) || !IsTrimmed(l.target)) return "an untrimmed link";
      if (l.image != LinkImageIndex(l.target) || l.image < 1 || l.image > 3) return "bad image";
      (void)IsOpenableLink(l.target);
    }
  }
  (void)IsNotFoundPage(lines);
  (void)IsNewsDownloadName(file.substr(0, 200));
  (void)IsAllowedRedirect(file.substr(0, 100), file);
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 20000;
  std::mt19937 rng(20261207);
  const auto seeds = Seeds();
  long headings = 0;
  for (long it = 0; it < iterations; ++it) {
    std::string file = seeds[it % seeds.size()];
    Mutate(file, rng);
    const std::string exact(file);  // its own allocation: a read one past the end is caught
    const std::string broken = Check(exact, headings);
    if (!broken.empty()) {
      std::fprintf(stderr, "iteration %ld: %s\n", it, broken.c_str());
      return 1;
    }
  }
  std::printf("news_file_fuzz: %ld files, %ld headings\n", iterations, headings);
  return 0;
}
