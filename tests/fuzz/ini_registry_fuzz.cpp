// Deterministic mutation loop over korvane.ini as anyone may edit it: a file of the program's own
// form, cut, spliced and strewn with the characters the format gives a meaning to, broken
// characters and the line ends of other systems, or many short lines. Every file is read; the
// file the program writes back reads again as the same document and is never too large to be
// read. Values are then written, read and deleted through the registry interface at random: the
// file written when the keys close is never too large either, and the last write taken of each
// value reads back from it as written.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "settings/ini_registry.h"

namespace {

using namespace kvn;

bool SameName(std::string_view a, std::string_view b) {
  return AsciiLower(a) == AsciiLower(b);
}

constexpr char kProgramKey[] = "Software\\Korvane";
const char* const kSections[] = {"settings", "settings\\Recover Property", "Settings", "autre"};

struct MemoryFile : IniFile {
  std::string bytes;
  bool Read(std::string& out) override {
    if (bytes.size() > kMaxIniBytes) return false;
    out = bytes;
    return true;
  }
  bool Write(const std::string& in) override {
    bytes = in;
    return true;
  }
};

const std::string kSeed =
    "\xEF\xBB\xBF; Korvane portable\r\n# réglages\r\n\r\n[settings]\r\nInter=1000\r\n"
    "Recover MB=256\r\nOpacite=255\r\nPath=\"C:\\Korvane\\korvane.exe\"\r\n"
    "Exclusions=jeu.exe|C:\\Jeux\\Élan.exe|Ωmega.exe\r\nPurgeStandby=1\r\n"
    "PurgeStandbyPercent=50\r\nExclusionsPauseAuto=1\r\n\r\n"
    "[settings\\Recover Property]\r\nPourcentage=35\r\nTime value=45\r\nFree%=1\r\n";

// What a text editor, a damaged disk or a hostile hand may leave.
std::string RandomPiece(std::mt19937& rng) {
  static const std::string kPieces[] = {"[",
                                        "]",
                                        "=",
                                        ";",
                                        "#",
                                        "\r",
                                        "\n",
                                        "\t",
                                        " ",
                                        "|",
                                        "\r\n",
                                        "\xC3",
                                        "\xA9",
                                        "\xC3\xA9",
                                        "Ω",
                                        "\x7F",
                                        "\xEF\xBB\xBF",
                                        "\xF4\x90\x80\x80",
                                        "\xED\xA0\x80",
                                        std::string(1, '\0'),
                                        "[settings]",
                                        "a=1",
                                        "A=2"};
  return kPieces[rng() % std::size(kPieces)];
}

std::string Mutated(std::string text, std::mt19937& rng) {
  for (int n = 1 + rng() % 8; n > 0; --n) {
    const std::size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
    switch (rng() % 5) {
      case 0:
        text.insert(at, RandomPiece(rng));
        break;
      case 1:
        text.erase(at, rng() % 16);
        break;
      case 2:  // a line of the file again elsewhere
        if (!text.empty()) text.insert(at, text.substr(rng() % text.size(), rng() % 40));
        break;
      case 3:
        if (at < text.size()) text[at] = static_cast<char>(rng());
        break;
      default:
        if (at < text.size()) text[at] ^= 0x20;  // letter case
    }
  }
  return text;
}

// Lines by the thousand: a section or a value to a line, unique names, LF or CR LF, up to the
// largest file the program reads.
std::string ManyLines(std::mt19937& rng) {
  std::string text;
  const bool headers = rng() % 2;
  const char* end = rng() % 2 ? "\n" : "\r\n";
  if (!headers) text += std::string("[settings]") + end;
  for (unsigned n = 0; text.size() < kMaxIniBytes - 16 + rng() % 32; ++n) {
    const std::string name = std::to_string(n);
    text += (headers ? "[" + name + "]" : name + "=") + end;
  }
  return text;
}

std::string RandomFile(std::mt19937& rng) {
  if (rng() % 64 == 0) return ManyLines(rng);  // a full file takes a hundred times longer
  if (rng() % 8 == 0) {
    std::string bytes(rng() % 200, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
  }
  return Mutated(kSeed, rng);
}

std::string RandomName(std::mt19937& rng) {
  static const char* kNames[] = {"Inter", "INTER", "Exclusions", "Path", "Pourcentage", "a",   " a",
                                 "a=b",   "[a",    ";a",         "",     "é",           "a\tb"};
  return kNames[rng() % std::size(kNames)];
}

std::string RandomValueText(std::mt19937& rng) {
  if (rng() % 16 == 0) return std::string(rng() % 70000, 'x');
  std::string text;
  for (int n = rng() % 4; n > 0; --n) text += rng() % 3 ? std::to_string(rng()) : RandomPiece(rng);
  return text;
}

// The file's document, whole, as the program would write it.
std::string Written(const std::string& bytes) {
  return FormatIni(ParseIni(bytes));
}

// Empty when the file reads as it should, else what broke.
std::string CheckRead(const std::string& bytes) {
  const std::string written = Written(bytes);
  if (written.size() > kMaxIniBytes) return "the file written back is too large to be read";
  if (Written(written) != written) return "the file written back reads otherwise";
  return {};
}

// Writes, reads and deletes at random; empty when the last taken write of every value reads back
// from the file written (counted in readBack), else what broke.
std::string CheckKeys(MemoryFile& file, std::mt19937& rng, long& readBack) {
  IniRegistry ini(file, kProgramKey);
  struct Taken {
    std::string section, name;
    std::vector<std::string> texts;  // one for a text or a number
    bool list;
  };
  std::vector<Taken> taken;
  {
    const IniRegistry::Batch once(&ini);
    for (int n = rng() % 12; n > 0; --n) {
      const std::string section = kSections[rng() % std::size(kSections)];
      auto key = ini.Open(RegistryRoot::CurrentUser, std::string(kProgramKey) + "\\" + section,
                          rng() % 4 != 0);
      if (!key) continue;
      const std::string name = RandomName(rng);
      switch (rng() % 5) {
        case 0:
          key->ReadDword(name);
          key->ReadMultiText(name);
          break;
        case 1:
          if (const std::uint32_t v = rng(); key->WriteDword(name, v))
            taken.push_back({section, name, {std::to_string(static_cast<std::int32_t>(v))}, false});
          break;
        case 2:
          if (std::string text = RandomValueText(rng); key->WriteText(name, text))
            taken.push_back({section, name, {text}, false});
          break;
        case 3: {
          std::vector<std::string> texts(rng() % 4);
          for (std::string& t : texts) t = RandomValueText(rng);
          if (key->WriteMultiText(name, texts)) taken.push_back({section, name, texts, true});
          break;
        }
        default:
          key->DeleteValue(name);
          std::erase_if(taken, [&](const Taken& t) {
            return SameName(t.section, section) && SameName(t.name, name);
          });
      }
    }
  }
  if (ini.Unsaved()) return "a writing failed";
  if (const std::string broken = CheckRead(file.bytes); !broken.empty()) return broken;
  // The last write of a value holds, read from the file as a new start reads it.
  IniRegistry again(file, kProgramKey);
  for (auto t = taken.rbegin(); t != taken.rend(); ++t) {
    const bool last = std::none_of(taken.rbegin(), t, [&](const Taken& later) {
      return SameName(later.section, t->section) && SameName(later.name, t->name);
    });
    if (!last) continue;
    auto key =
        again.OpenReadOnly(RegistryRoot::CurrentUser, std::string(kProgramKey) + "\\" + t->section);
    const auto texts = key ? key->ReadMultiText(t->name) : std::nullopt;
    const auto text = key ? key->ReadText(t->name) : std::nullopt;
    if (t->list ? texts != t->texts : text != t->texts[0])
      return "[" + t->section + "] " + t->name + " reads otherwise than written";
    ++readBack;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const long iterations = argc > 1 ? std::atol(argv[1]) : 3000;
  std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 20261208u);
  long readBack = 0;
  for (long it = 0; it < iterations; ++it) {
    MemoryFile file;
    file.bytes = RandomFile(rng);
    std::string broken = CheckRead(file.bytes);
    if (broken.empty()) broken = CheckKeys(file, rng, readBack);
    if (!broken.empty()) {
      std::fprintf(stderr, "iteration %ld: %s\n", it, broken.c_str());
      return 1;
    }
  }
  std::printf("ini_registry_fuzz: %ld files, %ld values written and read back\n", iterations,
              readBack);
  return 0;
}
