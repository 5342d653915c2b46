// SPDX-License-Identifier: GPL-3.0-or-later
// A whole transaction (open, send, collect by silence, check, retry, close)
// against an in-memory line whose far end answers with the fuzz bytes, on a
// manual clock so that no limit is waited out for real.
//
// Input: byte 0 picks the function (3, 4, 16 or the byte itself), byte 1 the
// register count, byte 2 the baud index (6 is out of the table), byte 3 the
// gap in ms between reply bytes, byte 4 how long (x 8 ms) the first byte
// takes, byte 5 flags (bit 0: answer the first attempt only, bit 1: a
// transmit queue that takes nothing, bits 2-7: slave address); the
// rest is the reply (cut at twice the frame size).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "base/Clock.h"
#include "link/JbusMaster.h"
#include "link/LinkTimings.h"
#include "link/MemorySerialDriver.h"

using namespace flowdesk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const std::uint8_t function = fuzz::functionOf(data[0]);
  const std::uint16_t count = data[1];
  const int baudIndex = data[2] % 7;
  const int gapMs = data[3];
  const int firstDelayMs = data[4] * 8;
  const bool firstAttemptOnly = (data[5] & 1) != 0;
  const bool smallQueue = (data[5] & 2) != 0;
  const float address = static_cast<float>(data[5] >> 2);
  // Twice the frame is room enough to overflow it and to be cut off while
  // the rest is dropped; more only slows the run down.
  const std::size_t replySize = std::min(size - 6, 2 * JbusMaster::kFrameSize + 16);
  const std::vector<std::uint8_t> reply(data + 6, data + 6 + replySize);

  ManualClock clock(1000);
  auto line = std::make_shared<MemoryLine>(clock);
  if (smallQueue) line->txRoom = 0;
  JbusMaster master(clock);
  master.setLinkSettings([&] { return LinkSettings{0, address, baudIndex}; });
  master.setPortOpener(memoryPortOpener(line));

  // The request as the master builds it for a read or a write of `count`
  // registers at 0x0100, its data the bytes' own positions.
  const int length = function == 16 ? 7 + 2 * count : 6;
  std::vector<std::uint8_t> request(static_cast<std::size_t>(length) + 2);
  request[0] = slaveAddress(address);
  request[1] = function;
  request[2] = 0x01;
  request[3] = 0x00;
  request[4] = static_cast<std::uint8_t>(count >> 8);
  request[5] = static_cast<std::uint8_t>(count & 0xFF);
  if (function == 16) request[6] = static_cast<std::uint8_t>(2 * count);
  for (int i = 7; i < length; ++i)
    request[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  const std::size_t requestBytes = static_cast<std::size_t>(length) + 2;

  int answered = 0;
  line->onWrite = [&](MemoryLine& l) {
    if (l.inbox.size() < requestBytes) return;
    l.inbox.clear();
    if (firstAttemptOnly && answered > 0) return;
    ++answered;
    l.deliver(reply, l.clock.nowMs() + firstDelayMs, gapMs);
  };

  const LinkResult result = master.exchange(request.data(), length);

  FUZZ_CHECK(!line->isOpen);
  FUZZ_CHECK(line->opens == line->closes);
  FUZZ_CHECK(result.frame.size() <= JbusMaster::kFrameSize);
  const std::size_t expected = expectedReplyLength(request.data(), length);
  if (result.ok()) {
    FUZZ_CHECK(checkReply(result.frame.data(), result.frame.size(), function, expected) ==
               ReplyCheck::kOk);
  }

  // A good reply that arrives in one piece within the first-byte limit must
  // be taken on the first attempt, unless it starts with the request itself:
  // that is what a two-wire adapter hands back, and the master skips it as
  // its echo.
  const bool requestFits = length <= static_cast<int>(JbusMaster::kFrameSize) - 2;
  const auto firstLimit = link_timings::firstByteLimit(baudIndex, function).count();
  const auto silence = link_timings::interByteLimit(baudIndex).count();
  if (requestFits && baudIndex < 6 && !smallQueue && !reply.empty() &&
      reply.size() <= JbusMaster::kFrameSize && firstDelayMs + 10 < firstLimit &&
      gapMs + 10 < silence &&
      checkReply(reply.data(), reply.size(), function, expected) == ReplyCheck::kOk &&
      !(reply.size() >= requestBytes &&
        std::equal(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(requestBytes),
                   reply.begin()))) {
    FUZZ_CHECK(result.ok());
    FUZZ_CHECK(answered == 1);
    FUZZ_CHECK(result.frame.size() == reply.size());
  }
  return 0;
}
