// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "link/JbusMaster.h"
#include "link/LinkTimings.h"

namespace flowdesk::unit {

// The slave's side of the line timings. The wire time of a byte and the
// master's limits come from the link's own timings, so that the faults meant
// to exceed those limits keep exceeding them when they change.

inline std::chrono::microseconds byteTime(int baud) {
  return link_timings::wireTime(std::max(baud, 1), 1);
}

// A frame ends after 3.5 characters of silence, but never less than 2 ms:
// scheduling jitter on a desktop is larger than 3.5 characters at high rates.
inline std::chrono::microseconds frameSilence(int baud) {
  return std::max<std::chrono::microseconds>(std::chrono::milliseconds(2), byteTime(baud) * 7 / 2);
}

// How long a request whose length is known may wait for its missing bytes
// before it is thrown away: a master that writes byte by byte from a busy
// desktop may stall for longer than a few characters.
inline std::chrono::microseconds incompleteFramePatience(int baud) {
  return std::max<std::chrono::microseconds>(std::chrono::milliseconds(100), byteTime(baud) * 10);
}

// The master keeps its rate as an index into its table; the unit knows the
// rate itself. A rate between two entries takes the slower one's limits,
// which are never the shorter ones.
inline int masterBaudIndex(int baud) {
  int index = 0;
  for (std::size_t i = 0; i < kBaudTable.size(); ++i) {
    if (kBaudTable[i] <= baud) index = static_cast<int>(i);
  }
  return index;
}

// Margins past the master's limits: enough that a master measuring its wait
// from a slightly later start still gives up before the byte comes.
inline constexpr std::chrono::milliseconds kLateMargin{200};
inline constexpr std::chrono::milliseconds kPauseMargin{100};

// Default delay of a late reply: past the first-byte limit the master applies
// to `function` at `baud`.
inline std::chrono::milliseconds lateReplyDelay(int baud, int function) {
  return link_timings::firstByteLimit(masterBaudIndex(baud), static_cast<std::uint8_t>(function)) +
         kLateMargin;
}

// Default silence inside a paused reply: past the master's inter-byte limit,
// so the master takes the first half as the whole reply.
inline std::chrono::milliseconds replyPause(int baud) {
  return link_timings::interByteLimit(masterBaudIndex(baud)) + kPauseMargin;
}

}  // namespace flowdesk::unit
