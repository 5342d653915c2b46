// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/RegionalFormat.h"

// Records have parameter `slots`, a word Qt's headers define as a macro:
// it is set aside here so that the Qt screens can include this header after
// their Qt headers.
#pragma push_macro("slots")
#undef slots

namespace flowdesk {

// One logger record as the unit sends it (function 4), 31 bytes for a
// 4-parameter logger (the flow and 3 slots) or 62 for a 9-parameter one (the
// flow and 8 slots); multi-byte values big-endian.
inline constexpr std::size_t kLoggerRecordSize4 = 31;
inline constexpr std::size_t kLoggerRecordSize9 = 62;
inline constexpr std::size_t kLoggerSlotOffset = 13;
inline constexpr std::size_t kLoggerSlotSize = 6;
inline constexpr int kLoggerMaxSlots = 8;
inline constexpr std::uint8_t kEmptyRecordDay = 0x80;

// Records fetched per request for a record size: 8 of 31 bytes, 4 of 62.
int loggerRecordsPerRequest(std::size_t recordSize);
// Slots a record of this size holds (3 for 31 bytes, 8 for 62).
int loggerSlotCount(std::size_t recordSize);

struct LoggerSlot {
  enum Kind : int { kNumeric = 0, kOther1 = 1, kOther2 = 2, kStatus = 3 };
  int quantity = 0;  // LoggedQuantityList index (bits 0-5)
  Kind kind = kNumeric;
  bool isInteger = false;
  std::int32_t integerValue = 0;
  float realValue = 0;
  std::uint16_t status = 0;
  int percent = 0;  // I.Q.
};

struct LoggerRecord {
  int point = 0;
  bool marked = false;
  int flowUnit = 0;  // FlowUnitList index
  int month = 0;
  int year = 0;  // in full (byte + 2000)
  int day = 0;
  bool empty = false;  // the empty-record mark: no more data after it
  int hour = 0;
  int minute = 0;
  int second = 0;
  float flow = 0;
  int flowPercent = 0;
  std::vector<LoggerSlot> slots;
};

// Decodes the record bytes that are there: a slot cut by the end of `bytes`
// is left out, missing header bytes read as 0.
LoggerRecord decodeLoggerRecord(std::span<const std::uint8_t> bytes);

// True when the record carries the empty-record mark (day byte 0x80).
bool isEmptyLoggerRecord(std::span<const std::uint8_t> bytes);

// The 12 status letters: "~" everywhere, a set bit puts its letter in its
// place (bit 0 A, 1 B, 2 C, 3 D, 4 E, 6 F, 8 G ... 13 L).
std::string statusLetters(std::uint16_t status);

// A record as the viewer and the download show it.
struct LoggerSlotTexts {
  std::string name;  // 7-character LoggedQuantityList text
  std::string value;
  std::string percent;  // "%03d"
  bool isReal = false;
};
struct LoggerRecordTexts {
  std::string date;
  std::string time;
  std::string flow;  // "%7.*f" of the adaptive value
  std::string flowUnit;
  std::string flowPercent;  // "%d"
  std::vector<LoggerSlotTexts> slots;
  std::string point;  // "%d"
  std::string mark;   // "X" or ""
};
LoggerRecordTexts loggerRecordTexts(const LoggerRecord& record, Language language,
                                    const RegionalSettings& regional);

}  // namespace flowdesk

#pragma pop_macro("slots")
