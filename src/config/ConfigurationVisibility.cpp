// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConfigurationVisibility.h"

#include <algorithm>
#include <cmath>

#include "base/Texts.h"

namespace flowdesk {

namespace {

// List indexes the rules test.
constexpr std::int32_t kInternalDiameter = 0;
constexpr std::int32_t kOtherProduct = 1;
constexpr std::int32_t kKhManual = 1;
constexpr std::int32_t kTotalizerOff = 0;
constexpr std::int32_t kTotalizerKwh = 4;
constexpr std::int32_t kRelayTotalizer1 = 2;
constexpr std::int32_t kRelayTotalizer3 = 4;
constexpr std::int32_t kRelayFlowThreshold = 8;

int chordCount(float chordPairs) {
  if (!std::isfinite(chordPairs)) return 1;
  return static_cast<int>(std::clamp(std::trunc(chordPairs), 1.0f, 6.0f));
}

}  // namespace

bool probeHasAngle(std::int32_t probe, const ProbeCatalogue& probes) {
  return probe >= 0 && probe < kProbeCount && probes[static_cast<std::size_t>(probe)].angle != 0;
}

MeasurementPointVisibility measurementPointVisibility(const DeviceImage& image,
                                                      const ProbeCatalogue& probes) {
  const ConfigurationRegion& c = image.configuration;
  const int n = chordCount(c.chordPairs);
  const bool angle = probeHasAngle(c.probe, probes);
  MeasurementPointVisibility v;

  const auto ciOne = std::count_if(c.chords.begin(), c.chords.begin() + n,
                                   [](const ChordGeometry& g) { return g.coefficient == 1.0f; });
  const bool khGroup = n == 1 || angle || ciOne == n;
  v.khFrame = v.kh = v.viscosity = v.roughness = khGroup;

  v.deltaT0Label = v.lengthLabel = v.axialDistanceLabel = v.ciLabel = true;
  for (int k = 0; k < 6; ++k) {
    const bool shown = k < n;
    v.chords[static_cast<std::size_t>(k)] = {shown, shown, shown, shown, shown};
  }
  if (angle) {
    v.lengthLabel = v.axialDistanceLabel = v.ciLabel = false;
    for (ChordColumnVisibility& column : v.chords) {
      column.length = column.axialDistance = column.ci = false;
    }
  }
  if (n == 1) {
    v.ciLabel = false;
    v.chords[0].ci = false;
  }
  v.wallThickness = c.diameterType != kInternalDiameter || angle;
  v.probeMounting = v.pipeMaterial = angle;
  v.c0 = v.deltaC = c.product == kOtherProduct;
  if (c.khType == kKhManual) {
    v.viscosity = v.roughness = false;
  } else {
    v.kh = false;
  }
  return v;
}

InputsOutputsVisibility inputsOutputsVisibility(const DeviceImage& image) {
  const ConfigurationRegion& c = image.configuration;
  InputsOutputsVisibility v;
  for (std::size_t t = 0; t < 3; ++t) {
    const std::int32_t type = c.totalizers[t].type;
    v.pulseWeights[t].shown = type != kTotalizerOff;
    v.pulseWeights[t].unit = type == kTotalizerKwh ? kTxtKwh : kTxtCubicMetres;
  }
  for (std::size_t r = 0; r < 4; ++r) {
    const std::int32_t type = c.relays[r].type;
    v.thresholds[r] = type == kRelayFlowThreshold;
    if (type >= kRelayTotalizer1 && type <= kRelayTotalizer3) v.pulseWidth = true;
  }
  return v;
}

}  // namespace flowdesk
