#pragma once
// Text put together in a buffer the caller owns, with no allocation and no printf: the crash
// report builds its paths and its box with it while the heap may be unusable, and the program
// needs none of the C library's formatting machinery (some 30 KB) for these few numbers.
#include <cstddef>
#include <string_view>

namespace kvn {

template <class Char>
class BasicFixedText {
 public:
  // `capacity` counts the terminating zero, which is always written.
  BasicFixedText(Char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {
    if (capacity_)
      buffer_[0] = Char();
    else
      fits_ = false;
  }

  BasicFixedText& Add(std::basic_string_view<Char> text) {
    for (Char c : text) Put(c);
    return *this;
  }

  // `value` in `base` (10 or 16), zero-padded to `minDigits`.
  BasicFixedText& AddNumber(unsigned long long value, int minDigits = 1, unsigned base = 10,
                            bool upperCase = false) {
    const char* const figures = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    Char digits[64];
    int n = 0;
    do {
      digits[n++] = static_cast<Char>(figures[value % base]);
      value /= base;
    } while (value && n < 64);
    while (n < minDigits && n < 64) digits[n++] = Char('0');
    while (n) Put(digits[--n]);
    return *this;
  }

  BasicFixedText& AddSigned(long long value) {
    if (value < 0) Put(Char('-'));
    return AddNumber(value < 0 ? 0ull - static_cast<unsigned long long>(value)
                               : static_cast<unsigned long long>(value));
  }

  // False once anything did not fit: the text is then cut short, but still terminated.
  bool Fits() const { return fits_; }
  std::size_t Length() const { return length_; }
  const Char* Text() const { return buffer_; }

 private:
  void Put(Char c) {
    if (length_ + 1 >= capacity_) {
      fits_ = false;
      return;
    }
    buffer_[length_++] = c;
    buffer_[length_] = Char();
  }

  Char* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool fits_ = true;
};

using FixedText = BasicFixedText<char>;
using FixedWideText = BasicFixedText<wchar_t>;

}  // namespace kvn
