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
  rows.push_back(makeRow(&t.month, E::Byte, offset));
  rows.push_back(makeRow(&t.year, E::Byte, offset + 1));
  rows.push_back(makeRow(&t.hour, E::Byte, offset + 2));
  rows.push_back(makeRow(&t.day, E::Byte, offset + 3));
  rows.push_back(makeRow(&t.second, E::Byte, offset + 4));
  rows.push_back(makeRow(&t.minute, E::Byte, offset + 5));
}

}  // namespace

FieldMap s1Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  return makeMap(kS1Block, {
                               makeRow(&m.totalizerFraction[0], E::Int32, 0),
                               makeRow(&m.totalizerFraction[1], E::Int32, 4),
                               makeRow(&m.totalizerFraction[2], E::Int32, 8),
                               makeRow(&m.totalizerFraction[3], E::Int32, 12),
                               makeRow(&m.totalizerMode[0], E::Nibble, 16, 1),
                               makeRow(&m.totalizerMode[1], E::Nibble, 16, 0),
                               makeRow(&m.totalizerMode[2], E::Nibble, 17, 1),
                               makeRow(&m.totalizerMode[3], E::Nibble, 17, 0),
                               makeRow(&m.flowUnitIndex, E::Byte, 18),
                               makeRow(&m.chordsInUse, E::ByteScaled, 19, 1),
                               makeRow(&m.khMode, E::Byte, 20),
                               makeRow(&m.loggerFitted, E::Byte, 21),
                               makeRow(&m.probeIndex, E::UInt16, 22),
                               makeRow(&m.totalizerMode[4], E::Byte, 24),
                               makeRow(&m.s1Reg000CLow, E::Byte, 25),
                               makeRow(&m.s1Reg000D, E::UInt16, 26),
                               makeRow(&m.s1Reg000E, E::UInt16, 28),
                               makeRow(&m.s1Reg000FHigh, E::Byte, 30),
                               makeRow(&m.s1Reg000FLow, E::Byte, 31),
                               makeRow(&m.loggerSize, E::UInt16Scaled, 32, 1),
                               makeRow(&m.probeDiameter, E::Float32, 34),
                               makeRow(&m.s1Reg0013High, E::Byte, 38),
                               makeRow(&m.s1Reg0013Low, E::Byte, 39),
                               makeRow(charArray(m.displayVersion), E::RawChars, 40, 14),
                               makeRow(charArray(m.vovVersion), E::RawChars, 54, 10),
                               makeRow(&m.echoKindSelector, E::Byte, 64),
                               makeRow(&m.s1Reg0020Low, E::Byte, 65),
                           });
}

FieldMap s2Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  return makeMap(kS2Block, {
                               makeRow(&m.trendScaleLow, E::Int24Scaled, 0, 10),
                               makeRow(&m.trendScaleHigh, E::Int24Scaled, 3, 10),
                           });
}

FieldMap m1Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  std::vector<FieldRow> rows = {
      makeRow(&m.rereadFlag, E::UInt16, 0),
      makeRow(&m.flow, E::Float32, 2),
      makeRow(&m.velocity, E::Float32, 6),
  };
  for (int t = 0; t < MeasurementRegion::kTotalizers; ++t) {
    rows.push_back(makeRow(&m.totalizerWhole[t], E::Int32, 10 + 4 * t));
  }
  // Status register 0x010F; bits 1 and 4 only matter to logger records.
  rows.push_back(makeRow(&m.flowFault, E::Bit, 30, 0));
  rows.push_back(makeRow(&m.ramcardBatteryLow, E::Bit, 30, 2));
  rows.push_back(makeRow(&m.relayCountingFault, E::Bit, 30, 3));
  rows.push_back(makeRow(&m.calorimetryFault, E::Bit, 30, 6));
  rows.push_back(makeRow(&m.calorimetryHidden, E::Bit, 30, 7));
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    rows.push_back(makeRow(&m.chordFault[k], E::Bit, 30, 8 + k));
  }
  rows.push_back(makeRow(&m.soundVelocity, E::Float32, 32));
  rows.push_back(makeRow(&m.khFactor, E::Float32, 36));
  addDateTime(rows, m.unitClock, 40);
  rows.push_back(makeRow(&m.loggerRecordsFilled, E::UInt16Scaled, 46, 1));
  addDateTime(rows, m.loggerClock, 48);
  rows.push_back(makeRow(&m.loggerFlow, E::Float32, 54));
  rows.push_back(makeRow(&m.temperature1, E::Float32, 58));
  rows.push_back(makeRow(&m.temperature2, E::Float32, 62));
  rows.push_back(makeRow(&m.temperatureDifference, E::Float32, 66));
  rows.push_back(makeRow(&m.thermalPower, E::Float32, 70));
  rows.push_back(
      makeRow(floatArray(m.trendSamples), E::ByteArray, 74, MeasurementRegion::kTrendSamples));
  return makeMap(kM1Block, std::move(rows));
}

