// SPDX-License-Identifier: GPL-3.0-or-later
// The maker-settings file reader (".nvd") on arbitrary files: parsed from
// memory and from disk, decoded into the image with the maker map, shown, and
// written back with its uninterpreted part kept.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "config/MakerFile.h"
#include "link/BlockMaps.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MakerFile fromMemory;
  MakerFile fromDisk;
  if (!fuzz::readParameterFile("input.nvd", data, size, parseMakerFile, readMakerFile, fromMemory,
                               fromDisk)) {
    return 0;
  }
  const std::string path = fuzz::scratch().file("input.nvd");

  FUZZ_CHECK(fromDisk.block == fromMemory.block && fromDisk.extra == fromMemory.extra);
  FUZZ_CHECK(fromDisk.block.size() <= kMakerBytes);
  FUZZ_CHECK(size >= 4 + fromDisk.block.size() + fromDisk.extra.size());

  DeviceImage image;
  const FieldMap map = makerMap(image);
  decodeOverDefaults(map, fromDisk.block.data(), fromDisk.block.size());
  fuzz::showDecodedFields(map);

  const Bytes again = makerFileBytes(fromDisk);
  MakerFile reread;
  FUZZ_CHECK(parseMakerFile(again, path, reread).ok());
  FUZZ_CHECK(reread.block == fromDisk.block);
  FUZZ_CHECK(reread.extra == fromDisk.extra);
  return 0;
}
