#include "news/news_file.h"

#include <array>
#include <cstdint>

#include "base/text.h"

namespace kvn {

namespace {

constexpr char kLinkSeparator = '|';

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// 0x80 to 0x9F of Windows-1252; the five unassigned bytes keep their own code, as Windows does.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(std::string_view s) {
  while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The first `count` characters of UTF-8 text (a character is a lead byte and what follows it).
std::string_view FirstCharacters(std::string_view s, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t n = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && n++ == count) break;
  }
  return s.substr(0, i);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && AsciiLower(s.substr(0, prefix.size())) == prefix;
}

constexpr std::size_t kHttpsLength = 8;
constexpr char kDownloadEnding[] = ".tmp";

// The length of "http://" or "https://" at the start, in any letter case; 0 for another scheme.
std::size_t WebSchemeLength(std::string_view s) {
  if (StartsWithNoCase(s, "http://")) return 7;
  if (StartsWithNoCase(s, "https://")) return kHttpsLength;
  return 0;
}

bool HasHost(std::string_view afterScheme) {
  return !afterScheme.empty() && afterScheme.front() != '/' && afterScheme.front() != '\\';
}

// Letters, digits and the characters a URL may hold as they are (RFC 3986), less the quote.
bool IsUrlCharacter(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c != '\0' && std::string_view("-._~:/?#[]@!$&()*+,;=%").find(c) != std::string_view::npos;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// One or two digits without a leading zero (0 to 99), taken off the front; -1 when there are none.
int TakeNumber(std::string_view& s) {
  if (s.empty() || s[0] < '0' || s[0] > '9') return -1;
  int n = s[0] - '0';
  std::size_t used = 1;
  if (n != 0 && s.size() > 1 && s[1] >= '0' && s[1] <= '9') {
    n = n * 10 + (s[1] - '0');
    used = 2;
  }
  s.remove_prefix(used);
  return n;
}

constexpr int kHeadings = 100, kLinks = 100;
constexpr std::size_t kSlots = kHeadings + kHeadings * kLinks;

// Where a wanted name keeps its value: heading i at i, link i-j at 100 + 100 i + j; -1 for
// every other name.
int WantedSlot(std::string_view name) {
  if (StartsWithNoCase(name, "item")) {
    name.remove_prefix(4);
    const int i = TakeNumber(name);
    return i >= 0 && name.empty() ? i : -1;
  }
  if (!StartsWithNoCase(name, "subitem")) return -1;
  name.remove_prefix(7);
  const int i = TakeNumber(name);
  if (i < 0 || name.empty() || name.front() != '-') return -1;
  name.remove_prefix(1);
  const int j = TakeNumber(name);
  return j >= 0 && name.empty() ? kHeadings + kLinks * i + j : -1;
}

// The slot of a name=value line whose wanted name is not yet seen, now marked seen; -1 for any
// other line.
int ClaimSlot(std::string_view line, std::vector<bool>& seen) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return -1;
  const int slot = WantedSlot(line.substr(0, eq));
  if (slot < 0 || seen[static_cast<std::size_t>(slot)]) return -1;
  seen[static_cast<std::size_t>(slot)] = true;
  return slot;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string FromCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

// Calls f with each line; lines end at CR LF, CR or LF, and a last end of line adds none.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    f(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) f(text.substr(start));
}

}  // namespace

std::string DecodeNewsText(std::string_view bytes) {
  if (IsWellFormedUtf8(bytes)) {
    if (bytes.substr(0, 3) == kByteOrderMark) bytes.remove_prefix(3);
    return std::string(bytes);
  }
  return FromCp1252(bytes);
}

std::vector<std::string> SplitNewsLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::vector<std::string> ReadNewsLines(std::string_view bytes) {
  // Line ends and names are ASCII in both encodings, so the lines are chosen from the bytes and
  // only those kept are decoded: the cost follows what is kept, not the file's size.
  const bool utf8 = IsWellFormedUtf8(bytes);
  if (utf8 && bytes.substr(0, 3) == kByteOrderMark) bytes.remove_prefix(3);
  std::vector<std::string> lines;
  std::vector<bool> seen(kSlots);
  bool first = true;
  ForEachLine(bytes, [&](std::string_view line) {
    const bool wanted = ClaimSlot(line, seen) >= 0;
    if (wanted || first) lines.push_back(utf8 ? std::string(line) : FromCp1252(line));
    first = false;
  });
  return lines;
}

bool IsNotFoundPage(const std::vector<std::string>& lines) {
  return !lines.empty() && lines.front().find("404") != std::string::npos;
}

