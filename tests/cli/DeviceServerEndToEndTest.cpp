// SPDX-License-Identifier: GPL-3.0-or-later
// flowdesk-cli through serial device servers in front of flowdesk-unit on its
// pseudo-terminal: ser2net (RFC 2217 and raw) and socat TCP-LISTEN (raw), a
// server that is not there, and one that goes away in the middle of a
// recording and comes back.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/Loopback.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::Finished;
using testing::runProgram;
using testing::TempDir;
using testing::UnitProcess;

bool installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

int freeTcpPort() {
  int port = 0;
  ::close(testing::listenOnLoopback(port));
  return port;
}

bool listening(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// A server program in the background, stopped with the object; ready once
// its port takes a connection.
class Server {
 public:
  Server(std::string program, std::vector<std::string> args, int port)
      : program_(std::move(program)), args_(std::move(args)), port_(port) {
    start();
  }
  ~Server() { stop(); }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  void start() {
    auto argv = testing::argvOf(program_, args_);
    pid_ = ::fork();
    if (pid_ == 0) {
      std::freopen("/dev/null", "w", stderr);
      ::execvp(program_.c_str(), argv.data());
      ::_exit(127);
    }
    // Up to 10 s for the server to listen: a busy machine starts it late.
    for (int i = 0; i < 500 && !listening(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  std::string program_;
  std::vector<std::string> args_;
  int port_;
  pid_t pid_ = -1;
};

struct Rig {
  TempDir dir;
  UnitProcess unit{{"--link", dir.file("unit"), "--address", "7"}};

  Finished cli(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--lang", "en"});
    return runProgram(FLOWDESK_CLI_BIN, std::move(args),
                      {{"XDG_CONFIG_HOME", dir.file("config")},
                       {"XDG_DATA_HOME", dir.file("data")},
                       {"HOME", dir.path()}},
                      dir.path());
  }
  std::unique_ptr<Server> ser2net(bool rfc2217, int port) const {
    const std::string config = dir.file(rfc2217 ? "rfc2217.yaml" : "raw.yaml");
    std::ofstream(config) << "connection: &unit\n  accepter: "
                          << (rfc2217 ? "telnet(rfc2217)," : "") << "tcp,localhost," << port
                          << "\n  connector: serialdev," << unit.device() << ",9600n82,local\n";
    return std::make_unique<Server>("ser2net", std::vector<std::string>{"-n", "-d", "-c", config},
                                    port);
  }
};

std::string at(const char* scheme, int port) {
  return std::string(scheme) + "://localhost:" + std::to_string(port);
}

TEST(DeviceServerEndToEnd, DetectAndRecordThroughEachServer) {
  if (!installed("ser2net") || !installed("socat")) GTEST_SKIP() << "ser2net or socat missing";
  Rig rig;
  ASSERT_FALSE(rig.unit.device().empty());
  struct Case {
    const char* name;
    const char* scheme;
    bool viaSer2net;
    bool rfc2217;
  };
  const Case cases[] = {
      {"ser2net, RFC 2217", "rfc2217", true, true},
      {"ser2net, raw", "tcp", true, false},
      {"socat, raw", "tcp", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int port = freeTcpPort();
    const auto server =
        c.viaSer2net ? rig.ser2net(c.rfc2217, port)
                     : std::make_unique<Server>(
                           "socat",
                           std::vector<std::string>{"TCP-LISTEN:" + std::to_string(port) +
                                                        ",bind=127.0.0.1,reuseaddr,fork",
                                                    "FILE:" + rig.unit.device() + ",rawer,b9600"},
                           port);
    const std::string device = at(c.scheme, port);
    // RFC 2217 scans the rates from 300 baud, setting each on the unit's
    // terminal, and the unit answers at 9600 only: fifteen requests go
    // unanswered first. Raw TCP tries the server's rate alone (three
    // attempts at most: socat's fresh terminal may eat the first reply).
    const Finished detect = rig.cli({"--trace", "--device", device, "detect"});
    EXPECT_EQ(detect.status, 0) << detect.err;
    EXPECT_EQ(detect.out, "Com1 9600 7 " + device + "\n");
    const int requests = testing::countLines(detect.err, "TX");
    if (c.rfc2217) {
      EXPECT_EQ(requests, 16) << detect.err;
    } else {
      EXPECT_LE(requests, 3) << detect.err;
    }
    EXPECT_EQ(detect.err.find("it was not scanned") != std::string::npos, !c.rfc2217) << detect.err;
    const std::string file = rig.dir.file(std::string(c.scheme) + ".mes");
    const Finished record = rig.cli({"--device", device, "--address", "7", "--reply-end", "length",
                                     "record", file, "--polls", "3"});
    EXPECT_EQ(record.status, 0) << record.err;
    const Finished shown = rig.cli({"show", file});
    EXPECT_NE(shown.out.find("records: 3\n"), std::string::npos) << shown.out;
  }
}

TEST(DeviceServerEndToEnd, AServerThatIsNotThereOrGoesAway) {
  if (!installed("ser2net")) GTEST_SKIP() << "ser2net missing";
  Rig rig;
  ASSERT_FALSE(rig.unit.device().empty());
  const int port = freeTcpPort();
  const Finished refused = rig.cli({"--device", at("rfc2217", port), "detect"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_NE(refused.err.find("connection refused"), std::string::npos) << refused.err;

  // ser2net killed a second into a recording and started again two seconds
  // later: the recording waits for it and goes on.
  auto server = rig.ser2net(true, port);
  std::thread outage([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    server->stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    server->start();
  });
  const std::string file = rig.dir.file("outage.mes");
  const Finished record = rig.cli({"--device", at("rfc2217", port), "--address", "7", "record",
                                   file, "--polls", "12", "--reconnect", "20"});
  outage.join();
  EXPECT_EQ(record.status, 0) << record.err;
  EXPECT_NE(record.err.find("is back after"), std::string::npos) << record.err;
  const Finished shown = rig.cli({"show", file});
  EXPECT_NE(shown.out.find("records: 12\n"), std::string::npos) << shown.out;
}

}  // namespace
}  // namespace flowdesk
