// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <string>

#include "report/ReportChecks.h"
#include "report/ReportFigures.h"
#include "report/ReportJson.h"
#include "report/ReportLimits.h"
#include "report/WaterSoundVelocity.h"

namespace flowdesk {
namespace {

// Two chords over four samples, figures worked out by hand:
//   chord 1: V 1.0 1.2 0.8 1.0 -> mean 1.0, sample sigma sqrt(0.08 / 3)
//   chord 2: V 2.0 each time    -> mean 2.0, sigma 0
//   C: chord 1 1480, chord 2 1490 -> mean 1485, deviations -/+ 5 / 1485
//   ratio: 1.0 / 1.5 and 2.0 / 1.5; spread 10 / 1485
//   gain 40 41 39 40 on chord 1; a fault on chord 2 in one sample.
ReportFigures twoChords() {
  ReportFigures f;
  const float v1[] = {1.0F, 1.2F, 0.8F, 1.0F};
  const float g1[] = {40, 41, 39, 40};
  for (int i = 0; i < 4; ++i) {
    MeasurementRegion m;
    m.chordsInUse = 2;
    m.chords[0] = {g1[i], 10, 100, v1[i], 1480};
    m.chords[1] = {30, 20, 101, 2.0F, 1490};
    m.chordFault[1] = i == 2 ? 1 : 0;
    m.flow = 10.0F + static_cast<float>(i);
    m.velocity = 1.5F;
    m.soundVelocity = 1485;
    m.calorimetryHidden = 1;
    f.addSample(m);
  }
  f.addFailedPoll();
  return f;
}

TEST(ReportFigures, ChordStatisticsAreTheHandComputedOnes) {
  const ReportFigures f = twoChords();
  ASSERT_EQ(f.chords().size(), 2u);
  const ChordFigures& c1 = f.chords()[0];
  const ChordFigures& c2 = f.chords()[1];
  EXPECT_NEAR(c1.velocity.mean(), 1.0, 1e-6);
  EXPECT_NEAR(c1.velocity.standardDeviation(), std::sqrt(0.08 / 3), 1e-6);
  EXPECT_NEAR(*c1.turbulencePercent(), 100 * std::sqrt(0.08 / 3), 1e-4);
  EXPECT_NEAR(*c2.turbulencePercent(), 0, 1e-9);
  EXPECT_NEAR(*f.velocityRatio(c1), 1.0 / 1.5, 1e-6);
  EXPECT_NEAR(*f.velocityRatio(c2), 2.0 / 1.5, 1e-6);
  EXPECT_NEAR(*f.soundVelocityDeviationPercent(c1), -100.0 * 5 / 1485, 1e-6);
  EXPECT_NEAR(*f.soundVelocityDeviationPercent(c2), 100.0 * 5 / 1485, 1e-6);
  EXPECT_NEAR(*f.soundVelocitySpreadPercent(), 100.0 * 10 / 1485, 1e-6);
  EXPECT_DOUBLE_EQ(c1.gain.min(), 39);
  EXPECT_DOUBLE_EQ(c1.gain.max(), 41);
  EXPECT_EQ(c1.faultSamples, 0);
  EXPECT_EQ(c2.faultSamples, 1);
  EXPECT_DOUBLE_EQ(f.flow().mean(), 11.5);
  EXPECT_DOUBLE_EQ(f.failedPollPercent(), 20.0);
  EXPECT_FALSE(f.calorimetryShown());
  ASSERT_EQ(f.statusBitsSeen().size(), 2u);  // calorimetry not shown, chord 2's fault
  EXPECT_EQ(f.statusBitsSeen()[0].bit, 7);
  EXPECT_EQ(f.statusBitsSeen()[1].bit, 9);
  EXPECT_EQ(f.statusBitsSeen()[1].samples, 1);
  EXPECT_EQ(statusBitMeaning(9, kEnglish), "Fault V 2");
}

TEST(ReportFigures, StillOrMissingFiguresHaveNoRatioNorTurbulence) {
  ReportFigures f;
  MeasurementRegion m;
  m.chordsInUse = 1;
  m.chords[0] = {40, 0, 100, 0.01F, 1480};
  m.chords[0].velocity = std::nanf("");  // not a number: no sample of V
  f.addSample(m);
  ASSERT_EQ(f.chords().size(), 1u);
  EXPECT_EQ(f.chords()[0].velocity.count(), 0);
  EXPECT_FALSE(f.chords()[0].turbulencePercent());
  EXPECT_FALSE(f.velocityRatio(f.chords()[0]));
  EXPECT_FALSE(f.soundVelocitySpreadPercent());  // one chord: nothing to spread
}

// Marczak's formula against the values of Bilaniuk and Wong's independent
// 148-point fit of Del Grosso and Mader's measurements (ITS-90, 1993 and
// its 1996 erratum), every 5 degC from 0 to 95.
TEST(WaterSoundVelocity, AgreesWithThePublishedValuesToATenthOfAMetre) {
  const double table[] = {1402.39, 1426.17, 1447.28, 1465.94, 1482.36, 1496.70, 1509.14,
                          1519.83, 1528.88, 1536.42, 1542.57, 1547.39, 1551.00, 1553.44,
                          1554.80, 1555.13, 1554.49, 1552.91, 1550.46, 1547.17};
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i * 5);
    EXPECT_NEAR(pureWaterSoundVelocity(i * 5.0), table[i], 0.1);
  }
  EXPECT_TRUE(waterFormulaHolds(95));
  EXPECT_FALSE(waterFormulaHolds(95.5));
  EXPECT_FALSE(waterFormulaHolds(-1));
  EXPECT_FALSE(waterFormulaHolds(std::nan("")));
}

