// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/IdentificationCache.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// The identification reads as bytes. A catalogue record is 10 bytes: an
// 8-byte name (Windows-1252, up to the first zero byte) and the probe's 16-bit
// word, high byte first.
inline constexpr std::size_t kProbeRecordSize = 10;
inline constexpr int kProbesInLowRead = 20;        // 0x5000: entries 0 to 19
inline constexpr int kProbesInHighRead = 10;       // 0x5100: entries 20 to 29
inline constexpr std::size_t kUnitCodeByte = 100;  // in the 0x5100 data

ProbeEntry decodeProbeRecord(const std::uint8_t* record);

// Name cut to 8 bytes and padded with zero bytes; word big-endian.
void encodeProbeRecord(const ProbeEntry& entry, std::uint8_t* record);

// The 200 data bytes of the 0x5000 read into entries 0 to 19.
void parseCatalogueLow(const std::uint8_t* data, ProbeCatalogue& catalogue);

// The 102 data bytes of the 0x5100 read into entries 20 to 29 and the unit code.
void parseCatalogueHigh(const std::uint8_t* data, IdentificationCache& cache);

// The inverse, for whoever answers these reads: 200 and 102 data bytes.
void encodeCatalogueLow(const ProbeCatalogue& catalogue, std::uint8_t* data);
void encodeCatalogueHigh(const IdentificationCache& cache, std::uint8_t* data);

// T0 x 10 truncated toward zero, as the special-probe words and files keep
// it. The product is taken in float: in double a T0 of 0.7 would give 6.
std::int16_t t0Tenths(float t0);

// The four special-probe words from a decoded FactoryBlock.
void applySpecialProbeWords(const DeviceImage& image, IdentificationCache& cache);

}  // namespace flowdesk
