// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit at the far end of a memory line, as the detection tests need it: it
// answers the read of register 0x2202 only at its own baud rate (anything
// else is garbage to it), with `high` in the register's high byte and its
// address in the low byte.
#include <cstdint>
#include <vector>

#include "support/Frames.h"
#include "support/MemorySerialDriver.h"

namespace flowdesk::testing {

inline void answerAsUnit(MemoryLine& unitLine, long baud, std::uint8_t high, std::uint8_t address) {
  unitLine.onWrite = [baud, high, address](MemoryLine& line) {
    const Bytes request = line.takeRequest();
    if (request.empty() || line.line.baud != baud) return;
    if (request[1] != 3 || request[2] != 0x22 || request[3] != 0x02) return;
    line.deliverAtBaud(withCrc({request[0], 3, 2, high, address}), baud, 5);
  };
}

}  // namespace flowdesk::testing
