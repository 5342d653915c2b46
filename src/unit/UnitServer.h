// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <chrono>
#include <cstdio>
#include <span>
#include <string>

#include "base/Bytes.h"
#include "unit/FaultPlan.h"
#include "unit/PtyLink.h"
#include "unit/ReplyPlan.h"
#include "unit/VirtualUnit.h"

namespace flowdesk::unit {

// The unit on its line: collects request frames from the pty master (a frame
// ends with a silence), answers those sent at the unit's own rate, spoils
// replies as the fault plan says and paces the reply bytes at the line's rate.
// While it answers the unit does not listen, like a half-duplex unit: bytes
// that arrive in that time are dropped.
class UnitServer {
 public:
  UnitServer(VirtualUnit& unit, PtyLink& link, FaultPlan faults, int baud,
             std::chrono::milliseconds turnaround, std::FILE* trace);

  // Every request received goes back on the line at once, whatever becomes
  // of it (an echoing adapter hears everything it sends).
  bool echoRequests = false;

  // Serves until a signal can be read from `signalFd`. Returns 0, or 1 after a
  // failure of the terminal itself.
  int run(int signalFd);

 private:
  using Clock = std::chrono::steady_clock;
  void processFrame(std::span<const std::uint8_t> frame, Clock::time_point end);
  // False when a signal came while sending.
  bool send(const ReplyPlan& plan, Clock::time_point frameEnd, int baud);
  void discardInput();
  void traceFrame(const char* what, std::span<const std::uint8_t> bytes);
  void traceNote(const std::string& note);

  VirtualUnit& unit_;
  PtyLink& link_;
  FaultPlan faults_;
  int baud_;
  std::chrono::milliseconds turnaround_;
  std::FILE* trace_;
  int signalFd_ = -1;
  bool stop_ = false;
  long requests_ = 0;
  Clock::time_point started_;
};

}  // namespace flowdesk::unit
