// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace flowdesk {

// Modbus CRC-16: start 0xFFFF, reflected polynomial 0xA001, no final XOR.
// Sent on the wire low byte first.
std::uint16_t crc16(const std::uint8_t* bytes, std::uint16_t length);

}  // namespace flowdesk
