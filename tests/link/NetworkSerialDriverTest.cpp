// SPDX-License-Identifier: GPL-3.0-or-later
// The network driver: its addresses, the Telnet byte rules of RFC 2217, and
// whole transactions against a device server played by a thread of this
// test on a loopback socket (the real servers are in the end-to-end test).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/BilingualText.h"
#include "link/JbusMaster.h"
#include "link/NetworkSerialDriver.h"
#include "link/PortFailure.h"
#include "link/PtyPeer.h"
#include "support/Frames.h"
#include "support/Loopback.h"
#include "support/ManualClock.h"

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::ResolverScope;
using testing::withCrc;
using namespace telnet;

TEST(NetworkDevice, Addresses) {
  struct Case {
    std::string path;
    bool ok;
    NetworkProtocol protocol;
    std::string host;
    int port;
  };
  const Case cases[] = {
      {"tcp://localhost:4001", true, NetworkProtocol::kRaw, "localhost", 4001},
      {"rfc2217://10.0.0.7:2217/", true, NetworkProtocol::kRfc2217, "10.0.0.7", 2217},
      {"tcp://[::1]:65535", true, NetworkProtocol::kRaw, "::1", 65535},
      {"tcp://localhost", false, {}, "", 0},
      {"tcp://:4001", false, {}, "", 0},
      {"tcp://h:0", false, {}, "", 0},
      {"tcp://h:65536", false, {}, "", 0},
      {"tcp://h:40x1", false, {}, "", 0},
      {"tcp://::1:4001", false, {}, "", 0},  // IPv6 wants its brackets
      {"tcp://[]:4001", false, {}, "", 0},
      {"telnet://h:23", false, {}, "", 0},
      {"/dev/ttyUSB0", false, {}, "", 0},
  };
  for (const Case& c : cases) {
    NetworkDevice d;
    EXPECT_EQ(parseNetworkDevice(c.path, d), c.ok) << c.path;
    if (!c.ok) continue;
    EXPECT_EQ(d.protocol, c.protocol) << c.path;
    EXPECT_EQ(d.host, c.host) << c.path;
    EXPECT_EQ(d.port, c.port) << c.path;
  }
  EXPECT_TRUE(isNetworkDevice("tcp://localhost"));  // the driver says why it is no address
  EXPECT_FALSE(isNetworkDevice("/dev/tcp"));
  EXPECT_TRUE(isRawNetworkDevice("tcp://h:1"));
  EXPECT_FALSE(isRawNetworkDevice("rfc2217://h:1"));
}

