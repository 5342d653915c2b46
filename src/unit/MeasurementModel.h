// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include "unit/RegisterTables.h"

namespace flowdesk::unit {

// How far a chord is from health, for a verification report to find: its
// sound velocity off by a share, its velocity scattered by a share, its gain
// raised.
struct ChordHealth {
  double soundVelocityPercent = 0;
  double noisePercent = 0;
  double gainDb = 0;
  bool operator==(const ChordHealth&) const = default;
};

struct ChordValues {
  double deltaT = 0;    // ns
  double transit = 0;   // µs
  double velocity = 0;  // m/s
  double sound = 0;     // m/s
  int gain = 0;         // dB
};

// What the unit measures at one instant.
struct Snapshot {
  double flow = 0;      // in the configured flow unit
  double flowM3s = 0;   // the same in m3/s, for totalizers and power
  double velocity = 0;  // m/s
  double sound = 0;     // m/s
  double kh = 0;
  int chords = 1;
  std::array<ChordValues, 6> chord{};
  double t1 = 0, t2 = 0, dt = 0;  // °C
  double power = 0;               // kW
  std::uint16_t status = 0;       // the bits of register 0x010F
};

// Status bits of register 0x010F.
namespace status {
inline constexpr std::uint16_t kFlowFault = 1u << 0;
inline constexpr std::uint16_t kCalibrationAccess = 1u << 1;
inline constexpr std::uint16_t kBatteryLow = 1u << 2;
inline constexpr std::uint16_t kRelayFault = 1u << 3;
inline constexpr std::uint16_t kPowerRestored = 1u << 4;
inline constexpr std::uint16_t kCalorieFault = 1u << 6;
inline constexpr std::uint16_t kNoCalorimetry = 1u << 7;
inline constexpr int kFirstChordBit = 8;
}  // namespace status

// The moving values, as pure functions of time and of the active
// configuration: the same instant always gives the same values, so a trend
// sample or a logger record does not change between two reads.
class MeasurementModel {
 public:
  explicit MeasurementModel(std::uint32_t seed = 1) : seed_(seed) {}

  void setConfiguration(const ConfigBytes& config, const FactoryBytes& factory,
                        const MakerBytes& maker, std::uint16_t probeAngle);

  // Status bits set at every instant on top of the faults that come and go.
  void setShownFaults(std::uint16_t bits) { shownFaults_ = bits; }
  // No fault comes and goes: only the shown ones are set.
  void setSteady(bool steady) { steady_ = steady; }
  void setChordHealth(const std::array<ChordHealth, 6>& health) { health_ = health; }

  Snapshot at(double t) const;
  double flowAt(double t) const;  // flow units

  // Flow units to m3/s for the configured unit.
  double toM3PerSecond(double flow) const;

  // The trend scale of block S2, in flow units.
  double scaleLow() const { return scaleLow_; }
  double scaleHigh() const { return scaleHigh_; }
  // The 100 trend samples up to `now`, oldest first: 0 at the scale's low end,
  // 40 at its high end.
  std::array<std::int8_t, 100> trend(double now) const;

  int chords() const { return chords_; }
  int flowUnit() const { return flowUnit_; }

  // Deterministic noise in [-1, 1) for a channel at a quantised instant.
  double noise(std::uint32_t channel, double t, double quantum) const;

 private:
  std::uint32_t seed_;
  std::uint16_t shownFaults_ = 0;
  bool steady_ = false;
  std::array<ChordHealth, 6> health_{};
  int flowUnit_ = 4;
  int chords_ = 1;
  double scaleLow_ = 0, scaleHigh_ = 10;
  double innerDiameterMm_ = 26.1;
  bool water_ = true;
  double c0_ = 1500, deltaC_ = 200;
  bool manualKh_ = false;
  double kh_ = 1.055;
  bool simulation_ = false;
  double simFlow_ = 9, simRipple_ = 0.1;
  bool calorimetry_ = false;
  int graphPeriod_ = 1;
  struct Chord {
    double lengthMm, axialMm, deltaT0;
  };
  std::array<Chord, 6> geometry_{};
};

}  // namespace flowdesk::unit
