// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "link/FieldMap.h"
#include "support/HexBytes.h"

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::hex;
using testing::hexOf;
using testing::operator+;

FieldMap oneRow(FieldRow row, std::size_t byteCount) {
  FieldMap map;
  map.rows.push_back(std::move(row));
  map.byteCount = byteCount;
  return map;
}

using Area = std::array<std::uint8_t, kRequestDataSize>;

// Decoding one numeric row at offset 0; integer encodings land in an int32
// field, the rest in a float field.
TEST(FieldMapCodec, DecodesEveryNumericEncoding) {
  const struct {
    Encoding encoding;
    int parameter;
    const char* bytes;
    double expected;
  } cases[] = {
      {Encoding::kFloat32, 0, "3F C0 00 00", 1.5},
      {Encoding::kFloat32, 0, "C1 20 00 00", -10.0},
      {Encoding::kInt32, 0, "00 01 E2 40", 123456},
      {Encoding::kInt32, 0, "FF FF FF FE", -2},
      {Encoding::kInt32, 0, "80 00 00 00", -2147483648.0},
      {Encoding::kUInt16, 0, "FF FE", 65534},  // no sign
      {Encoding::kUInt16, 0, "01 02", 258},
      {Encoding::kByte, 0, "FF", 255},
      {Encoding::kBit, 0, "00 01", 1},
      {Encoding::kBit, 1, "00 01", 0},
      {Encoding::kBit, 8, "01 00", 1},  // bit 8 is in the high byte
      {Encoding::kBit, 13, "20 00", 1},
      {Encoding::kBit, 13, "DF FF", 0},
      {Encoding::kNibble, 0, "35", 5},
      {Encoding::kNibble, 1, "35", 3},
      {Encoding::kUInt16Scaled, 1000, "04 E2", 1.25},
      {Encoding::kUInt16Scaled, 100, "FF FF", 655.35},
      {Encoding::kInt24Scaled, 10, "FF FF 9C", -10.0},
      {Encoding::kInt24Scaled, 10, "7F FF FF", 838860.7},
      {Encoding::kInt24Scaled, 10, "80 00 00", -838860.8},
      {Encoding::kInt24Scaled, 1000, "00 00 01", 0.001},
      {Encoding::kByteScaled, 10, "FF", 25.5},
      {Encoding::kByteScaled, 1, "80", 128},  // unsigned
      {Encoding::kInt16Scaled, 10, "FF 9C", -10.0},
      {Encoding::kInt16Scaled, 10, "80 00", -3276.8},
      {Encoding::kInt16Scaled, 10, "7F FF", 3276.7},
  };
  for (const auto& c : cases) {
    const Bytes data = hex(c.bytes);
    const bool integer = c.encoding == Encoding::kInt32 || c.encoding == Encoding::kUInt16 ||
                         c.encoding == Encoding::kByte || c.encoding == Encoding::kBit ||
                         c.encoding == Encoding::kNibble;
    std::int32_t i = 77;
    float f = 77;
    FieldTarget target = integer ? FieldTarget{&i} : FieldTarget{&f};
    decodeReply(oneRow(makeRow(target, c.encoding, 0, c.parameter), data.size()), data.data());
    if (integer) {
      EXPECT_EQ(i, static_cast<std::int32_t>(c.expected)) << c.bytes;
    } else {
      EXPECT_FLOAT_EQ(f, static_cast<float>(c.expected)) << c.bytes << " /" << c.parameter;
    }
  }
}

