// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/LoggerMemory.h"

#include <algorithm>
#include <cmath>

#include "unit/Totalizers.h"

namespace flowdesk::unit {

namespace {

constexpr int kLoggedQuantities = 39;
constexpr std::uint8_t kStatusKind = 0xC0;
constexpr int kStatusQuantity = 20;

struct SlotValue {
  double value = 0;
  bool integer = false;
};

SlotValue quantity(int index, const RecordInputs& in) {
  const Snapshot& s = in.snapshot;
  const LoggedTotals& t = in.totals;
  auto chord = [&](int k) -> const ChordValues& { return s.chord[k]; };
  switch (index) {
    case 0:
      return {std::trunc(t.volume * 1000.0), true};  // litres
    case 1:
    case 2:
    case 3:
      return {static_cast<double>(Totalizers::whole(t.t[index - 1])), true};
    case 4:
      return {static_cast<double>(Totalizers::whole(t.t[0]) - Totalizers::whole(t.t[1])), true};
    case 5:
      return {in.flowAverage, false};
    case 6:
      return {in.flowMax, false};
    case 7:
      return {in.flowMin, false};
    case 8:
      return {s.velocity, false};
    case 15:
      return {s.sound, false};
    case 16:
      return {s.power, false};
    case 17:
      return {s.t1, false};
    case 18:
      return {s.t2, false};
    case 19:
      return {s.dt, false};
    default:
      break;
  }
  if (index >= 9 && index <= 14) return {chord(index - 9).velocity, false};
  if (index >= 21 && index <= 26) return {chord(index - 21).sound, false};
  if (index >= 27 && index <= 32) return {static_cast<double>(chord(index - 27).gain), true};
  if (index >= 33 && index <= 38) return {chord(index - 33).deltaT, false};
  return {};
}

}  // namespace

Bytes encodeRecord(int recordBytes, const RecordInputs& in) {
  Bytes r(recordBytes, 0);
  put8(r, 0, in.pointNumber);
  put8(r, 1, (in.marked ? 0x80 : 0) | ((in.flowUnit & 0x07) << 4) | ((in.date.tm_mon + 1) & 0x0F));
  put8(r, 2, in.date.tm_year + 1900 - 2000);
  put8(r, 3, in.date.tm_mday);
  put8(r, 4, in.date.tm_hour);
  put8(r, 5, in.date.tm_min);
  put8(r, 6, in.date.tm_sec);
  putFloat(r, 8, in.flowAverage);
  put8(r, 12, std::clamp(in.flowQuality, 0, 100));
  const int slots = recordBytes == kLargeRecordBytes ? 8 : 3;
  for (int i = 0; i < slots; ++i) {
    const int at = 13 + 6 * i;
    const int index = in.params[i] < kLoggedQuantities ? in.params[i] : 0;
    const int quality = std::clamp(100 - 2 * ((i * 7 + in.date.tm_min) % 8), 0, 100);
    if (index == kStatusQuantity) {
      put8(r, at, kStatusKind | index);
      put16(r, at + 3, in.status);
      put8(r, at + 5, 100);
      continue;
    }
    const SlotValue v = quantity(index, in);
    put8(r, at, index);
    if (v.integer) {
      put32(r, at + 1, static_cast<std::int32_t>(std::clamp(v.value, -2147483648.0, 2147483647.0)));
      put8(r, at + 5, 0x80 | quality);
    } else {
      putFloat(r, at + 1, v.value);
      put8(r, at + 5, quality);
    }
  }
  return r;
}

Bytes emptyRecord(int recordBytes) {
  Bytes r(recordBytes, 0);
  r[3] = kEmptyDayMark;
  return r;
}

void LoggerMemory::configure(bool largeRecords, long capacityUnits) {
  if (largeRecords != large_) data_.clear();
  large_ = largeRecords;
  capacityUnits_ = capacityUnits;
  const auto keep = static_cast<std::size_t>(std::min(filled(), capacity())) * recordBytes();
  data_.resize(keep);
}

long LoggerMemory::capacity() const {
  // Register 0x0010 holds the size in one 16-bit word.
  return std::min<long>(capacityUnits_ / (large_ ? 2 : 1), 65535);
}

void LoggerMemory::append(std::span<const std::uint8_t> record) {
  if (full() || static_cast<int>(record.size()) != recordBytes()) return;
  data_.insert(data_.end(), record.begin(), record.end());
}

std::span<const std::uint8_t> LoggerMemory::record(long index) const {
  return std::span<const std::uint8_t>(data_).subspan(
      static_cast<std::size_t>(index) * recordBytes(), recordBytes());
}

}  // namespace flowdesk::unit
