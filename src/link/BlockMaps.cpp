// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/BlockMaps.h"

#include <cstring>
#include <utility>

#include "link/Blocks.h"

namespace flowdesk {

DeviceImage& deviceImage() {
  static DeviceImage image;
  return image;
}

namespace {

using E = Encoding;

FieldMap makeMap(const RegisterBlock& block, std::vector<FieldRow> rows) {
  FieldMap map;
  map.rows = std::move(rows);
  map.byteCount = static_cast<std::size_t>(block.byteCount());
  return map;
}

// The six date and time bytes of M1: month, year, hour, day, second, minute.
void addDateTime(std::vector<FieldRow>& rows, UnitDateTime& t, int offset) {
  rows.push_back(makeRow(&t.month, E::kByte, offset));
  rows.push_back(makeRow(&t.year, E::kByte, offset + 1));
  rows.push_back(makeRow(&t.hour, E::kByte, offset + 2));
  rows.push_back(makeRow(&t.day, E::kByte, offset + 3));
  rows.push_back(makeRow(&t.second, E::kByte, offset + 4));
  rows.push_back(makeRow(&t.minute, E::kByte, offset + 5));
}

}  // namespace

FieldMap s1Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  return makeMap(kS1Block, {
                               makeRow(&m.totalizerFraction[0], E::kInt32, 0),
                               makeRow(&m.totalizerFraction[1], E::kInt32, 4),
                               makeRow(&m.totalizerFraction[2], E::kInt32, 8),
                               makeRow(&m.totalizerFraction[3], E::kInt32, 12),
                               makeRow(&m.totalizerMode[0], E::kNibble, 16, 1),
                               makeRow(&m.totalizerMode[1], E::kNibble, 16, 0),
                               makeRow(&m.totalizerMode[2], E::kNibble, 17, 1),
                               makeRow(&m.totalizerMode[3], E::kNibble, 17, 0),
                               makeRow(&m.flowUnitIndex, E::kByte, 18),
                               makeRow(&m.chordsInUse, E::kByteScaled, 19, 1),
                               makeRow(&m.khMode, E::kByte, 20),
                               makeRow(&m.loggerFitted, E::kByte, 21),
                               makeRow(&m.probeIndex, E::kUInt16, 22),
                               makeRow(&m.totalizerMode[4], E::kByte, 24),
                               makeRow(&m.s1Reg000CLow, E::kByte, 25),
                               makeRow(&m.s1Reg000D, E::kUInt16, 26),
                               makeRow(&m.s1Reg000E, E::kUInt16, 28),
                               makeRow(&m.s1Reg000FHigh, E::kByte, 30),
                               makeRow(&m.s1Reg000FLow, E::kByte, 31),
                               makeRow(&m.loggerSize, E::kUInt16Scaled, 32, 1),
                               makeRow(&m.probeDiameter, E::kFloat32, 34),
                               makeRow(&m.s1Reg0013High, E::kByte, 38),
                               makeRow(&m.s1Reg0013Low, E::kByte, 39),
                               makeRow(charArray(m.displayVersion), E::kRawChars, 40, 14),
                               makeRow(charArray(m.vovVersion), E::kRawChars, 54, 10),
                               makeRow(&m.echoKindSelector, E::kByte, 64),
                               makeRow(&m.s1Reg0020Low, E::kByte, 65),
                           });
}

FieldMap s2Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  return makeMap(kS2Block, {
                               makeRow(&m.trendScaleLow, E::kInt24Scaled, 0, 10),
                               makeRow(&m.trendScaleHigh, E::kInt24Scaled, 3, 10),
                           });
}

