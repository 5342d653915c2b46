// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/Totalizers.h"

#include <algorithm>
#include <cmath>

namespace flowdesk::unit {

Totalizers::Totalizers() : values_{48213.25, 1520.4, 12.7}, volume_(52874.118) {}

void Totalizers::setModes(const std::array<int, 3>& modes) {
  modes_ = modes;
}

void Totalizers::advance(const MeasurementModel& model, double now) {
  if (last_ < 0 || now <= last_) {
    if (last_ < 0) last_ = now;
    return;
  }
  const double span = now - last_;
  // A long idle time is integrated in at most 2000 steps.
  const double step = std::max(1.0, span / 2000.0);
  for (double t = last_; t < now; t += step) {
    const double h = std::min(step, now - t);
    const Snapshot s = model.at(t + h / 2);
    const double q = s.flowM3s * h;
    volume_ += q;
    for (int i = 0; i < 3; ++i) {
      switch (static_cast<TotalizerMode>(modes_[i])) {
        case TotalizerMode::kNet:
          values_[i] += q;
          break;
        case TotalizerMode::kPositive:
          values_[i] += std::max(q, 0.0);
          break;
        case TotalizerMode::kNegative:
          values_[i] += std::max(-q, 0.0);
          break;
        case TotalizerMode::kEnergy:
          values_[i] += s.power * h / 3600.0;
          break;
        default:
          break;
      }
    }
  }
  last_ = now;
}

std::int32_t Totalizers::whole(double v) {
  return static_cast<std::int32_t>(std::clamp(std::trunc(v), -2147483647.0, 2147483647.0));
}

std::int32_t Totalizers::thousandths(double v) {
  const double frac = v - std::trunc(v);
  return static_cast<std::int32_t>(std::trunc(frac * 1000.0));
}

}  // namespace flowdesk::unit
