// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportDocument.h"

#include "base/FieldFormat.h"
#include "base/Texts.h"

namespace flowdesk {
namespace {

class Words {
 public:
  Words(Language language, const RegionalSettings& regional)
      : language_(language), separator_(regional.decimalSeparator) {}
  std::string operator()(const BilingualText& t) const { return t.text(language_); }
  std::string number(double v, int decimals) const { return formatFixed(v, decimals, separator_); }
  std::string number(const std::optional<double>& v, int decimals) const {
    return v ? number(*v, decimals) : "-";
  }
  Language language() const { return language_; }

 private:
  Language language_;
  std::string separator_;
};

ReportSection overall(const Words& w, const ReportFigures& f) {
  ReportSection t{w(kTxtReportOverall),
                  {"", w(kTxtReportMean), w(kTxtReportMin), w(kTxtReportMax)}};
  const auto row = [&](const BilingualText& label, const RunningFigure& v, int decimals) {
    if (v.count() == 0) return t.rows.push_back({w(label), "-", "-", "-"});
    t.rows.push_back({w(label), w.number(v.mean(), decimals), w.number(v.min(), decimals),
                      w.number(v.max(), decimals)});
  };
  row(kTxtFlow, f.flow(), 3);
  row(kTxtReportVelocity, f.velocity(), 3);
  row(kTxtReportSoundVelocity, f.soundVelocity(), 1);
  row(kTxtKh, f.kh(), 4);
  if (f.calorimetryShown()) {
    row(kTxtReportT1, f.temperature1(), 2);
    row(kTxtReportT2, f.temperature2(), 2);
    row(kTxtReportDt, f.temperatureDifference(), 2);
    row(kTxtReportPower, f.power(), 2);
  }
  t.rows.push_back({w(kTxtReportSamples), std::to_string(f.samples()), "", ""});
  t.rows.push_back({w(kTxtReportFailedPolls), std::to_string(f.failedPolls()), "", ""});
  t.note = w(kTxtReportSpread) + w.number(f.soundVelocitySpreadPercent(), 3);
  return t;
}

ReportSection chords(const Words& w, const ReportFigures& f) {
  ReportSection t{
      w(kTxtReportChords),
      {w(kTxtChord), "V (m/s)", "σ V", w(kTxtReportTurbulence), "C (m/s)", w(kTxtReportDeviation),
       "G (dB)", "G min-max", "T (µs)", "dT (ns)", w(kTxtReportRatio), w(kTxtReportFaults)}};
  for (const ChordFigures& c : f.chords()) {
    const double faults = f.samples() == 0 ? 0.0
                                           : 100.0 * static_cast<double>(c.faultSamples) /
                                                 static_cast<double>(f.samples());
    t.rows.push_back({std::to_string(c.chord), w.number(c.velocity.mean(), 3),
                      w.number(c.velocity.standardDeviation(), 4),
                      w.number(c.turbulencePercent(), 2), w.number(c.soundVelocity.mean(), 1),
                      w.number(f.soundVelocityDeviationPercent(c), 3), w.number(c.gain.mean(), 1),
                      w.number(c.gain.min(), 0) + "-" + w.number(c.gain.max(), 0),
                      w.number(c.transitTime.mean(), 2), w.number(c.deltaT.mean(), 1),
                      w.number(f.velocityRatio(c), 4), w.number(faults, 1)});
  }
  return t;
}

}  // namespace

ReportDocument reportDocument(
    const ReportHeader& header,
    const std::vector<std::pair<std::string, std::string>>& identification,
    const ReportFigures& figures, const ReportSummary& summary, const std::vector<int>& echoChords,
    const RegionalSettings& regional) {
  const Words w(header.language, regional);
  ReportDocument d;
  d.title = w(kTxtReportTitle);
  d.pageOf = w(kTxtReportPageOf);
  const auto line = [&](const BilingualText& label, const std::string& value) {
    if (!value.empty()) d.headerLines.push_back(w(label) + value);
  };
  line(kTxtReportSite, header.site);
  line(kTxtReportTag, header.tag);
  line(kTxtReportOperator, header.operatorName);
  line(kTxtReportStarted, header.started);
  d.pass = summary.pass;
  d.verdict = w(summary.pass ? kTxtReportPass : kTxtReportFail);

  ReportSection id{w(kTxtReportIdentification), {}};
  for (const auto& [label, value] : identification) id.rows.push_back({label, value});
  d.tables.push_back(std::move(id));
  d.tables.push_back(overall(w, figures));
  d.tables.push_back(chords(w, figures));

  ReportSection water{w(kTxtReportWater), {}};
  if (summary.water) {
    water.rows.push_back({w(kTxtReportT1), w.number(summary.water->temperature, 2)});
    water.rows.push_back({w(kTxtReportExpected), w.number(summary.water->expected, 1)});
    water.rows.push_back({w(kTxtReportMeasured), w.number(summary.water->measured, 1)});
    water.rows.push_back({w(kTxtReportDeviation), w.number(summary.water->deviationPercent, 3)});
  } else {
    water.note = w(kTxtReportNoWater);
  }
  d.tables.push_back(std::move(water));

  ReportSection bits{w(kTxtReportStatusBits), {w(kTxtReportBit), w(kTxtReportSamples), ""}};
  for (const StatusBitSeen& b : figures.statusBitsSeen())
    bits.rows.push_back(
        {std::to_string(b.bit), std::to_string(b.samples), statusBitMeaning(b.bit, w.language())});
  if (bits.rows.empty()) bits.note = w(kTxtNoFault);
  d.tables.push_back(std::move(bits));

  if (!summary.changes.empty()) {
    ReportSection changes{
        w(kTxtReportChanges),
        {w(kTxtChord), w(kTxtReportRatio) + " (%)", "C (m/s)", "G (dB)", w(kTxtReportTurbulence)}};
    for (const ChordChange& c : summary.changes)
      changes.rows.push_back({std::to_string(c.chord), w.number(c.velocityRatioPercent, 2),
                              w.number(c.soundVelocity, 1), w.number(c.gainDb, 1),
                              w.number(c.turbulencePoints, 2)});
    d.tables.push_back(std::move(changes));
  }

  ReportSection checks{w(kTxtReportChecks),
                       {"", w(kTxtReportValue), w(kTxtReportLimit), w(kTxtReportResult)}};
  for (const ReportCheck& c : summary.checks) {
    // Counts are whole numbers; the rest are measures.
    const int decimals = c.name.ends_with("samples") ? 0 : 3;
    checks.rows.push_back({checkTitle(c, w.language()), w.number(c.value, decimals),
                           (c.atLeast ? "≥ " : "≤ ") + w.number(c.limit, decimals),
                           w(c.pass ? kTxtReportPass : kTxtReportFail)});
    checks.failedRows.push_back(!c.pass);
  }
  checks.note = w(kTxtReportVerdict) + d.verdict;
  d.tables.push_back(std::move(checks));

  for (ReportSection& t : d.tables) t.failedRows.resize(t.rows.size(), false);

  d.echoTitle = w(kTxtReportEchoes);
  for (int chord : echoChords)
    d.echoCaptions.push_back(textWithNumbers(w(kTxtChordN), {chord}) + "P" + std::to_string(chord));
  return d;
}

}  // namespace flowdesk
