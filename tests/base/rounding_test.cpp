#include "base/rounding.h"

#include <gtest/gtest.h>

namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case {
    long double in;
    std::int64_t out;
  } cases[] = {
      {12.5L, 12}, {13.5L, 14}, {0.5L, 0},     {1.5L, 2},    {2.5L, 2},
      {-0.5L, 0},  {-1.5L, -2}, {-2.5L, -2},   {12.49L, 12}, {12.51L, 13},
      {-7.6L, -8}, {0.0L, 0},   {100.0L, 100}, {37.5L, 38},  {6.25L, 6},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kvn::RoundHalfEven(c.in), c.out) << "value " << double(c.in);
}

}  // namespace