// Each check passes at its limit, passes just inside it and fails just
// outside: the limit is moved around the figure the check computes.
TEST(ReportChecks, EachCheckPassesAtItsLimitAndFailsJustBeyond) {
  // Two chords with calorimetry at 20 degC and a fault on chord 2.
  ReportFigures f = twoChords();
  MeasurementRegion m;
  m.chordsInUse = 2;
  m.chords[0] = {45, 10, 100, 1.0F, 1480};
  m.chords[1] = {30, 20, 101, 2.0F, 1490};
  m.soundVelocity = 1485;
  m.temperature1 = 20;
  f.addSample(m);
  ReportBaseline baseline;
  baseline.chords.push_back({1, 0.6, 1480, 38, 10});
  const struct {
    const char* name;
    int chord;
    std::function<void(ReportLimits&, double)> set;
  } cases[] = {
      {"failed_polls_percent", 0, [](ReportLimits& l, double v) { l.failedPollsPercent = v; }},
      {"sound_velocity_spread_percent", 0,
       [](ReportLimits& l, double v) { l.soundVelocitySpreadPercent = v; }},
      {"water_sound_velocity_deviation_percent", 0,
       [](ReportLimits& l, double v) { l.waterSoundVelocityDeviationPercent = v; }},
      {"chord_sound_velocity_deviation_percent", 2,
       [](ReportLimits& l, double v) { l.chordSoundVelocityDeviationPercent = v; }},
      {"turbulence_percent", 1, [](ReportLimits& l, double v) { l.turbulencePercent = v; }},
      {"chord_fault_samples", 2, [](ReportLimits& l, double v) { l.chordFaultSamples = v; }},
      {"gain_max_db", 1, [](ReportLimits& l, double v) { l.gainMaxDb = v; }},
      {"velocity_ratio_change_percent", 1,
       [](ReportLimits& l, double v) { l.velocityRatioChangePercent = v; }},
      {"gain_change_db", 1, [](ReportLimits& l, double v) { l.gainChangeDb = v; }},
  };
  const auto find = [](const ReportSummary& s, const std::string& name, int chord) {
    for (const ReportCheck& c : s.checks)
      if (c.name == name && c.chord == chord) return c;
    ADD_FAILURE() << name << " missing";
    return ReportCheck{};
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReportLimits limits;
    limits.gainMaxDb = 100;
    const double value = std::fabs(find(summarize(f, limits, baseline), c.name, c.chord).value);
    ASSERT_GT(value, 0);
    for (const auto& [scale, pass] : {std::pair{1.0, true}, {1.001, true}, {0.999, false}}) {
      c.set(limits, value * scale);
      const ReportSummary s = summarize(f, limits, baseline);
      EXPECT_EQ(find(s, c.name, c.chord).pass, pass) << scale;
      if (!pass) {
        EXPECT_FALSE(s.pass);
      }
    }
  }
  // The gain floor is reached from below.
  ReportLimits limits;
  limits.gainMinDb = 39;
  EXPECT_TRUE(find(summarize(f, limits, std::nullopt), "gain_min_db", 1).pass);
  limits.gainMinDb = 39.01;
  EXPECT_FALSE(find(summarize(f, limits, std::nullopt), "gain_min_db", 1).pass);
}

TEST(ReportChecks, AWindowWithoutASampleFails) {
  ReportFigures none;
  none.addFailedPoll();
  ReportLimits generous;
  generous.failedPollsPercent = 100;
  const ReportSummary s = summarize(none, generous, {});
  EXPECT_FALSE(s.pass);
  EXPECT_EQ(s.checks.front().name, "samples");
  EXPECT_FALSE(s.checks.front().pass);
}

