// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/ReplyPlan.h"

#include <algorithm>

#include "unit/LineTiming.h"
#include "unit/RequestFrame.h"

namespace flowdesk::unit {

namespace {
constexpr std::uint8_t kDefaultExceptionCode = 0x04;  // slave device failure
}

ReplyPlan planReply(const Bytes& reply, const std::optional<FaultAction>& fault, int baud,
                    int function, std::chrono::milliseconds turnaround) {
  ReplyPlan plan;
  plan.bytes = reply;
  plan.delay = turnaround;
  if (!fault) return plan;
  using std::chrono::milliseconds;
  const auto chosen = [&](milliseconds fallback) {
    return fault->value >= 0 ? milliseconds(fault->value) : fallback;
  };
  switch (fault->kind) {
    case FaultKind::kDrop:
    case FaultKind::kSilent:
      plan.send = false;
      plan.bytes.clear();
      break;
    case FaultKind::kBadCrc:
      if (plan.bytes.size() >= 2) {
        plan.bytes[plan.bytes.size() - 1] ^= 0xFF;
        plan.bytes[plan.bytes.size() - 2] ^= 0xFF;
      }
      break;
    case FaultKind::kShort:
      if (!plan.bytes.empty()) plan.bytes.pop_back();
      break;
    case FaultKind::kLong:
      // The CRC over a good frame plus its first CRC byte is always the second
      // CRC byte followed by zero, so with a zero appended the last two bytes
      // still check: only the length gives the fault away.
      plan.bytes.push_back(0x00);
      break;
    case FaultKind::kException: {
      const auto code =
          static_cast<std::uint8_t>(fault->value >= 0 ? fault->value : kDefaultExceptionCode);
      plan.bytes = {reply.empty() ? std::uint8_t{0} : reply[0],
                    static_cast<std::uint8_t>(function | 0x80), code};
      appendCrc(plan.bytes);
      break;
    }
    case FaultKind::kLate:
      plan.delay = std::max(turnaround, chosen(lateReplyDelay(baud, function)));
      break;
    case FaultKind::kPause:
      plan.pauseBefore = std::max<std::size_t>(1, plan.bytes.size() / 2);
      plan.pause = chosen(replyPause(baud));
      break;
  }
  return plan;
}

}  // namespace flowdesk::unit
