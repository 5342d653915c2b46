// The calibration file reader (".eta") on arbitrary files: parsed from memory
// and from disk, decoded into the image with the configuration map, shown,
// and written back.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "config/CalibrationFile.h"
#include "link/BlockMaps.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::writeScratch("input.eta", data, size);
  CalibrationFile fromMemory;
  const FileResult parsed =
      parseCalibrationFile(std::span<const std::uint8_t>(data, size), path, fromMemory);
  CalibrationFile fromDisk;
  const FileResult read = readCalibrationFile(path, fromDisk);
  FUZZ_CHECK(parsed.status == read.status);

  std::ostringstream shown;
  const FileResult show = showFile(path, static_cast<int>(size & 1), RegionalSettings{}, shown);
  FUZZ_CHECK(show.status == read.status);
  if (!read.ok()) {
    // A refused file says why in both languages and prints nothing.
    FUZZ_CHECK(!read.message(0).empty() && !read.message(1).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

  FUZZ_CHECK(fromDisk.block == fromMemory.block);
  FUZZ_CHECK(fromDisk.identification.probes == fromMemory.identification.probes);
  FUZZ_CHECK(fromDisk.block.size() <= kConfigurationBytes);
  FUZZ_CHECK(size >= kCalibrationHeaderBytes + fromDisk.block.size());

  DeviceImage image;
  const FieldMap map = configurationMap(image);
  const Bytes block = fromDisk.fullBlock();
  FUZZ_CHECK(block.size() == kConfigurationBytes);
  decodeReply(map, block.data(), fromDisk.block.size());
  fuzz::showDecodedFields(map);

  // Saved again unchanged, the file reads back the same.
  const Bytes again = calibrationFileBytes(fromDisk);
  FUZZ_CHECK(again.size() == kCalibrationHeaderBytes + fromDisk.block.size());
  CalibrationFile reread;
  FUZZ_CHECK(parseCalibrationFile(again, path, reread).ok());
  FUZZ_CHECK(reread.formatNumber == fromDisk.formatNumber);
  FUZZ_CHECK(reread.block == fromDisk.block);
  FUZZ_CHECK(reread.identification.probes == fromDisk.identification.probes);
  FUZZ_CHECK(reread.identification.FSp1 == fromDisk.identification.FSp1);
  FUZZ_CHECK(reread.identification.FSp2 == fromDisk.identification.FSp2);
  FUZZ_CHECK(reread.identification.T0Sp1 == fromDisk.identification.T0Sp1);
  FUZZ_CHECK(reread.identification.T0Sp2 == fromDisk.identification.T0Sp2);
  return 0;
}