TEST(FieldMapCodec, EncodesEveryNumericEncoding) {
  const struct {
    Encoding encoding;
    int parameter;
    double value;
    const char* bytes;
  } cases[] = {
      {Encoding::kFloat32, 0, -10.0, "C1 20 00 00"},
      {Encoding::kInt32, 0, -2, "FF FF FF FE"},
      {Encoding::kInt32, 0, 123456, "00 01 E2 40"},
      {Encoding::kUInt16, 0, 65535, "FF FF"},
      {Encoding::kUInt16, 0, -1, "FF FF"},     // low 16 bits of two's complement
      {Encoding::kUInt16, 0, 65537, "00 01"},  // low 16 bits
      {Encoding::kByte, 0, 263, "07"},
      {Encoding::kByte, 0, -1, "FF"},
      {Encoding::kUInt16Scaled, 1000, 1.25, "04 E2"},
      {Encoding::kUInt16Scaled, 100, 655.35, "FF FF"},
      {Encoding::kUInt16Scaled, 10, 0.04, "00 00"},
      {Encoding::kInt24Scaled, 10, -10.0, "FF FF 9C"},
      {Encoding::kInt24Scaled, 10, 838860.7, "7F FF FF"},
      {Encoding::kInt24Scaled, 10, -838860.8, "80 00 00"},
      {Encoding::kInt24Scaled, 10, -0.04, "00 00 00"},
      {Encoding::kInt24Scaled, 10, -0.05, "FF FF FF"},  // -0.5 rounds away from zero
      {Encoding::kInt24Scaled, 1000, 0.001, "00 00 01"},
      {Encoding::kByteScaled, 10, 0.25, "03"},  // 2.5 rounds away from zero
      {Encoding::kByteScaled, 10, 0.35, "04"},  // typed 0.35 is 3.5, not 3.4999999
      {Encoding::kByteScaled, 10, -0.1, "FF"},
      {Encoding::kByteScaled, 1, 255, "FF"},
      {Encoding::kInt16Scaled, 10, -10.0, "FF 9C"},
      {Encoding::kInt16Scaled, 10, -3276.8, "80 00"},
      {Encoding::kInt16Scaled, 100, -0.005, "FF FF"},
  };
  for (const auto& c : cases) {
    const Bytes expected = hex(c.bytes);
    const bool integer = c.encoding == Encoding::kInt32 || c.encoding == Encoding::kUInt16 ||
                         c.encoding == Encoding::kByte;
    std::int32_t i = static_cast<std::int32_t>(c.value);
    float f = static_cast<float>(c.value);
    FieldTarget target = integer ? FieldTarget{&i} : FieldTarget{&f};
    Area area;
    area.fill(0xAA);
    encodeRequest(oneRow(makeRow(target, c.encoding, 2, c.parameter), 16), area.data());
    EXPECT_EQ(hexOf(area.data() + 2, expected.size()), hexOf(expected.data(), expected.size()))
        << c.value << " /" << c.parameter;
    EXPECT_EQ(area[0], 0);
    EXPECT_EQ(area[2 + expected.size()], 0);
  }
}

TEST(FieldMapCodec, NibblesAndBitsShareTheirByte) {
  std::int32_t high = 3, low = 5, bit0 = 1, bit13 = 1, bit2 = 0;
  FieldMap map;
  map.byteCount = 4;
  map.rows.push_back(makeRow(&high, Encoding::kNibble, 0, 1));
  map.rows.push_back(makeRow(&low, Encoding::kNibble, 0, 0));
  map.rows.push_back(makeRow(&bit0, Encoding::kBit, 2, 0));
  map.rows.push_back(makeRow(&bit13, Encoding::kBit, 2, 13));
  map.rows.push_back(makeRow(&bit2, Encoding::kBit, 2, 2));
  Area area;
  encodeRequest(map, area.data());
  EXPECT_EQ(hexOf(area.data(), 4), "35 00 20 01 ");

  // Only the low four bits of a nibble field reach the byte.
  high = 0x13;
  low = 0xF7;
  encodeRequest(map, area.data());
  EXPECT_EQ(area[0], 0x37);

  const Bytes data = hex("A9 00 DF FE");
  decodeReply(map, data.data());
  EXPECT_EQ(high, 0xA);
  EXPECT_EQ(low, 0x9);
  EXPECT_EQ(bit0, 0);
  EXPECT_EQ(bit13, 0);
  EXPECT_EQ(bit2, 1);
}

TEST(FieldMapCodec, TextIsWindows1252BlankPaddedAndKeepsTrailingBlanks) {
  const struct {
    std::string value;
    int length;
    const char* bytes;
    std::string decoded;
  } cases[] = {
      {"SP1", 6, "53 50 31 20 20 20", "SP1   "},
      {"SP N°1", 6, "53 50 20 4E B0 31", "SP N°1"},  // six bytes, not seven
      {"ABCDEFGH", 6, "41 42 43 44 45 46", "ABCDEF"},
      {"", 6, "20 20 20 20 20 20", "      "},
      {"€", 2, "80 20", "€ "},
      {"Ω", 2, "3F 20", "? "},  // no byte for it
  };
  for (const auto& c : cases) {
    std::string field = c.value;
    const FieldMap map = oneRow(makeRow(&field, Encoding::kText, 1, c.length), 8);
    Area area;
    encodeRequest(map, area.data());
    const Bytes expected = hex(c.bytes);
    EXPECT_EQ(hexOf(area.data() + 1, expected.size()), hexOf(expected.data(), expected.size()))
        << c.value;
    EXPECT_EQ(area[1 + expected.size()], 0) << "text overran its length";
    field = "junk";
    decodeReply(map, area.data());
    EXPECT_EQ(field, c.decoded);
  }
}

