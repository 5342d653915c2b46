// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>

#include "base/BinaryFile.h"

namespace flowdesk {

// Factory-settings file (".rus"): a little-endian length (68) and that many
// bytes of the FactoryBlock as sent to the unit. 70 bytes.
inline constexpr std::size_t kFactoryBytes = 68;
inline constexpr long long kFactoryFileLimit = readLimitFor(2 + kFactoryBytes);

struct FactoryFile {
  Bytes block;  // as many bytes as the file's length word
};

// Refuses a length above 68, a file shorter than its header or its block and
// one larger than kFactoryFileLimit. A shorter block is read (to be shown
// over the defaults, not uploaded).
FileResult readFactoryFile(const std::string& path, FactoryFile& out);
FileResult parseFactoryFile(std::span<const std::uint8_t> bytes, const std::string& path,
                            FactoryFile& out);
Bytes factoryFileBytes(const FactoryFile& file);
FileResult writeFactoryFile(const std::string& path, const FactoryFile& file);

// The FactoryBlock's 68 default raw bytes.
FactoryFile defaultFactoryFile();

}  // namespace flowdesk
