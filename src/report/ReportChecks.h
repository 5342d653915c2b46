// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "report/ReportFigures.h"
#include "report/ReportLimits.h"

namespace flowdesk {

// One figure held against its limit. A check passes at its limit exactly.
struct ReportCheck {
  std::string name;  // a stable key, also the JSON's: "turbulence_percent"...
  int chord = 0;     // 1 to 6 for a chord's check, 0 for the unit's
  double value = 0;
  double limit = 0;
  bool atLeast = false;  // the value must reach the limit (else stay under it)
  bool pass = true;
};

// The measured sound velocity against pure water's at the unit's T1.
struct WaterFigures {
  double temperature = 0;  // degC, the mean T1
  double expected = 0;     // m/s
  double measured = 0;     // m/s, the unit's mean sound velocity
  double deviationPercent = 0;
};

// A chord as an earlier report (the commissioning one, typically) left it.
struct BaselineChord {
  int chord = 0;
  std::optional<double> velocityRatio;
  std::optional<double> soundVelocity;
  std::optional<double> gainDb;
  std::optional<double> turbulencePercent;
};

struct ReportBaseline {
  std::string started;  // when that report was made
  std::vector<BaselineChord> chords;
};

// What changed on a chord since the baseline; a figure either report lacks
// stays empty.
struct ChordChange {
  int chord = 0;
  std::optional<double> velocityRatioPercent;  // 100 (now - then) / then
  std::optional<double> soundVelocity;         // m/s
  std::optional<double> gainDb;
  std::optional<double> turbulencePoints;  // percentage points
};

struct ReportSummary {
  std::optional<WaterFigures> water;  // when the unit shows a T1 the formula covers
  std::vector<ChordChange> changes;   // with a baseline
  std::vector<ReportCheck> checks;
  bool pass = false;  // every check passed (and there was something to check)
};

std::optional<WaterFigures> waterFigures(const ReportFigures& figures);
std::vector<ChordChange> chordChanges(const ReportFigures& figures, const ReportBaseline& baseline);

// Every check the figures allow, in a fixed order: a window without a
// single sample fails its own check rather than passing for lack of data.
ReportSummary summarize(const ReportFigures& figures, const ReportLimits& limits,
                        const std::optional<ReportBaseline>& baseline);

// A check's name in words, in a language ("Turbulence", "Corde 3 : ...").
std::string checkTitle(const ReportCheck& check, Language language);

}  // namespace flowdesk