TEST(FieldMapCodec, TextDecodeStopsAtZeroAndAtItsLength) {
  std::string field;
  const FieldMap map = oneRow(makeRow(&field, Encoding::kText, 0, 4), 8);
  Bytes data = hex("41 42 00 43 44 45");
  decodeReply(map, data.data());
  EXPECT_EQ(field, "AB");
  data = hex("41 42 43 44 45 46");
  decodeReply(map, data.data());
  EXPECT_EQ(field, "ABCD");

  // A row claiming more than the longest text field is held to that length.
  std::string longField;
  Bytes big(80, 'x');
  decodeReply(oneRow(makeRow(&longField, Encoding::kText, 0, 200), big.size()), big.data());
  EXPECT_EQ(longField.size(), static_cast<std::size_t>(kMaxTextLength));
}

TEST(FieldMapCodec, RawCharsStayTerminatedAndNeverOverrun) {
  std::array<char, 7> chars;
  chars.fill('x');
  const FieldMap map = oneRow(makeRow(charArray(chars), Encoding::kRawChars, 0, 6), 8);
  const Bytes full = hex("56 32 2E 31 30 41 42");
  decodeReply(map, full.data());
  EXPECT_EQ(std::string(chars.data()), "V2.10A");
  EXPECT_EQ(chars[6], '\0');

  chars.fill('x');
  const Bytes early = hex("56 32 00 31 30 41");
  decodeReply(map, early.data());
  EXPECT_EQ(std::string(chars.data()), "V2");
  for (char ch : chars) EXPECT_TRUE(ch == 'V' || ch == '2' || ch == '\0');

  // The field is smaller than the row says: it keeps its last character zero.
  std::array<char, 3> small;
  small.fill('x');
  decodeReply(oneRow(makeRow(charArray(small), Encoding::kRawChars, 0, 6), 8), full.data());
  EXPECT_EQ(std::string(small.data()), "V2");

  // Read-only: encoding writes nothing.
  Area area;
  encodeRequest(map, area.data());
  EXPECT_EQ(hexOf(area.data(), 7), "00 00 00 00 00 00 00 ");
}

TEST(FieldMapCodec, ByteArrayIsSignedAndBounded) {
  std::array<float, 4> samples{};
  const Bytes data = hex("80 FF 00 7F 11");
  decodeReply(oneRow(makeRow(floatArray(samples), Encoding::kByteArray, 0, 5), 5), data.data());
  EXPECT_EQ(samples, (std::array<float, 4>{-128, -1, 0, 127}));
}

TEST(FieldMapCodec, EncodeRequestClearsTheWholeArea) {
  std::int32_t v = 0x12;
  Area area;
  area.fill(0xEE);
  encodeRequest(oneRow(makeRow(&v, Encoding::kByte, 3), 4), area.data());
  for (std::size_t i = 0; i < area.size(); ++i) {
    ASSERT_EQ(area[i], i == 3 ? 0x12 : 0) << "byte " << i;
  }
}

TEST(FieldMapCodec, DefaultsAreRawUnscaledAndSkipReadOnlyRows) {
  float scaled = 99, real = 99;
  std::int32_t list = 99, nibbleHigh = 99, nibbleLow = 99;
  std::string text = "ignored";
  std::array<char, 3> chars{};
  std::array<float, 2> samples{};
  FieldMap map;
  map.byteCount = 24;
  map.rows.push_back(makeRow(&scaled, Encoding::kUInt16Scaled, 0, 1000, 1000));
  map.rows.push_back(makeRow(&scaled, Encoding::kInt24Scaled, 2, 10, -100));
  map.rows.push_back(makeRow(&real, Encoding::kFloat32, 5, 0, 0x7FFFFFFF));
  map.rows.push_back(makeRow(&list, Encoding::kByte, 9, 0, 6));
  map.rows.push_back(makeRow(&nibbleHigh, Encoding::kNibble, 10, 1, 3));
  map.rows.push_back(makeRow(&nibbleLow, Encoding::kNibble, 10, 0, 5));
  map.rows.push_back(makeRow(&text, Encoding::kText, 11, 4));
  map.rows.push_back(makeRow(charArray(chars), Encoding::kRawChars, 15, 2, 0x4142));
  map.rows.push_back(makeRow(floatArray(samples), Encoding::kByteArray, 17, 2, 0x4142));
  map.rows.push_back(makeRow(&scaled, Encoding::kByteScaled, 19, 10, 255));
  Area area;
  area.fill(0xEE);
  encodeDefaults(map, area.data());
  EXPECT_EQ(hexOf(area.data(), 21),
            "03 E8 FF FF 9C 00 00 00 00 06 35 20 20 20 20 00 00 00 00 FF 00 ");
  // The image is not touched.
  EXPECT_EQ(scaled, 99);
  EXPECT_EQ(text, "ignored");
}

