// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include "link/JbusMaster.h"

namespace flowdesk {

// A device unplugged in the middle of a long job (a recording, a download)
// and plugged back in on the same path: the job waits for it instead of
// ending, then goes on from where it was.

// How often the port is tried while it is gone.
inline constexpr int kReopenEveryMs = 500;

// After the failed exchange `failed`: ok when the port opens now (a unit
// that did not answer on a line that opens), else why the port itself
// cannot be opened (the device is gone, refused or held). Tries one open
// when the failure did not come from one, since an unplug in the middle of
// an exchange shows first as silence.
LinkResult portNow(JbusMaster& master, const LinkResult& failed);

// Tries the port every kReopenEveryMs for at most `limitMs`; true as soon as
// it opens (it is closed again at once, the next exchange opens it as
// usual). `waited` is called after each failed try with the time waited so
// far. A negative result of the idle hook ends the wait (false).
bool awaitPort(JbusMaster& master, int limitMs,
               const std::function<void(int waitedMs)>& waited = {});

}  // namespace flowdesk
