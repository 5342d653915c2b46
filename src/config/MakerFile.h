// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>

#include "base/BinaryFile.h"

namespace flowdesk {

// Maker-settings file (".nvd"): little-endian lengths L1 (12) and L2 (4), L1
// bytes of the maker block as sent to the unit, then L2 bytes that nothing in
// the program shows or changes: they are carried from the file that was
// opened to the file that is saved. 20 bytes when written.
inline constexpr std::size_t kMakerBytes = 12;
inline constexpr std::size_t kMakerExtraBytes = 4;
// L2 may say anything up to 0xFFFF.
inline constexpr long long kMakerFileLimit = readLimitFor(4 + kMakerBytes + 0xFFFF);

struct MakerFile {
  Bytes block;  // L1 bytes
  Bytes extra;  // L2 bytes, kept as read
};

// Refuses an L1 above 12, a file shorter than its header or its parts and
// one larger than kMakerFileLimit. A shorter L1 is read (to be shown over
// the defaults, not uploaded).
FileResult readMakerFile(const std::string& path, MakerFile& out);
FileResult parseMakerFile(std::span<const std::uint8_t> bytes, const std::string& path,
                          MakerFile& out);
Bytes makerFileBytes(const MakerFile& file);
FileResult writeMakerFile(const std::string& path, const MakerFile& file);

// The maker block's 12 default raw bytes and 4 zero bytes.
MakerFile defaultMakerFile();

}  // namespace flowdesk
