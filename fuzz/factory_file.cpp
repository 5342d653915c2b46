// SPDX-License-Identifier: GPL-3.0-or-later
// The factory-settings file reader (".rus") on arbitrary files: parsed from
// memory and from disk, decoded into the image with the factory map (special
// probes included), shown, and written back.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "config/FactoryFile.h"
#include "link/BlockMaps.h"
#include "link/IdentificationParse.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FactoryFile fromMemory;
  FactoryFile fromDisk;
  if (!fuzz::readParameterFile("input.rus", data, size, parseFactoryFile, readFactoryFile,
                               fromMemory, fromDisk)) {
    return 0;
  }
  const std::string path = fuzz::scratch().file("input.rus");

  FUZZ_CHECK(fromDisk.block == fromMemory.block);
  FUZZ_CHECK(fromDisk.block.size() <= kFactoryBytes);
  FUZZ_CHECK(size >= 2 + fromDisk.block.size());

  DeviceImage image;
  const FieldMap map = factoryMap(image);
  decodeOverDefaults(map, fromDisk.block.data(), fromDisk.block.size());
  fuzz::showDecodedFields(map);
  IdentificationCache cache;
  applySpecialProbeWords(image, cache);

  const Bytes again = factoryFileBytes(fromDisk);
  FactoryFile reread;
  FUZZ_CHECK(parseFactoryFile(again, path, reread).ok());
  FUZZ_CHECK(reread.block == fromDisk.block);
  return 0;
}
