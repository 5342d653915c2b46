// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <ctime>
#include <span>

#include "base/Bytes.h"
#include "unit/MeasurementModel.h"
#include "unit/RegisterTables.h"

namespace flowdesk::unit {

inline constexpr int kSmallRecordBytes = 31;  // flow + 3 parameters
inline constexpr int kLargeRecordBytes = 62;  // flow + 8 parameters
inline constexpr std::uint8_t kEmptyDayMark = 0x80;

// Counters as a record logs them.
struct LoggedTotals {
  double t[3] = {0, 0, 0};
  double volume = 0;  // m3
};

// Everything one record is built from.
struct RecordInputs {
  std::tm date{};  // unit clock; tm_year from 1900, tm_mon from 0
  int pointNumber = 0;
  int flowUnit = 0;
  bool marked = false;
  double flowAverage = 0, flowMax = 0, flowMin = 0;
  int flowQuality = 100;     // I.Q. percentage
  Snapshot snapshot;         // values at the record's time
  std::uint16_t status = 0;  // status word as logged
  LoggedTotals totals;
  std::uint8_t params[8] = {};  // quantity index of parameters 2 to 9
};

// The record layout the logger download decodes.
Bytes encodeRecord(int recordBytes, const RecordInputs& in);
Bytes emptyRecord(int recordBytes);

// The logger's memory: records of one size, oldest first, up to a capacity
// that depends on the record size (a 9-parameter record takes two places).
class LoggerMemory {
 public:
  // capacityUnits: the memory in 4-parameter records.
  void configure(bool largeRecords, long capacityUnits);

  bool largeRecords() const { return large_; }
  int recordBytes() const { return large_ ? kLargeRecordBytes : kSmallRecordBytes; }
  long capacity() const;
  long filled() const { return static_cast<long>(data_.size() / recordBytes()); }
  bool full() const { return filled() >= capacity(); }

  void clear() { data_.clear(); }
  // Ignored once the memory is full: the logger stops, it does not wrap.
  void append(std::span<const std::uint8_t> record);
  std::span<const std::uint8_t> record(long index) const;

 private:
  bool large_ = false;
  long capacityUnits_ = 0;
  Bytes data_;
};

}  // namespace flowdesk::unit