FieldMap m1Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  std::vector<FieldRow> rows = {
      makeRow(&m.rereadFlag, E::kUInt16, 0),
      makeRow(&m.flow, E::kFloat32, 2),
      makeRow(&m.velocity, E::kFloat32, 6),
  };
  for (int t = 0; t < MeasurementRegion::kTotalizers; ++t) {
    rows.push_back(makeRow(&m.totalizerWhole[t], E::kInt32, 10 + 4 * t));
  }
  // Status register 0x010F; bits 1 and 4 only matter to logger records.
  rows.push_back(makeRow(&m.flowFault, E::kBit, 30, 0));
  rows.push_back(makeRow(&m.ramcardBatteryLow, E::kBit, 30, 2));
  rows.push_back(makeRow(&m.relayCountingFault, E::kBit, 30, 3));
  rows.push_back(makeRow(&m.calorimetryFault, E::kBit, 30, 6));
  rows.push_back(makeRow(&m.calorimetryHidden, E::kBit, 30, 7));
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    rows.push_back(makeRow(&m.chordFault[k], E::kBit, 30, 8 + k));
  }
  rows.push_back(makeRow(&m.soundVelocity, E::kFloat32, 32));
  rows.push_back(makeRow(&m.khFactor, E::kFloat32, 36));
  addDateTime(rows, m.unitClock, 40);
  rows.push_back(makeRow(&m.loggerRecordsFilled, E::kUInt16Scaled, 46, 1));
  addDateTime(rows, m.loggerClock, 48);
  rows.push_back(makeRow(&m.loggerFlow, E::kFloat32, 54));
  rows.push_back(makeRow(&m.temperature1, E::kFloat32, 58));
  rows.push_back(makeRow(&m.temperature2, E::kFloat32, 62));
  rows.push_back(makeRow(&m.temperatureDifference, E::kFloat32, 66));
  rows.push_back(makeRow(&m.thermalPower, E::kFloat32, 70));
  rows.push_back(
      makeRow(floatArray(m.trendSamples), E::kByteArray, 74, MeasurementRegion::kTrendSamples));
  return makeMap(kM1Block, std::move(rows));
}

FieldMap m2Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  std::vector<FieldRow> rows = {makeRow(&m.rereadFlag, E::kUInt16, 0)};
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    rows.push_back(makeRow(&m.chords[k].gain, E::kByteScaled, 2 + k, 1));
  }
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    const int base = 8 + 16 * k;
    rows.push_back(makeRow(&m.chords[k].deltaT, E::kFloat32, base));
    rows.push_back(makeRow(&m.chords[k].transitTime, E::kFloat32, base + 4));
    rows.push_back(makeRow(&m.chords[k].velocity, E::kFloat32, base + 8));
    rows.push_back(makeRow(&m.chords[k].soundVelocity, E::kFloat32, base + 12));
  }
  return makeMap(kM2Block, std::move(rows));
}

