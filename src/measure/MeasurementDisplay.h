// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/IdentificationCache.h"
#include "base/RegionalFormat.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// Everything the measurement screen shows after a refresh, as texts and
// flags: the screen draws these and computes nothing itself, so what it shows
// can be checked without a window.

// The fixed labels, in the language of the refresh.
struct MeasurementLabels {
  std::string flow;             // "Débit" | "Flow"
  std::string speed;            // "Vitesse" | "Speed"
  std::string velocity;         // "Célérité" | "Velocity"
  std::string metresPerSecond;  // "m/s", beside the speed and the sound velocity
  std::string kh;
  std::string probe;
  std::string probeDiameter;  // "D. Sonde" | "D. Probe"
  std::string millimetres;
  std::string totalizers;
  std::string logger;
  std::string loggerSize;       // "Taille" | "Size"
  std::string recordingFilled;  // "Enregistré" | "Recording filled"
  std::string fault;            // title of the fault box
  std::string calorie;          // title of the calorimetry box
  std::string power;
  std::string kw;
  std::string temperature1;  // "T1"
  std::string temperature2;  // "T2"
  std::string dt;
  std::string degreesCelsius;
  std::string softwareVersions;  // title of the versions box
  std::string aff;               // beside the display board version
  std::string vov;               // beside the VOV version
  bool operator==(const MeasurementLabels&) const = default;
};

// The fixed labels in a language; the screen shows them before the first
// refresh too.
MeasurementLabels measurementLabels(Language language);

// One of the five totalizer rows T1, T2, T3, Vol., T.(1-2). A row whose mode
// is 0 is hidden whole.
struct TotalizerRow {
  bool visible = false;
  std::string label;     // "T1" ... "T.(1-2)"
  std::string mode;      // "(+/-)", "(KWh)" ... or "*****"
  std::string whole;     // "%09ld"
  std::string fraction;  // "* %7.3f" and its unit
  bool operator==(const TotalizerRow&) const = default;
};

inline constexpr int kChordGridRows = 5;  // T, dT, G, V, C below the title row

// The chord grid: a title column and one column per chord in use. `rebuild`
// says the chord count changed since the last refresh, so the grid is built
// again (columns, titles, widths) before it is filled.
struct ChordGrid {
  int chords = 0;
  bool rebuild = false;
  std::vector<std::string> columnTitles;              // "Corde1" ...; row 0, column 0 is empty
  std::array<std::string, kChordGridRows> rowTitles;  // "T (µs)" ... "C (m/s)"
  std::array<std::vector<std::string>, kChordGridRows> cells;  // [row][chord]
  bool operator==(const ChordGrid&) const = default;
};

// What the trend graph draws: the unit's 100 samples, the scale from block
// S2 and the flow unit text for its labels.
struct TrendInput {
  std::array<float, MeasurementRegion::kTrendSamples> samples{};
  double scaleLow = 0;
  double scaleHigh = 0;
  std::string unitText;
  bool operator==(const TrendInput&) const = default;
};

struct MeasurementDisplay {
  MeasurementLabels labels;
  std::string displayVersion;  // beside "AFF"
  std::string vovVersion;      // beside "VOV"

  std::string flow;
  std::string flowUnit;
  std::string velocity;
  std::string soundVelocity;
  std::string kh;
  std::string khMode;
  std::string probe;
  std::string probeDiameter;
  bool probeDiameterVisible = false;  // the label, the value and "mm"

  bool loggerBoxVisible = false;
  std::string loggerSize;
  std::string loggerRecordsFilled;
  std::string loggerFlow;
  std::string loggerDateTime;

  bool calorimetryBoxVisible = false;
  std::string power;
  std::string temperature1;
  std::string temperature2;
  std::string temperatureDifference;

  std::array<std::string, 5> faultLines;
  std::string unitDateTime;
  std::array<TotalizerRow, MeasurementRegion::kTotalizers> totalizers;
  TrendInput trend;
  ChordGrid chordGrid;
  bool operator==(const MeasurementDisplay&) const = default;
};

// A software version field of block S1 as text (Windows-1252 bytes, up to
// the first NUL).
std::string versionText(const char* chars, std::size_t size);

// The chord count a measurement says is in use, held to what the blocks
// carry (0 to 6); a count that is not a number is 0.
int chordsInUse(const MeasurementRegion& m);

// The unit's date and time bytes in the operator's formats: the date, one
// blank, the time.
std::string unitDateTimeText(const UnitDateTime& t, const RegionalSettings& regional);

// The five lines of the fault box, filled from the top in a fixed order;
// with no fault the third line says so.
std::array<std::string, 5> faultLines(const MeasurementRegion& m, Language language);

// The display refresh: clamps every shown value into its range in `m`
// itself (a value that is not a number becomes the range's minimum), then
// makes every text. `chordsShown` is the chord count the grid is built for;
// it is updated, and the grid is marked for rebuilding when it changes.
MeasurementDisplay refreshMeasurementDisplay(MeasurementRegion& m, const ProbeCatalogue& catalogue,
                                             Language language, const RegionalSettings& regional,
                                             int& chordsShown);

// The trend graph's input from the image, for a repaint between refreshes.
TrendInput trendInput(const MeasurementRegion& m, Language language);

}  // namespace flowdesk
