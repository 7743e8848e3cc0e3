#include "news/news_file.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace kvn {

namespace {

constexpr char kLinkSeparator = '|';

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra;
    std::uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;  // cut short at the end
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    // No over-long forms, no surrogates, nothing past U+10FFFF.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

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

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && LowerAscii(s.substr(0, prefix.size())) == prefix;
}

}  // namespace

std::string DecodeNewsText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return std::string(bytes);
  }
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(out, b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b);
  }
  return out;
}

std::vector<std::string> SplitNewsLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> ReadNewsLines(std::string_view bytes) {
  return SplitNewsLines(DecodeNewsText(bytes));
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

std::string LocalNewsFile(std::string_view url) {
  const std::size_t slash = url.size() > 1 ? url.find_last_of('/') : std::string_view::npos;
  const std::string_view name =
      slash != std::string_view::npos && slash > 0 ? url.substr(slash + 1) : url;
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\\:*?\"<>|%#") != std::string_view::npos)
    return kNewsFileName;
  for (char c : name)
    if (IsBlankOrControl(c) && c != ' ') return kNewsFileName;
  return std::string(name);
}

bool IsOpenableLink(std::string_view target) {
  std::string_view rest;
  if (StartsWithNoCase(target, "http://"))
    rest = target.substr(7);
  else if (StartsWithNoCase(target, "https://"))
    rest = target.substr(8);
  else
    return false;
  if (rest.empty() || rest.front() == '/' || rest.front() == '\\') return false;
  for (char c : target)
    if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) return false;
  return true;
}

std::string NewsAddress(const char* overrideURL) {
  return overrideURL && *overrideURL ? std::string(overrideURL) : std::string(kDefaultNewsURL);
}

std::vector<NewsHeading> ParseNews(const std::vector<std::string>& lines) {
  // name (in lower case) -> value of the first line that has it
  std::unordered_map<std::string, std::string_view> values;
  for (const std::string& line : lines) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    values.try_emplace(LowerAscii(std::string_view(line).substr(0, eq)),
                       std::string_view(line).substr(eq + 1));
  }
  auto value = [&](const std::string& key) {
    auto found = values.find(key);
    return found == values.end() ? std::string_view() : found->second;
  };

  std::vector<NewsHeading> tree;
  for (int i = 0; i <= 99; ++i) {
    const std::string_view heading = value("item" + std::to_string(i));
    if (heading.empty()) continue;
    NewsHeading node{std::string(heading), {}};
    for (int j = 0; j <= 99; ++j) {
      const std::string_view link = value("subitem" + std::to_string(i) + "-" + std::to_string(j));
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

NewsUpdate FinishNewsUpdate(DownloadResult result, bool hadFile, const std::string& tempPath,
                            const std::string& path, NewsFileStore& store) {
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
  if (!hadFile) {
    update.status = std::string(what) + ", request aborted";
    return update;
  }
  update.status = std::string(what) + ", using previous update";
  if (store.Read(path, bytes)) update.lines = ReadNewsLines(bytes);
  return update;
}

}  // namespace kvn