TEST(FieldMapCodec, LaterRowWinsAndAnEmptyTargetEndsTheMap) {
  std::int32_t flag = 0, after = 5;
  FieldMap map;
  map.byteCount = 6;
  map.rows.push_back(makeRow(&flag, Encoding::kUInt16, 0));
  map.rows.push_back(makeRow(&flag, Encoding::kUInt16, 2));
  map.rows.push_back(FieldRow{});
  map.rows.push_back(makeRow(&after, Encoding::kByte, 4));
  EXPECT_EQ(map.rowCount(), 2u);
  const Bytes data = hex("00 01 00 00 09 00");
  decodeReply(map, data.data());
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(after, 5);
}

TEST(FieldMapCodec, ShortDataLeavesFieldsBeyondItAlone) {
  std::int32_t first = 0, last = -7;
  FieldMap map;
  map.byteCount = 8;
  map.rows.push_back(makeRow(&first, Encoding::kUInt16, 0));
  map.rows.push_back(makeRow(&last, Encoding::kInt32, 4));
  const Bytes data = hex("12 34 00 00 00 00");  // two bytes short of the last row
  decodeReply(map, data.data(), data.size());
  EXPECT_EQ(first, 0x1234);
  EXPECT_EQ(last, -7);
}

// A value read from the unit and written back unchanged must give the same
// register: every byte at divisor 10, every word at divisors 100 and 1000,
// every signed word at 10.
TEST(FieldMapCodec, ScaledValuesRoundTripEveryRawValue) {
  const struct {
    Encoding encoding;
    int parameter;
    long first, last;
  } cases[] = {
      {Encoding::kByteScaled, 10, 0, 255},
      {Encoding::kByteScaled, 1, 0, 255},
      {Encoding::kUInt16Scaled, 100, 0, 65535},
      {Encoding::kUInt16Scaled, 1000, 0, 65535},
      {Encoding::kUInt16Scaled, 10, 0, 65535},
      {Encoding::kInt16Scaled, 10, -32768, 32767},
      {Encoding::kInt24Scaled, 10, -8388608, -8388608 + 70000},
      {Encoding::kInt24Scaled, 10, 8388607 - 70000, 8388607},
      {Encoding::kInt24Scaled, 1000, -100000, 100000},
      // From 2^22 on, a float step of the product is half a unit or more.
      {Encoding::kInt24Scaled, 1000, 8388607 - 70000, 8388607},
      {Encoding::kInt24Scaled, 1000, -8388608, -8388608 + 70000},
      {Encoding::kInt24Scaled, 100, 4194304 - 35000, 4194304 + 35000},
      {Encoding::kInt24Scaled, 10, -4194304 - 35000, -4194304 + 35000},
  };
  for (const auto& c : cases) {
    const int width = encodedWidth(c.encoding, c.parameter);
    float field = 0;
    const FieldMap map = oneRow(makeRow(&field, c.encoding, 0, c.parameter), width);
    Area area;
    int failures = 0;
    for (long raw = c.first; raw <= c.last && failures < 5; ++raw) {
      std::uint8_t in[4];
      for (int i = 0; i < width; ++i)
        in[i] = static_cast<std::uint8_t>(raw >> (8 * (width - 1 - i)));
      decodeReply(map, in);
      encodeRequest(map, area.data());
      if (std::memcmp(in, area.data(), width) != 0) {
        ++failures;
        ADD_FAILURE() << "raw " << raw << " /" << c.parameter << " came back as "
                      << hexOf(area.data(), width);
      }
    }
  }
}

TEST(FieldMapCodec, ScaledRawSurvivesValuesNoRegisterHolds) {
  EXPECT_EQ(scaledRaw(std::numeric_limits<float>::quiet_NaN(), 10), 0);
  EXPECT_EQ(scaledRaw(std::numeric_limits<float>::infinity(), 10), 0);
  EXPECT_GT(scaledRaw(3e38f, 1000), 0);
  EXPECT_LT(scaledRaw(-3e38f, 1000), 0);
  EXPECT_EQ(scaledRaw(2.5f, 1), 3);
  EXPECT_EQ(scaledRaw(-2.5f, 1), -3);
}

}  // namespace
}  // namespace flowdesk
