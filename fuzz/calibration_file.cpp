// SPDX-License-Identifier: GPL-3.0-or-later
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
  CalibrationFile fromMemory;
  CalibrationFile fromDisk;
  if (!fuzz::readParameterFile("input.eta", data, size, parseCalibrationFile, readCalibrationFile,
                               fromMemory, fromDisk)) {
    return 0;
  }
  const std::string path = fuzz::scratch().file("input.eta");

  FUZZ_CHECK(fromDisk.block == fromMemory.block);
  FUZZ_CHECK(fromDisk.identification.probes == fromMemory.identification.probes);
  FUZZ_CHECK(fromDisk.block.size() <= kConfigurationBytes);
  FUZZ_CHECK(size >= kCalibrationHeaderBytes + fromDisk.block.size());

  DeviceImage image;
  const FieldMap map = configurationMap(image);
  decodeOverDefaults(map, fromDisk.block.data(), fromDisk.block.size());
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
