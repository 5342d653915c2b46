// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ManualClock.h"

#include <poll.h>

namespace flowdesk {

bool ManualClock::waitReadable(int fd, int ms) {
  if (ms < 0) ms = 0;
  bool readable = false;
  if (fd >= 0) {
    pollfd p{fd, POLLIN, 0};
    readable = ::poll(&p, 1, realSliceMs) > 0 && (p.revents & POLLIN) != 0;
  }
  // Always move on, so a loop waiting on this clock ends at its deadline even
  // when the descriptor keeps reporting itself readable.
  now_.fetch_add(ms);
  waited_.fetch_add(ms);
  return readable;
}

}  // namespace flowdesk
