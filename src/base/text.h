#pragma once
// Letter case of the program's own ASCII words (option names, registry names and types,
// processor feature names): folded the same way whatever the user's locale, which a
// locale-aware folding would not do (a Turkish "i" upper-cases to a dotted capital).
#include <string>
#include <string_view>

namespace kvn {

inline std::string AsciiUpper(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return folded;
}

inline std::string AsciiLower(std::string_view text) {
  std::string folded(text);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

}  // namespace kvn
