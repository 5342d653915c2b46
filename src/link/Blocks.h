// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace flowdesk {

// A run of 16-bit registers read or written in one request.
struct RegisterBlock {
  std::uint16_t firstRegister;
  std::uint16_t count;  // registers
  constexpr int byteCount() const { return 2 * count; }
};

// Measurement blocks (read, function 3).
inline constexpr RegisterBlock kS1Block{0x0000, 33};
inline constexpr RegisterBlock kS2Block{0x100D, 3};
inline constexpr RegisterBlock kM1Block{0x0100, 87};
inline constexpr RegisterBlock kM2Block{0x0200, 52};

// Single registers read on their own.
inline constexpr RegisterBlock kModelWordBlock{0x000A, 1};  // low byte != 0: logger, 18 configs
inline constexpr RegisterBlock kLoggerSizeBlock{0x0010, 1};
inline constexpr RegisterBlock kLoggerFilledBlock{0x0117, 1};
inline constexpr RegisterBlock kUnitAddressBlock{0x2202, 1};  // low byte: the unit's address

// Settings blocks (read and write).
inline constexpr std::uint16_t kConfigurationBase = 0x1000;
inline constexpr std::uint16_t kConfigurationStride = 0x100;
inline constexpr std::uint16_t kConfigurationRegisters = 62;
inline constexpr int kMaxConfigurations = 18;
constexpr RegisterBlock configurationBlock(int n) {
  return {static_cast<std::uint16_t>(kConfigurationBase + kConfigurationStride * n),
          kConfigurationRegisters};
}
inline constexpr RegisterBlock kFactoryBlock{0x2200, 34};
inline constexpr RegisterBlock kLoggerSettingsBlock{0x3100, 6};
inline constexpr RegisterBlock kMakerBlock{0x3300, 6};

// Written only.
inline constexpr RegisterBlock kClockBlock{0x2301, 3};
inline constexpr RegisterBlock kCommandBlock{0x2306, 4};
inline constexpr RegisterBlock kEchoCommandBlock{0x2320, 2};

// Identification reads.
inline constexpr RegisterBlock kCatalogueLowBlock{0x5000, 100};  // probes 0 to 19
inline constexpr RegisterBlock kCatalogueHighBlock{0x5100, 51};  // probes 20 to 29, UnitCode

// The echo picture comes in five parts; each address selects a part, the
// parts are not consecutive registers.
inline constexpr int kEchoParts = 5;
constexpr RegisterBlock echoPartBlock(int part) {  // part 0 to 4
  return {static_cast<std::uint16_t>(0x5220 + part),
          static_cast<std::uint16_t>(part == kEchoParts - 1 ? 92 : 105)};
}
inline constexpr int kEchoImageBytes = 1024;

}  // namespace flowdesk
