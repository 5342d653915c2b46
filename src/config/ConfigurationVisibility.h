// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <string_view>

#include "base/BilingualText.h"
#include "base/IdentificationCache.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// Which controls of the two configuration pages are shown, decided from the
// image alone so the pages only apply the flags. Each flag covers a control
// and the labels and unit texts that go with it.

// One chord column of the measurement point page.
struct ChordColumnVisibility {
  bool header = false;  // "Corde k" / "Chord k"
  bool deltaT0 = false;
  bool length = false;
  bool axialDistance = false;
  bool ci = false;
  bool operator==(const ChordColumnVisibility&) const = default;
};

struct MeasurementPointVisibility {
  bool khFrame = false;    // the KH group's frame, with the KH type label and list
  bool kh = false;         // "KH" label and edit
  bool viscosity = false;  // label, edit, "cSt"
  bool roughness = false;  // label, edit, "mm"
  // Row labels of the chord grid.
  bool deltaT0Label = false;
  bool lengthLabel = false;
  bool axialDistanceLabel = false;
  bool ciLabel = false;
  std::array<ChordColumnVisibility, 6> chords{};
  bool wallThickness = false;  // label, edit, "mm"
  bool probeMounting = false;  // label and list
  bool pipeMaterial = false;   // label and list
  bool c0 = false;             // label, edit, "m/s"
  bool deltaC = false;         // label, edit, "m/s"
  bool operator==(const MeasurementPointVisibility&) const = default;
};

// Whether the selected probe has an angle (a non-zero angle word); an index
// outside the catalogue has none.
bool probeHasAngle(std::int32_t probe, const ProbeCatalogue& probes);

// The measurement point page's rules, in the page's order (a later rule
// overrides an earlier one). The number of chord pairs counts as 1 to 6,
// as the page shows it.
MeasurementPointVisibility measurementPointVisibility(const DeviceImage& image,
                                                      const ProbeCatalogue& probes);

struct PulseWeightVisibility {
  bool shown = false;  // label, edit and unit text
  BilingualText unit{"m3", "m3"};
  bool operator==(const PulseWeightVisibility& other) const {
    return shown == other.shown && std::string_view(unit.french()) == other.unit.french();
  }
};

struct InputsOutputsVisibility {
  std::array<PulseWeightVisibility, 3> pulseWeights{};
  std::array<bool, 4> thresholds{};  // label and edit of each relay's threshold
  bool pulseWidth = false;           // label and list
  bool operator==(const InputsOutputsVisibility&) const = default;
};

// The inputs/outputs page's rules.
InputsOutputsVisibility inputsOutputsVisibility(const DeviceImage& image);

}  // namespace flowdesk
