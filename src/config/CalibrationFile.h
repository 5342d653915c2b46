// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/BinaryFile.h"
#include "base/IdentificationCache.h"

namespace flowdesk {

// Calibration file (".eta"): one ConfigurationBlock with the identification
// cache it was made with. Little-endian header words: the format number
// (310), the block length L (124), 30 probe records, FSp1, FSp2, T0Sp1,
// T0Sp2; then L block bytes as they travel to the unit. 436 bytes in all.
inline constexpr std::uint16_t kCalibrationFormatNumber = 310;
inline constexpr std::size_t kConfigurationBytes = 124;
inline constexpr std::size_t kCalibrationHeaderBytes = 4 + 300 + 8;  // up to the block
inline constexpr long long kCalibrationFileLimit =
    readLimitFor(kCalibrationHeaderBytes + kConfigurationBytes);

struct CalibrationFile {
  std::uint16_t formatNumber = kCalibrationFormatNumber;  // written 310, ignored when read
  IdentificationCache identification;  // catalogue and the four words (no unit code)
  Bytes block;                         // the block bytes, as many as the file's L
};

// Refuses an L above 124, a file shorter than its header or its block and
// one larger than kCalibrationFileLimit. A shorter L is read: decoded over
// the defaults (decodeOverDefaults), such a block is shown, not uploaded.
FileResult readCalibrationFile(const std::string& path, CalibrationFile& out);
FileResult parseCalibrationFile(std::span<const std::uint8_t> bytes, const std::string& path,
                                CalibrationFile& out);
Bytes calibrationFileBytes(const CalibrationFile& file);
// Written whole through a temporary file.
FileResult writeCalibrationFile(const std::string& path, const CalibrationFile& file);

// A file of defaults: the ConfigurationBlock's default raw values with the
// given catalogue and special-probe words.
CalibrationFile defaultCalibrationFile(const IdentificationCache& identification);

}  // namespace flowdesk
