// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/Crc16.h"

namespace flowdesk {
namespace {

struct CrcCase {
  std::vector<std::uint8_t> bytes;
  std::uint16_t crc;
};

TEST(Crc16, KnownFrames) {
  const CrcCase cases[] = {
      {{'a', 'b', 'c'}, 0x5749},
      // Read of 0x2202 at address 0: goes out as ... 2E 63 (low byte first).
      {{0x00, 0x03, 0x22, 0x02, 0x00, 0x01}, 0x632E},
      {{}, 0xFFFF},
      // The classic Modbus example: 01 03 00 00 00 0A -> C5 CD.
      {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(crc16(c.bytes.data(), static_cast<std::uint16_t>(c.bytes.size())), c.crc);
  }
}

}  // namespace
}  // namespace flowdesk
