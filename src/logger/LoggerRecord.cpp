// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerRecord.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "base/Bytes.h"
#include "base/FieldFormat.h"
#include "base/ValueLists.h"

namespace flowdesk {

namespace {

std::string printf1(const char* format, int a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

// "%7.*f" of the adaptive value, with the regional decimal separator.
std::string adaptive(float value, const std::string& separator) {
  std::string text = formatAdaptive(value, separator);
  if (text.size() < 7) text.insert(0, 7 - text.size(), ' ');
  return text;
}

}  // namespace

int loggerRecordsPerRequest(std::size_t recordSize) {
  return recordSize == kLoggerRecordSize9 ? 4 : 8;
}

int loggerSlotCount(std::size_t recordSize) {
  if (recordSize < kLoggerSlotOffset + kLoggerSlotSize) return 0;
  auto n = static_cast<int>((recordSize - kLoggerSlotOffset) / kLoggerSlotSize);
  return n > kLoggerMaxSlots ? kLoggerMaxSlots : n;
}

bool isEmptyLoggerRecord(std::span<const std::uint8_t> bytes) {
  return bytes.size() > 3 && bytes[3] == kEmptyRecordDay;
}

LoggerRecord decodeLoggerRecord(std::span<const std::uint8_t> bytes) {
  auto at = [&](std::size_t i) -> std::uint8_t { return i < bytes.size() ? bytes[i] : 0; };
  LoggerRecord r;
  r.point = at(0);
  r.marked = (at(1) & 0x80) != 0;
  r.flowUnit = (at(1) >> 4) & 0x07;
  r.month = at(1) & 0x0F;
  r.year = 2000 + at(2);
  r.day = at(3);
  r.empty = at(3) == kEmptyRecordDay;
  r.hour = at(4);
  r.minute = at(5);
  r.second = at(6);
  if (bytes.size() >= 12) r.flow = std::bit_cast<float>(get32(bytes, 8));
  r.flowPercent = at(12) & 0x7F;
  const int slots = loggerSlotCount(bytes.size());
  for (int i = 0; i < slots; ++i) {
    const std::size_t base = kLoggerSlotOffset + kLoggerSlotSize * static_cast<std::size_t>(i);
    LoggerSlot s;
    s.quantity = bytes[base] & 0x3F;
    s.kind = static_cast<LoggerSlot::Kind>(bytes[base] >> 6);
    s.isInteger = (bytes[base + 5] & 0x80) != 0;
    s.percent = bytes[base + 5] & 0x7F;
    const std::uint32_t raw = get32(bytes, static_cast<int>(base + 1));
    s.integerValue = static_cast<std::int32_t>(raw);
    s.realValue = std::bit_cast<float>(raw);
    s.status = get16(bytes, static_cast<int>(base + 3));
    r.slots.push_back(s);
  }
  return r;
}

std::string statusLetters(std::uint16_t status) {
  // Bits 5 and 7 carry no letter.
  static constexpr struct {
    int bit;
    char letter;
  } kLetters[] = {{0, 'A'}, {1, 'B'}, {2, 'C'},  {3, 'D'},  {4, 'E'},  {6, 'F'},
                  {8, 'G'}, {9, 'H'}, {10, 'I'}, {11, 'J'}, {12, 'K'}, {13, 'L'}};
  std::string text(12, '~');
  for (std::size_t pos = 0; pos < std::size(kLetters); ++pos) {
    if (status & (1u << kLetters[pos].bit)) text[pos] = kLetters[pos].letter;
  }
  return text;
}

LoggerRecordTexts loggerRecordTexts(const LoggerRecord& record, Language language,
                                    const RegionalSettings& regional) {
  LoggerRecordTexts t;
  t.date = formatDate(record.day, record.month, record.year, regional);
  t.time = formatTime(record.hour, record.minute, record.second, regional);
  t.flow = adaptive(record.flow, regional.decimalSeparator);
  t.flowUnit = listText(FlowUnitList, FlowUnitList.count(), record.flowUnit, language);
  t.flowPercent = printf1("%d", record.flowPercent);
  for (const LoggerSlot& s : record.slots) {
    LoggerSlotTexts st;
    st.name = listText(LoggedQuantityList, LoggedQuantityList.count(), s.quantity, language);
    switch (s.kind) {
      case LoggerSlot::kNumeric:
        if (s.isInteger) {
          char buf[32];
          std::snprintf(buf, sizeof buf, "%10ld", static_cast<long>(s.integerValue));
          st.value = buf;
        } else {
          st.value = adaptive(s.realValue, regional.decimalSeparator);
          st.isReal = true;
        }
        break;
      case LoggerSlot::kStatus:
        st.value = statusLetters(s.status);
        break;
      default:
        break;  // these codes carry nothing the program shows
    }
    st.percent = printf1("%03d", s.percent);
    t.slots.push_back(st);
  }
  t.point = printf1("%d", record.point);
  // Added rather than assigned from a literal: GCC 12 sees an overlap in the
  // assignment once inlined (-Wrestrict).
  if (record.marked) t.mark.push_back('X');
  return t;
}

}  // namespace flowdesk
