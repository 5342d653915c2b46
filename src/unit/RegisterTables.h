// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "base/Bytes.h"

namespace flowdesk::unit {

// Register addresses and sizes of every block the unit serves.
inline constexpr std::uint16_t kS1Address = 0x0000;
inline constexpr int kS1Count = 33;
inline constexpr std::uint16_t kM1Address = 0x0100;
inline constexpr int kM1Count = 87;
inline constexpr std::uint16_t kM2Address = 0x0200;
inline constexpr int kM2Count = 52;
inline constexpr std::uint16_t kConfigAddress = 0x1000;  // + 0x100 x n
inline constexpr std::uint16_t kConfigStride = 0x100;
inline constexpr int kConfigCount = 62;
inline constexpr int kConfigBytes = 124;
inline constexpr int kMaxConfigs = 18;
inline constexpr std::uint16_t kS2Address = 0x100D;
inline constexpr int kS2Count = 3;
inline constexpr std::uint16_t kFactoryAddress = 0x2200;
inline constexpr int kFactoryCount = 34;
inline constexpr int kFactoryBytes = 68;
inline constexpr int kFactoryAddressByte = 5;
inline constexpr std::uint16_t kClockAddress = 0x2301;
inline constexpr int kClockCount = 3;
inline constexpr std::uint16_t kCommandAddress = 0x2306;
inline constexpr int kCommandCount = 4;
inline constexpr std::uint16_t kEchoCommandAddress = 0x2320;
inline constexpr int kEchoCommandCount = 2;
inline constexpr std::uint16_t kLoggerSettingsAddress = 0x3100;
inline constexpr int kLoggerSettingsCount = 6;
inline constexpr int kLoggerSettingsBytes = 12;
inline constexpr std::uint16_t kMakerAddress = 0x3300;
inline constexpr int kMakerCount = 6;
inline constexpr int kMakerBytes = 12;
inline constexpr std::uint16_t kCatalogueAAddress = 0x5000;
inline constexpr int kCatalogueACount = 100;
inline constexpr std::uint16_t kCatalogueBAddress = 0x5100;
inline constexpr int kCatalogueBCount = 51;
inline constexpr std::uint16_t kEchoPartAddress = 0x5220;  // + part 0..4
inline constexpr int kEchoParts = 5;
inline constexpr int kEchoPartBytes = 210;
inline constexpr int kEchoImageBytes = 1024;

// Byte offsets inside a configuration block (124 bytes).
namespace cfg {
inline constexpr int kMounting = 0, kChords = 1, kDiameterType = 2, kDiameter = 3, kFlowUnit = 6,
                     kKhType = 7, kKh = 8, kProduct = 10, kViscosity = 11, kRoughness = 13,
                     kMaterial = 15, kWall = 16, kC0 = 18, kDeltaC = 20, kFilter = 22, kMemory = 23,
                     kGraphPeriod = 25, kQMin = 26, kQMax = 29, kTot1Type = 32, kTot1Weight = 33,
                     kTot2Type = 36, kTot2Weight = 37, kTot3Type = 40, kTot3Weight = 41,
                     kRelay1 = 44, kProbe = 48, kCurrentOutput = 49, kPulseWidth = 50,
                     kThreshold1 = 51, kChord1 = 63, kChordStride = 10;
// Inside one chord's 10 bytes.
inline constexpr int kChordLength = 0, kChordAxial = 3, kChordCi = 6, kChordDeltaT0 = 8;
}  // namespace cfg

// Byte offsets inside the factory block (68 bytes).
namespace fac {
inline constexpr int kPolarity = 0, kFunction = 1, kDeltaTCut = 2, kEr2 = 4, kJbus = 5,
                     kDisplayInversion = 6, kSimFlow = 7, kSimRipple = 10, kSp1Angle = 11,
                     kSp1T0 = 13, kSp1Freq = 14, kSp2Angle = 15, kSp2T0 = 17, kSp2Freq = 18,
                     kSp1Text = 19, kSp2Text = 25, kQRef = 35, kQRefUnit = 37, kLinear = 38,
                     kBacklight = 60, kVideo = 61, kExtCoef = 62, kLanguage = 63, kContrast = 64,
                     kResume = 65;
}  // namespace fac

// Byte offsets inside the logger settings block (12 bytes).
namespace logset {
inline constexpr int kPeriod = 0, kPoint = 1, kType = 2, kParam2 = 3;
}

// Maker block: serial number, output points, device variant.
namespace mak {
inline constexpr int kSerial1 = 0, kSerial2 = 1, kSerial3 = 2, kPoint4mA = 6, kPoint20mA = 8,
                     kVariant = 10;
}

using ConfigBytes = std::array<std::uint8_t, kConfigBytes>;
using FactoryBytes = std::array<std::uint8_t, kFactoryBytes>;
using MakerBytes = std::array<std::uint8_t, kMakerBytes>;
using LoggerSettingsBytes = std::array<std::uint8_t, kLoggerSettingsBytes>;

// The blocks as a unit leaves the factory: each field's default raw value.
ConfigBytes defaultConfiguration();
FactoryBytes defaultFactory(int jbusAddress);
MakerBytes defaultMaker();
// loggerType: 0 for 4-parameter records, 1 for 9-parameter records.
LoggerSettingsBytes defaultLoggerSettings(int loggerType);

// Seconds of each entry of the logger and graph period lists (15 entries).
inline constexpr std::array<int, 15> kPeriodSeconds = {
    1, 5, 10, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 21600, 43200, 86400};
inline int periodSeconds(unsigned index) {
  return index < kPeriodSeconds.size() ? kPeriodSeconds[index] : kPeriodSeconds[0];
}

// One probe of the unit's own catalogue; name in Windows-1252, at most 8 bytes.
struct CatalogueProbe {
  std::string name;
  std::uint16_t angle = 0;  // hundredths of a degree; 0: the probe has no angle
};
inline constexpr int kCatalogueSize = 30;
using Catalogue = std::array<CatalogueProbe, kCatalogueSize>;

// The probes the unit knows. Entries 0 and 1 are the special probes, whose name
// and angle follow the factory block, so a factory write shows up here.
Catalogue probeCatalogue(const FactoryBytes& factory);

// The catalogue's two read blocks: 0x5000 (entries 0-19) and 0x5100 (20-29 and
// the unit code in the high byte of its last register).
Bytes catalogueBlockA(const Catalogue& catalogue);
Bytes catalogueBlockB(const Catalogue& catalogue, int unitCode);

}  // namespace flowdesk::unit
