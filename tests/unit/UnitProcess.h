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

namespace flowdesk::unit::testing {

struct Finished {
  int status = -1;  // exit status, or -1 when killed by a signal
  std::string out, err;
};

inline std::string readAll(int fd) {
  std::string s;
  char buf[1024];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) s.append(buf, static_cast<std::size_t>(n));
  return s;
}

inline std::vector<char*> argvOf(const std::string& program, std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// Runs the program to its end (for --help and usage errors).
inline Finished runToEnd(std::vector<std::string> args) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const std::string program = FLOWDESK_UNIT_BIN;
  auto argv = argvOf(program, args);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]);
    ::close(err[0]);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  Finished f;
  f.out = readAll(out[0]);
  f.err = readAll(err[0]);
  ::close(out[0]);
  ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return f;
}

// A running unit; its first output line is the terminal's path.
class UnitProcess {
 public:
  explicit UnitProcess(std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) return;
    const std::string program = FLOWDESK_UNIT_BIN;
    auto argv = argvOf(program, args);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
    pollfd p{out_, POLLIN, 0};
    char c;
    while (::poll(&p, 1, 5000) > 0 && ::read(out_, &c, 1) == 1 && c != '\n') device_ += c;
  }
  ~UnitProcess() {
    if (pid_ > 0) terminate();
    if (out_ >= 0) ::close(out_);
  }
  UnitProcess(const UnitProcess&) = delete;
  UnitProcess& operator=(const UnitProcess&) = delete;

  const std::string& device() const { return device_; }
  pid_t pid() const { return pid_; }

  // SIGTERM, then the exit status (-1 if it did not exit by itself).
  int terminate() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string device_;
};

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
    Frame bytes;
    std::vector<double> at;  // milliseconds after the request went out, per byte
  };

  // Sends a request and collects the reply: up to `firstMs` for its first
  // byte, then until `silenceMs` without a byte.
  Received transact(const Frame& request, int firstMs = 1500, int silenceMs = 60) {
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