FieldMap configurationMap(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<FieldRow> rows = {
      makeRow(&c.probeMounting, E::kByte, 0, 0, 1),
      makeRow(&c.chordPairs, E::kByteScaled, 1, 1, 1),
      makeRow(&c.diameterType, E::kByte, 2, 0, 0),
      makeRow(&c.diameter, E::kInt24Scaled, 3, 10, 261),
      makeRow(&c.flowUnit, E::kByte, 6, 0, 4),
      makeRow(&c.khType, E::kByte, 7, 0, 0),
      makeRow(&c.kh, E::kUInt16Scaled, 8, 1000, 1055),
      makeRow(&c.product, E::kByte, 10, 0, 0),
      makeRow(&c.viscosity, E::kUInt16Scaled, 11, 10, 10),
      makeRow(&c.roughness, E::kUInt16Scaled, 13, 100, 10),
      makeRow(&c.pipeMaterial, E::kByte, 15, 0, 6),
      makeRow(&c.wallThickness, E::kUInt16Scaled, 16, 10, 9),
      makeRow(&c.soundSpeedC0, E::kUInt16Scaled, 18, 1, 1500),
      makeRow(&c.deltaC, E::kUInt16Scaled, 20, 1, 200),
      makeRow(&c.filter, E::kByteScaled, 22, 1, 5),
      makeRow(&c.memory, E::kUInt16Scaled, 23, 1, 10),
      makeRow(&c.graphPeriod, E::kByte, 25, 0, 0),
      makeRow(&c.minimumFlow, E::kInt24Scaled, 26, 10, 0),
      makeRow(&c.maximumFlow, E::kInt24Scaled, 29, 10, 100),
  };
  const std::int32_t totalizerTypeDefault[3] = {1, 0, 0};
  for (int t = 0; t < 3; ++t) {
    rows.push_back(
        makeRow(&c.totalizers[t].type, E::kByte, 32 + 4 * t, 0, totalizerTypeDefault[t]));
    rows.push_back(makeRow(&c.totalizers[t].pulseWeight, E::kInt24Scaled, 33 + 4 * t, 1000, 100));
  }
  for (int r = 0; r < 4; ++r) rows.push_back(makeRow(&c.relays[r].type, E::kByte, 44 + r, 0, 0));
  rows.push_back(makeRow(&c.probe, E::kByte, 48, 0, 2));
  rows.push_back(makeRow(&c.currentOutput, E::kByte, 49, 0, 0));
  rows.push_back(makeRow(&c.pulseWidth, E::kByte, 50, 0, 11));
  for (int r = 0; r < 4; ++r) {
    rows.push_back(makeRow(&c.relays[r].threshold, E::kInt24Scaled, 51 + 3 * r, 10, 1000));
  }
  for (int k = 0; k < 6; ++k) {
    ChordGeometry& g = c.chords[k];
    const int base = 63 + 10 * k;
    rows.push_back(makeRow(&g.pathLength, E::kInt24Scaled, base, 10, 2828));
    rows.push_back(makeRow(&g.axialDistance, E::kInt24Scaled, base + 3, 10, 2000));
    rows.push_back(makeRow(&g.coefficient, E::kUInt16Scaled, base + 6, 1000, 500));
    rows.push_back(makeRow(&g.deltaT0, E::kInt16Scaled, base + 8, 10, 0));
  }
  // Byte 123 is reserved and goes out as 0.
  return makeMap(configurationBlock(0), std::move(rows));
}

FieldMap factoryMap(DeviceImage& image) {
  FactoryRegion& f = image.factory;
  std::vector<FieldRow> rows = {
      makeRow(&f.echoPolarity, E::kByte, 0, 0, 0),
      makeRow(&f.function, E::kByte, 1, 0, 0),
      makeRow(&f.deltaTCutOff, E::kUInt16Scaled, 2, 10, 0),
      makeRow(&f.er2Processing, E::kByteScaled, 4, 1, 0),
      makeRow(&f.jbusAddress, E::kByteScaled, 5, 1, 1),
      makeRow(&f.displayInversion, E::kByte, 6, 0, 1),
      makeRow(&f.simulatedFlow, E::kInt24Scaled, 7, 10, 90),
      makeRow(&f.simulationRipple, E::kByteScaled, 10, 1, 10),
  };
  for (int s = 0; s < 2; ++s) {
    SpecialProbeSlot& sp = f.specialProbes[s];
    const int base = 11 + 4 * s;
    rows.push_back(makeRow(&sp.angle, E::kUInt16Scaled, base, 100, 0));
    rows.push_back(makeRow(&sp.t0, E::kByteScaled, base + 2, 10, 0));
    rows.push_back(makeRow(&sp.frequency, E::kByte, base + 3, 0, 5));
  }
  // The texts default to empty, which encodes as six blanks.
  rows.push_back(makeRow(&f.specialProbes[0].text, E::kText, 19, 6));
  rows.push_back(makeRow(&f.specialProbes[1].text, E::kText, 25, 6));
  // Bytes 31 to 34 are reserved and go out as 0.
  rows.push_back(makeRow(&f.linearisationReferenceFlow, E::kUInt16Scaled, 35, 1, 0));
  rows.push_back(makeRow(&f.linearisationReferenceUnit, E::kByte, 37, 0, 4));
  for (int i = 0; i < FactoryRegion::kLinearisationPoints; ++i) {
    rows.push_back(makeRow(&f.linearisation[i], E::kUInt16Scaled, 38 + 2 * i, 1000, 1000));
  }
  rows.push_back(makeRow(&f.backlight, E::kByte, 60, 0, 0));
  rows.push_back(makeRow(&f.videoInversion, E::kByte, 61, 0, 0));
  rows.push_back(makeRow(&f.externalPipeCoefficient, E::kByteScaled, 62, 10, 10));
  rows.push_back(makeRow(&f.language, E::kByte, 63, 0, 0));
  rows.push_back(makeRow(&f.contrast, E::kByteScaled, 64, 1, 50));
  rows.push_back(makeRow(&f.resumeDelay, E::kByteScaled, 65, 1, 0));
  // Bytes 66 and 67 are reserved and go out as 0.
  return makeMap(kFactoryBlock, std::move(rows));
}

