// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace flowdesk {

// Nearest integer, halves away from zero: how every scaled value is turned
// into the integer a register holds.
std::int64_t roundHalfAway(double x);

// Number of decimals chosen by the last AdaptivePrecision call; callers print
// the returned value with "%.*f" and this count.
extern int DecimalCount;

// The value to show for a number without a fixed format: three significant
// decimals for small values, rounded to tens or hundreds for large ones, and
// 999999 for anything that would not fit six digits.
double AdaptivePrecision(double x);

// Same rule without touching the shared count.
double adaptivePrecision(double x, int& decimals);

}  // namespace flowdesk
