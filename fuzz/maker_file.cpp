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
  const std::string path = fuzz::writeScratch("input.nvd", data, size);
  MakerFile fromMemory;
  const FileResult parsed =
      parseMakerFile(std::span<const std::uint8_t>(data, size), path, fromMemory);
  MakerFile fromDisk;
  const FileResult read = readMakerFile(path, fromDisk);
  FUZZ_CHECK(parsed.status == read.status);

  std::ostringstream shown;
  const FileResult show = showFile(path, static_cast<int>(size & 1), RegionalSettings{}, shown);
  FUZZ_CHECK(show.status == read.status);
  if (!read.ok()) {
    FUZZ_CHECK(!read.message(0).empty() && !read.message(1).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

  FUZZ_CHECK(fromDisk.block == fromMemory.block && fromDisk.extra == fromMemory.extra);
  FUZZ_CHECK(fromDisk.block.size() <= kMakerBytes);
  FUZZ_CHECK(size >= 4 + fromDisk.block.size() + fromDisk.extra.size());

  DeviceImage image;
  const FieldMap map = makerMap(image);
  const Bytes block = fromDisk.fullBlock();
  FUZZ_CHECK(block.size() == kMakerBytes);
  decodeReply(map, block.data(), fromDisk.block.size());
  fuzz::showDecodedFields(map);

  const Bytes again = makerFileBytes(fromDisk);
  MakerFile reread;
  FUZZ_CHECK(parseMakerFile(again, path, reread).ok());
  FUZZ_CHECK(reread.block == fromDisk.block);
  FUZZ_CHECK(reread.extra == fromDisk.extra);
  return 0;
}
