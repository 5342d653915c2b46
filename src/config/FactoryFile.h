#pragma once
#include <cstddef>
#include <string>

#include "base/BinaryFile.h"

namespace flowdesk {

// Factory-settings file (".rus"): a little-endian length (68) and that many
// bytes of the FactoryBlock as sent to the unit. 70 bytes.
inline constexpr std::size_t kFactoryBytes = 68;

struct FactoryFile {
  Bytes block;  // as many bytes as the file's length word

  Bytes fullBlock() const;  // padded with zero bytes to 68 for decoding
};

// Refuses a length above 68 and a file shorter than its header or its block.
FileResult readFactoryFile(const std::string& path, FactoryFile& out);
FileResult parseFactoryFile(std::span<const std::uint8_t> bytes, const std::string& path,
                            FactoryFile& out);
Bytes factoryFileBytes(const FactoryFile& file);
FileResult writeFactoryFile(const std::string& path, const FactoryFile& file);

// The FactoryBlock's 68 default raw bytes.
FactoryFile defaultFactoryFile();

}  // namespace flowdesk
