// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/MeasurementFile.h"

#include "files/CatalogueBytes.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {

namespace {

// A record as the file stores it; its frames must have the sizes the file's
// header announces.
FileResult recordBytes(const std::string& path, const MeasurementRecord& record, Bytes& out) {
  for (std::size_t f = 0; f < kFrameCount; ++f) {
    if (record.frames[f].size() != kMeasurementFrameSizes[f]) {
      return FileResult::sizeFault(FileStatus::kRecordMismatch, path,
                                   static_cast<long long>(record.frames[f].size()),
                                   kMeasurementFrameSizes[f]);
    }
    putBytes(out, record.frames[f]);
  }
  return {};
}

}  // namespace

FileResult MeasurementFileReader::open(const std::string& path) {
  info_ = {};
  FileResult r = file_.open(path);
  if (!r.ok()) return r;
  std::array<std::uint8_t, kMeasurementFixedHeader> fixed{};
  if (file_.size() < static_cast<long long>(fixed.size())) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path,
                                 static_cast<long long>(fixed.size()), file_.size());
  }
  r = file_.readAt(0, fixed);
  if (!r.ok()) return r;
  LeReader reader(fixed);
  MeasurementFileInfo info;
  reader.u16(info.headerLength);
  for (auto& size : info.frameSizes) {
    reader.u16(size);
    // A frame of no bytes cannot hold an answer: such a header is broken,
    // whatever the other sizes say.
    if (size == 0) return FileResult::failure(FileStatus::kZeroRecordSize, path);
    if (size < kMinStoredFrame) {
      return FileResult::sizeFault(FileStatus::kRecordTooSmall, path, size,
                                   static_cast<long long>(kMinStoredFrame));
    }
    if (size > kMaxStoredFrame) {
      return FileResult::sizeFault(FileStatus::kRecordTooLarge, path, size,
                                   static_cast<long long>(kMaxStoredFrame));
    }
    info.recordSize += size;
  }
  if (info.headerLength < kMinMeasurementHeaderLength) {
    return FileResult::sizeFault(FileStatus::kHeaderTooSmall, path, info.headerLength,
                                 kMinMeasurementHeaderLength);
  }
  info.dataOffset = static_cast<long long>(kMeasurementFixedHeader) + info.headerLength;
  if (file_.size() < info.dataOffset) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path, info.dataOffset,
                                 file_.size());
  }
  // The header part holds the identification cache; a longer part is
  // skipped.
  Bytes header(kIdentificationBytes);
  r = file_.readAt(static_cast<long long>(kMeasurementFixedHeader), header);
  if (!r.ok()) return r;
  readIdentificationBytes(header, info.identification);
  info.recordCount = (file_.size() - info.dataOffset) / static_cast<long long>(info.recordSize);
  info_ = info;
  return {};
}

FileResult MeasurementFileReader::readRecord(long long index, MeasurementRecord& out) const {
  if (index < 0 || index >= info_.recordCount) {
    return FileResult::sizeFault(FileStatus::kNoSuchRecord, file_.path(), index + 1,
                                 info_.recordCount);
  }
  // One read per record: a conversion reads every record of a long file.
  buffer_.resize(info_.recordSize);
  FileResult r =
      file_.readAt(info_.dataOffset + index * static_cast<long long>(info_.recordSize), buffer_);
  if (!r.ok()) return r;
  auto at = buffer_.begin();
  for (std::size_t f = 0; f < kFrameCount; ++f) {
    out.frames[f].assign(at, at + info_.frameSizes[f]);
    at += info_.frameSizes[f];
  }
  return {};
}

Bytes measurementHeaderBytes(const IdentificationCache& identification) {
  Bytes out;
  putLe16(out, kMeasurementHeaderLength);
  for (std::uint16_t size : kMeasurementFrameSizes) putLe16(out, size);
  putCatalogue(out, identification.probes);
  putSpecialProbeWords(out, identification);
  return out;
}

FileResult startMeasurementFile(const std::string& path, const IdentificationCache& identification,
                                const MeasurementRecord& record) {
  Bytes bytes = measurementHeaderBytes(identification);
  FileResult r = recordBytes(path, record, bytes);
  if (!r.ok()) return r;
  return createRecording(path, bytes);
}

FileResult appendMeasurementRecord(const std::string& path, const MeasurementRecord& record) {
  Bytes bytes;
  FileResult r = recordBytes(path, record, bytes);
  if (!r.ok()) return r;
  return appendRecording(path, bytes);
}

MeasurementMaps::MeasurementMaps(DeviceImage& image)
    : maps{s2Map(image), s1Map(image), m1Map(image), m2Map(image)} {}

void decodeMeasurementRecord(const MeasurementRecord& record, const MeasurementMaps& maps) {
  // Playback decodes in the stored order; M2's re-read flag, decoded last,
  // is the one that stays.
  for (std::size_t f = 0; f < kFrameCount; ++f) {
    const Bytes& frame = record.frames[f];
    if (frame.size() <= 3) continue;
    decodeReply(maps.maps[f], frame.data() + 3, frame.size() - 3);
  }
}

void decodeMeasurementRecord(const MeasurementRecord& record, DeviceImage& image) {
  decodeMeasurementRecord(record, MeasurementMaps(image));
}

}  // namespace flowdesk
