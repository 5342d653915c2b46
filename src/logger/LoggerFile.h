// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/BinaryFile.h"
#include "logger/LoggerRecord.h"

namespace flowdesk {

// Logger file (".log"): a little-endian stored record size (record size + 3:
// 34 or 65), then stored records, each shaped like a one-record function-4
// answer without its CRC: slave address, 4, record size, the record bytes.
inline constexpr std::size_t kLoggerStoredPrefix = 3;
// Every record holds its point, date and time, flow and flow percentage
// before its slots; a stored record too short for them cannot be decoded.
inline constexpr std::size_t kMinLoggerStoredRecord = kLoggerStoredPrefix + kLoggerSlotOffset;
// A stored record is shaped like an answer whose byte count is one byte: 255
// record bytes at most.
inline constexpr std::size_t kMaxLoggerStoredRecord = kLoggerStoredPrefix + 0xFF;

// The unit's logger counts its records in a 16-bit register, of the type it
// holds: at most 65535 of 9 parameters, twice as many of 4 once switched
// from 9. A file of more records than that is no download of it: the wrong
// file, or a sparse file of gigabytes, refused before its records are read.
inline constexpr long long kMaxLoggerRecords = 2 * 65536;
constexpr long long loggerFileLimit(std::size_t storedRecordSize) {
  return readLimitFor(2 + static_cast<std::size_t>(kMaxLoggerRecords) * storedRecordSize);
}

struct LoggerFileInfo {
  std::uint16_t storedRecordSize = 0;
  long long recordCount = 0;  // whole records; a partial one at the end is ignored
  // Record bytes in each stored record (after the 3-byte prefix).
  std::size_t recordSize() const {
    return storedRecordSize > kLoggerStoredPrefix ? storedRecordSize - kLoggerStoredPrefix : 0;
  }
};

class LoggerFileReader {
 public:
  // Refuses a file shorter than its header word, a stored record size of 0,
  // one too small for the prefix and the fixed part of a record, one larger
  // than a one-byte record size allows, and a file larger than a logger of
  // that record size can fill (loggerFileLimit).
  FileResult open(const std::string& path);
  const LoggerFileInfo& info() const { return info_; }
  // The whole stored record (prefix included).
  FileResult readStoredRecord(long long index, Bytes& out) const;

 private:
  ReadOnlyFile file_;
  LoggerFileInfo info_;
};

// The record bytes of a stored record (from its offset 3).
std::span<const std::uint8_t> loggerRecordBytes(std::span<const std::uint8_t> stored);

// Starts a download's file: creates (or replaces) it with the header word
// alone.
FileResult createLoggerFile(const std::string& path, std::size_t recordSize);

// Appends the records of one function-4 answer (`data`: `count` records of
// `recordSize` bytes, as many as `data` holds), each as a stored record,
// stopping before the first empty record. `written` tells how many were
// stored; fewer than asked for means the logger's data has ended.
FileResult appendLoggerRecords(const std::string& path, std::uint8_t address,
                               std::size_t recordSize, std::span<const std::uint8_t> data,
                               int count, int& written);

}  // namespace flowdesk