TEST(TelnetSession, SplitsTheUnitsBytesFromTheServersCommands) {
  struct Case {
    const char* name;
    Bytes in;
    Bytes data;
    Bytes replies;
  };
  const Case cases[] = {
      {"plain bytes", {1, 3, 0x22}, {1, 3, 0x22}, {}},
      {"a doubled 255 is one data byte", {7, kIac, kIac, 8}, {7, 0xFF, 8}, {}},
      {"DO COM-PORT answers nothing: it was offered", {kIac, kDo, kComPort, 5}, {5}, {}},
      {"DO of an unknown option is refused", {kIac, kDo, 24}, {}, {kIac, kWont, 24}},
      {"WILL ECHO is refused", {kIac, kWill, 1}, {}, {kIac, kDont, 1}},
      {"WILL BINARY was asked for", {kIac, kWill, kBinary}, {}, {}},
      {"the server's settings answers are dropped",
       {9, kIac, kSb, kComPort, 101, 0, 0, 0x25, 0x80, kIac, kSe, 10},
       {9, 10},
       {}},
      {"255 inside a subnegotiation",
       {kIac, kSb, kComPort, 107, kIac, kIac, kIac, kSe, 4},
       {4},
       {}},
      {"NOP carries nothing", {1, kIac, 241, 2}, {1, 2}, {}},
      {"CR NUL before binary is agreed", {'\r', 0, 0}, {'\r', 0}, {}},
      {"CR NUL once binary is agreed", {kIac, kWill, kBinary, '\r', 0}, {'\r', 0}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TelnetSession t;
    t.greeting();
    std::deque<std::uint8_t> data;
    Bytes replies;
    // Byte by byte as well as whole: a command split across two reads.
    for (std::uint8_t b : c.in) t.receive(&b, 1, data, replies);
    EXPECT_EQ(Bytes(data.begin(), data.end()), c.data);
    EXPECT_EQ(replies, c.replies);
  }
  TelnetSession t;
  t.greeting();
  std::deque<std::uint8_t> data;
  Bytes replies;
  const Bytes modem{kIac, kSb, kComPort, kNotifyModemState, 0xB0, kIac, kSe, kIac, kDont, kComPort};
  t.receive(modem.data(), modem.size(), data, replies);
  EXPECT_EQ(t.modemState(), kModemCarrier | kModemDsr | kModemCts);
  EXPECT_TRUE(t.comPortRefused());
}

TEST(TelnetSession, EscapesWhatLeavesAndSetsTheLine) {
  TelnetSession t;
  const Bytes greeting = t.greeting();
  EXPECT_EQ(greeting, (Bytes{kIac, kWill, kComPort, kIac, kWill, kBinary, kIac, kWill,
                             kSuppressGoAhead, kIac, kDo, kBinary, kIac, kDo, kSuppressGoAhead}));
  Bytes out;
  const Bytes frame{0xFF, '\r', 0x01};
  t.escape(frame.data(), frame.size(), out);
  EXPECT_EQ(out, (Bytes{0xFF, 0xFF, '\r', 0, 0x01})) << "CR NUL until binary is agreed";
  std::deque<std::uint8_t> data;
  Bytes replies;
  const Bytes agreed{kIac, kDo, kBinary};
  t.receive(agreed.data(), agreed.size(), data, replies);
  out.clear();
  t.escape(frame.data(), frame.size(), out);
  EXPECT_EQ(out, (Bytes{0xFF, 0xFF, '\r', 0x01}));

  LineFormat f;
  f.baud = 9600;
  f.stopBits = 2;
  EXPECT_EQ(TelnetSession::lineCommands(f),
            (Bytes{kIac, kSb, kComPort, kSetBaud,     0, 0,    0x25, 0x80, kIac, kSe,  //
                   kIac, kSb, kComPort, kSetDataSize, 8, kIac, kSe,                    //
                   kIac, kSb, kComPort, kSetParity,   1, kIac, kSe,                    //
                   kIac, kSb, kComPort, kSetStopSize, 2, kIac, kSe}));
  EXPECT_EQ(TelnetSession::controlCommand(8),
            (Bytes{kIac, kSb, kComPort, kSetControl, 8, kIac, kSe}));
}

void put(int fd, const Bytes& bytes) {
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// A device server on a loopback port, one client at a time: a read of
// register 0x2202 is answered with 0xFF 0x07 (a byte the Telnet side must
// escape). It can refuse to speak Telnet, close the connection at once, or
// close it on the n-th request.
class FakeServer {
 public:
  explicit FakeServer(bool rfc2217) : rfc2217_(rfc2217) {
    listen_ = testing::listenOnLoopback(port_);
    thread_ = std::thread([this] { run(); });
  }
  ~FakeServer() {
    stop_ = true;
    thread_.join();
    ::close(listen_);
  }
  std::string path() const {
    return std::string(rfc2217_ ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port_);
  }

  std::atomic<int> closeAtRequest{0};  // 0: never
  std::atomic<bool> closeAtOnce{false};
  std::atomic<int> accepted{0};
  std::atomic<int> requests{0};
  Bytes settings() {
    std::lock_guard lock(mutex_);
    return settings_;
  }

 private:
  void run() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      const int fd = ::accept(listen_, nullptr, nullptr);
      if (fd < 0) continue;
      ++accepted;
      if (!closeAtOnce) serve(fd);
      ::close(fd);
    }
  }
  void serve(int fd) {
    Bytes frame;
    Bytes sub;
    enum { sData, sIac, sOption, sSub, sSubIac } state = sData;
    std::uint8_t verb = 0;
    while (!stop_) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      std::uint8_t buffer[256];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) return;
      for (ssize_t i = 0; i < n; ++i) {
        const std::uint8_t b = buffer[i];
        if (!rfc2217_) {
          frame.push_back(b);
          continue;
        }
        switch (state) {
          case sData:
            if (b == kIac) {
              state = sIac;
            } else {
              frame.push_back(b);
            }
            break;
          case sIac:
            if (b == kIac) {
              frame.push_back(b);
              state = sData;
            } else if (b == kSb) {
              sub.clear();
              state = sSub;
            } else {
              verb = b;
              state = sOption;
            }
            break;
          case sOption:
            if (verb == kWill && b == kComPort) {
              const Bytes agree{kIac, kDo, kComPort};
              put(fd, agree);
            }
            state = sData;
            break;
          case sSub:
            if (b == kIac) {
              state = sSubIac;
            } else {
              sub.push_back(b);
            }
            break;
          case sSubIac:
            if (b == kSe) {
              std::lock_guard lock(mutex_);
              settings_.insert(settings_.end(), sub.begin(), sub.end());
              state = sData;
            } else {
              sub.push_back(b);
              state = sSub;
            }
            break;
        }
      }
      if (frame.size() < 8) continue;
      frame.clear();
      if (++requests == closeAtRequest) return;
      Bytes reply = withCrc({0, 3, 2, 0xFF, 0x07});
      if (rfc2217_) {
        Bytes escaped;
        for (std::uint8_t b : reply) {
          escaped.push_back(b);
          if (b == kIac) escaped.push_back(b);
        }
        reply = escaped;
      }
      put(fd, reply);
    }
  }

  bool rfc2217_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  Bytes settings_;
  std::thread thread_;
};

