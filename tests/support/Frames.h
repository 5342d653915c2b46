// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Jbus frames built by hand in the tests: the bytes given, then their CRC as
// the line carries it (low byte first).
#include <cstdint>

#include "base/Bytes.h"
#include "link/Crc16.h"

namespace flowdesk::testing {

inline Bytes withCrc(Bytes frame) {
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
  return frame;
}

}  // namespace flowdesk::testing
