#pragma once
// Letter case of the program's own ASCII words (option names, registry names and types,
// processor feature names): folded the same way whatever the user's locale, which a
// locale-aware folding would not do (a Turkish "i" upper-cases to a dotted capital).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvn {

inline std::string AsciiUpper(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

// A user's text (a program's name) in one letter case, for comparing without regard to it:
// every script's letters, as Windows folds them, and the same whatever the user's locale.
// Windows' own tables do it (case_fold_win32.cpp); the host's build, which has no Windows, uses its
// C library's (case_fold_posix.cpp).
std::string CaseFolded(std::string_view utf8);

inline std::string AsciiLower(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

// Characters of a UTF-8 text: continuation bytes do not start one.
inline std::size_t Utf8Characters(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Well-formed UTF-8: no cut sequence, no over-long form, no surrogate, nothing past U+10FFFF.
inline bool IsWellFormedUtf8(std::string_view s) {
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
    if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace kvn
