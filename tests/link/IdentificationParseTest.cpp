// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "link/BlockMaps.h"
#include "link/IdentificationParse.h"
#include "support/HexBytes.h"

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::hex;
using testing::hexOf;
using testing::operator+;

const Bytes kEmptyRecord = hex("00 00 00 00 00 00 00 00 00 00 ");

// Data of the 0x5000 read: 20 records of name (8 bytes) and word.
Bytes lowCatalogue() {
  Bytes b =
      hex("53 50 31 00 00 00 00 00  00 00 "    // 0 "SP1", no angle
          "53 50 32 00 00 00 00 00  11 94 "    // 1 "SP2", 45.00°
          "57 31 2D 31 30 4D 48 5A  0D 48 "    // 2 "W1-10MHZ" fills all 8, 34.00°
          "4E B0 31 00 41 42 43 44  FF FF ");  // 3 "N°1", junk after the zero, -1
  for (int i = 4; i < 19; ++i) b = b + kEmptyRecord;
  return b + hex("4C 41 53 54 00 00 00 00  23 28 ");  // 19 "LAST", 90.00°
}

// Data of the 0x5100 read: 10 records, then the unit code byte and its pair.
Bytes highCatalogue() {
  Bytes b = hex("58 32 30 00 00 00 00 00  00 01 ");  // 20 "X20"
  for (int i = 21; i < 29; ++i) b = b + kEmptyRecord;
  return b + hex("5A 32 39 00 00 00 00 00  80 00 "  // 29 "Z29", word 0x8000
                 "05 77 ");                         // unit code 5
}

TEST(IdentificationParse, CatalogueReadsFillAllThirtyEntriesAndTheUnitCode) {
  const Bytes low = lowCatalogue();
  const Bytes high = highCatalogue();
  ASSERT_EQ(low.size(), 200u);
  ASSERT_EQ(high.size(), 102u);

  IdentificationCache cache;
  for (auto& e : cache.probes) e = {"old", 123};
  parseCatalogueLow(low.data(), cache.probes);
  parseCatalogueHigh(high.data(), cache);

  const struct {
    int index;
    const char* name;
    std::int16_t word;
  } expected[] = {
      {0, "SP1", 0}, {1, "SP2", 4500},   {2, "W1-10MHZ", 3400}, {3, "N°1", -1}, {4, "", 0},
      {18, "", 0},   {19, "LAST", 9000}, {20, "X20", 1},        {21, "", 0},    {29, "Z29", -32768},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(cache.probes[e.index].name, e.name) << "entry " << e.index;
    EXPECT_EQ(cache.probes[e.index].angle, e.word) << "entry " << e.index;
  }
  EXPECT_EQ(cache.Unit, 5);
}

TEST(IdentificationParse, RecordsEncodeAsTheUnitSendsThem) {
  const struct {
    ProbeEntry entry;
    const char* bytes;
  } cases[] = {
      {{"SP N°1", 0}, "53 50 20 4E B0 31 00 00 00 00 "},
      {{"W1-10MHZ", 3400}, "57 31 2D 31 30 4D 48 5A 0D 48 "},
      {{"TOO-LONG-NAME", -1}, "54 4F 4F 2D 4C 4F 4E 47 FF FF "},  // cut to 8 bytes
      {{"", -32768}, "00 00 00 00 00 00 00 00 80 00 "},
  };
  for (const auto& c : cases) {
    std::array<std::uint8_t, kProbeRecordSize> record;
    record.fill(0xEE);
    encodeProbeRecord(c.entry, record.data());
    EXPECT_EQ(hexOf(record.data(), record.size()), c.bytes) << c.entry.name;
  }

  // The catalogue reads rebuilt from a cache give the same bytes back.
  IdentificationCache cache;
  parseCatalogueLow(lowCatalogue().data(), cache.probes);
  parseCatalogueHigh(highCatalogue().data(), cache);
  std::array<std::uint8_t, 200> low{};
  std::array<std::uint8_t, 102> high{};
  encodeCatalogueLow(cache.probes, low.data());
  encodeCatalogueHigh(cache, high.data());
  IdentificationCache again;
  parseCatalogueLow(low.data(), again.probes);
  parseCatalogueHigh(high.data(), again);
  EXPECT_EQ(again.probes, cache.probes);
  EXPECT_EQ(again.Unit, 5);
  EXPECT_EQ(high[101], 0);
}

// Every T0 byte the unit can hold, decoded as the factory block does and
// turned back into the tenths word, must give the byte again (in double
// arithmetic 0.7 would come back as 6); the frequencies come along as they are.
TEST(IdentificationParse, T0WordsComeBackForEveryByte) {
  std::array<std::uint8_t, kRequestDataSize> block{};
  DeviceImage image;
  const FieldMap map = factoryMap(image);
  for (int byte = 0; byte <= 255; ++byte) {
    block[13] = static_cast<std::uint8_t>(byte);
    block[14] = static_cast<std::uint8_t>(byte % 13);
    block[17] = static_cast<std::uint8_t>(255 - byte);
    block[18] = static_cast<std::uint8_t>(12 - byte % 13);
    decodeReply(map, block.data());
    IdentificationCache cache;
    applySpecialProbeWords(image, cache);
    ASSERT_EQ(cache.T0Sp1, byte);
    ASSERT_EQ(cache.T0Sp2, 255 - byte);
    ASSERT_EQ(cache.FSp1, byte % 13);
    ASSERT_EQ(cache.FSp2, 12 - byte % 13);
  }
}

TEST(IdentificationParse, T0TenthsTruncatesTowardZero) {
  const struct {
    float t0;
    std::int16_t word;
  } cases[] = {
      {0.7f, 7},
      {2.39f, 23},
      {25.5f, 255},
      {-0.79f, -7},
      {std::numeric_limits<float>::quiet_NaN(), 0},
      {1e9f, 32767},
      {-1e9f, -32768},
  };
  for (const auto& c : cases) EXPECT_EQ(t0Tenths(c.t0), c.word) << c.t0;
}

}  // namespace
}  // namespace flowdesk
