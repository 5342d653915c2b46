// SPDX-License-Identifier: GPL-3.0-or-later
// CPU used by flowdesk-unit while nobody talks to it.
//   bench_unit_idle_cpu [PATH-TO-flowdesk-unit] [SECONDS]
// Starts the unit, lets a master open the line, ask once and close it again
// (the moment a unit that loses its line would start spinning), then measures
// the unit's CPU time over the idle period from /proc/<pid>/stat.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "link/Crc16.h"

namespace {

// utime + stime of a process, in seconds.
double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name, which is in parentheses and may hold blanks.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;
  long utime = 0, stime = 0;
  fields >> utime >> stime;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string defaultUnitPath() {
  const auto self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "src" / "flowdesk-unit").string();
}

void askOnce(const std::string& device) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  t.c_cflag |= CSTOPB | CLOCAL | CREAD;
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  tcsetattr(fd, TCSANOW, &t);
  std::uint8_t request[8] = {0, 3, 0x22, 0x02, 0, 1, 0, 0};
  const std::uint16_t crc = flowdesk::crc16(request, 6);
  request[6] = static_cast<std::uint8_t>(crc & 0xFF);
  request[7] = static_cast<std::uint8_t>(crc >> 8);
  if (write(fd, request, sizeof request) != sizeof request) std::fprintf(stderr, "write failed\n");
  pollfd p{fd, POLLIN, 0};
  std::uint8_t reply[16];
  int got = 0;
  while (poll(&p, 1, 200) > 0) {
    const ssize_t n = read(fd, reply, sizeof reply);
    if (n <= 0) break;
    got += static_cast<int>(n);
  }
  std::printf("one request answered with %d bytes; line closed\n", got);
  close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string unit = argc > 1 ? argv[1] : defaultUnitPath();
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  int out[2];
  if (pipe(out) != 0) return 1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    execl(unit.c_str(), unit.c_str(), "--configs", "18", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string device;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') device += c;
  if (device.empty()) {
    std::fprintf(stderr, "%s printed no terminal\n", unit.c_str());
    return 1;
  }
  std::printf("flowdesk-unit pid %d on %s\n", static_cast<int>(pid), device.c_str());
  askOnce(device);

  const double before = cpuSeconds(pid);
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double used = cpuSeconds(pid) - before;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  close(out[0]);
  const double share = 100.0 * used / wall;
  std::printf("idle for %.1f s: %.3f s of CPU, %.2f %% of one core (bar: 2 %%)\n", wall, used,
              share);
  std::printf("exit status on SIGTERM: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return share < 2.0 ? 0 : 1;
}