int LinkImageIndex(std::string_view target) {
  const std::size_t dot = target.rfind('.');
  if (dot == std::string_view::npos) return 1;
  const std::string_view ending = target.substr(dot + 1);
  if (ending == "zip") return 2;
  if (ending == "exe") return 3;
  return 1;
}

bool IsWebAddress(std::string_view url) {
  return WebSchemeLength(url) != 0;
}

bool IsOpenableLink(std::string_view target) {
  const std::size_t scheme = WebSchemeLength(target);
  if (!scheme || !HasHost(target.substr(scheme))) return false;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (!IsUrlCharacter(target[i])) return false;
    if (target[i] == '%' &&
        (i + 2 >= target.size() || !IsHexDigit(target[i + 1]) || !IsHexDigit(target[i + 2])))
      return false;
  }
  return true;
}

bool IsAllowedRedirect(std::string_view from, std::string_view to) {
  const std::size_t scheme = WebSchemeLength(to);
  if (!scheme || !HasHost(to.substr(scheme))) return false;
  for (char c : to)
    if (IsBlankOrControl(c)) return false;
  return !(WebSchemeLength(from) == kHttpsLength && scheme != kHttpsLength);
}

std::string NewsDownloadName(unsigned number) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  do {
    hex.insert(hex.begin(), kDigits[number % 16]);
    number /= 16;
  } while (number);
  return std::string(kNewsFileName) + "." + hex + kDownloadEnding;
}

bool IsNewsDownloadName(std::string_view name) {
  const std::string_view start = kNewsFileName, end = kDownloadEnding;
  if (name.size() <= start.size() + 1 + end.size() || name.substr(0, start.size()) != start ||
      name[start.size()] != '.' || name.substr(name.size() - end.size()) != end)
    return false;
  const std::string_view number =
      name.substr(start.size() + 1, name.size() - start.size() - 1 - end.size());
  if (number.size() > 8) return false;
  for (char c : number)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string NewsAddress(const char* overrideURL) {
  return overrideURL && *overrideURL ? std::string(overrideURL) : std::string(kDefaultNewsURL);
}

std::vector<NewsHeading> ParseNews(const std::vector<std::string>& lines) {
  // The value of the first line with each wanted name; seen tells an empty value from none.
  std::vector<std::string_view> values(kSlots);
  std::vector<bool> seen(kSlots);
  for (const std::string& line : lines) {
    const int slot = ClaimSlot(line, seen);
    if (slot >= 0)
      values[static_cast<std::size_t>(slot)] = std::string_view(line).substr(line.find('=') + 1);
  }

  std::vector<NewsHeading> tree;
  for (int i = 0; i < kHeadings; ++i) {
    const std::string_view heading = values[i];
    if (heading.empty()) continue;
    NewsHeading node{std::string(heading), {}};
    for (int j = 0; j < kLinks; ++j) {
      const std::string_view link = values[kHeadings + kLinks * i + j];
      const std::size_t bar = link.find(kLinkSeparator);
      if (link.empty() || bar == std::string_view::npos) continue;
      NewsLink child;
      child.label = Trim(link.substr(0, bar));
      child.target = Trim(FirstCharacters(link.substr(bar + 1), kMaxLinkTarget));
      child.image = LinkImageIndex(child.target);
      node.links.push_back(std::move(child));
    }
    tree.push_back(std::move(node));
  }
  return tree;
}

NewsUpdate FinishNewsUpdate(DownloadResult result, const std::string& previousPath,
                            const std::string& tempPath, const std::string& path,
                            NewsFileStore& store) {
  NewsUpdate update;
  std::string bytes;
  if (result == DownloadResult::Ok) {
    if (!store.Read(tempPath, bytes)) {
      result = DownloadResult::Failed;
    } else {
      update.lines = ReadNewsLines(bytes);
      if (IsNotFoundPage(update.lines)) result = DownloadResult::NotFound;
    }
  }
  if (result == DownloadResult::Ok) {
    // A file that cannot take the new text's place still shows it this time.
    if (!store.Replace(tempPath, path)) store.Remove(tempPath);
    return update;
  }
  store.Remove(tempPath);
  update.lines.clear();
  const char* what =
      result == DownloadResult::NotFound ? "Remote server \"Not Found\" error" : "Connection error";
  if (previousPath.empty()) {
    update.status = std::string(what) + ", request aborted";
    return update;
  }
  update.status = std::string(what) + ", using previous update";
  if (store.Read(previousPath, bytes)) update.lines = ReadNewsLines(bytes);
  return update;
}

}  // namespace kvn
