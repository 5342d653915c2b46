// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace flowdesk {

// Every time limit of the link derives from the baud index here, and nowhere
// else.
namespace link_timings {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// Index 0 and 1 are 300 and 600 baud: a byte takes 18 to 37 ms on the wire,
// so both the first-byte and the silence limits are longer there.
constexpr bool isSlowRate(int baudIndex) {
  return baudIndex <= 1;
}

// First-byte limit: reads answer quickly, writes make the unit store data
// first, so they get a second even at high rates.
constexpr milliseconds firstByteLimit(int baudIndex, std::uint8_t function) {
  if (isSlowRate(baudIndex)) return milliseconds(1000);
  return (function == 3 || function == 4) ? milliseconds(400) : milliseconds(1000);
}

// Silence that ends a reply.
constexpr milliseconds interByteLimit(int baudIndex) {
  return isSlowRate(baudIndex) ? milliseconds(400) : milliseconds(150);
}

// A byte on the wire is 11 bits: start, 8 data, 2 stop (8N2).
inline constexpr int kBitsPerByte = 11;

constexpr microseconds wireTime(long baud, std::size_t bytes) {
  if (baud <= 0) return microseconds(0);
  return microseconds(static_cast<std::int64_t>(bytes) * kBitsPerByte * 1'000'000 / baud);
}

// The quiet the length rule keeps after a reply's last byte: 3.5 characters
// at `baud`, rounded up to a whole millisecond; 0 for no rate.
constexpr milliseconds quietAfterReply(long baud) {
  if (baud <= 0) return milliseconds(0);
  const long tenthBits = 35 * kBitsPerByte;  // 3.5 characters, in tenths of a bit
  return milliseconds((tenthBits * 1000 + baud * 10 - 1) / (baud * 10));
}

// The most bytes a reply may bring beyond the longest one the request can
// get (a stray byte before it, a slave that says a little more) before the
// attempt gives up on it.
inline constexpr std::size_t kReplyMargin = 16;

// How long one attempt may last in all, from its request on: the first-byte
// limit, `bytes` on the wire at `baud` (the longest reply with its margin,
// and an adapter's echo of the request), and the silence that ends a reply.
// A peer that keeps a reply going slower than that (a byte every 90 ms
// stays under the silence for ever) is not giving one.
constexpr milliseconds attemptLimit(int baudIndex, std::uint8_t function, long baud,
                                    std::size_t bytes) {
  const auto wire = std::chrono::ceil<milliseconds>(wireTime(baud, bytes));
  return firstByteLimit(baudIndex, function) + wire + interByteLimit(baudIndex);
}

}  // namespace link_timings

}  // namespace flowdesk
