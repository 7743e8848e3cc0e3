// The host's letter case folding, for the native build of the portable code and its tests; the
// program itself folds with Windows' tables (case_fold_win32.cpp).
#include <locale.h>
#include <wctype.h>

#include "base/text.h"

namespace kvn {

std::string CaseFolded(std::string_view utf8) {
  // The C library's Unicode tables come with a UTF-8 locale; the C locale folds ASCII only.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (!unicode || !IsWellFormedUtf8(utf8)) return AsciiUpper(utf8);
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i++]);
    const int more = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t c = more ? lead & (0x3F >> more) : lead;
    for (int k = 0; k < more; ++k) c = c << 6 | (utf8[i++] & 0x3F);
    // As Windows, one UTF-16 unit to one: the letters beyond the first plane keep their case.
    if (c < 0x10000) c = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), unicode));
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>((0xF00 >> (extra + 1)) | c >> (6 * extra));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | (c >> (6 * k) & 0x3F));
  }
  return out;
}

}  // namespace kvn
