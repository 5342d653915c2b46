// SPDX-License-Identifier: GPL-3.0-or-later
// CPU spent by a process while waitByte waits for a byte that never comes.
// The wait must sleep in the kernel between idle-hook calls; a polling spin
// would show close to 100 %. Target: at most 3 % of the wall time.
//
//   bench_wait_byte_cpu [seconds]     (default 10)
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "link/SerialPort.h"

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace flowdesk;
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
    return 2;
  }
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || ptsname(master) == nullptr) {
    std::perror("pty");
    return 1;
  }
  const std::string path = ptsname(master);
  // Keep the slave open ourselves, as a peer that never answers would.
  const int peer = open(path.c_str(), O_RDWR | O_NOCTTY);
  setPortResolver([path](int) { return path; });
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  if (port->status != 0) {
    std::fprintf(stderr, "open %s: %s\n", path.c_str(), portStatusMessage(port->status));
    return 1;
  }
  long hookCalls = 0;
  setIdleHook([&](SerialPort*) { return ++hookCalls, 0; });

  const double cpuBefore = cpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  const int result = waitByte(port, seconds * 1000);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  const double cpu = cpuSeconds() - cpuBefore;
  port->close();
  close(peer);
  close(master);

  const double share = 100.0 * cpu / wall;
  std::printf("waitByte(%d ms) returned %d\n", seconds * 1000, result);
  std::printf("wall time   %8.3f s\n", wall);
  std::printf("CPU time    %8.3f s (user + system)\n", cpu);
  std::printf("CPU share   %8.2f %%  (target <= 3 %%)\n", share);
  std::printf("hook calls  %8ld  (one per %.1f ms)\n", hookCalls,
              hookCalls > 0 ? 1000.0 * wall / static_cast<double>(hookCalls) : 0.0);
  return share <= 3.0 ? 0 : 1;
}
