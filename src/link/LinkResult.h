// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/PortFailure.h"

namespace flowdesk {

// Why a transaction left no reply to use: the last attempt's reason.
enum class ReplyFault {
  kNone,
  kPortFailed,  // the port could not be opened, or the line went away: LinkResult::port says why
  kBusy,        // asked while another transaction ran
  kBadRequest,  // refused before anything was sent: a register count a frame cannot carry
  kNoAnswer,
  kSendFailed,
  kOverflow,  // longer than a frame
  kTooShort,
  kBadFunction,  // another function code
  kException,    // the unit refused: function + 0x80 and its exception code
  kBadLength,
  kBadCrc,
  kTooSlow,  // bytes came, but slower than any reply: the attempt's time ran out
  kGarbled,  // bytes missing or foreign on a device that answered well: another reader?
};

// What one exchange with the unit gave: whether it went, and when it did
// not, why, as it was known at the moment it failed (the port's reason is
// looked at when the open fails, not when the result is read). Every
// operation that talks to the unit hands one back; a session keeps the one
// it got, and words it with linkResultText. A default result is a success
// that carries no reply.
struct [[nodiscard]] LinkResult {
  ReplyFault fault = ReplyFault::kNone;
  std::uint8_t exceptionCode = 0;  // kException only
  // The device the port named for this exchange, whether it opened or not
  // (empty when no port was tried).
  std::string device;
  // kPortFailed: the port's reason, with the device list where it needs one.
  std::optional<PortFailure> port;
  // The reply as it arrived, address first and CRC last: the master's own
  // buffer, so valid until its next transaction only.
  std::span<const std::uint8_t> frame;
  // The whole request went out at least once. A write that failed after
  // that may still have reached the unit: only its reply was lost or
  // spoiled on the way back.
  bool requestSent = false;

  bool ok() const { return fault == ReplyFault::kNone; }
  // A write that failed may or may not have been carried out: it went out,
  // and the unit did not say no (an exception reply refuses it).
  bool mayHaveActed() const { return !ok() && requestSent && fault != ReplyFault::kException; }
  // 0 or -1, as every operation that talks to the unit has always said it.
  int code() const { return ok() ? 0 : -1; }
  // A read's data: the bytes between the byte count and the CRC (for a
  // reply that passed, the registers or records asked for).
  std::span<const std::uint8_t> data() const;
};

// How much of a result is said.
enum class ResultWording {
  kFault,          // the fault in a few words: "no answer", "bad CRC", "exception 2"
  kLine,           // one line: the port's first line when it failed, else the fault
  kCommunication,  // "Communication Failure" with that line beside it (a polling screen)
  kFull,           // the port's whole reason with its advice and the devices present
};

// The one place a result is put into words, French or English (UTF-8);
// empty for a success. kFull of a result whose port opened is its fault.
std::string linkResultText(const LinkResult& result, Language language,
                           ResultWording wording = ResultWording::kLine);

}  // namespace flowdesk
