#include "rules/Pace.h"

#include <gtest/gtest.h>

TEST(Pace, OnlyAWholeDivisorInRangeChangesThePace) {
  const struct {
    const char* value;
    int divisor;
  } cases[] = {{"", 1},   {"1", 1},   {"4", 4},  {"10", 10}, {"11", 1}, {"0", 1},
               {"-2", 1}, {"2x", 1},  {" 2", 1}, {"100", 1}, {"05", 5}};
  for (const auto& c : cases) EXPECT_EQ(PaceDivisor(c.value), c.divisor) << '"' << c.value << '"';
}

TEST(Pace, PausesShrinkButNeverVanish) {
  EXPECT_EQ(PacedMs(1000, 1), 1000u);
  EXPECT_EQ(PacedMs(1000, 10), 100u);
  EXPECT_EQ(PacedMs(500, 4), 125u);
  EXPECT_EQ(PacedMs(2, 10), 1u);
  EXPECT_EQ(PacedMs(0, 10), 0u);
}
