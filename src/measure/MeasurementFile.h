// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/BinaryFile.h"
#include "base/IdentificationCache.h"
#include "files/CatalogueBytes.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"

namespace flowdesk {

// Measurement file (".mes"): little-endian words H (308: the length of the
// header part from offset 10) and the sizes of the stored S2, S1, M1 and M2
// frames (11, 71, 179, 109); the identification cache (30 probe records and
// the four special-probe words) in H bytes; then one record per poll: the
// four whole Jbus answers (address, function, byte count, data, CRC) in the
// order S2, S1, M1, M2. Readers take H and the sizes from the header.
inline constexpr std::uint16_t kMeasurementHeaderLength = 308;
inline constexpr std::size_t kMeasurementFixedHeader = 10;

enum MeasurementFrame : std::size_t { kFrameS2 = 0, kFrameS1, kFrameM1, kFrameM2, kFrameCount };

// The frame sizes a unit answers with, in record order.
inline constexpr std::array<std::uint16_t, kFrameCount> kMeasurementFrameSizes{11, 71, 179, 109};

// Largest frame a record may hold: a frame is read into the 512-byte reply
// buffer.
inline constexpr std::size_t kMaxStoredFrame = 512;
// Smallest: a Jbus answer is at least its address, function, byte count and
// CRC.
inline constexpr std::size_t kMinStoredFrame = 5;
// The header part holds the whole identification cache: a shorter H would
// put the records where the catalogue is.
inline constexpr std::uint16_t kMinMeasurementHeaderLength = kIdentificationBytes;

struct MeasurementRecord {
  std::array<Bytes, kFrameCount> frames;  // S2, S1, M1, M2
};

struct MeasurementFileInfo {
  std::uint16_t headerLength = 0;                       // H
  std::array<std::uint16_t, kFrameCount> frameSizes{};  // S2, S1, M1, M2
  IdentificationCache identification;                   // from the first bytes of H
  long long dataOffset = 0;                             // 10 + H
  std::size_t recordSize = 0;                           // sum of the frame sizes
  long long recordCount = 0;  // whole records; a partial one at the end is ignored
};

// Reads the header once and records on demand, so a long recording is never
// loaded whole.
class MeasurementFileReader {
 public:
  // Refuses a file shorter than its header (H pointing past its end
  // included), an H too short for the identification cache, a frame size of
  // 0, a frame too short for a Jbus answer and one larger than the reply
  // buffer; the message names the file.
  FileResult open(const std::string& path);
  const MeasurementFileInfo& info() const { return info_; }
  FileResult readRecord(long long index, MeasurementRecord& out) const;

 private:
  ReadOnlyFile file_;
  mutable Bytes buffer_;  // one record's bytes
  MeasurementFileInfo info_;
};

Bytes measurementHeaderBytes(const IdentificationCache& identification);

// The first record of a recording: creates (or replaces) the file with the
// header and the record.
FileResult startMeasurementFile(const std::string& path, const IdentificationCache& identification,
                                const MeasurementRecord& record);
// Every later record: appended at the end, the file opened and closed again.
FileResult appendMeasurementRecord(const std::string& path, const MeasurementRecord& record);

// The four block maps of one image in record order (S2, S1, M1, M2), built
// once for an image that decodes many records.
struct MeasurementMaps {
  explicit MeasurementMaps(DeviceImage& image);
  std::array<FieldMap, kFrameCount> maps;
};

// Decodes the four frames of a record into an image through the block maps,
// as playback does. Each frame decodes only the data bytes it holds.
void decodeMeasurementRecord(const MeasurementRecord& record, const MeasurementMaps& maps);
void decodeMeasurementRecord(const MeasurementRecord& record, DeviceImage& image);

}  // namespace flowdesk
