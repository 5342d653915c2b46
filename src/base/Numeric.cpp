// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Numeric.h"

#include <cmath>

namespace flowdesk {

int DecimalCount = 0;

std::int64_t roundHalfAway(double x) {
  if (!(x == x)) return 0;  // NaN carries no value; registers get 0
  // Beyond 2^62 the conversion would be undefined; such values only come
  // from garbage, and saturating keeps them harmless.
  constexpr double kLimit = 4.6e18;
  if (x > kLimit) return static_cast<std::int64_t>(kLimit);
  if (x < -kLimit) return -static_cast<std::int64_t>(kLimit);
  if (x >= 0) return static_cast<std::int64_t>(std::trunc(x + 0.5));
  return static_cast<std::int64_t>(std::trunc(x - 0.5));
}

double adaptivePrecision(double x, int& decimals) {
  const bool negative = x < 0;
  double a = std::fabs(x);
  if (a < 9.999) {
    decimals = 3;
  } else if (a < 99.99) {
    decimals = 2;
  } else if (a < 999.9) {
    decimals = 1;
  } else {
    decimals = 0;
    if (a <= 9999) {
      // shown as it is
    } else if (a < 99995) {
      a = std::floor((a + 5) * 0.1) * 10;
    } else if (a < 999950) {
      a = std::floor((a + 50) * 0.01) * 100;
    } else {
      a = 999999;
    }
  }
  if (!(x == x)) a = 0;  // NaN: nothing sensible to show, keep the layout
  return negative ? -a : a;
}

double AdaptivePrecision(double x) {
  return adaptivePrecision(x, DecimalCount);
}

}  // namespace flowdesk
