// SPDX-License-Identifier: GPL-3.0-or-later
// An operation of several exchanges keeps the port's lock from its first
// exchange to its last, while the device still closes after each one:
// another program that wants the port in between is refused with our pid,
// and the lock goes when the operation ends, however it ends. The unit is
// in-process on an in-memory line that names a real character device, so
// that it has a lock file; the other program is a child process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/InProcessCli.h"
#include "cli/MemoryUnitRig.h"
#include "link/PortLock.h"
#include "logger/LoggerViewerSession.h"
#include "measure/MeasurementSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

constexpr const char* kDevice = "/dev/null";

// What another program's take of the port gave: its status (EBUSY when
// refused) and the holder it was told of.
struct Take {
  int status = -1;
  int holder = 0;
};

Take anotherProgramTakes(const std::string& device) {
  std::array<int, 2> pipe{};
  if (::pipe(pipe.data()) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    std::string lockPath;
    std::array<int, 2> got{};
    got[0] = takePortLock(device, lockPath, got[1]);
    releasePortLock(lockPath);
    const bool written = ::write(pipe[1], got.data(), sizeof got) == sizeof got;
    ::_exit(written ? 0 : 1);
  }
  std::array<int, 2> got{-1, 0};
  if (child < 0 || ::read(pipe[0], got.data(), sizeof got) != sizeof got) got = {-1, 0};
  int status = 0;
  if (child > 0) ::waitpid(child, &status, 0);
  ::close(pipe[0]);
  ::close(pipe[1]);
  return {got[0], got[1]};
}

struct HoldRig : testing::MemoryUnitRig {
  testing::InProcessCli cli;
  testing::TempDir locks;
  std::string previousLocks = setLockDirectory(locks.path());
  std::string lock = lockFilePath(kDevice);
  // Exchanges are looked at once the operation runs (a screen's opening
  // reads are none of it).
  bool watching = true;
  int exchanges = 0;
  Take take;               // what the other program got during the third exchange
  int closedUnlocked = 0;  // closes after which the lock was not ours

  HoldRig() {
    line->device = kDevice;
    cli.clock = &clock;
    cli.portOpener = memoryPortOpener(line);
    const auto serve = line->onWrite;
    line->onWrite = [this, serve](MemoryLine& l) {
      if (watching && ++exchanges == 3) take = anotherProgramTakes(kDevice);
      serve(l);
    };
    line->onClose = [this](MemoryLine&) {
      if (watching && lockFilePid(lock) != static_cast<int>(::getpid())) ++closedUnlocked;
    };
  }
  ~HoldRig() { setLockDirectory(previousLocks); }
  HoldRig(const HoldRig&) = delete;
  HoldRig& operator=(const HoldRig&) = delete;

  int run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--lang", "en"});
    return cli.run(args);
  }
};

TEST(OperationHold, TheLockStaysFromTheFirstExchangeToTheLastAndGoesAfter) {
  const int self = static_cast<int>(::getpid());
  struct Case {
    const char* name;
    std::function<bool(HoldRig&)> run;  // true when the operation went as meant
  } cases[] = {
      {"flowdesk-cli upload --config all",
       [](HoldRig& r) {
         return r.run({"new", r.cli.file("n.eta")}) == 0 &&
                r.run({"upload", r.cli.file("n.eta"), "--config", "all"}) == 0;
       }},
      {"an upload that fails half way",
       [](HoldRig& r) {
         r.refuse = [](const testing::Request& q) { return q.function == 16 && q.first == 0x1300; };
         return r.run({"new", r.cli.file("n.eta")}) == 0 &&
                r.run({"upload", r.cli.file("n.eta"), "--config", "all"}) == 1;
       }},
      {"flowdesk-cli download",
       [](HoldRig& r) {
         return r.run({"download", r.cli.file("d.log")}) == 0;
       }},
      {"flowdesk-cli record",
       [](HoldRig& r) {
         return r.run({"record", r.cli.file("r.mes"), "--polls", "3"}) == 0;
       }},
      {"the measurement screen's recording, across its ticks",
       [](HoldRig& r) {
         MeasurementSession s(r.app, {});
         s.openLive();
         if (!s.startRecording(r.cli.file("s.mes"))) return false;
         for (int i = 0; i < 3; ++i) {
           if (s.tick() != MeasurementTick::kRefreshed) return false;
         }
         return s.stopRecording() && s.recordCount() == 3;
       }},
      {"the logger viewer's download, across its ticks",
       [](HoldRig& r) {
         LoggerViewerSession s(r.app, {});
         r.watching = false;
         if (!s.openUnit()) return false;
         for (int i = 0; i < 100 && s.timerMs() != LoggerViewerSession::kTimerStopped; ++i) {
           (void)s.tick();
         }
         if (!s.startDownload(r.cli.file("s.log"))) return false;
         r.watching = true;
         for (int i = 0; i < 10000; ++i) {
           const LoggerTick t = s.tick();
           if (t == LoggerTick::kDownloadEnded) return true;
           if (t == LoggerTick::kDownloadFailed) return false;
         }
         return false;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HoldRig rig;
    ASSERT_FALSE(rig.lock.empty());
    EXPECT_TRUE(c.run(rig));
    EXPECT_GT(rig.exchanges, 3);
    EXPECT_EQ(rig.take.status, EBUSY) << "another program got in between";
    EXPECT_EQ(rig.take.holder, self) << "the refusal names this program";
    EXPECT_EQ(rig.line->opens, rig.line->closes) << "the device closes after each exchange";
    EXPECT_EQ(rig.closedUnlocked, 0) << "the lock stays while the device is closed";
    EXPECT_FALSE(std::filesystem::exists(rig.lock)) << "given back at the end";
  }
}

TEST(OperationHold, HoldsNestAndEndOnEveryPathOut) {
  HoldRig rig;
  JbusMaster& master = rig.app.master;
  const auto exchange = [&master] { return master.readRegisters(0x000A, 1).ok(); };
  const auto ours = [&rig] { return lockFilePid(rig.lock) == static_cast<int>(::getpid()); };
  master.markIdentified();
  ASSERT_TRUE(exchange());
  EXPECT_FALSE(std::filesystem::exists(rig.lock)) << "no hold: nothing kept";
  {
    const PortHold outer = master.holdPort();
    EXPECT_FALSE(std::filesystem::exists(rig.lock)) << "taken at the first exchange";
    ASSERT_TRUE(exchange());
    EXPECT_TRUE(ours());
    {
      PortHold inner = master.holdPort();
      ASSERT_TRUE(exchange());
      inner.release();
    }
    EXPECT_TRUE(ours()) << "the outer hold still runs";
  }
  EXPECT_FALSE(std::filesystem::exists(rig.lock));
  try {
    const PortHold hold = master.holdPort();
    ASSERT_TRUE(exchange());
    EXPECT_TRUE(ours());
    throw std::runtime_error("the operation ends in an exception");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(std::filesystem::exists(rig.lock));
}

}  // namespace
}  // namespace flowdesk
