// SPDX-License-Identifier: GPL-3.0-or-later
// The two configuration pages without widgets: which controls the image
// shows, and how typed values come back through the fields' formats and
// ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/FieldFormat.h"
#include "config/ConfigurationFields.h"
#include "config/ConfigurationVisibility.h"
#include "config/FactoryFields.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {
namespace {

// A configuration as a new calibration file holds it: probe 2, one chord
// pair with Ci 0.500, internal diameter, water, automatic KH.
DeviceImage defaults() {
  DeviceImage image;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(configurationMap(image), area.data());
  decodeReply(configurationMap(image), area.data());
  return image;
}

constexpr int kAngled = 5;  // the probe of the catalogue below that has an angle

ProbeCatalogue catalogue() {
  ProbeCatalogue probes{};
  probes[2] = {"Flat", 0};
  probes[kAngled] = {"T45", 4500};
  return probes;
}

TEST(ConfigurationPages, MeasurementPointVisibility) {
  using Change = std::function<void(ConfigurationRegion&)>;
  struct Case {
    const char* name;
    Change change;
    bool khFrame, kh, viscosity;
    int columns;
    bool ciLabel, chord1Ci, geometryRows;
    bool thickness, mountingAndMaterial, c0;
  };
  const auto chords = [](float n, std::vector<float> ci) {
    return [n, ci](ConfigurationRegion& c) {
      c.chordPairs = n;
      std::size_t k = 0;
      for (float v : ci) c.chords[k++].coefficient = v;
    };
  };
  const Case cases[] = {
      {"one chord pair", chords(1, {0.5f}), true, false, true, 1, false, false, true, false, false,
       false},
      {"three, all Ci 1", chords(3, {1, 1, 1}), true, false, true, 3, true, true, true, false,
       false, false},
      {"three, one Ci 0.999", chords(3, {1, 0.999f, 1}), false, false, false, 3, true, true, true,
       false, false, false},
      {"Ci past N do not count", chords(2, {1, 1, 0.5f}), true, false, true, 2, true, true, true,
       false, false, false},
      {"angled probe, Ci 0.999",
       [&](ConfigurationRegion& c) {
         chords(3, {1, 0.999f, 1})(c);
         c.probe = kAngled;
       },
       true, false, true, 3, false, false, false, true, true, false},
      {"angled probe, one pair", [](ConfigurationRegion& c) { c.probe = kAngled; }, true, false,
       true, 1, false, false, false, true, true, false},
      {"external diameter", [](ConfigurationRegion& c) { c.diameterType = 1; }, true, false, true,
       1, false, false, true, true, false, false},
      {"circumference", [](ConfigurationRegion& c) { c.diameterType = 2; }, true, false, true, 1,
       false, false, true, true, false, false},
      {"other product", [](ConfigurationRegion& c) { c.product = 1; }, true, false, true, 1, false,
       false, true, false, false, true},
      {"manual KH", [](ConfigurationRegion& c) { c.khType = 1; }, true, true, false, 1, false,
       false, true, false, false, false},
      {"manual KH, group hidden",
       [&](ConfigurationRegion& c) {
         chords(2, {0.5f, 1})(c);
         c.khType = 1;
       },
       false, false, false, 2, true, true, true, false, false, false},
      {"six pairs", chords(6, {1, 1, 1, 1, 1, 1}), true, false, true, 6, true, true, true, false,
       false, false},
      {"nine pairs count as six", chords(9, {1, 1, 1, 1, 1, 1}), true, false, true, 6, true, true,
       true, false, false, false},
      {"a probe index past the catalogue has no angle",
       [](ConfigurationRegion& c) { c.probe = 40; }, true, false, true, 1, false, false, true,
       false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = defaults();
    c.change(image.configuration);
    const MeasurementPointVisibility v = measurementPointVisibility(image, catalogue());
    EXPECT_EQ(v.khFrame, c.khFrame);
    EXPECT_EQ(v.kh, c.kh);
    EXPECT_EQ(v.viscosity, c.viscosity);
    EXPECT_EQ(v.roughness, c.viscosity);
    EXPECT_TRUE(v.deltaT0Label);
    EXPECT_EQ(v.ciLabel, c.ciLabel);
    EXPECT_EQ(v.lengthLabel, c.geometryRows);
    EXPECT_EQ(v.axialDistanceLabel, c.geometryRows);
    EXPECT_EQ(v.chords[0].ci, c.chord1Ci);
    for (int k = 0; k < 6; ++k) {
      const ChordColumnVisibility& column = v.chords[static_cast<std::size_t>(k)];
      const bool shown = k < c.columns;
      EXPECT_EQ(column.header, shown) << k;
      EXPECT_EQ(column.deltaT0, shown) << k;
      EXPECT_EQ(column.length, shown && c.geometryRows) << k;
      EXPECT_EQ(column.axialDistance, shown && c.geometryRows) << k;
      if (k > 0) {
        EXPECT_EQ(column.ci, shown && c.geometryRows) << k;
      }
    }
    EXPECT_EQ(v.wallThickness, c.thickness);
    EXPECT_EQ(v.probeMounting, c.mountingAndMaterial);
    EXPECT_EQ(v.pipeMaterial, c.mountingAndMaterial);
    EXPECT_EQ(v.c0, c.c0);
    EXPECT_EQ(v.deltaC, c.c0);
  }
}

TEST(ConfigurationPages, InputsOutputsVisibility) {
  struct Case {
    const char* name;
    std::array<std::int32_t, 3> totalizers;
    std::array<std::int32_t, 4> relays;
    std::array<const char*, 3> weights;  // "" hidden, else the unit text
    std::array<bool, 4> thresholds;
    bool pulseWidth;
  };
  const Case cases[] = {
      {"all off, all open", {0, 0, 0}, {0, 0, 0, 0}, {"", "", ""}, {}, false},
      {"totalizer 2 in KWh", {1, 4, 0}, {0, 0, 0, 0}, {"m3", "KWh", ""}, {}, false},
      {"every kind of totalizer", {2, 3, 4}, {0, 0, 0, 0}, {"m3", "m3", "KWh"}, {}, false},
      {"relay 3 on totalizer 1", {0, 0, 0}, {0, 0, 2, 0}, {"", "", ""}, {}, true},
      {"relay 1 on totalizer 3", {0, 0, 0}, {4, 0, 0, 0}, {"", "", ""}, {}, true},
      {"relay 4 on a flow threshold",
       {0, 0, 0},
       {0, 1, 0, 8},
       {"", "", ""},
       {false, false, false, true},
       false},
      {"faults and direction", {0, 0, 0}, {5, 6, 7, 1}, {"", "", ""}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceImage image = defaults();
    for (std::size_t t = 0; t < 3; ++t) image.configuration.totalizers[t].type = c.totalizers[t];
    for (std::size_t r = 0; r < 4; ++r) image.configuration.relays[r].type = c.relays[r];
    const InputsOutputsVisibility v = inputsOutputsVisibility(image);
    for (std::size_t t = 0; t < 3; ++t) {
      const bool shown = *c.weights[t] != '\0';
      EXPECT_EQ(v.pulseWeights[t].shown, shown) << t;
      EXPECT_STREQ(v.pulseWeights[t].unit.english(), shown ? c.weights[t] : "m3") << t;
    }
    EXPECT_EQ(v.thresholds, c.thresholds);
    EXPECT_EQ(v.pulseWidth, c.pulseWidth);
  }
}

// What a typed text becomes once the page reads it back and shows it again.
TEST(ConfigurationPages, TypedValuesAreClampedByTheFieldsRanges) {
  struct Case {
    const char* field;  // English report name
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {"Nbr of Chords", "9", "6"},      {"Nbr of Chords", "0", "1"},
      {"Nbr of Chords", "two", "1"},    {"Ci 4", "5000", "999.000"},
      {"Thickness", "-3", "0.0"},       {"Q Max", "12.5", "+12.5"},
      {"Q Min", "-200000", "-99999.9"}, {"Diameter value", "5", "10.0"},
      {"Viscosity", "0", "0.1"},        {"DeltaT0 6", "1000", "+999.9"},
      {"Filter", "75", "60"},           {"Memory", "-1", "0"},
      {"P. weight Tot2", "0", "0.001"}, {"Threshold R3", "1e9", "+99999.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.typed);
    DeviceImage image = defaults();
    std::vector<EditField> edits = measurementPointEdits(image);
    const std::vector<EditField> io = inputsOutputsEdits(image);
    edits.insert(edits.end(), io.begin(), io.end());
    const auto field = std::find_if(edits.begin(), edits.end(), [&](const EditField& e) {
      return std::string(e.reportName.english()) == c.field;
    });
    ASSERT_NE(field, edits.end());
    *field->variable = toFieldFloat(readNumber(c.typed));
    EXPECT_EQ(showNumber(*field->variable, field->min, field->max, field->format), c.shown);
    EXPECT_EQ(formatNumber(*field->variable, field->format), c.shown) << "the clamp is stored";
  }
}

// The screens bind a control by its field's id: an id missing or given twice
// would leave a field without its control or two fields on one.
TEST(FieldTables, EveryFieldHasItsOwnId) {
  DeviceImage image;
  const ValueList none;
  const auto ids = [](const auto& fields) {
    std::vector<std::string> out;
    for (const auto& f : fields) out.emplace_back(f.id);
    return out;
  };
  const std::vector<std::vector<std::string>> tables = {ids(measurementPointEdits(image)),
                                                        ids(measurementPointLists(image, none)),
                                                        ids(inputsOutputsEdits(image)),
                                                        ids(inputsOutputsLists(image)),
                                                        ids(factoryEdits(image)),
                                                        ids(factoryLists(image)),
                                                        ids(factoryTexts(image)),
                                                        ids(makerEdits(image)),
                                                        ids(makerLists(image))};
  for (const std::vector<std::string>& table : tables) {
    std::vector<std::string> sorted = table;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
        << ::testing::PrintToString(table);
    EXPECT_EQ(std::count(table.begin(), table.end(), ""), 0) << ::testing::PrintToString(table);
  }
}

}  // namespace
}  // namespace flowdesk
