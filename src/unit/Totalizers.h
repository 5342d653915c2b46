// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include "unit/MeasurementModel.h"

namespace flowdesk::unit {

// Totalizer modes, as the configuration's totalizer type bytes hold them.
enum class TotalizerMode { kOff = 0, kNet = 1, kPositive = 2, kNegative = 3, kEnergy = 4 };

// The three totalizers and the volume counter. They count in m3 (kWh in
// energy mode) by integrating the model's flow between two updates.
class Totalizers {
 public:
  Totalizers();

  void setModes(const std::array<int, 3>& modes);
  int mode(int i) const { return modes_[i]; }

  // Integrates from the last update to `now`. The first call only starts.
  void advance(const MeasurementModel& model, double now);
  void reset(int i) { values_[i] = 0; }

  double value(int i) const { return values_[i]; }  // 0..2 T1..T3
  double volume() const { return volume_; }

  // A count split the way the unit sends it: whole part and thousandths,
  // both carrying the sign.
  static std::int32_t whole(double v);
  static std::int32_t thousandths(double v);

 private:
  std::array<int, 3> modes_{};
  std::array<double, 3> values_{};
  double volume_ = 0;
  double last_ = -1;
};

}  // namespace flowdesk::unit
