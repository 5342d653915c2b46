// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortReturn.h"

#include <algorithm>

namespace flowdesk {

LinkResult portNow(JbusMaster& master, const LinkResult& failed) {
  if (failed.fault == ReplyFault::kPortFailed) return failed;
  LinkResult opened = master.openLink();
  if (opened.ok()) master.closeLink();
  return opened;
}

bool awaitPort(JbusMaster& master, int limitMs, const std::function<void(int waitedMs)>& waited) {
  Clock& clock = master.clock();
  const std::int64_t start = clock.nowMs();
  for (;;) {
    if (master.openLink().ok()) {
      master.closeLink();
      return true;
    }
    const auto spent = static_cast<int>(clock.nowMs() - start);
    if (spent >= limitMs) return false;
    if (waited) waited(spent);
    if (master.pause(std::min(kReopenEveryMs, limitMs - spent)) < 0) return false;
  }
}

}  // namespace flowdesk
