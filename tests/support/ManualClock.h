// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <cstdint>

#include "base/Clock.h"

namespace flowdesk {

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