TEST(ReportLimits, ReadsKeysDecimalCommasAndRefusesWhatItCannotRead) {
  std::string error;
  const auto read = parseReportLimits(
      "# site limits\n[limits]\nturbulence_percent = 7,5\ngain_min_db = -3 ; floor\n"
      "gain_max_db =\n",
      kEnglish, error);
  ASSERT_TRUE(read) << error;
  EXPECT_DOUBLE_EQ(read->turbulencePercent, 7.5);
  EXPECT_EQ(read->gainMinDb, -3.0);
  EXPECT_FALSE(read->gainMaxDb);
  EXPECT_DOUBLE_EQ(read->failedPollsPercent, ReportLimits{}.failedPollsPercent);

  // What the defaults file says is what the defaults are.
  EXPECT_EQ(parseReportLimits(reportLimitsText(ReportLimits{}), kEnglish, error), ReportLimits{});

  const struct {
    const char* text;
    const char* error;
  } refused[] = {
      {"turbulence = 5\n", "Limits file, line 1: unknown key turbulence"},
      {"\n[other]\n", "Limits file, line 2: unknown heading [other]"},
      {"turbulence_percent = five\n", "Limits file, line 1: not a number: five"},
      {"turbulence_percent = 5 %\n", "Limits file, line 1: not a number: 5 %"},
      {"turbulence_percent = -1\n", "Limits file, line 1: a limit cannot be negative: -1"},
      {"turbulence_percent\n", "Limits file, line 1: key = value expected: turbulence_percent"},
      {"gain_min_db = 10\ngain_max_db = 5\n", "Limits file: gain_min_db is above gain_max_db"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.text);
    EXPECT_FALSE(parseReportLimits(r.text, kEnglish, error));
    EXPECT_EQ(error, r.error);
  }
}

// The JSON and the limits are files, read and written with a decimal point
// whatever the desktop: Qt sets the C library's locale from it, and a French
// one made every number of the JSON "1,797966116".
TEST(ReportJson, NumbersKeepTheirPointOnADesktopWithADecimalComma) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* desktop : {"C", "fr_FR.UTF-8", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, desktop) == nullptr) continue;  // not on this machine
    SCOPED_TRACE(desktop);
    const ReportFigures f = twoChords();
    const std::string json = reportJson({}, f, summarize(f, ReportLimits{}, std::nullopt));
    EXPECT_NE(json.find("\"mean\": 1.5"), std::string::npos);  // the unit's mean velocity
    std::string error;
    const auto baseline = readReportBaseline(json, kEnglish, error);
    ASSERT_TRUE(baseline) << error;
    EXPECT_NEAR(*baseline->chords[1].soundVelocity, 1490, 1e-9);
    const auto limits = parseReportLimits("turbulence_percent = 0.5\n", kEnglish, error);
    ASSERT_TRUE(limits) << error;
    EXPECT_DOUBLE_EQ(limits->turbulencePercent, 0.5);
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// The JSON a report writes is what the next report reads as its baseline,
// and a text that is not such a JSON is refused with a reason.
TEST(ReportJson, ABaselineReadsBackTheChordsItWasWrittenWith) {
  const ReportFigures f = twoChords();
  ReportHeader header;
  header.started = "2026-12-10T15:00:00+01:00";
  header.unitCode = "U \"7\"\n";
  const std::string json = reportJson(header, f, summarize(f, ReportLimits{}, std::nullopt));
  EXPECT_NE(json.find("\"unit_code\": \"U \\\"7\\\"\\n\""), std::string::npos);
  EXPECT_NE(json.find("\"verdict\": \"fail\""), std::string::npos);  // 20 % failed polls
  std::string error;
  const auto baseline = readReportBaseline(json, kEnglish, error);
  ASSERT_TRUE(baseline) << error;
  EXPECT_EQ(baseline->started, header.started);
  ASSERT_EQ(baseline->chords.size(), 2u);
  EXPECT_NEAR(*baseline->chords[0].velocityRatio, *f.velocityRatio(f.chords()[0]), 1e-9);
  EXPECT_NEAR(*baseline->chords[1].soundVelocity, 1490, 1e-9);
  EXPECT_NEAR(*baseline->chords[0].gainDb, 40, 1e-9);

  // Against itself nothing has changed.
  for (const ChordChange& c : chordChanges(f, *baseline)) {
    EXPECT_NEAR(*c.velocityRatioPercent, 0, 1e-6);
    EXPECT_NEAR(*c.gainDb, 0, 1e-6);
  }

  for (const char* bad :
       {"", "{", "[]", "{\"chords\": []}", "{\"version\": 1, \"chords\": 3}",
        "{\"version\": 1, \"chords\": []} x", "{\"a\": \"\\q\"}",
        "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(readReportBaseline(bad, kEnglish, error));
    EXPECT_FALSE(error.empty());
  }
  // Chords out of range are passed over, not trusted.
  const auto odd = readReportBaseline(
      R"({"version": 1, "chords": [{"chord": 0}, {"chord": 2.5}, {"chord": 7}, {"chord": 3}]})",
      kEnglish, error);
  ASSERT_TRUE(odd);
  ASSERT_EQ(odd->chords.size(), 1u);
  EXPECT_EQ(odd->chords[0].chord, 3);
}

}  // namespace
}  // namespace flowdesk
