// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the benchmarks of the reply end and of device servers share: the
// logger download timed through the viewer's own sequence, a poll cycle of
// the measurement screen, and ser2net started in front of the unit's
// terminal.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "link/AppContext.h"
#include "logger/LoggerViewerSession.h"
#include "measure/MeasurementSession.h"

namespace flowdesk::bench {

using Steady = std::chrono::steady_clock;

// Seconds the download of the whole logger into `file` takes; negative when
// it failed.
inline double timedDownload(AppContext& app, const std::string& file,
                            long long* records = nullptr) {
  LoggerViewerSession session(app, {});
  if (!session.openUnit()) return -1;
  while (session.timerMs() != LoggerViewerSession::kTimerStopped) session.tick();
  const auto start = Steady::now();
  if (!session.startDownload(file)) return -1;
  while (session.recording() != Recording::kOff) {
    if (session.tick() == LoggerTick::kDownloadFailed) return -1;
  }
  if (records != nullptr) *records = session.recordsDownloaded();
  return std::chrono::duration<double>(Steady::now() - start).count();
}

// Median milliseconds of `cycles` measurement polls (the two live blocks);
// negative when one failed.
inline double medianPollMs(AppContext& app, int cycles) {
  MeasurementSession session(app, {});
  session.openLive();
  if (session.poll() != 0) return -1;  // the first one also reads the static blocks
  std::vector<double> ms;
  for (int i = 0; i < cycles; ++i) {
    const auto start = Steady::now();
    if (session.poll() != 0) return -1;
    ms.push_back(std::chrono::duration<double, std::milli>(Steady::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

inline bool sameFile(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  const std::string ta((std::istreambuf_iterator<char>(fa)), std::istreambuf_iterator<char>());
  const std::string tb((std::istreambuf_iterator<char>(fb)), std::istreambuf_iterator<char>());
  return fa && fb && ta == tb;
}

// A TCP port nobody listens on now.
inline int freeTcpPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
    port = ntohs(a.sin_port);
  }
  ::close(fd);
  return port;
}

// ser2net in the foreground, serving `device` at 9600 8N2 on a localhost
// port, with RFC 2217 or raw; stopped with the object.
class Ser2net {
 public:
  Ser2net(const std::string& folder, const std::string& device, bool rfc2217) {
    port_ = freeTcpPort();
    const std::string config = folder + (rfc2217 ? "/rfc2217.yaml" : "/raw.yaml");
    std::ofstream(config) << "connection: &unit\n  accepter: "
                          << (rfc2217 ? "telnet(rfc2217)," : "") << "tcp,localhost," << port_
                          << "\n  connector: serialdev," << device << ",9600n82,local\n";
    pid_ = ::fork();
    if (pid_ == 0) {
      std::freopen("/dev/null", "w", stderr);
      ::execlp("ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Ready once it accepts a connection.
    for (int i = 0; i < 100 && !listening(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~Ser2net() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Ser2net(const Ser2net&) = delete;
  Ser2net& operator=(const Ser2net&) = delete;

  int port() const { return port_; }
  bool listening() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port_));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace flowdesk::bench
