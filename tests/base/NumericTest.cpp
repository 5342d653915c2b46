// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "base/Numeric.h"

namespace flowdesk {
namespace {

std::string shown(double x) {
  const double v = AdaptivePrecision(x);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", DecimalCount, v);
  return buf;
}

TEST(RoundHalfAway, HalvesGoAwayFromZero) {
  const struct {
    double in;
    std::int64_t out;
  } cases[] = {
      {2.5, 3}, {-2.5, -3}, {2.4999, 2},    {-2.4999, -2},  {0.0, 0},
      {0.5, 1}, {-0.5, -1}, {1250.0, 1250}, {2.5000001, 3}, {1e9 + 0.5, 1000000001},
  };
  for (const auto& c : cases) EXPECT_EQ(roundHalfAway(c.in), c.out) << c.in;
  EXPECT_EQ(roundHalfAway(NAN), 0);
  EXPECT_GT(roundHalfAway(INFINITY), 4'000'000'000'000'000'000);
  EXPECT_LT(roundHalfAway(-INFINITY), -4'000'000'000'000'000'000);
}

TEST(AdaptivePrecision, DisplayExamples) {
  const struct {
    double in;
    const char* out;
    int decimals;
  } cases[] = {
      {5.4321, "5.432", 3},    {1.23456, "1.235", 3},  {12.3456, "12.35", 2}, {123.456, "123.5", 1},
      {123.45, "123.5", 1},    {12344, "12340", 0},    {12345.6, "12350", 0}, {123456, "123500", 0},
      {1234567, "999999", 0},  {2000000, "999999", 0}, {-0.5, "-0.500", 3},   {9999, "9999", 0},
      {-123456, "-123500", 0}, {0, "0.000", 3},        {9.9985, "9.998", 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shown(c.in), c.out) << c.in;
    EXPECT_EQ(DecimalCount, c.decimals) << c.in;
  }
}

// Every value across the whole range must print within six digits plus sign
// and point, with a decimal count that matches its band.
TEST(AdaptivePrecision, WholeRangeFitsTheField) {
  for (double mag = 1e-4; mag < 1e8; mag *= 1.0137) {
    for (double x : {mag, -mag}) {
      int d = -1;
      const double v = adaptivePrecision(x, d);
      const double a = std::fabs(x);
      const int expected = a < 9.999 ? 3 : a < 99.99 ? 2 : a < 999.9 ? 1 : 0;
      ASSERT_EQ(d, expected) << x;
      ASSERT_LE(std::fabs(v), 999999.0) << x;
      ASSERT_EQ(std::signbit(v), std::signbit(x)) << x;
      if (a > 9999 && a < 999950) {
        // rounded to tens or hundreds, never more than half a step away
        const double step = a < 99995 ? 10 : 100;
        ASSERT_EQ(std::fmod(std::fabs(v), step), 0.0) << x;
        ASSERT_LE(std::fabs(std::fabs(v) - a), step / 2 + 1e-6) << x;
      }
      char buf[64];
      const int n = std::snprintf(buf, sizeof buf, "%.*f", d, v);
      ASSERT_LE(n, 8) << x << " -> " << buf;
    }
  }
}

}  // namespace
}  // namespace flowdesk
