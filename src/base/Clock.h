// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
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

// A clock that only moves when told to or when something waits on it. A wait
// moves it on by the full amount at once; a descriptor still gets a short real
// look (`realSliceMs`) so that bytes written by another thread or process are
// seen. Safe to read from other threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::int64_t startMs = 0) : now_(startMs) {}

  std::int64_t nowMs() override { return now_.load(); }
  bool waitReadable(int fd, int ms) override;

  void advance(std::int64_t ms) { now_.fetch_add(ms); }
  void set(std::int64_t ms) { now_.store(ms); }

  // Total time spent in waits, for tests that check how long a sequence took.
  std::int64_t waitedMs() const { return waited_.load(); }

  int realSliceMs = 1;

 private:
  std::atomic<std::int64_t> now_;
  std::atomic<std::int64_t> waited_{0};
};

}  // namespace flowdesk
