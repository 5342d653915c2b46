// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/WaterSoundVelocity.h"

#include <array>
#include <cmath>

namespace flowdesk {

double pureWaterSoundVelocity(double celsius) {
  // Marczak's coefficients, lowest power first.
  static constexpr std::array<double, 6> k = {1.402385e3,  5.038813,     -5.799136e-2,
                                              3.287156e-4, -1.398845e-6, 2.787860e-9};
  double c = 0;
  for (auto it = k.rbegin(); it != k.rend(); ++it) c = c * celsius + *it;
  return c;
}

bool waterFormulaHolds(double celsius) {
  return std::isfinite(celsius) && celsius >= kWaterFormulaLowestCelsius &&
         celsius <= kWaterFormulaHighestCelsius;
}

}  // namespace flowdesk
