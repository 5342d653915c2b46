// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/RequestFrame.h"

#include "link/Crc16.h"

namespace flowdesk::unit {

FrameCheck checkRequest(std::span<const std::uint8_t> bytes, std::size_t& length) {
  length = bytes.size();
  if (bytes.size() < 2) return FrameCheck::kNeedMore;
  std::size_t need = 0;
  switch (bytes[1]) {
    case 3:
    case 4:
      need = 8;
      break;
    case 16:
      if (bytes.size() < 7) return FrameCheck::kNeedMore;
      need = 9 + static_cast<std::size_t>(bytes[6]);
      break;
    default:
      return FrameCheck::kComplete;
  }
  if (bytes.size() < need) return FrameCheck::kNeedMore;
  length = need;
  return FrameCheck::kComplete;
}

bool crcMatches(std::span<const std::uint8_t> frame) {
  if (frame.size() < 3) return false;
  const auto n = static_cast<std::uint16_t>(frame.size() - 2);
  const std::uint16_t crc = crc16(frame.data(), n);
  return frame[n] == (crc & 0xFF) && frame[n + 1] == (crc >> 8);
}

void appendCrc(Bytes& frame) {
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

}  // namespace flowdesk::unit
