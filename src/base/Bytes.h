// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace flowdesk {

// A run of bytes of unknown length: a frame, a register block, a file's
// contents. One name everywhere, so that the helpers of one layer take what
// another layer hands them.
using Bytes = std::vector<std::uint8_t>;

// Register data is big-endian: high byte first, a 32-bit value in two
// registers with the high register first, a 24-bit value in three bytes.
// The program's decoders and the virtual unit's tables use these alike.
inline void put8(std::span<std::uint8_t> b, int at, std::int64_t v) {
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
}
inline void put16(std::span<std::uint8_t> b, int at, std::int64_t v) {
  b[at] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
}
inline void put24(std::span<std::uint8_t> b, int at, std::int64_t v) {
  b[at] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
  put16(b, at + 1, v);
}
inline void put32(std::span<std::uint8_t> b, int at, std::int64_t v) {
  put16(b, at, v >> 16);
  put16(b, at + 2, v);
}
inline void putFloat(std::span<std::uint8_t> b, int at, double v) {
  put32(b, at, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
}

inline unsigned get8(std::span<const std::uint8_t> b, int at) {
  return b[at];
}
inline unsigned get16(std::span<const std::uint8_t> b, int at) {
  return (static_cast<unsigned>(b[at]) << 8) | b[at + 1];
}
inline std::int32_t getS16(std::span<const std::uint8_t> b, int at) {
  return static_cast<std::int16_t>(get16(b, at));
}
inline std::int32_t getS24(std::span<const std::uint8_t> b, int at) {
  std::uint32_t v = (static_cast<std::uint32_t>(b[at]) << 16) | get16(b, at + 1);
  if (v & 0x800000u) v |= 0xFF000000u;
  return static_cast<std::int32_t>(v);
}
inline std::uint32_t get32(std::span<const std::uint8_t> b, int at) {
  return (static_cast<std::uint32_t>(get16(b, at)) << 16) | get16(b, at + 2);
}

}  // namespace flowdesk
