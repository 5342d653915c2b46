// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerFile.h"

#include <array>

#include "logger/LoggerRecord.h"

namespace flowdesk {

namespace {

// Each stored record repeats its size in one byte.
bool writableRecordSize(std::size_t recordSize) {
  return recordSize > 0 && recordSize <= 0xFF;
}

FileResult recordSizeFault(const std::string& path, std::size_t recordSize) {
  if (recordSize == 0) return FileResult::failure(FileStatus::kZeroRecordSize, path);
  return FileResult::sizeFault(FileStatus::kRecordTooLarge, path,
                               static_cast<long long>(recordSize), 0xFF);
}

}  // namespace

FileResult LoggerFileReader::open(const std::string& path) {
  info_ = {};
  FileResult r = file_.open(path);
  if (!r.ok()) return r;
  std::array<std::uint8_t, 2> header{};
  if (file_.size() < 2) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path, 2, file_.size());
  }
  r = file_.readAt(0, header);
  if (!r.ok()) return r;
  LoggerFileInfo info;
  info.storedRecordSize = static_cast<std::uint16_t>(header[0] | (header[1] << 8));
  if (info.storedRecordSize == 0) return FileResult::failure(FileStatus::kZeroRecordSize, path);
  if (info.storedRecordSize < kMinLoggerStoredRecord) {
    return FileResult::sizeFault(FileStatus::kRecordTooSmall, path, info.storedRecordSize,
                                 static_cast<long long>(kMinLoggerStoredRecord));
  }
  if (info.storedRecordSize > kMaxLoggerStoredRecord) {
    return FileResult::sizeFault(FileStatus::kRecordTooLarge, path, info.storedRecordSize,
                                 static_cast<long long>(kMaxLoggerStoredRecord));
  }
  r = checkReadLimit(file_.size(), loggerFileLimit(info.storedRecordSize), path);
  if (!r.ok()) return r;
  info.recordCount = (file_.size() - 2) / info.storedRecordSize;
  info_ = info;
  return {};
}

FileResult LoggerFileReader::readStoredRecord(long long index, Bytes& out) const {
  if (index < 0 || index >= info_.recordCount) {
    return FileResult::sizeFault(FileStatus::kNoSuchRecord, file_.path(), index + 1,
                                 info_.recordCount);
  }
  out.assign(info_.storedRecordSize, 0);
  return file_.readAt(2 + index * info_.storedRecordSize, out);
}

std::span<const std::uint8_t> loggerRecordBytes(std::span<const std::uint8_t> stored) {
  if (stored.size() <= kLoggerStoredPrefix) return {};
  return stored.subspan(kLoggerStoredPrefix);
}

FileResult createLoggerFile(const std::string& path, std::size_t recordSize) {
  if (!writableRecordSize(recordSize)) return recordSizeFault(path, recordSize);
  Bytes header;
  putLe16(header, static_cast<std::uint16_t>(recordSize + kLoggerStoredPrefix));
  return createRecording(path, header);
}

FileResult appendLoggerRecords(const std::string& path, std::uint8_t address,
                               std::size_t recordSize, std::span<const std::uint8_t> data,
                               int count, int& written) {
  written = 0;
  if (!writableRecordSize(recordSize)) return recordSizeFault(path, recordSize);
  Bytes batch;
  int n = 0;
  for (; n < count; ++n) {
    const std::size_t at = static_cast<std::size_t>(n) * recordSize;
    if (at + recordSize > data.size()) break;  // the answer holds no more
    std::span<const std::uint8_t> record = data.subspan(at, recordSize);
    if (isEmptyLoggerRecord(record)) break;
    batch.push_back(address);
    batch.push_back(4);
    batch.push_back(static_cast<std::uint8_t>(recordSize));
    putBytes(batch, record);
  }
  if (batch.empty()) return {};
  FileResult r = appendRecording(path, batch);
  if (r.ok()) written = n;
  return r;
}

}  // namespace flowdesk
