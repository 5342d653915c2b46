// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The flowdesk-unit program as the tests run it, and a master's end of its line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "UnitFrames.h"
#include "support/Processes.h"

namespace flowdesk::unit::testing {

using flowdesk::testing::Finished;
using flowdesk::testing::UnitProcess;

// Runs the unit program to its end (for --help and usage errors).
inline Finished runToEnd(std::vector<std::string> args) {
  char scratch[] = "/tmp/flowdesk-unit-run-XXXXXX";
  if (::mkdtemp(scratch) == nullptr) return {};
  Finished f = flowdesk::testing::runProgram(FLOWDESK_UNIT_BIN, std::move(args), {}, scratch);
  ::rmdir(scratch);
  return f;
}

// The master's end: the slave terminal, raw, 8 data bits, 2 stop bits.
class Line {
 public:
  using Clock = std::chrono::steady_clock;
  Line(const std::string& device, int baud) {
    fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    setBaud(baud);
  }
  ~Line() {
    if (fd_ >= 0) ::close(fd_);
  }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  bool ok() const { return fd_ >= 0; }

  void setBaud(int baud) {
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    t.c_cflag |= CSTOPB | CLOCAL | CREAD;
    const speed_t s = baud == 300    ? B300
                      : baud == 600  ? B600
                      : baud == 1200 ? B1200
                      : baud == 2400 ? B2400
                      : baud == 4800 ? B4800
                                     : B9600;
    ::cfsetispeed(&t, s);
    ::cfsetospeed(&t, s);
    ::tcsetattr(fd_, TCSANOW, &t);
  }

  struct Received {
    Bytes bytes;
    std::vector<double> at;  // milliseconds after the request went out, per byte
  };

  // How a reply is taken to have ended.
  enum class End {
    kLength,   // on its last byte, as its first bytes tell its length
    kSilence,  // on `silenceMs` without a byte, to see bytes past its length
  };

  // How long a reply is, as far as its first bytes tell: 5 for an exception,
  // 5 + the byte count for a read, 8 for the echo of a write; 0 while they do
  // not tell yet, or for a function no test sends.
  static std::size_t replyLength(const Bytes& b) {
    if (b.size() < 2) return 0;
    if ((b[1] & 0x80) != 0) return 5;
    if (b[1] == 3 || b[1] == 4) return b.size() < 3 ? 0 : 5u + b[2];
    if (b[1] == 16) return 8;
    return 0;
  }

  // Sends a request and collects the reply: up to `firstMs` for its first
  // byte, then until it ends as `end` says. A reply that stops short ends
  // after `silenceMs` without a byte. The unit paces its bytes and a loaded
  // machine may hold it between two of them for a while, so no reply is ever
  // ended on a short silence: the silence is a generous deadline, not a rule.
  Received transact(const Bytes& request, int firstMs = 2000, int silenceMs = 1000,
                    End end = End::kLength) {
    ::tcflush(fd_, TCIFLUSH);
    // The clock starts before the write: the unit's delays run from when the
    // request reaches it, which is never earlier.
    const auto sent = Clock::now();
    (void)!::write(fd_, request.data(), request.size());
    Received r;
    int wait = firstMs;
    for (;;) {
      if (end == End::kLength) {
        const std::size_t whole = replyLength(r.bytes);
        if (whole != 0 && r.bytes.size() >= whole) break;
      }
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, wait) <= 0) break;
      std::uint8_t buf[512];
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
      for (ssize_t i = 0; i < n; ++i) {
        r.bytes.push_back(buf[i]);
        r.at.push_back(ms);
      }
      wait = silenceMs;
    }
    return r;
  }

 private:
  int fd_ = -1;
};

}  // namespace flowdesk::unit::testing
