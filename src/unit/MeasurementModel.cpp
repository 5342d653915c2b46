// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/MeasurementModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace flowdesk::unit {

namespace {

constexpr double kPi = std::numbers::pi;
// One "day" of the flow curve. A real day would look flat on a 100-sample
// trend; a few minutes lets a demonstration show the rise and the fall.
constexpr double kDaySeconds = 1200.0;

std::uint64_t mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Cubic fit of the sound velocity of water against temperature.
double waterSoundVelocity(double celsius) {
  const double t = std::clamp(celsius, 0.0, 95.0);
  // Greenspan and Tschiegg's fit (1959), kept apart from the program's own
  // formula on purpose: the unit is the independent check of a report's
  // water test. A third-degree cut of it strayed by 1 % above 50 degC.
  return 1402.736 +
         t * (5.03358 + t * (-0.0579506 + t * (3.31636e-4 + t * (-1.45262e-6 + t * 3.0449e-9))));
}

}  // namespace

double MeasurementModel::noise(std::uint32_t channel, double t, double quantum) const {
  const auto slot = static_cast<std::int64_t>(std::floor(t / quantum));
  const std::uint64_t h =
      mix(mix(seed_ * 0x100000001B3ull + channel) ^ static_cast<std::uint64_t>(slot));
  return static_cast<double>(h >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

void MeasurementModel::setConfiguration(const ConfigBytes& c, const FactoryBytes& f,
                                        const MakerBytes& m, std::uint16_t probeAngle) {
  flowUnit_ = std::min<int>(get8(c, cfg::kFlowUnit), 5);
  chords_ = std::clamp<int>(get8(c, cfg::kChords), 1, 6);
  const double qMin = getS24(c, cfg::kQMin) / 10.0;
  const double qMax = getS24(c, cfg::kQMax) / 10.0;
  scaleLow_ = qMin;
  scaleHigh_ = qMax;

  double diameter = getS24(c, cfg::kDiameter) / 10.0;
  const double wall = get16(c, cfg::kWall) / 10.0;
  switch (get8(c, cfg::kDiameterType)) {
    case 1:
      diameter -= 2 * wall;
      break;
    case 2:
      diameter = diameter / kPi - 2 * wall;
      break;
    default:
      break;
  }
  innerDiameterMm_ = diameter > 1.0 ? diameter : 100.0;

  water_ = get8(c, cfg::kProduct) == 0;
  c0_ = std::max(200u, get16(c, cfg::kC0));
  deltaC_ = get16(c, cfg::kDeltaC);
  manualKh_ = get8(c, cfg::kKhType) == 1;
  kh_ = get16(c, cfg::kKh) / 1000.0;
  graphPeriod_ = periodSeconds(get8(c, cfg::kGraphPeriod));

  const double angle = probeAngle / 100.0;
  for (int k = 0; k < 6; ++k) {
    const int at = cfg::kChord1 + cfg::kChordStride * k;
    Chord g{getS24(c, at + cfg::kChordLength) / 10.0, getS24(c, at + cfg::kChordAxial) / 10.0,
            getS16(c, at + cfg::kChordDeltaT0) / 10.0};
    if (angle > 0 && angle < 89) {
      // Clamp-on probes: the path crosses the pipe at the probe's angle.
      const double rad = angle * kPi / 180.0;
      g.lengthMm = innerDiameterMm_ / std::cos(rad);
      g.axialMm = innerDiameterMm_ * std::tan(rad);
    }
    if (g.lengthMm <= 0) g.lengthMm = 282.8;
    if (g.axialMm <= 0) g.axialMm = 200.0;
    geometry_[k] = g;
  }

  simulation_ = get8(f, fac::kFunction) == 1;
  simFlow_ = getS24(f, fac::kSimFlow) / 10.0;
  simRipple_ = get8(f, fac::kSimRipple) / 100.0;

  const unsigned variant = get8(m, mak::kVariant);
  calorimetry_ = variant == 3 || variant == 5 || get8(c, cfg::kTot1Type) == 4 ||
                 get8(c, cfg::kTot2Type) == 4 || get8(c, cfg::kTot3Type) == 4;
}

double MeasurementModel::toM3PerSecond(double flow) const {
  static constexpr double kFactor[6] = {1e-3, 1e-3 / 60, 1e-3 / 3600, 1.0, 1.0 / 3600, 1.0 / 86400};
  return flow * kFactor[flowUnit_];
}

double MeasurementModel::flowAt(double t) const {
  if (simulation_) return simFlow_ * (1.0 + simRipple_ * noise(1, t, 0.5));
  double low = std::min(scaleLow_, scaleHigh_);
  double span = std::fabs(scaleHigh_ - scaleLow_);
  if (span < 1e-6) span = 10.0;
  const double phase = 2 * kPi * t / kDaySeconds;
  const double shape = 0.55 + 0.22 * std::sin(phase) + 0.08 * std::sin(2 * phase + 0.7);
  // A steady unit's flow holds still but for a scatter of about 0.5 %, as
  // a settled pipe's does; otherwise it wanders over its scale.
  if (steady_) return (low + span * shape) * (1.0 + 0.01 * noise(1, t, 0.5));
  return low + span * (shape + 0.015 * noise(1, t, 0.5));
}

Snapshot MeasurementModel::at(double t) const {
  Snapshot s;
  s.flow = flowAt(t);
  s.flowM3s = toM3PerSecond(s.flow);
  const double area = kPi * std::pow(innerDiameterMm_ / 1000.0, 2) / 4.0;
  s.velocity = s.flowM3s / area;
  s.chords = chords_;

  s.t1 = 62.0 + 3.0 * std::sin(2 * kPi * t / (kDaySeconds * 0.7)) + 0.05 * noise(2, t, 1);
  s.dt = 12.0 + 2.0 * std::sin(2 * kPi * t / kDaySeconds + 1.1) + 0.05 * noise(3, t, 1);
  s.t2 = s.t1 - s.dt;
  s.power = s.flowM3s * 998.0 * 4.186 * s.dt;

  if (water_) {
    s.sound = waterSoundVelocity(s.t1);
  } else {
    s.sound = c0_ + 0.05 * deltaC_ * std::sin(2 * kPi * t / (kDaySeconds * 1.3));
  }
  s.sound += 0.2 * noise(4, t, 0.5);
  s.kh = manualKh_ ? kh_ : 0.935 + 0.01 * std::sin(2 * kPi * t / kDaySeconds);

  // Faults come and go every few seconds; chord faults only on chords in use.
  const double epoch = 6.0;
  auto chance = [&](std::uint32_t bit, double percent) {
    return !steady_ && (noise(100 + bit, t, epoch) + 1.0) * 50.0 < percent;
  };
  s.status = shownFaults_;
  if (chance(0, 4)) s.status |= status::kFlowFault;
  if (chance(2, 2)) s.status |= status::kBatteryLow;
  if (chance(3, 2)) s.status |= status::kRelayFault;
  if (!calorimetry_) {
    s.status |= status::kNoCalorimetry;
  } else if (chance(6, 3)) {
    s.status |= status::kCalorieFault;
  }

  const double c = s.sound;
  for (int k = 0; k < chords_; ++k) {
    const Chord& g = geometry_[k];
    const double pos = chords_ == 1 ? 0.0 : -1.0 + 2.0 * k / (chords_ - 1);
    ChordValues& v = s.chord[k];
    const bool fault = chance(static_cast<std::uint32_t>(status::kFirstChordBit + k), 4);
    if (fault) s.status |= static_cast<std::uint16_t>(1u << (status::kFirstChordBit + k));
    const ChordHealth& h = health_[static_cast<std::size_t>(k)];
    // Uniform noise in [-1, 1) has a standard deviation of 1 / sqrt(3): the
    // scatter asked for is that share of the velocity, poll after poll.
    const double scatter = h.noisePercent / 100.0 * std::sqrt(3.0) * noise(60 + k, t, 0.05);
    v.velocity =
        s.velocity * (1.07 - 0.14 * pos * pos) * (1.0 + 0.005 * noise(10 + k, t, 0.5) + scatter);
    v.sound = (c + 0.2 * k + 0.3 * noise(20 + k, t, 0.5)) * (1.0 + h.soundVelocityPercent / 100.0);
    v.transit = g.lengthMm / 1000.0 / v.sound * 1e6;
    v.deltaT = 2.0 * (g.axialMm / 1000.0) * v.velocity / (v.sound * v.sound) * 1e9 + g.deltaT0 +
               0.3 * noise(30 + k, t, 0.5);
    v.gain =
        std::clamp(static_cast<int>(std::lround(42 + 3 * k + h.gainDb + 2 * noise(40 + k, t, 1))) +
                       (fault ? 40 : 0),
                   0, 99);
  }
  return s;
}

std::array<std::int8_t, 100> MeasurementModel::trend(double now) const {
  std::array<std::int8_t, 100> out{};
  const double step = graphPeriod_;
  const double last = std::floor(now / step) * step;
  double span = scaleHigh_ - scaleLow_;
  if (std::fabs(span) < 1e-6) span = 10.0;
  for (int i = 0; i < 100; ++i) {
    const double t = last - (99 - i) * step;
    const double sample = (flowAt(t) - scaleLow_) / span * 40.0;
    out[i] = static_cast<std::int8_t>(std::clamp<long>(std::lround(sample), -128, 127));
  }
  return out;
}

}  // namespace flowdesk::unit
