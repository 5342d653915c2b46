// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "base/BilingualText.h"

namespace flowdesk {

// The limits a verification report checks its figures against. The
// defaults follow the usual diagnostics of multi-path transit-time meters
// (README, "Verification reports", says where each comes from); a site's
// own limits come from an INI file.
struct ReportLimits {
  // The chords against each other and against water, %.
  double soundVelocitySpreadPercent = 0.5, chordSoundVelocityDeviationPercent = 0.3;
  double waterSoundVelocityDeviationPercent = 1.0;
  double turbulencePercent = 5.0;
  // Samples with a fault, and failed polls in %.
  double chordFaultSamples = 0, flowFaultSamples = 0, failedPollsPercent = 5.0;
  std::optional<double> gainMinDb, gainMaxDb;  // no gain range unless the file gives one
  // Against a baseline report.
  double velocityRatioChangePercent = 3.0, gainChangeDb = 6.0;
  bool operator==(const ReportLimits&) const = default;
};

// Reads a limits file's text: `key = value` lines, optionally under a
// `[limits]` heading, `#` and `;` starting comments. A value takes a decimal
// point or a decimal comma; an empty gain bound means none. Keys left out
// keep their defaults. An unknown key, a value that is not a number, a
// negative limit or another heading is refused with its line, in `error`.
std::optional<ReportLimits> parseReportLimits(std::string_view text, Language language,
                                              std::string& error);

// The file that parseReportLimits reads, with every key at its default: the
// README's example and a starting point for a site's own.
std::string reportLimitsText(const ReportLimits& limits);

}  // namespace flowdesk
