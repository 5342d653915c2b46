#pragma once
// The flowdesk-unit program as the tests run it, and a master's end of its line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
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

  // Sends a request and collects the reply: up to `firstMs` for its first
  // byte, then until `silenceMs` without a byte.
  Received transact(const Bytes& request, int firstMs = 1500, int silenceMs = 60) {
    ::tcflush(fd_, TCIFLUSH);
    (void)!::write(fd_, request.data(), request.size());
    const auto sent = Clock::now();
    Received r;
    int wait = firstMs;
    for (;;) {
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
