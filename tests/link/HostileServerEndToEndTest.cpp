// SPDX-License-Identifier: GPL-3.0-or-later
// Device servers that never give a reply, on a loopback socket and the real
// clock: one that floods the line, one that dribbles a byte every 90 ms. The
// program's memory and its time limits must hold against both.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/BilingualText.h"
#include "link/JbusMaster.h"
#include "link/NetworkSerialDriver.h"
#include "link/PtyPeer.h"
#include "support/Loopback.h"

namespace flowdesk {
namespace {

using Steady = std::chrono::steady_clock;

// Accepts one client after another and sends each zeros, as fast as the
// socket takes them or one every `gapMs`, whatever it is asked.
class StreamingServer {
 public:
  explicit StreamingServer(int gapMs) : gapMs_(gapMs) {
    listen_ = testing::listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
  }
  ~StreamingServer() {
    stop_ = true;
    thread_.join();
    ::close(listen_);
  }
  std::string path(const char* scheme) const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
  }

 private:
  void run() {
    std::vector<int> clients;
    const std::vector<std::uint8_t> zeros(gapMs_ == 0 ? 65536 : 1, 0);
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0) {
        const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) clients.push_back(fd);
      }
      for (int fd : clients) ::send(fd, zeros.data(), zeros.size(), MSG_NOSIGNAL);
      std::this_thread::sleep_for(std::chrono::milliseconds(gapMs_ == 0 ? 1 : gapMs_));
    }
    for (int fd : clients) ::close(fd);
  }

  int gapMs_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(HostileServer, FloodAndDribbleEndInTimeWithTheirMemoryBounded) {
  struct Case {
    const char* name;
    const char* scheme;
    int gapMs;
    ReplyFault fault;
    long maxMs;
  } cases[] = {
      {"raw flood", "tcp", 0, ReplyFault::kOverflow, 3000},
      {"raw dribble", "tcp", 90, ReplyFault::kTooSlow, 3000},
      // A buffer full of zeros and no answer to the Telnet greeting: no
      // Telnet server, said well before the greeting's time is out.
      {"telnet flood", "rfc2217", 0, ReplyFault::kPortFailed, kConnectLimitMs - 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StreamingServer server(c.gapMs);
    closeKeptConnection();
    testing::ResolverScope resolver({{0, server.path(c.scheme)}});
    JbusMaster master;
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master.markIdentified();
    const auto start = Steady::now();
    const LinkResult r = master.readRegisters(0x2202, 1);
    const auto tookMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
    EXPECT_EQ(r.fault, c.fault) << linkResultText(r, kEnglish);
    EXPECT_LT(tookMs, c.maxMs);
    if (c.gapMs != 0 || c.fault == ReplyFault::kPortFailed) continue;
    // What waits to be read stays within a serial port's buffer, however
    // long the server goes on.
    SerialPort* port = openPort(0, 9600, 'N', 8, 2);
    ASSERT_EQ(port->status, kPortOk);
    int most = 0;
    for (int i = 0; i < 50; ++i) {
      most = std::max(most, port->rxCount());
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GT(most, 0);
    EXPECT_LE(most, static_cast<int>(kNetworkRxLimit));
    port->close();
    closeKeptConnection();
  }
}

}  // namespace
}  // namespace flowdesk
