// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace flowdesk {

// One probe of the catalogue the unit reports (or the built-in one): a name of
// at most 8 characters and its 16-bit word (the probe angle in hundredths of a
// degree; zero means the probe has no angle).
struct ProbeEntry {
  std::string name;  // UTF-8 in memory; Windows-1252 on the wire and in files
  std::int16_t angle = 0;
  bool operator==(const ProbeEntry&) const = default;
};

inline constexpr int kProbeCount = 30;
using ProbeCatalogue = std::array<ProbeEntry, kProbeCount>;

// What the identification reads learn about the connected unit. It outlives
// the connection: the settings store keeps it between runs, and measurement
// and calibration files carry a copy.
struct IdentificationCache {
  flowdesk::ProbeCatalogue probes{};  // the `ProbeCatalogue`
  std::int16_t Unit = 0;              // UnitCode, 0 to 6
  std::int16_t FSp1 = 0;
  std::int16_t FSp2 = 0;
  std::int16_t T0Sp1 = 0;
  std::int16_t T0Sp2 = 0;
};

}  // namespace flowdesk
