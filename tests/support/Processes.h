// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The programs as the end-to-end tests run them: flowdesk-unit on its own
// pseudo-terminal, linked into a test's folder, and flowdesk-cli with a
// private settings folder.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace flowdesk::testing {

inline std::vector<char*> argvOf(const std::string& program, std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

#ifdef FLOWDESK_UNIT_BIN
// Only the end-to-end test binaries are told where the programs are
// (tests/CMakeLists.txt), so a test elsewhere that starts the unit does not
// build.

// A running flowdesk-unit. Its first line of output is its terminal's path,
// which the constructor waits for; the unit ends (SIGTERM) with the object.
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
      ::close(out[1]);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
    pollfd p{out_, POLLIN, 0};
    char c;
    while (::poll(&p, 1, 5000) > 0 && ::read(out_, &c, 1) == 1 && c != '\n') device_ += c;
  }
  ~UnitProcess() { terminate(); }
  UnitProcess(const UnitProcess&) = delete;
  UnitProcess& operator=(const UnitProcess&) = delete;

  const std::string& device() const { return device_; }
  pid_t pid() const { return pid_; }

  // SIGTERM, then the exit status (-1 when it did not exit by itself).
  int terminate() {
    if (out_ >= 0) ::close(out_);
    out_ = -1;
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
#endif  // FLOWDESK_UNIT_BIN

struct Finished {
  int status = -1;  // exit status, -1 when killed by a signal
  std::string out, err;
};

inline std::string wholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a program to its end with extra environment variables; its output
// goes through files in `scratch` so that a long trace cannot block it.
inline Finished runProgram(const std::string& program, std::vector<std::string> args,
                           const std::map<std::string, std::string>& env,
                           const std::string& scratch) {
  const std::string outPath = scratch + "/.stdout";
  const std::string errPath = scratch + "/.stderr";
  auto argv = argvOf(program, args);
  const pid_t pid = ::fork();
  if (pid == 0) {
    for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
    ::unsetenv("FLOWDESK_TRACE");
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  Finished f;
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return f;
  f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  f.out = wholeFile(outPath);
  f.err = wholeFile(errPath);
  ::unlink(outPath.c_str());
  ::unlink(errPath.c_str());
  return f;
}

inline int countLines(const std::string& text, const std::string& containing) {
  int n = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (text.substr(start, end - start).find(containing) != std::string::npos) ++n;
    start = end + 1;
  }
  return n;
}

}  // namespace flowdesk::testing
