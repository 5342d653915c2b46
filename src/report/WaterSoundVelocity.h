// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace flowdesk {

// The speed of sound in pure water at atmospheric pressure, m/s, from the
// fifth-degree polynomial W. Marczak published in "Water as a standard in
// the measurements of speed of sound in liquids" (J. Acoust. Soc. Am. 102,
// 2776-2779, 1997), a fit of the best measurements of its day that holds
// from 0 to 95 degC. The report compares a unit's mean sound velocity with
// it: a water meter that reads far from pure water at its own temperature
// has a probe, path length or timing fault, or is not measuring water.
double pureWaterSoundVelocity(double celsius);

inline constexpr double kWaterFormulaLowestCelsius = 0.0;
inline constexpr double kWaterFormulaHighestCelsius = 95.0;

// The formula is used only where it holds.
bool waterFormulaHolds(double celsius);

}  // namespace flowdesk
