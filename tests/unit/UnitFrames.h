// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Request frames for the unit tests, built by hand with the shared CRC.
#include <cstdint>

#include "base/Bytes.h"
#include "link/Crc16.h"
#include "support/Frames.h"

namespace flowdesk::unit::testing {

using flowdesk::testing::withCrc;

inline Bytes readRequest(std::uint8_t address, std::uint8_t function, std::uint16_t start,
                         std::uint16_t count) {
  return withCrc({address, function, static_cast<std::uint8_t>(start >> 8),
                  static_cast<std::uint8_t>(start), static_cast<std::uint8_t>(count >> 8),
                  static_cast<std::uint8_t>(count)});
}

inline Bytes writeRequest(std::uint8_t address, std::uint16_t start, const Bytes& data) {
  const auto count = static_cast<std::uint16_t>(data.size() / 2);
  Bytes f{address,
          16,
          static_cast<std::uint8_t>(start >> 8),
          static_cast<std::uint8_t>(start),
          static_cast<std::uint8_t>(count >> 8),
          static_cast<std::uint8_t>(count),
          static_cast<std::uint8_t>(data.size())};
  f.insert(f.end(), data.begin(), data.end());
  return withCrc(f);
}

// The data bytes of a function 3 or 4 reply (after address, function, count).
inline Bytes replyData(const Bytes& reply) {
  if (reply.size() < 5) return {};
  return Bytes(reply.begin() + 3, reply.end() - 2);
}

inline bool crcGood(const Bytes& f) {
  if (f.size() < 3) return false;
  const auto n = static_cast<std::uint16_t>(f.size() - 2);
  const std::uint16_t crc = crc16(f.data(), n);
  return f[n] == (crc & 0xFF) && f[n + 1] == (crc >> 8);
}

inline unsigned be16(const Bytes& d, std::size_t at) {
  return (static_cast<unsigned>(d.at(at)) << 8) | d.at(at + 1);
}

}  // namespace flowdesk::unit::testing
