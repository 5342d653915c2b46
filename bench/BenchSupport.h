// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What several benchmarks need around the code they time: a scratch folder,
// and flowdesk-unit started on a link the program's own AppContext then uses.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/AppSettings.h"
#include "base/Environment.h"
#include "link/AppContext.h"

namespace flowdesk::bench {

// A new folder under /tmp named after `prefix`; empty when it cannot be made.
inline std::string scratchFolder(const std::string& prefix) {
  std::string name = "/tmp/" + prefix + "-XXXXXX";
  return ::mkdtemp(name.data()) != nullptr ? name : std::string();
}

// A program of this build: the path given, else the one the environment
// variable names, else `name` in the build's src/ beside bench/.
inline std::string buildProgram(const std::string& given, const char* envName,
                                const std::string& name) {
  if (!given.empty()) return given;
  if (const char* env = std::getenv(envName); env != nullptr && *env != '\0') return env;
  return programDirectoryOf(executablePath()) + "../src/" + name;
}

// The options the logger download benchmarks share, --records N (1 to
// 65,000) and --unit PATH (the unit program, found as buildProgram says when
// none is given); `other` takes any other option at argv[i], moving i past
// its value, and says whether it knew it. False on a wrong command line.
inline bool downloadOptions(int argc, char** argv, long& records, std::string& unit,
                            const std::function<bool(int& i)>& other = {}) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--records" && i + 1 < argc) {
      records = std::strtol(argv[++i], nullptr, 10);
    } else if (a == "--unit" && i + 1 < argc) {
      unit = argv[++i];
    } else if (!other || !other(i)) {
      return false;
    }
  }
  unit = buildProgram(unit, "FLOWDESK_UNIT_BIN", "flowdesk-unit");
  return records >= 1 && records <= 65000;
}

// flowdesk-unit on the link `link`, with `args` after it; its standard error
// goes to `errorFile` when one is named. Stopped (SIGTERM) when this ends.
class BenchUnit {
 public:
  BenchUnit(const std::string& program, const std::string& link,
            const std::vector<std::string>& args, const std::string& errorFile = {}) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      if (!errorFile.empty()) {
        const int fd = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) ::dup2(fd, 2);
      }
      ::close(out[0]);
      std::vector<std::string> all{program, "--link", link};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    // The unit prints its terminal's path once it listens.
    pollfd p{out[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') device_ += c;
    ::close(out[0]);
  }
  ~BenchUnit() { stop(); }
  BenchUnit(const BenchUnit&) = delete;
  BenchUnit& operator=(const BenchUnit&) = delete;

  bool started() const { return !device_.empty(); }
  // The pseudo-terminal behind the link.
  const std::string& device() const { return device_; }
  // Ends the unit now, so that what it wrote (its trace) is complete.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string device_;
};

// The application's link set to the unit on `link`, address 1 at 9600 baud.
inline void useUnitAt9600(AppContext& app, const std::string& link) {
  app.deviceOverride[0] = link;
  app.settings.Com = 0;
  app.settings.Bauds = 5;  // 9600
  app.settings.Jbus = 1;
}

}  // namespace flowdesk::bench