FieldMap m2Map(DeviceImage& image) {
  MeasurementRegion& m = image.measurement;
  std::vector<FieldRow> rows = {makeRow(&m.rereadFlag, E::UInt16, 0)};
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    rows.push_back(makeRow(&m.chords[k].gain, E::ByteScaled, 2 + k, 1));
  }
  for (int k = 0; k < MeasurementRegion::kChords; ++k) {
    const int base = 8 + 16 * k;
    rows.push_back(makeRow(&m.chords[k].deltaT, E::Float32, base));
    rows.push_back(makeRow(&m.chords[k].transitTime, E::Float32, base + 4));
    rows.push_back(makeRow(&m.chords[k].velocity, E::Float32, base + 8));
    rows.push_back(makeRow(&m.chords[k].soundVelocity, E::Float32, base + 12));
  }
  return makeMap(kM2Block, std::move(rows));
}

FieldMap configurationMap(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<FieldRow> rows = {
      makeRow(&c.probeMounting, E::Byte, 0, 0, 1),
      makeRow(&c.chordPairs, E::ByteScaled, 1, 1, 1),
      makeRow(&c.diameterType, E::Byte, 2, 0, 0),
      makeRow(&c.diameter, E::Int24Scaled, 3, 10, 261),
      makeRow(&c.flowUnit, E::Byte, 6, 0, 4),
      makeRow(&c.khType, E::Byte, 7, 0, 0),
      makeRow(&c.kh, E::UInt16Scaled, 8, 1000, 1055),
      makeRow(&c.product, E::Byte, 10, 0, 0),
      makeRow(&c.viscosity, E::UInt16Scaled, 11, 10, 10),
      makeRow(&c.roughness, E::UInt16Scaled, 13, 100, 10),
      makeRow(&c.pipeMaterial, E::Byte, 15, 0, 6),
      makeRow(&c.wallThickness, E::UInt16Scaled, 16, 10, 9),
      makeRow(&c.soundSpeedC0, E::UInt16Scaled, 18, 1, 1500),
      makeRow(&c.deltaC, E::UInt16Scaled, 20, 1, 200),
      makeRow(&c.filter, E::ByteScaled, 22, 1, 5),
      makeRow(&c.memory, E::UInt16Scaled, 23, 1, 10),
      makeRow(&c.graphPeriod, E::Byte, 25, 0, 0),
      makeRow(&c.minimumFlow, E::Int24Scaled, 26, 10, 0),
      makeRow(&c.maximumFlow, E::Int24Scaled, 29, 10, 100),
  };
  const std::int32_t totalizerTypeDefault[3] = {1, 0, 0};
  for (int t = 0; t < 3; ++t) {
    rows.push_back(makeRow(&c.totalizers[t].type, E::Byte, 32 + 4 * t, 0, totalizerTypeDefault[t]));
    rows.push_back(makeRow(&c.totalizers[t].pulseWeight, E::Int24Scaled, 33 + 4 * t, 1000, 100));
  }
  for (int r = 0; r < 4; ++r) rows.push_back(makeRow(&c.relays[r].type, E::Byte, 44 + r, 0, 0));
  rows.push_back(makeRow(&c.probe, E::Byte, 48, 0, 2));
  rows.push_back(makeRow(&c.currentOutput, E::Byte, 49, 0, 0));
  rows.push_back(makeRow(&c.pulseWidth, E::Byte, 50, 0, 11));
  for (int r = 0; r < 4; ++r) {
    rows.push_back(makeRow(&c.relays[r].threshold, E::Int24Scaled, 51 + 3 * r, 10, 1000));
  }
  for (int k = 0; k < 6; ++k) {
    ChordGeometry& g = c.chords[k];
    const int base = 63 + 10 * k;
    rows.push_back(makeRow(&g.pathLength, E::Int24Scaled, base, 10, 2828));
    rows.push_back(makeRow(&g.axialDistance, E::Int24Scaled, base + 3, 10, 2000));
    rows.push_back(makeRow(&g.coefficient, E::UInt16Scaled, base + 6, 1000, 500));
    rows.push_back(makeRow(&g.deltaT0, E::Int16Scaled, base + 8, 10, 0));
  }
  // Byte 123 is reserved and goes out as 0.
  return makeMap(configurationBlock(0), std::move(rows));
}