FieldMap clockMap(DeviceImage& image) {
  ClockRegion& c = image.clock;
  return makeMap(kClockBlock, {
                                  makeRow(&c.year, E::kByte, 0),
                                  makeRow(&c.month, E::kByte, 1),
                                  makeRow(&c.day, E::kByte, 2),
                                  makeRow(&c.hour, E::kByte, 3),
                                  makeRow(&c.minute, E::kByte, 4),
                                  makeRow(&c.second, E::kByte, 5),
                              });
}

FieldMap echoCommandMap(DeviceImage& image) {
  // Bytes 1 to 3 of the command stay 0.
  return makeMap(kEchoCommandBlock, {makeRow(&image.echo.screenCode, E::kByte, 0)});
}

FieldMap loggerSettingsMap(DeviceImage& image) {
  LoggerSettingsRegion& l = image.logger;
  // The defaults are a plain logger: 1 s period, point 0, four parameters,
  // each extra parameter on the first quantity of the list.
  std::vector<FieldRow> rows = {
      makeRow(&l.periodIndex, E::kByte, 0, 0, 0),
      makeRow(&l.pointNumber, E::kByteScaled, 1, 1, 0),
      makeRow(&l.loggerType, E::kByte, 2, 0, 0),
  };
  for (int p = 0; p < 8; ++p) rows.push_back(makeRow(&l.loggedParam[p], E::kByte, 3 + p, 0, 0));
  // Byte 11 is not ours; it goes out as 0.
  return makeMap(kLoggerSettingsBlock, std::move(rows));
}

FieldMap makerMap(DeviceImage& image) {
  MakerRegion& m = image.maker;
  return makeMap(kMakerBlock, {
                                  makeRow(&m.serialFirst, E::kByteScaled, 0, 1, 1),
                                  makeRow(&m.serialSecond, E::kByteScaled, 1, 1, 94),
                                  makeRow(&m.serialThird, E::kUInt16Scaled, 2, 1, 1),
                                  makeRow(&m.point4mA, E::kUInt16Scaled, 6, 1, 11000),
                                  makeRow(&m.point20mA, E::kUInt16Scaled, 8, 1, 55000),
                                  makeRow(&m.deviceVariant, E::kByte, 10, 0, 1),
                                  // Read back and written as it came, so the
                                  // maker's own bytes survive an edit.
                                  makeRow(&m.reserved, E::kUInt16, 4, 0, 0),
                              });
}

void setClockFields(DeviceImage& image, int year, int month, int day, int hour, int minute,
                    int second) {
  ClockRegion& c = image.clock;
  c.year = static_cast<std::int16_t>(year - 2000);
  c.month = static_cast<std::int16_t>(month);
  c.day = static_cast<std::int16_t>(day);
  c.hour = static_cast<std::int16_t>(hour);
  c.minute = static_cast<std::int16_t>(minute);
  c.second = static_cast<std::int16_t>(second);
}

void encodeCommandBlock(const Commands& commands, std::uint8_t* area) {
  std::memset(area, 0, kRequestDataSize);
  area[1] = commands.resetTotalizer1 ? 1 : 0;
  area[3] = commands.resetTotalizer2 ? 1 : 0;
  area[5] = commands.resetTotalizer3 ? 1 : 0;
  area[7] = commands.eraseLogger ? 1 : 0;
}

}  // namespace flowdesk
