// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Clock.h"

#include <poll.h>
#include <sys/ioctl.h>

#include <chrono>
#include <thread>

namespace flowdesk {

namespace {

// Bytes readable on `fd` right now, 0 when unknown.
int pendingBytes(int fd) {
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return 0;
  return n;
}

}  // namespace

std::int64_t SteadyClock::nowMs() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  return duration_cast<milliseconds>(steady_clock::now() - origin).count();
}

bool SteadyClock::waitReadable(int fd, int ms) {
  if (ms < 0) ms = 0;
  if (fd < 0) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return false;
  }
  const std::int64_t start = nowMs();
  pollfd p{fd, POLLIN, 0};
  const int r = ::poll(&p, 1, ms);
  if (r <= 0) return false;
  if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0) return (p.revents & POLLIN) != 0;
  // A hung-up or failed device reports itself at once on every poll; data
  // left behind by the peer is still worth reading, otherwise sit out the
  // slice instead of coming back immediately.
  if (pendingBytes(fd) > 0) return true;
  const std::int64_t left = ms - (nowMs() - start);
  if (left > 0) std::this_thread::sleep_for(std::chrono::milliseconds(left));
  return false;
}

Clock& systemClock() {
  static SteadyClock* const clock = new SteadyClock;
  return *clock;
}

}  // namespace flowdesk
