// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstddef>
#include <optional>

#include "base/Bytes.h"
#include "unit/FaultPlan.h"

namespace flowdesk::unit {

// How one reply goes on the line: which bytes, after how long, and whether a
// silence interrupts it.
struct ReplyPlan {
  bool send = true;
  Bytes bytes;
  std::chrono::milliseconds delay{0};  // before the first byte
  std::size_t pauseBefore = 0;         // index of the byte the pause precedes; 0: none
  std::chrono::milliseconds pause{0};
};

// Applies a fault (if any) to a good reply. `function` is the request's
// function code, `baud` the line's rate.
ReplyPlan planReply(const Bytes& reply, const std::optional<FaultAction>& fault, int baud,
                    int function, std::chrono::milliseconds turnaround);

}  // namespace flowdesk::unit
