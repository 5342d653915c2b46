// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "support/HexBytes.h"

// The byte vectors below are written from the unit's register tables, value by
// value, with the register each group comes from in the comment.

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::hex;
using testing::hexOf;
using testing::operator+;
using Area = std::array<std::uint8_t, kRequestDataSize>;

Bytes ascii(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

struct MapCase {
  const char* name;
  FieldMap (*build)(DeviceImage&);
  RegisterBlock block;
  std::set<int> unmapped;  // bytes no row covers (reserved or unused)
};

const std::vector<MapCase>& allMaps() {
  static const std::vector<MapCase> maps = {
      {"S1", s1Map, kS1Block, {}},
      {"S2", s2Map, kS2Block, {}},
      {"M1", m1Map, kM1Block, {}},
      {"M2", m2Map, kM2Block, {}},
      {"configuration", configurationMap, configurationBlock(0), {123}},
      {"factory", factoryMap, kFactoryBlock, {31, 32, 33, 34, 66, 67}},
      {"clock", clockMap, kClockBlock, {}},
      {"echo command", echoCommandMap, kEchoCommandBlock, {1, 2, 3}},
      {"logger settings", loggerSettingsMap, kLoggerSettingsBlock, {11}},
      {"maker", makerMap, kMakerBlock, {11}},
  };
  return maps;
}

bool insideImage(const DeviceImage& image, const void* p) {
  const auto* begin = reinterpret_cast<const std::uint8_t*>(&image);
  const auto* q = static_cast<const std::uint8_t*>(p);
  return q >= begin && q < begin + sizeof image;
}

// Which target kinds each encoding may write to.
bool targetFits(const FieldRow& row) {
  const FieldTarget& t = row.target;
  switch (row.encoding) {
    case Encoding::kFloat32:
    case Encoding::kUInt16Scaled:
    case Encoding::kInt24Scaled:
    case Encoding::kByteScaled:
    case Encoding::kInt16Scaled:
      return std::holds_alternative<float*>(t);
    case Encoding::kInt32:
    case Encoding::kUInt16:
    case Encoding::kByte:
    case Encoding::kBit:
    case Encoding::kNibble:
      return std::holds_alternative<std::int32_t*>(t) || std::holds_alternative<std::int16_t*>(t);
    case Encoding::kRawChars:
      return std::holds_alternative<CharArrayRef>(t) &&
             std::get<CharArrayRef>(t).size >= static_cast<std::size_t>(row.parameter) + 1;
    case Encoding::kByteArray:
      return std::holds_alternative<FloatArrayRef>(t) &&
             std::get<FloatArrayRef>(t).size >= static_cast<std::size_t>(row.parameter);
    case Encoding::kText:
      return std::holds_alternative<std::string*>(t) && row.parameter <= kMaxTextLength;
  }
  return false;
}

const void* targetAddress(const FieldTarget& t) {
  return std::visit(
      [](auto v) -> const void* {
        using V = decltype(v);
        if constexpr (std::is_same_v<V, std::monostate>) {
          return nullptr;
        } else if constexpr (std::is_same_v<V, CharArrayRef> || std::is_same_v<V, FloatArrayRef>) {
          return v.data;
        } else {
          return v;
        }
      },
      t);
}

// Every map is as long as the block the unit is asked for, every row sits
// inside it, writes to a field of the right kind inside the image it was
// built for, and every byte of the block belongs to exactly one row except
// the reserved ones (two Nibble halves or several Bits may share a byte,
// nothing else may).
TEST(BlockMaps, RowsFitTheirBlockTheirFieldAndCoverTheBlock) {
  DeviceImage image;
  for (const MapCase& c : allMaps()) {
    const FieldMap map = c.build(image);
    EXPECT_EQ(map.byteCount, static_cast<std::size_t>(c.block.byteCount())) << c.name;
    std::vector<int> owners(map.byteCount, 0);
    std::set<std::pair<int, int>> sharedBits;  // (offset, bit or nibble half)
    for (std::size_t i = 0; i < map.rows.size(); ++i) {
      const FieldRow& row = map.rows[i];
      const int width = encodedWidth(row.encoding, row.parameter);
      SCOPED_TRACE(std::string(c.name) + " row " + std::to_string(i));
      ASSERT_GE(row.offset, 0);
      ASSERT_LE(row.offset + width, static_cast<int>(map.byteCount));
      EXPECT_TRUE(targetFits(row));
      EXPECT_TRUE(insideImage(image, targetAddress(row.target)));
      EXPECT_EQ(row.reserved, 0);
      const bool scaled =
          row.encoding == Encoding::kUInt16Scaled || row.encoding == Encoding::kInt24Scaled ||
          row.encoding == Encoding::kByteScaled || row.encoding == Encoding::kInt16Scaled;
      if (scaled) {
        EXPECT_GT(row.parameter, 0);
      }
      if (row.encoding == Encoding::kBit || row.encoding == Encoding::kNibble) {
        const int part = row.encoding == Encoding::kNibble ? (row.parameter != 0) : row.parameter;
        EXPECT_TRUE(sharedBits.insert({row.offset, part}).second) << "part used twice";
        for (int b = 0; b < width; ++b) owners[row.offset + b] = 1;
      } else {
        for (int b = 0; b < width; ++b) EXPECT_EQ(owners[row.offset + b]++, 0) << "byte " << b;
      }
    }
    std::set<int> unmapped;
    for (int b = 0; b < static_cast<int>(owners.size()); ++b) {
      if (owners[b] == 0) unmapped.insert(b);
    }
    EXPECT_EQ(unmapped, c.unmapped) << c.name;
  }
}

// ---------------------------------------------------------------- S1 and S2

Bytes s1Block() {
  return hex("00 00 01 F4  00 00 00 07  FF FF FF FF  00 00 03 E7 "  // 0x0000-0x0007 fractions
             "12 34 "                          // 0x0008 modes T1 1, T2 2 | T3 3, Vol. 4
             "04 03 "                          // 0x0009 flow unit 4, 3 chords
             "01 01 "                          // 0x000A KH manual, logger fitted
             "00 1C "                          // 0x000B probe 28
             "02 A5 "                          // 0x000C mode T.(1-2) 2, low byte kept
             "12 34  FF FE  7E 81 "            // 0x000D-0x000F
             "10 00 "                          // 0x0010 logger size 4096
             "43 16 00 00 "                    // 0x0011-0x0012 diameter 150.0
             "0A 0B ") +                       // 0x0013
         ascii("DISP V2.10 FR ") +             // 0x0014-0x001A
         hex("56 4F 56 20 33 2E 31 00 58 59 "  // 0x001B-0x001F "VOV 3.1", zero, junk
             "01 5A ");                        // 0x0020 two echo kinds | kept
}

TEST(BlockMaps, S1DecodesEveryRegister) {
  const Bytes block = s1Block();
  ASSERT_EQ(block.size(), 66u);
  DeviceImage image;
  decodeReply(s1Map(image), block.data());
  const MeasurementRegion& m = image.measurement;
  EXPECT_EQ(m.totalizerFraction, (std::array<std::int32_t, 4>{500, 7, -1, 999}));
  EXPECT_EQ(m.totalizerMode, (std::array<std::int32_t, 5>{1, 2, 3, 4, 2}));
  EXPECT_EQ(m.flowUnitIndex, 4);
  EXPECT_EQ(m.chordsInUse, 3.0f);
  EXPECT_EQ(m.khMode, 1);
  EXPECT_EQ(m.loggerFitted, 1);
  EXPECT_EQ(m.probeIndex, 28);
  EXPECT_EQ(m.s1Reg000CLow, 0xA5);
  EXPECT_EQ(m.s1Reg000D, 0x1234);
  EXPECT_EQ(m.s1Reg000E, 0xFFFE);
  EXPECT_EQ(m.s1Reg000FHigh, 0x7E);
  EXPECT_EQ(m.s1Reg000FLow, 0x81);
  EXPECT_EQ(m.loggerSize, 4096.0f);
  EXPECT_EQ(m.probeDiameter, 150.0f);
  EXPECT_EQ(m.s1Reg0013High, 0x0A);
  EXPECT_EQ(m.s1Reg0013Low, 0x0B);
  EXPECT_EQ(std::string(m.displayVersion.data()), "DISP V2.10 FR ");
  EXPECT_EQ(std::string(m.vovVersion.data()), "VOV 3.1");
  EXPECT_EQ(m.vovVersion[8], '\0');  // nothing after the zero byte
  EXPECT_EQ(m.echoKindSelector, 1);
  EXPECT_EQ(m.s1Reg0020Low, 0x5A);

  // Encoding the decoded fields gives the block back, apart from the
  // read-only version texts.
  Area area;
  encodeRequest(s1Map(image), area.data());
  Bytes expected = block;
  std::fill(expected.begin() + 40, expected.begin() + 64, 0);
  EXPECT_EQ(hexOf(area.data(), 66), hexOf(expected));
}

TEST(BlockMaps, S2DecodesTheTrendScale) {
  const Bytes block = hex("FF FF 9C  00 27 10 ");
  DeviceImage image;
  decodeReply(s2Map(image), block.data());
  EXPECT_EQ(image.measurement.trendScaleLow, -10.0f);
  EXPECT_EQ(image.measurement.trendScaleHigh, 1000.0f);
}

// ---------------------------------------------------------------- M1 and M2

Bytes m1Block() {
  return hex("00 01 "        // 0x0100 re-read flag
             "41 48 00 00 "  // flow 12.5
             "BF C0 00 00 "  // velocity -1.5
             "00 01 E2 40  FF FF FF 9C  00 00 00 00  7F FF FF FF  00 00 00 2A "  // totalizers
             "25 9B "              // 0x010F bits 0 1 3 4 7 8 10 13
             "44 B9 00 00 "        // sound velocity 1480
             "3F 40 00 00 "        // KH 0.75
             "03 04 0E 05 09 07 "  // 0x0114-0x0116: March 2004, 5th, 14:07:09
             "03 E8 "              // 0x0117 records filled 1000
             "0C 17 17 1F 3B 3B "  // 0x0118-0x011A: December 2023, 31st, 23:59:59
             "C0 00 00 00 "        // logger flow -2
             "41 A4 00 00  C0 A8 00 00  41 CE 00 00  42 C8 00 00 "  // T1, T2, DT, power
             "00 01 7F 80 FF ") +                                   // 0x0125: first trend samples
         Bytes(94, 0x14) +
         hex("EC");  // ... 20 each, the newest -20
}

TEST(BlockMaps, M1DecodesEveryRegister) {
  const Bytes block = m1Block();
  ASSERT_EQ(block.size(), 174u);
  DeviceImage image;
  decodeReply(m1Map(image), block.data());
  const MeasurementRegion& m = image.measurement;
  EXPECT_EQ(m.rereadFlag, 1);
  EXPECT_EQ(m.flow, 12.5f);
  EXPECT_EQ(m.velocity, -1.5f);
  EXPECT_EQ(m.totalizerWhole, (std::array<std::int32_t, 5>{123456, -100, 0, 2147483647, 42}));
  EXPECT_EQ(m.flowFault, 1);
  EXPECT_EQ(m.ramcardBatteryLow, 0);
  EXPECT_EQ(m.relayCountingFault, 1);
  EXPECT_EQ(m.calorimetryFault, 0);
  EXPECT_EQ(m.calorimetryHidden, 1);
  EXPECT_EQ(m.chordFault, (std::array<std::int32_t, 6>{1, 0, 1, 0, 0, 1}));
  EXPECT_EQ(m.soundVelocity, 1480.0f);
  EXPECT_EQ(m.khFactor, 0.75f);
  EXPECT_EQ(m.unitClock, (UnitDateTime{4, 3, 5, 14, 7, 9}));
  EXPECT_EQ(m.loggerRecordsFilled, 1000.0f);
  EXPECT_EQ(m.loggerClock, (UnitDateTime{23, 12, 31, 23, 59, 59}));
  EXPECT_EQ(m.loggerFlow, -2.0f);
  EXPECT_EQ(m.temperature1, 20.5f);
  EXPECT_EQ(m.temperature2, -5.25f);
  EXPECT_EQ(m.temperatureDifference, 25.75f);
  EXPECT_EQ(m.thermalPower, 100.0f);
  EXPECT_EQ(m.trendSamples[0], 0.0f);
  EXPECT_EQ(m.trendSamples[1], 1.0f);
  EXPECT_EQ(m.trendSamples[2], 127.0f);
  EXPECT_EQ(m.trendSamples[3], -128.0f);
  EXPECT_EQ(m.trendSamples[4], -1.0f);
  EXPECT_EQ(m.trendSamples[50], 20.0f);
  EXPECT_EQ(m.trendSamples[99], -20.0f);

  // Back again: the status bits 1 and 4 have no field, the trend is read-only.
  Area area;
  encodeRequest(m1Map(image), area.data());
  Bytes expected = block;
  expected[31] = 0x89;
  std::fill(expected.begin() + 74, expected.end(), 0);
  EXPECT_EQ(hexOf(area.data(), 174), hexOf(expected));
}

Bytes m2Block() {
  return hex(
      "00 00 "              // 0x0200 re-read flag
      "1E 28 32 3C 46 FF "  // gains 30 40 50 60 70 255 dB
      // chord k: delta-t -k ns, transit 100k µs, velocity k/2 m/s, sound 1400+10k m/s
      "BF 80 00 00  42 C8 00 00  3F 00 00 00  44 B0 40 00 "
      "C0 00 00 00  43 48 00 00  3F 80 00 00  44 B1 80 00 "
      "C0 40 00 00  43 96 00 00  3F C0 00 00  44 B2 C0 00 "
      "C0 80 00 00  43 C8 00 00  40 00 00 00  44 B4 00 00 "
      "C0 A0 00 00  43 FA 00 00  40 20 00 00  44 B5 40 00 "
      "C0 C0 00 00  44 16 00 00  40 40 00 00  44 B6 80 00 ");
}

TEST(BlockMaps, M2DecodesEveryChordAndItsFlagWinsOverM1) {
  const Bytes block = m2Block();
  ASSERT_EQ(block.size(), 104u);
  DeviceImage image;
  decodeReply(m1Map(image), m1Block().data());
  decodeReply(m2Map(image), block.data());
  const MeasurementRegion& m = image.measurement;
  EXPECT_EQ(m.rereadFlag, 0);
  const float gains[6] = {30, 40, 50, 60, 70, 255};
  for (int k = 0; k < 6; ++k) {
    SCOPED_TRACE("chord " + std::to_string(k + 1));
    const float n = static_cast<float>(k + 1);
    EXPECT_EQ(m.chords[k].gain, gains[k]);
    EXPECT_EQ(m.chords[k].deltaT, -n);
    EXPECT_EQ(m.chords[k].transitTime, 100 * n);
    EXPECT_EQ(m.chords[k].velocity, n / 2);
    EXPECT_EQ(m.chords[k].soundVelocity, 1400 + 10 * n);
  }
  Area area;
  encodeRequest(m2Map(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 104), hexOf(block));
}

// ---------------------------------------------------------------- configuration

Bytes configurationBlockBytes() {
  return hex(
      "02 03 01 "            // mounting Reflex2, 3 chord pairs, external diameter
      "00 27 10 "            // diameter 1000.0 mm
      "05 01 "               // flow unit m3/j, KH manual
      "04 1F "               // KH 1.055
      "01 "                  // product other
      "00 64  00 0F "        // viscosity 10.0, roughness 0.15
      "0A "                  // material 10
      "00 64 "               // wall 10.0
      "05 DC  00 C8 "        // C0 1500, DeltaC 200
      "3C  0E 10  0E "       // filter 60, memory 3600, graph period 14
      "FF FC 18  0F 42 3F "  // Q min -100.0, Q max 99999.9
      "04 01 86 A0 "         // totalizer 1 (KWh), weight 100.000
      "03 00 00 01 "         // totalizer 2 (-), weight 0.001
      "00 00 03 E8 "         // totalizer 3 OFF, weight 1.000
      "08 02 05 00 "         // relay types
      "1D 06 0B "            // probe 29, current output 6, pulse width 11
      "00 30 39  FF CF C7  00 00 00  F0 BD C1 "  // thresholds 1234.5 -1234.5 0 -99999.9
      // chords: length, axial distance, Ci, DeltaT0
      "00 0B 0C  00 07 D0  01 F4  FF F6 "
      "00 0B 0D  00 07 D1  03 E8  00 0A "
      "01 86 9F  00 00 64  03 E7  27 0F "
      "00 00 00  00 00 00  00 00  D8 F1 "
      "00 01 00  00 00 01  FF FF  80 00 "
      "00 00 0A  00 00 14  00 01  7F FF "
      "00");  // reserved
}

ConfigurationRegion configurationValues() {
  ConfigurationRegion c;
  c.probeMounting = 2;
  c.chordPairs = 3;
  c.diameterType = 1;
  c.diameter = 1000.0f;
  c.flowUnit = 5;
  c.khType = 1;
  c.kh = 1.055f;
  c.product = 1;
  c.viscosity = 10.0f;
  c.roughness = 0.15f;
  c.pipeMaterial = 10;
  c.wallThickness = 10.0f;
  c.soundSpeedC0 = 1500;
  c.deltaC = 200;
  c.filter = 60;
  c.memory = 3600;
  c.graphPeriod = 14;
  c.minimumFlow = -100.0f;
  c.maximumFlow = 99999.9f;
  c.totalizers = {{{4, 100.0f}, {3, 0.001f}, {0, 1.0f}}};
  c.relays = {{{8, 1234.5f}, {2, -1234.5f}, {5, 0.0f}, {0, -99999.9f}}};
  c.probe = 29;
  c.currentOutput = 6;
  c.pulseWidth = 11;
  c.chords = {{{282.8f, 200.0f, 0.5f, -1.0f},
               {282.9f, 200.1f, 1.0f, 1.0f},
               {9999.9f, 10.0f, 0.999f, 999.9f},
               {0.0f, 0.0f, 0.0f, -999.9f},
               {25.6f, 0.1f, 65.535f, -3276.8f},
               {1.0f, 2.0f, 0.001f, 3276.7f}}};
  return c;
}

TEST(BlockMaps, ConfigurationDecodesAndEncodesAFullBlock) {
  const Bytes block = configurationBlockBytes();
  ASSERT_EQ(block.size(), 124u);
  DeviceImage decoded;
  decodeReply(configurationMap(decoded), block.data());
  EXPECT_TRUE(decoded.configuration == configurationValues());

  DeviceImage typed;
  typed.configuration = configurationValues();
  Area area;
  encodeRequest(configurationMap(typed), area.data());
  EXPECT_EQ(hexOf(area.data(), 124), hexOf(block));
  EXPECT_FALSE(blockModified(configurationMap(typed), block.data()));
  typed.configuration.chords[5].deltaT0 = 3276.6f;
  EXPECT_TRUE(blockModified(configurationMap(typed), block.data()));
}

TEST(BlockMaps, ConfigurationDefaults) {
  DeviceImage image;
  image.configuration = configurationValues();  // defaults never look at the image
  Area area;
  area.fill(0xEE);
  encodeDefaults(configurationMap(image), area.data());
  const Bytes expected =
      hex("01 01 00  00 01 05  04 00  04 1F  00  00 0A  00 0A  06  00 09  05 DC  00 C8 "
          "05  00 0A  00  00 00 00  00 00 64 "
          "01 00 00 64  00 00 00 64  00 00 00 64 "
          "00 00 00 00  02 00 0B "
          "00 03 E8  00 03 E8  00 03 E8  00 03 E8 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00 0B 0C 00 07 D0 01 F4 00 00 "
          "00");
  ASSERT_EQ(expected.size(), 124u);
  EXPECT_EQ(hexOf(area.data(), 124), hexOf(expected));
  EXPECT_EQ(area[124], 0);
}

// ---------------------------------------------------------------- factory

Bytes factoryBlockBytes() {
  return hex(
      "01 01 "              // polarity reverse, function simulation
      "FD E8 "              // DeltaT cut-off 6500.0
      "07 0F 00 "           // ER2 7, Jbus 15, display not inverted
      "F8 5E E1 "           // simulated flow -49999.9
      "64 "                 // ripple 100 %
      "11 C6 7B 0C "        // SP1 angle 45.50, T0 12.3, frequency 12
      "23 28 07 00 "        // SP2 angle 90.00, T0 0.7, frequency 0
      "53 50 20 4E B0 31 "  // SP1 text "SP N°1" in Windows-1252
      "41 42 20 20 20 20 "  // SP2 text "AB" and its blanks
      "00 00 00 00 "        // reserved
      "27 10 05 "           // Q Ref Lin 10000, unit m3/j
      "00 00 00 01 03 E8 03 E9 07 D0 27 10 12 34 FF FF 01 F4 00 64 04 E2 "  // 11 factors
      "06 01 14 04 64 1E "  // backlight ON, video reverse, coef 2.0, DEUTSCH, 100 %, 30 mn
      "00 00 ");            // reserved
}

FactoryRegion factoryValues() {
  FactoryRegion f;
  f.echoPolarity = 1;
  f.function = 1;
  f.deltaTCutOff = 6500.0f;
  f.er2Processing = 7;
  f.jbusAddress = 15;
  f.displayInversion = 0;
  f.simulatedFlow = -49999.9f;
  f.simulationRipple = 100;
  f.specialProbes = {{{45.5f, 12.3f, 12, "SP N°1"}, {90.0f, 0.7f, 0, "AB    "}}};
  f.linearisationReferenceFlow = 10000;
  f.linearisationReferenceUnit = 5;
  f.linearisation = {0.0f, 0.001f, 1.0f, 1.001f, 2.0f, 10.0f, 4.66f, 65.535f, 0.5f, 0.1f, 1.25f};
  f.backlight = 6;
  f.videoInversion = 1;
  f.externalPipeCoefficient = 2.0f;
  f.language = 4;
  f.contrast = 100;
  f.resumeDelay = 30;
  return f;
}

// Blocks as a unit may send them (the defaults with one value changed), read
// and left alone: the image encodes to the very bytes that were read, so
// nothing is seen as modified and a block written back does not change.
TEST(BlockMaps, BlocksReadAndLeftAloneEncodeToTheSameBytes) {
  const struct {
    const char* map;
    int offset;
    const char* bytes;
  } cases[] = {
      {"configuration", 33, "7F F8 FF"},  // pulse weight 8386.815: came back 8386.816
      {"configuration", 51, "7F FF FF"},  // threshold, the largest value
      {"configuration", 63, "80 00 00"},  // path length, the smallest value
      {"factory", 7, "40 00 01"},         // simulated flow just past 2^22
  };
  for (const auto& c : cases) {
    const MapCase* found = nullptr;
    for (const MapCase& m : allMaps()) {
      if (std::string(m.name) == c.map) found = &m;
    }
    ASSERT_NE(found, nullptr) << c.map;
    DeviceImage image;
    const FieldMap map = found->build(image);
    Area defaults;
    encodeDefaults(map, defaults.data());
    Bytes block(defaults.begin(), defaults.begin() + found->block.byteCount());
    const Bytes value = hex(c.bytes);
    std::copy(value.begin(), value.end(), block.begin() + c.offset);
    decodeReply(map, block.data());
    Area area;
    encodeRequest(map, area.data());
    EXPECT_EQ(hexOf(area.data(), block.size()), hexOf(block)) << c.map << " at " << c.offset;
    EXPECT_FALSE(blockModified(map, block.data())) << c.map << " at " << c.offset;
  }
}

TEST(BlockMaps, FactoryDecodesAndEncodesAFullBlock) {
  const Bytes block = factoryBlockBytes();
  ASSERT_EQ(block.size(), 68u);
  DeviceImage decoded;
  decodeReply(factoryMap(decoded), block.data());
  EXPECT_TRUE(decoded.factory == factoryValues());
  EXPECT_EQ(decoded.factory.specialProbes[0].text, "SP N°1");
  EXPECT_EQ(decoded.factory.specialProbes[1].text, "AB    ");

  DeviceImage typed;
  typed.factory = factoryValues();
  typed.factory.specialProbes[1].text = "AB";  // blanks are added on the way out
  Area area;
  encodeRequest(factoryMap(typed), area.data());
  EXPECT_EQ(hexOf(area.data(), 68), hexOf(block));
}

TEST(BlockMaps, FactoryBlockModifiedFollowsEveryEdit) {
  const Bytes lastReply = factoryBlockBytes();
  DeviceImage image;
  const FieldMap map = factoryMap(image);
  decodeReply(map, lastReply.data());
  EXPECT_FALSE(blockModified(map, lastReply.data()));
  image.factory.specialProbes[1].text = "AB   X";
  EXPECT_TRUE(blockModified(map, lastReply.data()));
  image.factory.specialProbes[1].text = "AB";
  EXPECT_FALSE(blockModified(map, lastReply.data()));
  image.factory.linearisation[10] = 1.251f;
  EXPECT_TRUE(blockModified(map, lastReply.data()));
}

TEST(BlockMaps, FactoryDefaults) {
  DeviceImage image;
  image.factory = factoryValues();
  Area area;
  area.fill(0xEE);
  encodeDefaults(factoryMap(image), area.data());
  const Bytes expected =
      hex("00 00 00 00 00 01 01 00 00 5A 0A "  // ... Jbus 1, display inverted, Q sim 9.0, ripple 10
          "00 00 00 05  00 00 00 05 "          // SP angles and T0 0, frequencies 500 kHz
          "20 20 20 20 20 20  20 20 20 20 20 20 "  // six blanks each
          "00 00 00 00 "
          "00 00 04 "
          "03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 "  // factors 1.000
          "00 00 0A 00 32 00 "  // coef 1.0, contrast 50 %
          "00 00 ");
  ASSERT_EQ(expected.size(), 68u);
  EXPECT_EQ(hexOf(area.data(), 68), hexOf(expected));
}

// ---------------------------------------------------------------- small blocks

TEST(BlockMaps, LoggerSettingsDecodeEncodeAndDefaults) {
  const Bytes block = hex("0E 2A 01 05 06 07 08 09 0A 26 00 77 ");
  DeviceImage image;
  decodeReply(loggerSettingsMap(image), block.data());
  const LoggerSettingsRegion& l = image.logger;
  EXPECT_EQ(l.periodIndex, 14);
  EXPECT_EQ(l.pointNumber, 42.0f);
  EXPECT_EQ(l.loggerType, 1);
  EXPECT_EQ(l.loggedParam, (std::array<std::int32_t, 8>{5, 6, 7, 8, 9, 10, 38, 0}));

  DeviceImage typed;
  typed.logger = {14, 42.0f, 1, {5, 6, 7, 8, 9, 10, 38, 0}};
  Area area;
  encodeRequest(loggerSettingsMap(typed), area.data());
  EXPECT_EQ(hexOf(area.data(), 12), "0E 2A 01 05 06 07 08 09 0A 26 00 00 ");

  encodeDefaults(loggerSettingsMap(typed), area.data());
  EXPECT_EQ(hexOf(area.data(), 12), "00 00 00 00 00 00 00 00 00 00 00 00 ");
}

TEST(BlockMaps, MakerDecodeEncodeDefaultsAndItsReservedWord) {
  const Bytes block = hex("34 63 FF FF  AB CD  2A F8  D6 D8  06 00 ");
  DeviceImage image;
  decodeReply(makerMap(image), block.data());
  const MakerRegion& m = image.maker;
  EXPECT_EQ(m.serialFirst, 52.0f);
  EXPECT_EQ(m.serialSecond, 99.0f);
  EXPECT_EQ(m.serialThird, 65535.0f);
  EXPECT_EQ(m.reserved, 0xABCD);
  EXPECT_EQ(m.point4mA, 11000.0f);
  EXPECT_EQ(m.point20mA, 55000.0f);
  EXPECT_EQ(m.deviceVariant, 6);

  // What was read goes back unchanged, reserved word included.
  Area area;
  encodeRequest(makerMap(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 12), hexOf(block));

  DeviceImage typed;
  typed.maker = {1, 94, 1, 0, 11000, 55000, 1};
  encodeRequest(makerMap(typed), area.data());
  EXPECT_EQ(hexOf(area.data(), 12), "01 5E 00 01 00 00 2A F8 D6 D8 01 00 ");

  encodeDefaults(makerMap(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 12), "01 5E 00 01 00 00 2A F8 D6 D8 01 00 ");
}

TEST(BlockMaps, WrittenOnlyBlocks) {
  DeviceImage image;
  Area area;
  setClockFields(image, 2004, 3, 5, 14, 7, 9);
  encodeRequest(clockMap(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 6), "04 03 05 0E 07 09 ");

  image.echo.screenCode = 12;
  encodeRequest(echoCommandMap(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 4), "0C 00 00 00 ");
  image.echo.screenCode = 0;
  encodeRequest(echoCommandMap(image), area.data());
  EXPECT_EQ(hexOf(area.data(), 4), "00 00 00 00 ");

  const struct {
    Commands commands;
    const char* bytes;
  } commandCases[] = {
      {{true, false, true, false}, "00 01 00 00 00 01 00 00 "},
      {{true, true, true, false}, "00 01 00 01 00 01 00 00 "},
      {{false, false, false, true}, "00 00 00 00 00 00 00 01 "},
  };
  for (const auto& c : commandCases) {
    area.fill(0xEE);
    encodeCommandBlock(c.commands, area.data());
    EXPECT_EQ(hexOf(area.data(), 9), std::string(c.bytes) + "00 ");
  }
}

}  // namespace
}  // namespace flowdesk
