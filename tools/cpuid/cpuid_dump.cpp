#include "cpuid/cpuid_dump.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kvn {

namespace {

// The value of one hexadecimal digit, or nothing.
std::optional<std::uint32_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  return std::nullopt;
}

// Exactly eight hexadecimal digits at the front of `text`.
bool TakeHex8(std::string_view& text, std::uint32_t& value) {
  if (text.size() < 8) return false;
  value = 0;
  for (int i = 0; i < 8; ++i) {
    const auto digit = HexDigit(text[i]);
    if (!digit) return false;
    value = (value << 4) | *digit;
  }
  text.remove_prefix(8);
  return true;
}

// One to eight hexadecimal digits at the front of `text`.
bool TakeHex(std::string_view& text, std::uint32_t& value) {
  std::size_t n = 0;
  value = 0;
  for (; n < text.size() && n < 8; ++n) {
    const auto digit = HexDigit(text[n]);
    if (!digit) break;
    value = (value << 4) | *digit;
  }
  if (n == 0 || (n < text.size() && HexDigit(text[n]))) return false;
  text.remove_prefix(n);
  return true;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void SkipSpaces(std::string_view& text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
}

}  // namespace

std::optional<CpuidDumpLine> ParseCpuidDumpLine(std::string_view line) {
  SkipSpaces(line);
  constexpr std::string_view kTag = "CPUID";
  if (line.substr(0, kTag.size()) != kTag) return std::nullopt;
  line.remove_prefix(kTag.size());
  if (line.empty() || !IsSpace(line.front())) return std::nullopt;
  SkipSpaces(line);
  CpuidDumpLine parsed{};
  if (!TakeHex8(line, parsed.leaf) || !TakeChar(line, ':')) return std::nullopt;
  SkipSpaces(line);
  CpuidRegisters& r = parsed.registers;
  if (!TakeHex8(line, r.eax) || !TakeChar(line, '-') || !TakeHex8(line, r.ebx) ||
      !TakeChar(line, '-') || !TakeHex8(line, r.ecx) || !TakeChar(line, '-') ||
      !TakeHex8(line, r.edx))
    return std::nullopt;
  // A tag may follow the registers, but only after a blank: "...BFEBFBFF0" is not a leaf.
  if (!line.empty() && !IsSpace(line.front())) return std::nullopt;
  SkipSpaces(line);
  constexpr std::string_view kSubLeaf = "[SL ";
  if (line.substr(0, kSubLeaf.size()) == kSubLeaf) {
    line.remove_prefix(kSubLeaf.size());
    // A sub-leaf tag that cannot be read must not pass for sub-leaf 0.
    if (!TakeHex(line, parsed.subLeaf) || !TakeChar(line, ']')) return std::nullopt;
  }
  return parsed;
}

CpuidDumpSource::CpuidDumpSource(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (auto parsed = ParseCpuidDumpLine(line))
      leaves_.emplace(std::make_pair(parsed->leaf, parsed->subLeaf), parsed->registers);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

CpuidDumpSource CpuidDumpSource::FromFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open " + path);
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) throw std::runtime_error("Cannot read " + path);
  return CpuidDumpSource(content.str());
}

CpuidRegisters CpuidDumpSource::Execute(std::uint32_t leaf, std::uint32_t subLeaf) {
  auto it = leaves_.find({leaf, subLeaf});
  return it == leaves_.end() ? CpuidRegisters{} : it->second;
}

}  // namespace kvn
