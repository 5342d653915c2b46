// SPDX-License-Identifier: GPL-3.0-or-later
// The program's link and maps against flowdesk-unit on its own
// pseudo-terminal: the identification, the settings blocks read and written
// through the FieldMaps and checked byte by byte, and every fault the unit
// can inject seen through exchange.
#include <gtest/gtest.h>

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "base/Windows1252.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "link/FrameTrace.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "unit/RegisterTables.h"

namespace flowdesk {
namespace {

using testing::TempDir;
using testing::UnitProcess;

// Collects the frame trace for one test and turns it off again afterwards.
class TraceCapture {
 public:
  TraceCapture() {
    frameTrace().setSink([this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    });
    frameTrace().setEnabled(true);
  }
  ~TraceCapture() {
    frameTrace().setEnabled(false);
    frameTrace().setSink({});
  }
  std::vector<std::string> sent() {
    std::lock_guard lock(mutex_);
    std::vector<std::string> tx;
    for (const auto& l : lines_) {
      if (l.find("TX") != std::string::npos) tx.push_back(l);
    }
    return tx;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// The program's side: its own image and settings, Com1 on the unit's link.
struct Program {
  DeviceImage image;
  AppContext app{systemClock(), image};

  explicit Program(const std::string& device, int address) {
    app.deviceOverride[0] = device;
    app.settings.Com = 0;
    app.settings.Bauds = 5;
    app.settings.Jbus = static_cast<float>(address);
  }
  JbusMaster& master() { return app.master; }
};

Bytes dataOf(const LinkResult& r) {
  return Bytes(r.data().begin(), r.data().end());
}

// The block's bytes as its map encodes them from the image.
Bytes encoded(const FieldMap& map, const RegisterBlock& block) {
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeRequest(map, area.data());
  return Bytes(area.begin(), area.begin() + block.byteCount());
}

Bytes slice(const Bytes& v, std::size_t at, std::size_t n) {
  return Bytes(v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(at + n));
}

TEST(VirtualUnitEndToEnd, FirstTransferIdentifiesTheUnit) {
  TempDir dir;
  UnitProcess unit({"--link", dir.file("u"), "--address", "7", "--unit-code", "3"});
  ASSERT_FALSE(unit.device().empty());
  Program p(dir.file("u"), 7);
  p.app.settings.probes = {};
  TraceCapture trace;

  ASSERT_TRUE(p.master().readRegisters(kS1Block.firstRegister, kS1Block.count).ok());
  // Three identification reads, then the caller's own request.
  std::vector<std::string> tx = trace.sent();
  ASSERT_EQ(tx.size(), 4u);
  EXPECT_NE(tx[0].find("07 03 50 00 00 64"), std::string::npos) << tx[0];
  EXPECT_NE(tx[1].find("07 03 51 00 00 33"), std::string::npos) << tx[1];
  EXPECT_NE(tx[2].find("07 03 22 00 00 22"), std::string::npos) << tx[2];
  EXPECT_NE(tx[3].find("07 03 00 00 00 21"), std::string::npos) << tx[3];
  EXPECT_TRUE(p.master().identified());

  const unit::Catalogue expected = unit::probeCatalogue(unit::defaultFactory(7));
  for (int i = 0; i < kProbeCount; ++i) {
    const ProbeEntry& got = p.app.settings.probes[static_cast<std::size_t>(i)];
    EXPECT_EQ(got.name, fromWindows1252(expected[static_cast<std::size_t>(i)].name)) << i;
    EXPECT_EQ(static_cast<std::uint16_t>(got.angle), expected[static_cast<std::size_t>(i)].angle)
        << i;
  }
  EXPECT_EQ(p.app.settings.Unit, 3);
  EXPECT_EQ(p.app.settings.FSp1, 5);
  EXPECT_EQ(p.app.settings.FSp2, 5);
  EXPECT_EQ(p.app.settings.T0Sp1, 0);
  EXPECT_EQ(p.app.settings.T0Sp2, 0);

  // Once identified, a transfer is one request.
  trace.clear();
  ASSERT_TRUE(p.master().readRegisters(kS1Block.firstRegister, kS1Block.count).ok());
  EXPECT_EQ(trace.sent().size(), 1u);

  // New special probes written through the factory map reach the cache at
  // the next identification.
  FactoryRegion& f = p.image.factory;
  f.specialProbes[0] = {45.5f, 12.3f, 3, "AB"};
  f.specialProbes[1] = {0.0f, 0.7f, 6, "SP2"};
  const Bytes block = encoded(factoryMap(p.image), kFactoryBlock);
  unit::FactoryBytes written{};
  std::copy_n(block.begin(), written.size(), written.begin());
  ASSERT_TRUE(p.master().writeRegisters(kFactoryBlock.firstRegister, block).ok());
  p.master().forgetIdentification();
  ASSERT_TRUE(p.master().readRegisters(kS1Block.firstRegister, kS1Block.count).ok());
  EXPECT_EQ(p.app.settings.T0Sp1, 123);
  EXPECT_EQ(p.app.settings.FSp1, 3);
  EXPECT_EQ(p.app.settings.T0Sp2, 7);  // 0.7 x 10 taken in single precision
  EXPECT_EQ(p.app.settings.FSp2, 6);
  const unit::Catalogue after = unit::probeCatalogue(written);
  EXPECT_EQ(p.app.settings.probes[0].name, fromWindows1252(after[0].name));
  EXPECT_EQ(p.app.settings.probes[0].angle, 4550);
  EXPECT_EQ(p.app.settings.probes[1].name, fromWindows1252(after[1].name));
}

TEST(VirtualUnitEndToEnd, ConfigurationBlockThroughTheMap) {
  TempDir dir;
  UnitProcess unit({"--link", dir.file("u"), "--address", "7", "--configs", "18"});
  ASSERT_FALSE(unit.device().empty());
  Program p(dir.file("u"), 7);
  ASSERT_TRUE(readBlock(p.master(), configurationBlock(0), configurationMap(p.image)).ok());
  // The unit's defaults, as the register tables document them.
  const ConfigurationRegion& c = p.image.configuration;
  EXPECT_EQ(c.probe, 2);
  EXPECT_EQ(c.probeMounting, 1);
  EXPECT_FLOAT_EQ(c.chordPairs, 1.0f);
  EXPECT_EQ(c.diameterType, 0);
  EXPECT_FLOAT_EQ(c.diameter, 26.1f);
  EXPECT_EQ(c.flowUnit, 4);
  EXPECT_EQ(c.khType, 0);
  EXPECT_FLOAT_EQ(c.kh, 1.055f);
  EXPECT_EQ(c.product, 0);
  EXPECT_FLOAT_EQ(c.viscosity, 1.0f);
  EXPECT_FLOAT_EQ(c.roughness, 0.1f);
  EXPECT_EQ(c.pipeMaterial, 6);
  EXPECT_FLOAT_EQ(c.wallThickness, 0.9f);
  EXPECT_FLOAT_EQ(c.soundSpeedC0, 1500.0f);
  EXPECT_FLOAT_EQ(c.deltaC, 200.0f);
  EXPECT_FLOAT_EQ(c.minimumFlow, 0.0f);
  EXPECT_FLOAT_EQ(c.maximumFlow, 10.0f);
  for (const ChordGeometry& g : c.chords) {
    EXPECT_FLOAT_EQ(g.pathLength, 282.8f);
    EXPECT_FLOAT_EQ(g.axialDistance, 200.0f);
    EXPECT_FLOAT_EQ(g.coefficient, 0.5f);
    EXPECT_FLOAT_EQ(g.deltaT0, 0.0f);
  }
  EXPECT_FLOAT_EQ(c.filter, 5.0f);
  EXPECT_FLOAT_EQ(c.memory, 10.0f);
  EXPECT_EQ(c.graphPeriod, 0);
  EXPECT_EQ(c.totalizers[0].type, 1);
  EXPECT_EQ(c.totalizers[1].type, 0);
  for (const TotalizerOutput& t : c.totalizers) EXPECT_FLOAT_EQ(t.pulseWeight, 0.1f);
  for (const RelayOutput& r : c.relays) {
    EXPECT_EQ(r.type, 0);
    EXPECT_FLOAT_EQ(r.threshold, 100.0f);
  }
  EXPECT_EQ(c.currentOutput, 0);
  EXPECT_EQ(c.pulseWidth, 11);

  // Written through the map to the last of 18 configurations, read back raw.
  ConfigurationRegion& w = p.image.configuration;
  w.diameter = 123.4f;
  w.kh = 1.234f;
  w.chords[1].pathLength = 1000.0f;
  w.chords[5].deltaT0 = -2.5f;
  w.relays[2].threshold = -12.5f;
  w.maximumFlow = -5.5f;
  w.probe = 7;
  w.flowUnit = 2;
  w.chordPairs = 3;
  w.filter = 60;
  w.memory = 3600;
  w.totalizers[2].pulseWeight = 99.999f;
  const ConfigurationRegion sent = w;
  ASSERT_TRUE(writeBlock(p.master(), configurationBlock(17), configurationMap(p.image)).ok());
  const LinkResult read17 =
      p.master().readRegisters(configurationBlock(17).firstRegister, configurationBlock(17).count);
  ASSERT_TRUE(read17.ok());
  const Bytes raw = dataOf(read17);
  EXPECT_EQ(raw[1], 3);
  EXPECT_EQ(slice(raw, 3, 3), (Bytes{0x00, 0x04, 0xD2}));  // 1234 tenths of a mm
  EXPECT_EQ(raw[6], 2);
  EXPECT_EQ(slice(raw, 8, 2), (Bytes{0x04, 0xD2}));
  EXPECT_EQ(raw[22], 60);
  EXPECT_EQ(slice(raw, 23, 2), (Bytes{0x0E, 0x10}));
  EXPECT_EQ(slice(raw, 29, 3), (Bytes{0xFF, 0xFF, 0xC9}));  // -55
  EXPECT_EQ(slice(raw, 41, 3), (Bytes{0x01, 0x86, 0x9F}));  // 99999
  EXPECT_EQ(raw[48], 7);
  EXPECT_EQ(slice(raw, 57, 3), (Bytes{0xFF, 0xFF, 0x83}));  // -125
  EXPECT_EQ(slice(raw, 73, 3), (Bytes{0x00, 0x27, 0x10}));  // chord 2 length 10000
  EXPECT_EQ(slice(raw, 113 + 8, 2), (Bytes{0xFF, 0xE7}));   // chord 6 DeltaT0 -25
  DeviceImage back;
  decodeReply(configurationMap(back), raw.data());
  EXPECT_EQ(back.configuration.chords, sent.chords);
  EXPECT_FLOAT_EQ(back.configuration.diameter, sent.diameter);
  EXPECT_FLOAT_EQ(back.configuration.relays[2].threshold, -12.5f);
  EXPECT_FLOAT_EQ(back.configuration.maximumFlow, -5.5f);
  EXPECT_FLOAT_EQ(back.configuration.totalizers[2].pulseWeight, 99.999f);
  // The other configurations keep what they had.
  const LinkResult read16 =
      p.master().readRegisters(configurationBlock(16).firstRegister, configurationBlock(16).count);
  ASSERT_TRUE(read16.ok());
  const unit::ConfigBytes defaults = unit::defaultConfiguration();
  EXPECT_EQ(dataOf(read16), Bytes(defaults.begin(), defaults.end()));
}

TEST(VirtualUnitEndToEnd, FactoryAndMakerBlocksThroughTheirMaps) {
  TempDir dir;
  UnitProcess unit({"--link", dir.file("u"), "--address", "7"});
  ASSERT_FALSE(unit.device().empty());
  Program p(dir.file("u"), 7);
  ASSERT_TRUE(readBlock(p.master(), kFactoryBlock, factoryMap(p.image)).ok());
  const FactoryRegion& f = p.image.factory;
  EXPECT_EQ(f.echoPolarity, 0);
  EXPECT_EQ(f.function, 0);
  EXPECT_FLOAT_EQ(f.deltaTCutOff, 0.0f);
  EXPECT_FLOAT_EQ(f.jbusAddress, 7.0f);  // the address the unit was started with
  EXPECT_EQ(f.displayInversion, 1);
  EXPECT_FLOAT_EQ(f.simulatedFlow, 9.0f);
  EXPECT_FLOAT_EQ(f.simulationRipple, 10.0f);
  for (const SpecialProbeSlot& sp : f.specialProbes) {
    EXPECT_EQ(sp.frequency, 5);
    EXPECT_FLOAT_EQ(sp.t0, 0.0f);
    EXPECT_EQ(sp.text, "      ");
  }
  EXPECT_EQ(f.linearisationReferenceUnit, 4);
  for (float factor : f.linearisation) EXPECT_FLOAT_EQ(factor, 1.0f);
  EXPECT_FLOAT_EQ(f.externalPipeCoefficient, 1.0f);
  EXPECT_FLOAT_EQ(f.contrast, 50.0f);

  FactoryRegion& w = p.image.factory;
  w.simulatedFlow = -10.0f;
  w.deltaTCutOff = 650.5f;
  w.specialProbes[1].text = "XY";
  w.linearisation[10] = 1.25f;
  w.contrast = 100;
  w.language = 4;
  ASSERT_TRUE(writeBlock(p.master(), kFactoryBlock, factoryMap(p.image)).ok());
  const LinkResult read =
      p.master().readRegisters(kFactoryBlock.firstRegister, kFactoryBlock.count);
  ASSERT_TRUE(read.ok());
  const Bytes raw = dataOf(read);
  EXPECT_EQ(slice(raw, 2, 2), (Bytes{0x19, 0x69}));  // 6505
  EXPECT_EQ(raw[5], 7);
  EXPECT_EQ(slice(raw, 7, 3), (Bytes{0xFF, 0xFF, 0x9C}));  // -100
  EXPECT_EQ(slice(raw, 25, 6), (Bytes{'X', 'Y', ' ', ' ', ' ', ' '}));
  EXPECT_EQ(slice(raw, 58, 2), (Bytes{0x04, 0xE2}));
  EXPECT_EQ(raw[63], 4);
  EXPECT_EQ(raw[64], 100);
  DeviceImage back;
  decodeReply(factoryMap(back), raw.data());
  EXPECT_EQ(back.factory.specialProbes[1].text, "XY    ");
  EXPECT_FLOAT_EQ(back.factory.simulatedFlow, -10.0f);
  EXPECT_FLOAT_EQ(back.factory.linearisation[10], 1.25f);

  ASSERT_TRUE(readBlock(p.master(), kMakerBlock, makerMap(p.image)).ok());
  const MakerRegion& m = p.image.maker;
  EXPECT_FLOAT_EQ(m.serialFirst, 1.0f);
  EXPECT_FLOAT_EQ(m.serialSecond, 94.0f);
  EXPECT_FLOAT_EQ(m.serialThird, 1.0f);
  EXPECT_FLOAT_EQ(m.point4mA, 11000.0f);
  EXPECT_FLOAT_EQ(m.point20mA, 55000.0f);
  EXPECT_EQ(m.deviceVariant, 1);
}

// One fault kind seen through exchange: when every reply is spoiled, three
// attempts and -1; when only the first is, a later attempt succeeds.
struct FaultCase {
  const char* name;
  const char* always;  // spoils every reply
  const char* once;    // spoils the first reply only
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.name;
}

class FaultEndToEnd : public ::testing::TestWithParam<FaultCase> {};

// A request made by hand, through exchange: no identification reads first.
LinkResult readAddressRegister(Program& p) {
  std::array<std::uint8_t, 8> request{7, 3, 0x22, 0x02, 0x00, 0x01};
  return p.master().exchange(request.data(), 6);
}

TEST_P(FaultEndToEnd, RetriesThenFailsOrRecovers) {
  const FaultCase& c = GetParam();
  {
    TempDir dir;
    UnitProcess unit({"--link", dir.file("u"), "--address", "7", "--faults", c.always});
    ASSERT_FALSE(unit.device().empty());
    Program p(dir.file("u"), 7);
    TraceCapture trace;
    EXPECT_FALSE(readAddressRegister(p).ok());
    EXPECT_EQ(trace.sent().size(), 3u) << "three attempts";
  }
  {
    TempDir dir;
    UnitProcess unit({"--link", dir.file("u"), "--address", "7", "--faults", c.once});
    ASSERT_FALSE(unit.device().empty());
    Program p(dir.file("u"), 7);
    TraceCapture trace;
    const LinkResult r = readAddressRegister(p);
    ASSERT_TRUE(r.ok());
    const std::size_t attempts = trace.sent().size();
    EXPECT_GE(attempts, 2u) << "the first attempt was spoiled";
    EXPECT_LE(attempts, 3u);
    EXPECT_EQ(r.frame.size(), 7u);
    EXPECT_EQ(r.frame[4], 7);  // the unit's address, low byte of 0x2202
  }
}

// A late reply lands in the next attempt's window (the unit does not listen
// while it waits to answer), so only one later than the whole exchange makes
// all three attempts fail.
INSTANTIATE_TEST_SUITE_P(EveryKind, FaultEndToEnd,
                         ::testing::Values(FaultCase{"drop", "drop>=1", "drop@1"},
                                           FaultCase{"silent", "silent>=1", "silent@1"},
                                           FaultCase{"crc", "crc>=1", "crc@1"},
                                           FaultCase{"short", "short>=1", "short@1"},
                                           FaultCase{"long", "long>=1", "long@1"},
                                           FaultCase{"exception", "exception>=1", "exception@1"},
                                           FaultCase{"late", "late=1300>=1", "late@1"},
                                           FaultCase{"pause", "pause>=1", "pause@1"}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace flowdesk
