// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "base/Bytes.h"
#include "logger/LoggerRecord.h"

namespace flowdesk {
namespace {

void putFloat(Bytes& v, std::size_t at, float f) {
  auto u = std::bit_cast<std::uint32_t>(f);
  for (int k = 0; k < 4; ++k)
    v[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(u >> (24 - 8 * k));
}

TEST(LoggerRecord, StatusLetters) {
  struct Case {
    std::uint16_t status;
    const char* letters;
  };
  const Case cases[] = {
      {0x0000, "~~~~~~~~~~~~"}, {0x0141, "A~~~~FG~~~~~"},  // bits 0, 6 and 8
      {0x3FFF, "ABCDEFGHIJKL"}, {0x00A0, "~~~~~~~~~~~~"},  // bits 5 and 7 have no letter
      {0xC000, "~~~~~~~~~~~~"},                            // nor bits 14 and 15
      {0x2000, "~~~~~~~~~~~L"}, {0x0010, "~~~~E~~~~~~~"},
  };
  for (const Case& c : cases) EXPECT_EQ(statusLetters(c.status), c.letters) << c.status;
}

// A 4-parameter record written by hand from the record layout.
Bytes sampleRecord() {
  Bytes r(31, 0);
  r[0] = 7;                    // point
  r[1] = 0x80 | (4 << 4) | 3;  // marked, m3/h, March
  r[2] = 4;                    // 2004
  r[3] = 5;                    // day
  r[4] = 14;
  r[5] = 7;
  r[6] = 9;
  putFloat(r, 8, 12.5f);  // flow
  r[12] = 0x80 | 85;      // bit 7 is not part of the percentage
  r[13] = 8;              // slot 0: V (m/s), real
  putFloat(r, 14, 2.5f);
  r[18] = 90;
  r[19] = 1;  // slot 1: Tot1, integer -123456
  const auto v = static_cast<std::uint32_t>(-123456);
  r[20] = v >> 24;
  r[21] = (v >> 16) & 0xFF;
  r[22] = (v >> 8) & 0xFF;
  r[23] = v & 0xFF;
  r[24] = 0x80 | 100;
  r[25] = 0xC0 | 20;  // slot 2: status word 0x0141
  r[28] = 0x01;
  r[29] = 0x41;
  r[30] = 3;
  return r;
}

TEST(LoggerRecord, DecodesEveryFieldOfTheLayout) {
  LoggerRecord r = decodeLoggerRecord(sampleRecord());
  EXPECT_EQ(r.point, 7);
  EXPECT_TRUE(r.marked);
  EXPECT_EQ(r.flowUnit, 4);
  EXPECT_EQ(r.month, 3);
  EXPECT_EQ(r.year, 2004);
  EXPECT_EQ(r.day, 5);
  EXPECT_FALSE(r.empty);
  EXPECT_EQ(r.hour, 14);
  EXPECT_EQ(r.minute, 7);
  EXPECT_EQ(r.second, 9);
  EXPECT_FLOAT_EQ(r.flow, 12.5f);
  EXPECT_EQ(r.flowPercent, 85);
  ASSERT_EQ(r.slots.size(), 3u);
  EXPECT_EQ(r.slots[0].quantity, 8);
  EXPECT_EQ(r.slots[0].kind, LoggerSlot::kNumeric);
  EXPECT_FALSE(r.slots[0].isInteger);
  EXPECT_FLOAT_EQ(r.slots[0].realValue, 2.5f);
  EXPECT_EQ(r.slots[0].percent, 90);
  EXPECT_TRUE(r.slots[1].isInteger);
  EXPECT_EQ(r.slots[1].integerValue, -123456);
  EXPECT_EQ(r.slots[1].percent, 100);
  EXPECT_EQ(r.slots[2].kind, LoggerSlot::kStatus);
  EXPECT_EQ(r.slots[2].quantity, 20);
  EXPECT_EQ(r.slots[2].status, 0x0141);
}

TEST(LoggerRecord, TextsInBothLanguages) {
  RegionalSettings regional;  // day first, "/", ":", 24 h
  LoggerRecordTexts fr = loggerRecordTexts(decodeLoggerRecord(sampleRecord()), kFrench, regional);
  EXPECT_EQ(fr.date, "05/03/2004");
  EXPECT_EQ(fr.time, "14:07:09");
  EXPECT_EQ(fr.flow, "  12.50");  // adaptive: two decimals below 99.99, "%7.*f"
  EXPECT_EQ(fr.flowUnit, "m3/h");
  EXPECT_EQ(fr.flowPercent, "85");
  ASSERT_EQ(fr.slots.size(), 3u);
  EXPECT_EQ(fr.slots[0].name, "V (m/s)");
  EXPECT_EQ(fr.slots[0].value, "  2.500");
  EXPECT_TRUE(fr.slots[0].isReal);
  EXPECT_EQ(fr.slots[0].percent, "090");
  EXPECT_EQ(fr.slots[1].value, "   -123456");  // "%10ld"
  EXPECT_FALSE(fr.slots[1].isReal);
  EXPECT_EQ(fr.slots[2].name, "Etat   ");
  EXPECT_EQ(fr.slots[2].value, "A~~~~FG~~~~~");
  EXPECT_EQ(fr.slots[2].percent, "003");
  EXPECT_EQ(fr.point, "7");
  EXPECT_EQ(fr.mark, "X");

  Bytes bytes = sampleRecord();
  bytes[1] = (5 << 4) | 12;  // not marked, m3/j | m3/d
  bytes[13] = 0x40 | 5;      // a code of kind 01: nothing to show
  LoggerRecordTexts en = loggerRecordTexts(decodeLoggerRecord(bytes), kEnglish, regional);
  EXPECT_EQ(en.mark, "");
  EXPECT_EQ(en.flowUnit, "m3/d");
  EXPECT_EQ(en.slots[0].name, "Q Aver ");
  EXPECT_EQ(en.slots[0].value, "");
  EXPECT_EQ(en.slots[2].name, "Status ");

  bytes[1] = 6 << 4;  // no such flow unit
  bytes[19] = 63;     // no such quantity
  LoggerRecordTexts odd = loggerRecordTexts(decodeLoggerRecord(bytes), kEnglish, regional);
  EXPECT_EQ(odd.flowUnit, "*****");
  EXPECT_EQ(odd.slots[1].name, "*****");
}

TEST(LoggerRecord, SizesSlotsAndShortRecords) {
  struct Case {
    std::size_t size;
    std::size_t slots;
  };
  const Case cases[] = {{31, 3}, {62, 8}, {19, 1}, {18, 0}, {5, 0}, {0, 0}, {200, 8}};
  for (const Case& c : cases) {
    Bytes bytes(c.size, 0xFF);
    LoggerRecord r = decodeLoggerRecord(bytes);
    EXPECT_EQ(r.slots.size(), c.slots) << c.size;
  }
  EXPECT_EQ(loggerRecordsPerRequest(31), 8);
  EXPECT_EQ(loggerRecordsPerRequest(62), 4);
  // A record too short for its flow reads it as 0 rather than past its end.
  Bytes five{1, 2, 3, 4, 5};
  EXPECT_EQ(decodeLoggerRecord(five).flow, 0.0f);
  Bytes empty(31, 0);
  empty[3] = 0x80;
  EXPECT_TRUE(decodeLoggerRecord(empty).empty);
  EXPECT_TRUE(isEmptyLoggerRecord(empty));
  EXPECT_FALSE(isEmptyLoggerRecord(Bytes{0, 0, 0}));
}

}  // namespace
}  // namespace flowdesk
