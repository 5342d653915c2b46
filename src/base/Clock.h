// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace flowdesk {

// A calendar date and time of the PC, in its own time zone (year in full).
struct LocalDateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The timer interval a screen's session gives when it wants no timer (0
// means "at once").
inline constexpr int kTimerStopped = -1;

// Time as the link layer sees it. Every wait of the serial library goes
// through a Clock so that tests can run protocol timeouts of seconds without
// sleeping for real.
class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual std::int64_t nowMs() = 0;

  // Waits at most `ms` milliseconds, returning early when `fd` (if >= 0) has
  // input. Returns true when input may be there. Waiting on a descriptor that
  // has hung up or failed never returns early, so a caller that loops on this
  // cannot spin.
  virtual bool waitReadable(int fd, int ms) = 0;
};

// The real clock: std::chrono::steady_clock, poll() on the descriptor.
class SteadyClock final : public Clock {
 public:
  std::int64_t nowMs() override;
  bool waitReadable(int fd, int ms) override;
};

// The process-wide real clock (never destroyed, so exit handlers may use it).
Clock& systemClock();

}  // namespace flowdesk
