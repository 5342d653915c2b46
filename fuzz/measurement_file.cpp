// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement recording reader (".mes") on arbitrary files: the header,
// the records one by one, each decoded into the image through the four
// measurement maps as playback does, and the whole file shown.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "link/BlockMaps.h"
#include "measure/MeasurementFile.h"

using namespace flowdesk;

namespace {

// Enough records to reach every decoding path without making each run slow.
constexpr long long kRecordsDecoded = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::writeScratch("input.mes", data, size);
  MeasurementFileReader reader;
  const FileResult opened = reader.open(path);

  RegionalSettings regional;
  regional.clock24 = (size & 2) != 0;
  regional.dateOrder = static_cast<int>(size % 3);
  // The file shown whole as `flowdesk-cli show` does (on files of a few
  // records: its cost grows with the count).
  std::ostringstream shown;
  if (!opened.ok() || reader.info().recordCount <= kRecordsDecoded) {
    const FileResult show = showFile(path, languageOf(static_cast<int>(size & 1)), regional, shown);
    FUZZ_CHECK(show.status == opened.status);
  }
  if (!opened.ok()) {
    FUZZ_CHECK(!opened.message(kFrench).empty() && !opened.message(kEnglish).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

  const MeasurementFileInfo& info = reader.info();
  std::size_t sum = 0;
  for (std::uint16_t frameSize : info.frameSizes) {
    FUZZ_CHECK(frameSize >= kMinStoredFrame && frameSize <= kMaxStoredFrame);
    sum += frameSize;
  }
  FUZZ_CHECK(sum == info.recordSize && sum > 0);
  FUZZ_CHECK(info.headerLength >= kMinMeasurementHeaderLength);
  FUZZ_CHECK(info.dataOffset ==
             static_cast<long long>(kMeasurementFixedHeader) + info.headerLength);
  FUZZ_CHECK(info.recordCount >= 0);
  FUZZ_CHECK(info.dataOffset + info.recordCount * static_cast<long long>(info.recordSize) <=
             static_cast<long long>(size));

  DeviceImage image;
  const FieldMap maps[] = {s2Map(image), s1Map(image), m1Map(image), m2Map(image)};
  for (long long i = 0; i < info.recordCount && i < kRecordsDecoded; ++i) {
    MeasurementRecord record;
    FUZZ_CHECK(reader.readRecord(i, record).ok());
    for (std::size_t f = 0; f < kFrameCount; ++f) {
      FUZZ_CHECK(record.frames[f].size() == info.frameSizes[f]);
    }
    decodeMeasurementRecord(record, image);
    // Shown at the first record and the last: showing is the slow part, and
    // the records between bring no other value kinds.
    if (i == 0 || i + 1 == std::min(info.recordCount, kRecordsDecoded)) {
      for (const FieldMap& map : maps) fuzz::showDecodedFields(map);
    }
  }
  MeasurementRecord none;
  FUZZ_CHECK(reader.readRecord(info.recordCount, none).status == FileStatus::kNoSuchRecord);
  FUZZ_CHECK(reader.readRecord(-1, none).status == FileStatus::kNoSuchRecord);
  return 0;
}
