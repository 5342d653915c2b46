// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement blocks read through transfer and the program's FieldMaps
// from the virtual unit, stopped at one instant: every decoded field must be
// what the unit's own model says for that instant. The unit writes its
// registers byte by byte from the register tables, independently of the
// maps, so a wrong offset, width or scale in a map shows up here.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "link/Crc16.h"
#include "link/FieldMap.h"
#include "link/JbusMaster.h"
#include "link/MemorySerialDriver.h"
#include "unit/MeasurementModel.h"
#include "unit/RegisterTables.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

// The unit behind an in-memory line: each request is handed to the
// VirtualUnit and its reply comes back at 9600 baud on the manual clock.
struct UnitOnALine {
  ManualClock clock;
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  double wallTime;
  unit::VirtualUnit unit;
  JbusMaster master{clock};

  UnitOnALine(const unit::UnitSettings& settings, double t)
      : wallTime(t), unit(settings, [this] { return wallTime; }) {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (request.empty()) return;
      if (auto reply = unit.handle(request)) l.deliverAtBaud(*reply, 9600, 5);
    };
    master.setPortOpener(memoryPortOpener(line));
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master.markIdentified();  // this test is about the measurement blocks
  }

  void read(const RegisterBlock& block, const FieldMap& map) {
    const LinkResult r = master.readRegisters(block.firstRegister, block.count);
    ASSERT_TRUE(r.ok());
    decodeReply(map, r.data().data());
  }
};

// The model the unit runs, set up as the unit sets it up from its blocks.
unit::MeasurementModel modelFor(const unit::UnitSettings& settings,
                                const unit::ConfigBytes& config) {
  unit::MeasurementModel model(settings.seed);
  const unit::FactoryBytes factory = unit::defaultFactory(settings.address);
  const unit::Catalogue catalogue = unit::probeCatalogue(factory);
  const unsigned probe = config[unit::cfg::kProbe];
  model.setConfiguration(config, factory, unit::defaultMaker(),
                         probe < catalogue.size() ? catalogue[probe].angle : 0);
  return model;
}

TEST(MeasurementMapsCrossCheck, EveryMeasuredFieldIsWhatTheUnitModelSays) {
  unit::UnitSettings settings;
  settings.configs = 18;  // with a logger
  settings.echoKinds = 2;
  // Several instants, so that fault bits and noise take different values.
  for (double t : {1.7e9 + 0.25, 1.7e9 + 333.5, 1.7e9 + 901.75, 1.7e9 + 4000.0}) {
    SCOPED_TRACE(t);
    UnitOnALine u(settings, t);
    DeviceImage image;
    u.read(kS1Block, s1Map(image));
    u.read(kS2Block, s2Map(image));
    u.read(kM1Block, m1Map(image));
    u.read(kM2Block, m2Map(image));

    const unit::MeasurementModel model = modelFor(settings, unit::defaultConfiguration());
    const unit::Snapshot s = model.at(t);
    const MeasurementRegion& m = image.measurement;

    // S1: the active configuration and the unit's fittings.
    EXPECT_EQ(m.flowUnitIndex, 4);
    EXPECT_FLOAT_EQ(m.chordsInUse, 1.0f);
    EXPECT_EQ(m.khMode, 0);
    EXPECT_NE(m.loggerFitted, 0);
    EXPECT_EQ(m.probeIndex, 2);
    EXPECT_FLOAT_EQ(m.probeDiameter, 26.1f);
    EXPECT_FLOAT_EQ(m.loggerSize, 2000.0f);
    EXPECT_STREQ(m.displayVersion.data(), "AFF 2.14 03/06");
    EXPECT_STREQ(m.vovVersion.data(), "VOV 3.21.b");
    EXPECT_NE(m.echoKindSelector, 0);  // two echo kinds per chord
    EXPECT_EQ(m.totalizerMode[0], 1);  // totalizer 1 is "(+/-)" by default
    for (std::int32_t fraction : m.totalizerFraction) {
      EXPECT_GE(fraction, 0);
      EXPECT_LT(fraction, 1000);
    }

    // S2: the trend scale.
    EXPECT_FLOAT_EQ(m.trendScaleLow, static_cast<float>(model.scaleLow()));
    EXPECT_FLOAT_EQ(m.trendScaleHigh, static_cast<float>(model.scaleHigh()));

    // M1.
    EXPECT_FLOAT_EQ(m.flow, static_cast<float>(s.flow));
    EXPECT_FLOAT_EQ(m.velocity, static_cast<float>(s.velocity));
    EXPECT_FLOAT_EQ(m.soundVelocity, static_cast<float>(s.sound));
    EXPECT_FLOAT_EQ(m.khFactor, static_cast<float>(s.kh));
    EXPECT_FLOAT_EQ(m.temperature1, static_cast<float>(s.t1));
    EXPECT_FLOAT_EQ(m.temperature2, static_cast<float>(s.t2));
    EXPECT_FLOAT_EQ(m.temperatureDifference, static_cast<float>(s.dt));
    EXPECT_FLOAT_EQ(m.thermalPower, static_cast<float>(s.power));
    EXPECT_EQ(m.flowFault, (s.status >> 0) & 1);
    EXPECT_EQ(m.ramcardBatteryLow, (s.status >> 2) & 1);
    EXPECT_EQ(m.relayCountingFault, (s.status >> 3) & 1);
    EXPECT_EQ(m.calorimetryFault, (s.status >> 6) & 1);
    EXPECT_EQ(m.calorimetryHidden, (s.status >> 7) & 1);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(m.chordFault[static_cast<std::size_t>(k)], (s.status >> (8 + k)) & 1) << k;
    }
    const std::tm clock = u.unit.unitTime(t);
    EXPECT_EQ(m.unitClock,
              (UnitDateTime{clock.tm_year + 1900 - 2000, clock.tm_mon + 1, clock.tm_mday,
                            clock.tm_hour, clock.tm_min, clock.tm_sec}));
    EXPECT_FLOAT_EQ(m.loggerRecordsFilled, static_cast<float>(u.unit.loggerFilled()));
    const auto trend = model.trend(t);
    for (std::size_t i = 0; i < trend.size(); ++i) {
      EXPECT_FLOAT_EQ(m.trendSamples[i], static_cast<float>(trend[i])) << i;
    }
    // The re-read flag is the unit's: it was set at start and is cleared
    // once both static blocks have been read.
    EXPECT_EQ(m.rereadFlag, u.unit.rereadFlag());

    // M2: per chord, for the chords in use.
    for (int k = 0; k < s.chords; ++k) {
      const ChordMeasurement& ch = m.chords[static_cast<std::size_t>(k)];
      const unit::ChordValues& v = s.chord[static_cast<std::size_t>(k)];
      EXPECT_FLOAT_EQ(ch.gain, static_cast<float>(v.gain)) << k;
      EXPECT_FLOAT_EQ(ch.deltaT, static_cast<float>(v.deltaT)) << k;
      EXPECT_FLOAT_EQ(ch.transitTime, static_cast<float>(v.transit)) << k;
      EXPECT_FLOAT_EQ(ch.velocity, static_cast<float>(v.velocity)) << k;
      EXPECT_FLOAT_EQ(ch.soundVelocity, static_cast<float>(v.sound)) << k;
    }
  }
}

