#pragma once
// A unit at the far end of a memory line, as the detection tests need it: it
// answers the read of register 0x2202 only at its own baud rate (anything
// else is garbage to it), with `high` in the register's high byte and its
// address in the low byte.
#include <cstdint>
#include <vector>

#include "link/Crc16.h"
#include "link/MemorySerialDriver.h"

namespace flowdesk::testing {

inline Bytes withCrc(Bytes frame) {
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(crc & 0xFF);
  frame.push_back(crc >> 8);
  return frame;
}

inline void answerAsUnit(MemoryLine& unitLine, long baud, std::uint8_t high, std::uint8_t address) {
  unitLine.onWrite = [baud, high, address](MemoryLine& line) {
    const Bytes request = line.takeRequest();
    if (request.empty() || line.line.baud != baud) return;
    if (request[1] != 3 || request[2] != 0x22 || request[3] != 0x02) return;
    line.deliverAtBaud(withCrc({request[0], 3, 2, high, address}), baud, 5);
  };
}

}  // namespace flowdesk::testing
