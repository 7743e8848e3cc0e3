#include "base/fixed_text.h"

#include <gtest/gtest.h>

TEST(FixedWideText, PadsNumbersAndCutsWhatDoesNotFit) {
  struct Case {
    std::size_t capacity;
    unsigned long long value;
    int digits;
    unsigned base;
    const wchar_t* text;
    bool fits;
  } cases[] = {{16, 7, 2, 10, L"a-07", true},       {16, 2026, 4, 10, L"a-2026", true},
               {16, 0x40c, 4, 16, L"a-040c", true}, {16, 4294967295, 1, 10, L"a-4294967295", true},
               {5, 12345, 1, 10, L"a-12", false},   {1, 5, 1, 10, L"", false}};
  for (const auto& c : cases) {
    wchar_t buffer[16] = {L'?'};
    kvn::FixedWideText text(buffer, c.capacity);
    EXPECT_EQ(text.Add(L"a-").AddNumber(c.value, c.digits, c.base).Fits(), c.fits) << c.text;
    EXPECT_STREQ(buffer, c.text);
  }
  char narrow[16];
  kvn::FixedText(narrow, 16).AddSigned(-42).Add(" ").AddNumber(0xC0000005, 8, 16, true);
  EXPECT_STREQ(narrow, "-42 C0000005");
}