// The master waits on the manual clock: the silence that ends a reply costs
// no real time, while the socket is still looked at for real between slices.
struct NetRig {
  ResolverScope resolver;
  ManualClock clock{1000};
  JbusMaster master{clock};
  explicit NetRig(const std::string& path) : resolver({{0, path}}) {
    closeKeptConnection();
    master.setLinkSettings([] { return LinkSettings{0, 0.0f, 5}; });
    master.markIdentified();
  }
  ~NetRig() { closeKeptConnection(); }
};

std::string failureText(const LinkResult& r, Language language = kEnglish) {
  return r.port ? portFailureText(*r.port, language) : std::string();
}

TEST(NetworkDriver, TransactionsThroughADeviceServer) {
  for (const bool rfc2217 : {false, true}) {
    SCOPED_TRACE(rfc2217 ? "rfc2217" : "raw");
    FakeServer server(rfc2217);
    NetRig rig(server.path());
    for (int i = 0; i < 3; ++i) {
      const LinkResult r = rig.master.readRegisters(0x2202, 1);
      ASSERT_TRUE(r.ok()) << linkResultText(r, kEnglish);
      EXPECT_EQ(r.data()[0], 0xFF);
      EXPECT_EQ(r.data()[1], 0x07);
    }
    EXPECT_EQ(openPortCount(), 0u);
    // One connection for transactions that follow each other closely.
    EXPECT_EQ(server.accepted, 1);
    if (rfc2217) {
      // 9600 baud, 8 bits, no parity, 2 stop bits, then DTR and RTS on; the
      // line is set again by every transaction.
      const Bytes once{kComPort, kSetBaud,     0, 0,        0x25,       0x80,
                       kComPort, kSetDataSize, 8, kComPort, kSetParity, 1,
                       kComPort, kSetStopSize, 2};
      const Bytes seen = server.settings();
      ASSERT_GE(seen.size(), once.size());
      EXPECT_EQ(Bytes(seen.begin(), seen.begin() + static_cast<long>(once.size())), once);
    }
  }
}

TEST(NetworkDriver, RefusedClosedAndUnknownServersInPlainWords) {
  struct Case {
    const char* name;
    int closeAtRequest;
    bool closeAtOnce;
    bool rfc2217;
    std::string said;
  };
  const Case cases[] = {
      {"closed in the middle of a transaction", 1, false, false, "closed by the server"},
      {"closed at once", 0, true, true, "closed by the server"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server(c.rfc2217);
    server.closeAtRequest = c.closeAtRequest;
    server.closeAtOnce = c.closeAtOnce;
    NetRig rig(server.path());
    const LinkResult r = rig.master.readRegisters(0x2202, 1);
    EXPECT_EQ(r.fault, ReplyFault::kPortFailed);
    EXPECT_NE(failureText(r).find(c.said), std::string::npos) << failureText(r);
    EXPECT_EQ(openPortCount(), 0u);
  }
  // Nothing listens on a port that was just given back.
  int port = 0;
  {
    FakeServer gone(false);
    port = std::stoi(gone.path().substr(gone.path().rfind(':') + 1));
  }
  const struct {
    std::string path;
    std::string said;
  } refusals[] = {
      {"tcp://127.0.0.1:" + std::to_string(port), "connection refused"},
      {"tcp://no-such-host.invalid:4001", "host not found"},
      {"rfc2217://127.0.0.1", "not a valid address"},
  };
  for (const auto& r : refusals) {
    NetRig rig(r.path);
    const LinkResult read = rig.master.readRegisters(0x2202, 1);
    EXPECT_EQ(read.fault, ReplyFault::kPortFailed);
    EXPECT_NE(failureText(read).find(r.said), std::string::npos) << failureText(read);
    EXPECT_NE(failureText(read, kFrench).find(r.path), std::string::npos);
  }
}

}  // namespace
}  // namespace flowdesk
