// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportChecks.h"

#include <cmath>

#include "base/Texts.h"
#include "report/WaterSoundVelocity.h"

namespace flowdesk {
namespace {

ReportCheck atMost(std::string name, int chord, double value, double limit) {
  return {std::move(name), chord, value, limit, false, std::fabs(value) <= limit};
}

ReportCheck atLeast(std::string name, int chord, double value, double limit) {
  return {std::move(name), chord, value, limit, true, value >= limit};
}

const BaselineChord* baselineChord(const ReportBaseline& baseline, int chord) {
  for (const BaselineChord& c : baseline.chords)
    if (c.chord == chord) return &c;
  return nullptr;
}

}  // namespace

std::optional<WaterFigures> waterFigures(const ReportFigures& figures) {
  if (!figures.calorimetryShown() || figures.soundVelocity().count() == 0) return std::nullopt;
  const double t = figures.temperature1().mean();
  if (!waterFormulaHolds(t)) return std::nullopt;
  WaterFigures w;
  w.temperature = t;
  w.expected = pureWaterSoundVelocity(t);
  w.measured = figures.soundVelocity().mean();
  w.deviationPercent = 100.0 * (w.measured - w.expected) / w.expected;
  return w;
}

std::vector<ChordChange> chordChanges(const ReportFigures& figures,
                                      const ReportBaseline& baseline) {
  std::vector<ChordChange> changes;
  for (const ChordFigures& c : figures.chords()) {
    const BaselineChord* then = baselineChord(baseline, c.chord);
    if (!then) continue;
    ChordChange change;
    change.chord = c.chord;
    const std::optional<double> ratio = figures.velocityRatio(c);
    if (ratio && then->velocityRatio && *then->velocityRatio != 0)
      change.velocityRatioPercent = 100.0 * (*ratio - *then->velocityRatio) / *then->velocityRatio;
    if (c.soundVelocity.count() > 0 && then->soundVelocity)
      change.soundVelocity = c.soundVelocity.mean() - *then->soundVelocity;
    if (c.gain.count() > 0 && then->gainDb) change.gainDb = c.gain.mean() - *then->gainDb;
    const std::optional<double> turbulence = c.turbulencePercent();
    if (turbulence && then->turbulencePercent)
      change.turbulencePoints = *turbulence - *then->turbulencePercent;
    changes.push_back(change);
  }
  return changes;
}

ReportSummary summarize(const ReportFigures& figures, const ReportLimits& limits,
                        const std::optional<ReportBaseline>& baseline) {
  ReportSummary s;
  auto& checks = s.checks;
  checks.push_back(atLeast("samples", 0, static_cast<double>(figures.samples()), 1));
  checks.push_back(
      atMost("failed_polls_percent", 0, figures.failedPollPercent(), limits.failedPollsPercent));
  checks.push_back(atMost("flow_fault_samples", 0, static_cast<double>(figures.flowFaultSamples()),
                          limits.flowFaultSamples));
  if (const auto spread = figures.soundVelocitySpreadPercent())
    checks.push_back(
        atMost("sound_velocity_spread_percent", 0, *spread, limits.soundVelocitySpreadPercent));
  s.water = waterFigures(figures);
  if (s.water)
    checks.push_back(atMost("water_sound_velocity_deviation_percent", 0, s.water->deviationPercent,
                            limits.waterSoundVelocityDeviationPercent));
  for (const ChordFigures& c : figures.chords()) {
    if (const auto deviation = figures.soundVelocityDeviationPercent(c))
      checks.push_back(atMost("chord_sound_velocity_deviation_percent", c.chord, *deviation,
                              limits.chordSoundVelocityDeviationPercent));
    if (const auto turbulence = c.turbulencePercent())
      checks.push_back(
          atMost("turbulence_percent", c.chord, *turbulence, limits.turbulencePercent));
    checks.push_back(atMost("chord_fault_samples", c.chord, static_cast<double>(c.faultSamples),
                            limits.chordFaultSamples));
    if (c.gain.count() > 0 && limits.gainMinDb)
      checks.push_back(atLeast("gain_min_db", c.chord, c.gain.min(), *limits.gainMinDb));
    if (c.gain.count() > 0 && limits.gainMaxDb)
      checks.push_back(atMost("gain_max_db", c.chord, c.gain.max(), *limits.gainMaxDb));
  }
  if (baseline) {
    s.changes = chordChanges(figures, *baseline);
    for (const ChordChange& change : s.changes) {
      if (change.velocityRatioPercent)
        checks.push_back(atMost("velocity_ratio_change_percent", change.chord,
                                *change.velocityRatioPercent, limits.velocityRatioChangePercent));
      if (change.gainDb)
        checks.push_back(
            atMost("gain_change_db", change.chord, *change.gainDb, limits.gainChangeDb));
    }
  }
  s.pass = true;
  for (const ReportCheck& c : checks) s.pass = s.pass && c.pass;
  return s;
}

std::string checkTitle(const ReportCheck& check, Language language) {
  static const struct {
    const char* name;
    const BilingualText* title;
  } kTitles[] = {
      {"samples", &kTxtCheckSamples},
      {"failed_polls_percent", &kTxtCheckFailedPolls},
      {"flow_fault_samples", &kTxtCheckFlowFaults},
      {"sound_velocity_spread_percent", &kTxtCheckSoundVelocitySpread},
      {"water_sound_velocity_deviation_percent", &kTxtCheckWater},
      {"chord_sound_velocity_deviation_percent", &kTxtCheckChordSoundVelocity},
      {"turbulence_percent", &kTxtCheckTurbulence},
      {"chord_fault_samples", &kTxtCheckChordFaults},
      {"gain_min_db", &kTxtCheckGainMin},
      {"gain_max_db", &kTxtCheckGainMax},
      {"velocity_ratio_change_percent", &kTxtCheckRatioChange},
      {"gain_change_db", &kTxtCheckGainChange},
  };
  std::string title = check.name;
  for (const auto& t : kTitles)
    if (check.name == t.name) title = t.title->text(language);
  if (check.chord == 0) return title;
  return textWithNumbers(kTxtChordN.text(language), {check.chord}) + title;
}

}  // namespace flowdesk