FieldMap factoryMap(DeviceImage& image) {
  FactoryRegion& f = image.factory;
  std::vector<FieldRow> rows = {
      makeRow(&f.echoPolarity, E::Byte, 0, 0, 0),
      makeRow(&f.function, E::Byte, 1, 0, 0),
      makeRow(&f.deltaTCutOff, E::UInt16Scaled, 2, 10, 0),
      makeRow(&f.er2Processing, E::ByteScaled, 4, 1, 0),
      makeRow(&f.jbusAddress, E::ByteScaled, 5, 1, 1),
      makeRow(&f.displayInversion, E::Byte, 6, 0, 1),
      makeRow(&f.simulatedFlow, E::Int24Scaled, 7, 10, 90),
      makeRow(&f.simulationRipple, E::ByteScaled, 10, 1, 10),
  };
  for (int s = 0; s < 2; ++s) {
    SpecialProbeSlot& sp = f.specialProbes[s];
    const int base = 11 + 4 * s;
    rows.push_back(makeRow(&sp.angle, E::UInt16Scaled, base, 100, 0));
    rows.push_back(makeRow(&sp.t0, E::ByteScaled, base + 2, 10, 0));
    rows.push_back(makeRow(&sp.frequency, E::Byte, base + 3, 0, 5));
  }
  // The texts default to empty, which encodes as six blanks.
  rows.push_back(makeRow(&f.specialProbes[0].text, E::Text, 19, 6));
  rows.push_back(makeRow(&f.specialProbes[1].text, E::Text, 25, 6));
  // Bytes 31 to 34 are reserved and go out as 0.
  rows.push_back(makeRow(&f.linearisationReferenceFlow, E::UInt16Scaled, 35, 1, 0));
  rows.push_back(makeRow(&f.linearisationReferenceUnit, E::Byte, 37, 0, 4));
  for (int i = 0; i < FactoryRegion::kLinearisationPoints; ++i) {
    rows.push_back(makeRow(&f.linearisation[i], E::UInt16Scaled, 38 + 2 * i, 1000, 1000));
  }
  rows.push_back(makeRow(&f.backlight, E::Byte, 60, 0, 0));
  rows.push_back(makeRow(&f.videoInversion, E::Byte, 61, 0, 0));
  rows.push_back(makeRow(&f.externalPipeCoefficient, E::ByteScaled, 62, 10, 10));
  rows.push_back(makeRow(&f.language, E::Byte, 63, 0, 0));
  rows.push_back(makeRow(&f.contrast, E::ByteScaled, 64, 1, 50));
  rows.push_back(makeRow(&f.resumeDelay, E::ByteScaled, 65, 1, 0));
  // Bytes 66 and 67 are reserved and go out as 0.
  return makeMap(kFactoryBlock, std::move(rows));
}

FieldMap clockMap(DeviceImage& image) {
  ClockRegion& c = image.clock;
  return makeMap(kClockBlock, {
                                  makeRow(&c.year, E::Byte, 0),
                                  makeRow(&c.month, E::Byte, 1),
                                  makeRow(&c.day, E::Byte, 2),
                                  makeRow(&c.hour, E::Byte, 3),
                                  makeRow(&c.minute, E::Byte, 4),
                                  makeRow(&c.second, E::Byte, 5),
                              });
}

FieldMap echoCommandMap(DeviceImage& image) {
  // Bytes 1 to 3 of the command stay 0.
  return makeMap(kEchoCommandBlock, {makeRow(&image.echo.screenCode, E::Byte, 0)});
}

FieldMap loggerSettingsMap(DeviceImage& image) {
  LoggerSettingsRegion& l = image.logger;
  // The defaults are a plain logger: 1 s period, point 0, four parameters,
  // each extra parameter on the first quantity of the list.
  std::vector<FieldRow> rows = {
      makeRow(&l.periodIndex, E::Byte, 0, 0, 0),
      makeRow(&l.pointNumber, E::ByteScaled, 1, 1, 0),
      makeRow(&l.loggerType, E::Byte, 2, 0, 0),
  };
  for (int p = 0; p < 8; ++p) rows.push_back(makeRow(&l.loggedParam[p], E::Byte, 3 + p, 0, 0));
  // Byte 11 is not ours; it goes out as 0.
  return makeMap(kLoggerSettingsBlock, std::move(rows));
}

FieldMap makerMap(DeviceImage& image) {
  MakerRegion& m = image.maker;
  return makeMap(kMakerBlock, {
                                  makeRow(&m.serialFirst, E::ByteScaled, 0, 1, 1),
                                  makeRow(&m.serialSecond, E::ByteScaled, 1, 1, 94),
                                  makeRow(&m.serialThird, E::UInt16Scaled, 2, 1, 1),
                                  makeRow(&m.point4mA, E::UInt16Scaled, 6, 1, 11000),
                                  makeRow(&m.point20mA, E::UInt16Scaled, 8, 1, 55000),
                                  makeRow(&m.deviceVariant, E::Byte, 10, 0, 1),
                                  // Read back and written as it came, so the
                                  // maker's own bytes survive an edit.
                                  makeRow(&m.reserved, E::UInt16, 4, 0, 0),
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
