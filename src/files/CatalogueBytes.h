// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/BinaryFile.h"
#include "base/IdentificationCache.h"

namespace flowdesk {

// The identification cache as the measurement and calibration files carry
// it: 30 probe records of an 8-byte Windows-1252 name (zero-padded) and a
// little-endian 16-bit angle word, then the special-probe words FSp1, FSp2,
// T0Sp1, T0Sp2, little-endian.
inline constexpr std::size_t kProbeNameBytes = 8;
inline constexpr std::size_t kProbeRecordBytes = 10;
inline constexpr std::size_t kCatalogueBytes = kProbeCount * kProbeRecordBytes;  // 300
inline constexpr std::size_t kSpecialProbeWordBytes = 8;
inline constexpr std::size_t kIdentificationBytes = kCatalogueBytes + kSpecialProbeWordBytes;

void putCatalogue(Bytes& out, const ProbeCatalogue& catalogue);
void putSpecialProbeWords(Bytes& out, const IdentificationCache& cache);

// Reads the probe records and then the four words from `bytes`, as far as
// they go: a record or word cut by the end of `bytes` is left as it was.
// Returns the number of bytes used.
std::size_t readIdentificationBytes(std::span<const std::uint8_t> bytes, IdentificationCache& out);

// What a file brings into the running program's cache: the catalogue and the
// four words (not the unit code, which no file holds).
void applyFileIdentification(const IdentificationCache& fromFile, IdentificationCache& cache);

}  // namespace flowdesk
