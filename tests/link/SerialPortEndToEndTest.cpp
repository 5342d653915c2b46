// SPDX-License-Identifier: GPL-3.0-or-later
// The real clock's own waits, on a pseudo-terminal. What they guard against,
// a wait that spins instead of sleeping in the kernel, only the real clock
// can show; every other wait of the serial tests runs on the manual clock.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/Clock.h"
#include "link/PtyPeer.h"
#include "link/SerialPort.h"

namespace flowdesk {
namespace {

using testing::PtyPair;
using testing::ResolverScope;

TEST(SerialPortRealClock, AWaitSleepsBetweenHookCallsEvenOnAHungUpDevice) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  ASSERT_EQ(port->status, kPortOk);
  SteadyClock clock;
  port->clock = &clock;
  int calls = 0;
  ScopedIdleHook hook([&](SerialPort*) { return ++calls, 0; });
  for (const bool hungUp : {false, true}) {
    SCOPED_TRACE(hungUp ? "the peer hung up" : "the peer is there");
    // A peer that hangs up makes poll() report the descriptor at once, for
    // ever; the wait ends on the device gone rather than spin to its limit.
    if (hungUp) pty.closeMaster();
    calls = 0;
    const std::int64_t start = clock.nowMs();
    EXPECT_EQ(waitByte(port, 60), hungUp ? kPortNoDevice : kPortTimeout);
    const std::int64_t waited = clock.nowMs() - start;
    // One hook call a slice, however slow the machine; a spin makes
    // thousands.
    EXPECT_GE(calls, hungUp ? 0 : 1);
    EXPECT_LE(calls, waited / kWaitSliceMs + 2) << waited << " ms";
  }
  port->close();
}

}  // namespace
}  // namespace flowdesk
