// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/MakerFile.h"

#include <algorithm>
#include <array>

#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {

FileResult parseMakerFile(std::span<const std::uint8_t> bytes, const std::string& path,
                          MakerFile& out) {
  if (FileResult r = checkReadLimit(static_cast<long long>(bytes.size()), kMakerFileLimit, path);
      !r.ok()) {
    return r;
  }
  LeReader reader(bytes);
  std::uint16_t length1 = 0;
  std::uint16_t length2 = 0;
  if (!reader.u16(length1) || !reader.u16(length2)) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path, 4,
                                 static_cast<long long>(bytes.size()));
  }
  if (length1 > kMakerBytes) {
    return FileResult::sizeFault(FileStatus::kLengthTooLarge, path, length1,
                                 static_cast<long long>(kMakerBytes));
  }
  // The second part is not ours to interpret, so any length is taken as long
  // as the file really holds it.
  std::span<const std::uint8_t> block;
  std::span<const std::uint8_t> extra;
  if (!reader.take(length1, block) || !reader.take(length2, extra)) {
    return FileResult::sizeFault(FileStatus::kShorterThanData, path, 4LL + length1 + length2,
                                 static_cast<long long>(bytes.size()));
  }
  out.block.assign(block.begin(), block.end());
  out.extra.assign(extra.begin(), extra.end());
  return {};
}

FileResult readMakerFile(const std::string& path, MakerFile& out) {
  return readParsedFile(path, kMakerFileLimit, out, parseMakerFile);
}

Bytes makerFileBytes(const MakerFile& file) {
  Bytes out;
  const std::size_t length1 = std::min(file.block.size(), kMakerBytes);
  const std::size_t length2 = std::min<std::size_t>(file.extra.size(), 0xFFFF);
  putLe16(out, static_cast<std::uint16_t>(length1));
  putLe16(out, static_cast<std::uint16_t>(length2));
  putBytes(out, std::span<const std::uint8_t>(file.block.data(), length1));
  putBytes(out, std::span<const std::uint8_t>(file.extra.data(), length2));
  return out;
}

FileResult writeMakerFile(const std::string& path, const MakerFile& file) {
  return writeFileAtomic(path, makerFileBytes(file));
}

MakerFile defaultMakerFile() {
  DeviceImage scratch;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(makerMap(scratch), area.data());
  MakerFile file;
  file.block.assign(area.begin(), area.begin() + kMakerBytes);
  file.extra.assign(kMakerExtraBytes, 0);
  return file;
}

}  // namespace flowdesk
