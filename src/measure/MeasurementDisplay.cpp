// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/MeasurementDisplay.h"

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/Windows1252.h"

namespace flowdesk {

namespace {

// Display ranges: values beyond them are brought back to the limit in the
// image itself before they are shown.
constexpr double kSignedLimit = 9999999;
constexpr double kTemperatureLimit = 1000;

// The energy mode: its fraction is in KWh. Modes past the list (5 and more)
// show stars.
constexpr int kTotalizerModeKwh = 4;

constexpr const BilingualText* kTotalizerLabels[MeasurementRegion::kTotalizers] = {
    &kTxtT1, &kTxtT2, &kTxtT3, &kTxtVol, &kTxtT1MinusT2};

constexpr const BilingualText* kChordRowTitles[kChordGridRows] = {
    &kTxtColumnT, &kTxtColumnDt, &kTxtColumnG, &kTxtColumnV, &kTxtColumnC};

}  // namespace

// The unit's version texts are bytes of its own code page, cut at the first
// zero byte.
std::string versionText(const char* chars, std::size_t size) {
  return fromWindows1252Field(reinterpret_cast<const std::uint8_t*>(chars), size);
}

MeasurementLabels measurementLabels(Language language) {
  MeasurementLabels l;
  l.flow = kTxtFlow.text(language);
  l.speed = kTxtSpeed.text(language);
  l.velocity = kTxtVelocity.text(language);
  l.metresPerSecond = kTxtMetresPerSecond.text(language);
  l.kh = kTxtKh.text(language);
  l.probe = kTxtProbe.text(language);
  l.probeDiameter = kTxtProbeDiameter.text(language);
  l.millimetres = kTxtMillimetres.text(language);
  l.totalizers = kTxtTotalizers.text(language);
  l.logger = kTxtLogger.text(language);
  l.loggerSize = kTxtSize.text(language);
  l.recordingFilled = kTxtRecordingFilled.text(language);
  l.fault = kTxtFault.text(language);
  l.calorie = kTxtCalorie.text(language);
  l.power = kTxtPower.text(language);
  l.kw = kTxtKw.text(language);
  l.temperature1 = kTxtT1.text(language);
  l.temperature2 = kTxtT2.text(language);
  l.dt = kTxtDt.text(language);
  l.degreesCelsius = kTxtDegreesCelsius.text(language);
  l.softwareVersions = kTxtSoftwareVersions.text(language);
  l.aff = kTxtAff.text(language);
  l.vov = kTxtVov.text(language);
  return l;
}

namespace {

std::string flowUnitText(const MeasurementRegion& m, Language language) {
  return listText(FlowUnitList, FlowUnitList.count(), m.flowUnitIndex, language);
}

TotalizerRow totalizerRow(const MeasurementRegion& m, int row, Language language,
                          const std::string& separator) {
  const auto r = static_cast<std::size_t>(row);
  TotalizerRow t;
  const std::int32_t mode = m.totalizerMode[r];
  if (mode == 0) return t;
  t.visible = true;
  t.label = kTotalizerLabels[r]->text(language);
  t.mode = listText(TotalizerModeList, TotalizerModeList.count(), mode, language);
  t.whole = printed("%09ld", static_cast<long>(m.totalizerWhole[r]));
  if (row < 4) {
    const BilingualText& unit = mode == kTotalizerModeKwh ? kTxtKwh : kTxtCubicMetres;
    t.fraction =
        formatNumber(m.totalizerFraction[r] * 0.001, "* %7.3f", separator) + unit.text(language);
  } else {
    // T.(1-2) has no fraction of its own: the unit gives the first one.
    t.fraction = formatNumber(m.totalizerFraction[0] * 0.001, "* %7.3fm3", separator);
  }
  return t;
}

ChordGrid chordGrid(const MeasurementRegion& m, Language language, const std::string& separator,
                    int& chordsShown) {
  ChordGrid g;
  g.chords = chordsInUse(m);
  g.rebuild = g.chords != chordsShown;
  chordsShown = g.chords;
  for (int k = 0; k < g.chords; ++k) {
    g.columnTitles.push_back(std::string(kTxtChord.text(language)) + std::to_string(k + 1));
  }
  for (int row = 0; row < kChordGridRows; ++row) {
    g.rowTitles[static_cast<std::size_t>(row)] = kChordRowTitles[row]->text(language);
  }
  for (int k = 0; k < g.chords; ++k) {
    const ChordMeasurement& c = m.chords[static_cast<std::size_t>(k)];
    g.cells[0].push_back(formatFixed(c.transitTime, 1, separator));
    g.cells[1].push_back(formatFixed(c.deltaT, 1, separator));
    g.cells[2].push_back(formatFixed(c.gain, 0, separator));
    g.cells[3].push_back(formatAdaptive(c.velocity, separator));
    g.cells[4].push_back(formatFixed(c.soundVelocity, 1, separator));
  }
  return g;
}

}  // namespace

int chordsInUse(const MeasurementRegion& m) {
  const float n = m.chordsInUse;
  if (!(n > 0)) return 0;
  if (n >= MeasurementRegion::kChords) return MeasurementRegion::kChords;
  return static_cast<int>(n);
}

std::string unitDateTimeText(const UnitDateTime& t, const RegionalSettings& regional) {
  return formatDateTime(t.day, t.month, t.year + 2000, t.hour, t.minute, t.second, regional);
}

std::array<std::string, 5> faultLines(const MeasurementRegion& m, Language language) {
  std::array<std::string, 5> lines;
  std::size_t next = 0;
  auto add = [&](std::string text) { lines[next++] = std::move(text); };
  if (m.flowFault) add(kTxtFlowFault.text(language));
  std::string chords;
  const int inUse = chordsInUse(m);
  for (int k = 0; k < inUse; ++k) {
    // Appended in two steps: GCC 12 sees an overlap in `" " + std::to_string`
    // inlined here (-Wrestrict).
    if (m.chordFault[static_cast<std::size_t>(k)]) {
      chords += ' ';
      chords += std::to_string(k + 1);
    }
  }
  if (!chords.empty()) add(kTxtFaultV.text(language) + chords);
  if (m.calorimetryFault) add(kTxtCalorieFault.text(language));
  if (m.relayCountingFault) add(kTxtRelayCountFault.text(language));
  if (m.ramcardBatteryLow) add(kTxtLowBatteryRamcard.text(language));
  if (next == 0) lines[2] = kTxtNoFault.text(language);
  return lines;
}

TrendInput trendInput(const MeasurementRegion& m, Language language) {
  TrendInput t;
  t.samples = m.trendSamples;
  t.scaleLow = m.trendScaleLow;
  t.scaleHigh = m.trendScaleHigh;
  t.unitText = flowUnitText(m, language);
  return t;
}

MeasurementDisplay refreshMeasurementDisplay(MeasurementRegion& m, const ProbeCatalogue& catalogue,
                                             Language language, const RegionalSettings& regional,
                                             int& chordsShown) {
  MeasurementDisplay d;
  d.displayVersion = versionText(m.displayVersion.data(), m.displayVersion.size());
  d.vovVersion = versionText(m.vovVersion.data(), m.vovVersion.size());
  d.labels = measurementLabels(language);

  const std::string& sep = regional.decimalSeparator;
  d.flow = showNumber(m.flow, -kSignedLimit, kSignedLimit, "", sep);
  d.velocity = showNumber(m.velocity, -kSignedLimit, kSignedLimit, "", sep);
  d.soundVelocity = showNumber(m.soundVelocity, 0, kSignedLimit, "%.1f", sep);
  d.kh = showNumber(m.khFactor, 0, kSignedLimit, "%.3f", sep);
  d.probeDiameter = showNumber(m.probeDiameter, 0, kSignedLimit, "%.0f", sep);
  d.loggerSize = showNumber(m.loggerSize, 0, kSignedLimit, "%.0f", sep);
  d.loggerRecordsFilled = showNumber(m.loggerRecordsFilled, 0, kSignedLimit, "%.0f", sep);
  d.loggerFlow = showNumber(m.loggerFlow, -kSignedLimit, kSignedLimit, "", sep);
  d.power = showNumber(m.thermalPower, -kSignedLimit, kSignedLimit, "", sep);
  d.temperature1 = showNumber(m.temperature1, -kTemperatureLimit, kTemperatureLimit, "%.1f", sep);
  d.temperature2 = showNumber(m.temperature2, -kTemperatureLimit, kTemperatureLimit, "%.1f", sep);
  d.temperatureDifference =
      showNumber(m.temperatureDifference, -kTemperatureLimit, kTemperatureLimit, "%.1f", sep);

  d.flowUnit = flowUnitText(m, language);
  d.khMode = listText(KhModeList, KhModeList.count(), m.khMode, language);
  const ProbeNameList probes(catalogue);
  d.probe = listText(probes, kProbeCount, m.probeIndex, language);

  const bool probeKnown = m.probeIndex >= 0 && m.probeIndex < kProbeCount;
  d.probeDiameterVisible =
      probeKnown && catalogue[static_cast<std::size_t>(m.probeIndex)].angle != 0;
  d.loggerBoxVisible = m.loggerFitted != 0;
  d.calorimetryBoxVisible = m.calorimetryHidden == 0;

  d.faultLines = faultLines(m, language);
  d.unitDateTime = unitDateTimeText(m.unitClock, regional);
  d.loggerDateTime = unitDateTimeText(m.loggerClock, regional);
  for (int row = 0; row < MeasurementRegion::kTotalizers; ++row) {
    d.totalizers[static_cast<std::size_t>(row)] = totalizerRow(m, row, language, sep);
  }
  d.trend = trendInput(m, language);
  d.chordGrid = chordGrid(m, language, sep, chordsShown);
  return d;
}

}  // namespace flowdesk
