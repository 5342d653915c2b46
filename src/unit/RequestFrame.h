// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/Bytes.h"

namespace flowdesk::unit {

enum class FrameCheck {
  kNeedMore,  // a known function whose frame is not complete yet
  kComplete,  // `length` bytes form a frame (its CRC is not checked here)
};

// How many bytes of `bytes` form the request that starts them. Functions 3 and
// 4 take 8 bytes, function 16 takes 9 plus its byte count; any other function
// has no known length and takes everything received up to the silence.
FrameCheck checkRequest(std::span<const std::uint8_t> bytes, std::size_t& length);

// True when the last two bytes are the CRC of the others, low byte first.
bool crcMatches(std::span<const std::uint8_t> frame);

// Appends the CRC, low byte first.
void appendCrc(Bytes& frame);

}  // namespace flowdesk::unit