TEST(MeasurementMapsCrossCheck, AWrittenConfigurationShowsInTheMeasurementBlocks) {
  unit::UnitSettings settings;
  const double t = 1.7e9 + 77.0;
  UnitOnALine u(settings, t);
  DeviceImage image;
  u.read(configurationBlock(0), configurationMap(image));
  image.configuration.chordPairs = 4;
  image.configuration.flowUnit = 1;
  image.configuration.khType = 1;
  image.configuration.probe = 9;
  image.configuration.diameter = 512.3f;
  image.configuration.minimumFlow = -20.0f;
  image.configuration.maximumFlow = 250.5f;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(configurationMap(image), area.data());
  unit::ConfigBytes written{};
  std::copy_n(area.begin(), written.size(), written.begin());
  ASSERT_TRUE(u.master.writeRegisters(configurationBlock(0).firstRegister, written).ok());

  u.read(kS1Block, s1Map(image));
  u.read(kS2Block, s2Map(image));
  u.read(kM1Block, m1Map(image));
  u.read(kM2Block, m2Map(image));
  const MeasurementRegion& m = image.measurement;
  EXPECT_FLOAT_EQ(m.chordsInUse, 4.0f);
  EXPECT_EQ(m.flowUnitIndex, 1);
  EXPECT_EQ(m.khMode, 1);
  EXPECT_EQ(m.probeIndex, 9);
  EXPECT_FLOAT_EQ(m.probeDiameter, 512.3f);
  EXPECT_EQ(m.loggerFitted, 0);  // two configurations: no logger
  EXPECT_FLOAT_EQ(m.trendScaleLow, -20.0f);
  EXPECT_FLOAT_EQ(m.trendScaleHigh, 250.5f);

  const unit::MeasurementModel model = modelFor(settings, written);
  const unit::Snapshot s = model.at(t);
  ASSERT_EQ(s.chords, 4);
  EXPECT_FLOAT_EQ(m.flow, static_cast<float>(s.flow));
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(m.chords[static_cast<std::size_t>(k)].transitTime,
                    static_cast<float>(s.chord[static_cast<std::size_t>(k)].transit));
    EXPECT_FLOAT_EQ(m.chords[static_cast<std::size_t>(k)].gain,
                    static_cast<float>(s.chord[static_cast<std::size_t>(k)].gain));
  }
  // After a configuration write the unit asks for the static blocks again;
  // they were read above, so the flag is down again.
  EXPECT_EQ(m.rereadFlag, 0);
}

}  // namespace
}  // namespace flowdesk
