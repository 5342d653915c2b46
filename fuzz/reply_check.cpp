// SPDX-License-Identifier: GPL-3.0-or-later
// The reply checker on arbitrary frames: checkReply and expectedReplyLength.
//
// Input: byte 0 picks the function of the request (3, 4, 16 or the byte
// itself), bytes 1-2 the register count it asked for; the rest is the reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "link/Crc16.h"
#include "link/JbusMaster.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t function = fuzz::functionOf(data[0]);
  std::uint8_t request[8] = {1, function, 0x01, 0x00, data[1], data[2], 0, 0};
  const std::size_t count = static_cast<std::size_t>(data[1] << 8 | data[2]);

  // Every length the request may be given with, including cut ones.
  for (int length = 2; length <= 6; ++length) {
    const std::size_t expected = expectedReplyLength(request, length);
    if (function == 3) {
      FUZZ_CHECK(expected == (length >= 6 ? 5 + 2 * count : 5));
    } else if (function == 4) {
      FUZZ_CHECK(expected == JbusMaster::kFrameSize);
    } else {
      FUZZ_CHECK(expected == 8);
    }
  }
  const std::size_t expected = expectedReplyLength(request, 6);

  const std::uint8_t* reply = data + 3;
  const std::size_t length = size - 3;
  const ReplyCheck check = checkReply(reply, length, function, expected);
  if (check == ReplyCheck::kOk) {
    // Room for an address, a function code and a CRC that is not made of them.
    FUZZ_CHECK(length >= 4);
    FUZZ_CHECK(reply[1] == function);
    FUZZ_CHECK(function == 4 || length == expected);
    const auto body = static_cast<std::uint16_t>(length - 2);
    FUZZ_CHECK(crc16(reply, body) == (reply[body] | reply[body + 1] << 8));
  }

  // The same bytes made into a well-formed reply of the expected length must
  // pass: a checker that refuses good frames would fail every transaction.
  if (function != 4 && expected <= JbusMaster::kFrameSize && length >= 2) {
    std::vector<std::uint8_t> good(expected, 0);
    for (std::size_t i = 0; i < expected - 2 && i < length; ++i) good[i] = reply[i];
    good[1] = function;
    const std::uint16_t crc = crc16(good.data(), static_cast<std::uint16_t>(expected - 2));
    good[expected - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    good[expected - 1] = static_cast<std::uint8_t>(crc >> 8);
    FUZZ_CHECK(checkReply(good.data(), good.size(), function, expected) == ReplyCheck::kOk);
    good[expected - 1] ^= 0x01;
    FUZZ_CHECK(checkReply(good.data(), good.size(), function, expected) == ReplyCheck::kBadCrc);
  }
  return 0;
}
