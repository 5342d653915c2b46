// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FactoryFile.h"

#include <algorithm>
#include <array>

#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {

FileResult parseFactoryFile(std::span<const std::uint8_t> bytes, const std::string& path,
                            FactoryFile& out) {
  if (FileResult r = checkReadLimit(static_cast<long long>(bytes.size()), kFactoryFileLimit, path);
      !r.ok()) {
    return r;
  }
  LeReader reader(bytes);
  std::uint16_t length = 0;
  if (!reader.u16(length)) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path, 2,
                                 static_cast<long long>(bytes.size()));
  }
  if (length > kFactoryBytes) {
    return FileResult::sizeFault(FileStatus::kLengthTooLarge, path, length,
                                 static_cast<long long>(kFactoryBytes));
  }
  std::span<const std::uint8_t> block;
  if (!reader.take(length, block)) {
    return FileResult::sizeFault(FileStatus::kShorterThanData, path, 2 + length,
                                 static_cast<long long>(bytes.size()));
  }
  out.block.assign(block.begin(), block.end());
  return {};
}

FileResult readFactoryFile(const std::string& path, FactoryFile& out) {
  return readParsedFile(path, kFactoryFileLimit, out, parseFactoryFile);
}

Bytes factoryFileBytes(const FactoryFile& file) {
  Bytes out;
  const std::size_t length = std::min(file.block.size(), kFactoryBytes);
  putLe16(out, static_cast<std::uint16_t>(length));
  putBytes(out, std::span<const std::uint8_t>(file.block.data(), length));
  return out;
}

FileResult writeFactoryFile(const std::string& path, const FactoryFile& file) {
  return writeFileAtomic(path, factoryFileBytes(file));
}

FactoryFile defaultFactoryFile() {
  DeviceImage scratch;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(factoryMap(scratch), area.data());
  FactoryFile file;
  file.block.assign(area.begin(), area.begin() + kFactoryBytes);
  return file;
}

}  // namespace flowdesk
