// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Crc16.h"

namespace flowdesk {

std::uint16_t crc16(const std::uint8_t* bytes, std::uint16_t length) {
  std::uint16_t crc = 0xFFFF;
  for (std::uint16_t i = 0; i < length; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      if (crc & 1u) {
        crc = static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u);
      } else {
        crc = static_cast<std::uint16_t>(crc >> 1);
      }
    }
  }
  return crc;
}

}  // namespace flowdesk
