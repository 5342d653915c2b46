// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "link/PortLock.h"
#include "link/PosixSerialDriver.h"
#include "link/PtyPeer.h"
#include "link/SerialPort.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::Bytes;
using testing::PtyPair;
using testing::ResolverScope;

constexpr const char* kMissingDevice = "/dev/flowdesk-test-no-such-device";

// Closes a port at the end of a test whatever happens.
struct PortCloser {
  SerialPort* port;
  ~PortCloser() {
    if (port != nullptr) port->close();
  }
};

// Until the port sees `n` bytes: a pty hands bytes over to its terminal side
// asynchronously, so the test waits in poll() on its own descriptor of that
// side (the port's, too) until they are there; the limit only ends a failing
// test.
bool waitForInput(const PtyPair& pty, SerialPort* port, int n) {
  while (port->rxCount() < n) {
    pollfd p{pty.slave(), POLLIN, 0};
    if (::poll(&p, 1, 5000) <= 0) return false;
  }
  return true;
}

// A port whose open failed keeps the base operations: whatever the layers
// above still call on it is refused and reaches no device, and a wait on it
// ends at once instead of for ever.
TEST(SerialPortBase, AFailedOpenRefusesEveryOperationAndReachesNothing) {
  ManualClock clock(1000);
  auto line = std::make_shared<MemoryLine>(clock);
  line->openStatus = kPortNoDevice;
  line->deliver({1, 2, 3, 4}, 0);  // what a device would have had waiting
  SerialPort* port = openMemoryPort(line, 7, 9600, 'N', 8, 2);
  ASSERT_EQ(port->status, kPortNoDevice);
  const std::size_t before = openPortCount();
  std::uint8_t buf[4] = {};
  struct Case {
    const char* name;
    std::function<int(SerialPort&)> call;
  };
  const Case cases[] = {
      {"readByte", [](SerialPort& p) { return p.readByte(); }},
      {"writeByte", [](SerialPort& p) { return p.writeByte(1); }},
      {"setLine", [](SerialPort& p) { return p.setLine(9600, 'N', 8, 1); }},
      {"setXonXoff", [](SerialPort& p) { return p.setXonXoff(true); }},
      {"setRtsCts", [](SerialPort& p) { return p.setRtsCts(true); }},
      {"setDtrDsr", [](SerialPort& p) { return p.setDtrDsr(true); }},
      {"setDtr", [](SerialPort& p) { return p.setDtr(true); }},
      {"setRts", [](SerialPort& p) { return p.setRts(true); }},
      {"txFree", [](SerialPort& p) { return p.txFree(); }},
      {"txCount", [](SerialPort& p) { return p.txCount(); }},
      {"rxFree", [](SerialPort& p) { return p.rxFree(); }},
      {"rxCount", [](SerialPort& p) { return p.rxCount(); }},
      {"clearOutput", [](SerialPort& p) { return p.clearOutput(); }},
      {"writeBlock", [&](SerialPort& p) { return p.writeBlock(buf, 4); }},
      {"readBlock", [&](SerialPort& p) { return p.readBlock(buf, 4); }},
      {"sendBreak", [](SerialPort& p) { return p.sendBreak(1); }},
      {"modemStatus", [](SerialPort& p) { return p.modemStatus(); }},
      {"lineErrors", [](SerialPort& p) { return p.lineErrors(); }},
      {"clearLineErrors", [](SerialPort& p) { return p.clearLineErrors(); }},
  };
  for (const auto& c : cases) {
    port->clearStatus();
    EXPECT_EQ(c.call(*port), kPortNotSupported) << c.name;
    EXPECT_EQ(port->status, kPortNotSupported) << c.name;
  }
  EXPECT_EQ(waitByte(port, -1), kPortNotSupported);
  EXPECT_EQ(clock.nowMs(), 1000);
  EXPECT_TRUE(line->sentLog.empty());
  EXPECT_FALSE(line->isOpen || line->dtr || line->rts);
  EXPECT_EQ(line->breaks + line->outputClears, 0);
  EXPECT_EQ(port->close(), 0);
  EXPECT_EQ(line->closes, 0);  // there was nothing to close
  EXPECT_EQ(openPortCount(), before - 1);
}

TEST(SerialPortOpen, FailuresCarryTheirStatusDeviceAndErrno) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, kMissingDevice}, {1, "/dev/null"}, {2, pty.path()}});
  struct Case {
    int index;
    int status;
    const char* device;
  };
  const Case cases[] = {
      {0, kPortNoDevice, kMissingDevice},
      {1, kPortNoDevice, "/dev/null"},  // exists, but is no serial device
      {5, kPortInvalidId, ""},          // nothing configured for the index
  };
  for (const auto& c : cases) {
    SerialPort* port = openPort(c.index, 9600, 'N', 8, 2);
    EXPECT_EQ(port->status, c.status) << c.index;
    EXPECT_EQ(port->device, c.device);
    EXPECT_EQ(lastOpenDevice(), c.device);
    EXPECT_EQ(port->portIndex, c.index);
    EXPECT_EQ(port->close(), 0);
  }
  SerialPort* missing = openPort(0, 9600, 'N', 8, 2);
  EXPECT_EQ(lastOpenErrno(), ENOENT);
  missing->close();
}

TEST(SerialPortOpen, NoResolverMeansInvalidPort) {
  const PortResolver previous = setPortResolver(nullptr);
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  EXPECT_EQ(port->status, kPortInvalidId);
  port->close();
  setPortResolver(previous);
}

TEST(SerialPortOpen, SecondOpenIsRefusedUntilTheFirstCloses) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* first = openPort(0, 9600, 'N', 8, 2);
  ASSERT_EQ(first->status, kPortOk);
  SerialPort* second = openPort(0, 9600, 'N', 8, 2);
  EXPECT_EQ(second->status, kPortInUse);
  EXPECT_EQ(second->device, pty.path());
  second->close();
  EXPECT_EQ(first->close(), 0);
  // Closing must give the device back, even though another descriptor (the
  // test's own, like the virtual unit's) keeps the tty open.
  SerialPort* again = openPort(0, 9600, 'N', 8, 2);
  EXPECT_EQ(again->status, kPortOk);
  again->close();
}

// The UUCP lock file, in a folder of the test's own.
class LockFolder {
 public:
  LockFolder() : previous_(setLockDirectory(dir_.path())) {}
  ~LockFolder() { setLockDirectory(previous_); }
  LockFolder(const LockFolder&) = delete;
  LockFolder& operator=(const LockFolder&) = delete;
  std::string file(const std::string& name) const { return dir_.file(name); }
  void use(const std::string& folder) { setLockDirectory(folder); }

 private:
  testing::TempDir dir_;
  std::string previous_;
};

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string lockText(int pid) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", pid);
  return text;
}

// A pid no process can have: the kernel hands out pids below pid_max.
int deadPid() {
  std::ifstream in("/proc/sys/kernel/pid_max");
  int max = 0;
  return in >> max && max > 0 ? max : 0x7FFFFFFF;
}

TEST(SerialPortLock, TakenWhileOpenAndALiveOneRefuses) {
  const int parent = static_cast<int>(::getppid());
  struct Case {
    const char* name;
    std::string before;  // the lock file's content before the open; empty: none
    bool folder;         // the lock folder exists
    int status;
  };
  const Case cases[] = {
      {"no lock", "", true, kPortOk},
      {"a live program's lock", lockText(parent), true, kPortInUse},
      {"a lock whose program is gone", lockText(deadPid()), true, kPortOk},
      {"a lock that names no pid", "garbage\n", true, kPortOk},
      {"no lock folder", "", false, kPortOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    ResolverScope resolver({{0, pty.path()}});
    LockFolder locks;
    if (!c.folder) locks.use(locks.file("none"));
    const std::string lock = lockFilePath(pty.path());
    const std::string name = "LCK.." + std::filesystem::path(pty.path()).filename().string();
    ASSERT_EQ(lock, locks.file(c.folder ? name : "none/" + name));
    if (!c.before.empty()) std::ofstream(lock) << c.before;

    SerialPort* port = openPort(0, 9600, 'N', 8, 2);
    EXPECT_EQ(port->status, c.status);
    if (c.status == kPortOk) {
      EXPECT_EQ(fileText(lock), c.folder ? lockText(static_cast<int>(::getpid())) : "");
      EXPECT_EQ(port->close(), 0);
      EXPECT_FALSE(std::filesystem::exists(lock));  // ours goes with the port
      continue;
    }
    EXPECT_EQ(port->systemError, EBUSY);
    port->close();
    EXPECT_EQ(fileText(lock), c.before);  // another program's lock stays
    const std::vector<DeviceHolder> holders = deviceHolders(pty.path());
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(holders[0].pid, parent);
    EXPECT_EQ(holders[0].program, programName(parent));
  }
}

TEST(SerialPortLock, ABusyDeviceNamesTheProgramThatHoldsIt) {
  // Another program that has the device open and locked, without a lock
  // file: a child of ours, holding a lock on a descriptor of its own.
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  LockFolder locks;
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
    ::close(release[1]);
    if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
    char end;
    while (::read(release[0], &end, 1) > 0) {
    }
    ::_exit(0);
  }
  ::close(release[0]);
  char ok = 'n';
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');

  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  EXPECT_EQ(port->status, kPortInUse);
  EXPECT_EQ(port->systemError, EWOULDBLOCK);
  port->close();
  EXPECT_FALSE(std::filesystem::exists(lockFilePath(pty.path())));  // given back
  const std::vector<DeviceHolder> holders = deviceHolders(pty.path());

  ::close(release[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(holders[0].pid, child);
  EXPECT_EQ(holders[0].program,
            programName(static_cast<int>(::getpid())));  // a fork keeps the name
}

TEST(SerialPortLine, SettingsReachTheDeviceOrGiveTheirCode) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  // A pty takes speed and stop bits but forces 8 bits without parity, so
  // fewer data bits are refused by the device, as a UART refuses 9.
  struct Case {
    long baud;
    char parity;
    int dataBits;
    int stopBits;
    int result;
    speed_t speed;
    bool twoStopBits;
  };
  const Case cases[] = {
      {9600, 'N', 8, 2, kPortOk, B9600, true},       {1200, 'n', 8, 1, kPortOk, B1200, false},
      {300, 'e', 8, 1, kPortOk, B300, false},        {115200, 'O', 8, 2, kPortOk, B115200, true},
      {4800, 'X', 8, 1, kPortBadParity, 0, false},   {4800, 'N', 8, 3, kPortBadStopBits, 0, false},
      {4800, 'N', 8, 0, kPortBadStopBits, 0, false}, {230400, 'N', 8, 1, kPortBadBaud, 0, false},
      {14400, 'N', 8, 1, kPortBadBaud, 0, false},  // not in the table
      {4800, 'N', 9, 1, kPortBadDataBits, 0, false}, {4800, 'N', 7, 1, kPortBadDataBits, 0, false},
  };
  for (const auto& c : cases) {
    port->clearStatus();
    const int r = port->setLine(c.baud, c.parity, c.dataBits, c.stopBits);
    EXPECT_EQ(r, c.result) << c.baud << c.parity << c.dataBits << c.stopBits;
    EXPECT_EQ(port->status, c.result);
    if (c.result != kPortOk) continue;
    termios t{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), c.speed) << c.baud;
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStopBits) << c.baud;
  }
  // A refused setting leaves the device as it was.
  ASSERT_EQ(port->setLine(2400, 'N', 8, 1), 0);
  EXPECT_EQ(port->setLine(9600, 'N', 7, 2), kPortBadDataBits);
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B2400));
  EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
}

TEST(SerialPortLine, FormatToTermios) {
  struct Case {
    char parity;
    int dataBits;
    int stopBits;
    tcflag_t flags;  // of CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
  };
  const Case cases[] = {
      {'N', 8, 2, CS8 | CSTOPB},          {'E', 7, 1, CS7 | PARENB},
      {'o', 8, 1, CS8 | PARENB | PARODD}, {'M', 5, 2, CS5 | PARENB | PARODD | CMSPAR | CSTOPB},
      {'s', 6, 1, CS6 | PARENB | CMSPAR},
  };
  for (const auto& c : cases) {
    LineFormat f;
    ASSERT_EQ(parseLineSettings(4800, c.parity, c.dataBits, c.stopBits, f), kPortOk);
    termios t{};
    t.c_cflag = CS8 | PARENB | PARODD | CMSPAR | CSTOPB | CLOCAL;  // all to be replaced
    ASSERT_TRUE(setTermiosLine(t, f));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), c.flags) << c.parity;
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);  // nothing else touched
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B4800));
  }
  LineFormat nine;
  nine.dataBits = 9;
  termios t{};
  EXPECT_FALSE(setTermiosLine(t, nine));
}

TEST(SerialPortLine, OpenLeavesTheDeviceRaw) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  // Start from a cooked tty, as a freshly plugged device is.
  termios cooked{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &cooked), 0);
  cooked.c_lflag |= ICANON | ECHO;
  cooked.c_iflag |= ICRNL | IXON;
  cooked.c_oflag |= OPOST | ONLCR;
  ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &cooked), 0);
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  termios t{};
  ASSERT_EQ(::tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | INPCK | ISTRIP), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  // CR, LF and the XON/XOFF bytes must pass untouched both ways.
  const Bytes special{0x0D, 0x0A, 0x11, 0x13, 0x00, 0x7F};
  pty.send(special);
  ASSERT_TRUE(waitForInput(pty, port, 6));
  std::uint8_t in[6] = {};
  EXPECT_EQ(port->readBlock(in, 6), 0);
  EXPECT_EQ(Bytes(in, in + 6), special);
  EXPECT_EQ(port->writeBlock(special.data(), 6), 0);
  EXPECT_EQ(pty.receive(6), special);
}

TEST(SerialPortIo, BlocksBytesAndDrain) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);

  // Nothing waiting: -8 with count 0, and not stored as a failure.
  std::uint8_t buf[64] = {};
  EXPECT_EQ(port->readBlock(buf, 64), kPortTimeout);
  EXPECT_EQ(port->count, 0u);

  // 64 asked, 10 waiting: all ten, and success.
  pty.send({0xF8, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF});
  ASSERT_TRUE(waitForInput(pty, port, 10));
  EXPECT_EQ(port->rxCount(), 10);
  EXPECT_EQ(port->rxFree(), kPortQueueSize - 10);
  EXPECT_EQ(port->readBlock(buf, 64), 0);
  EXPECT_EQ(port->count, 10u);
  EXPECT_EQ(buf[0], 0xF8);
  EXPECT_EQ(buf[9], 0xFF);

  // High bytes come back as 0..255, never as a status code.
  pty.send({0xF8, 0xFF, 0x80});
  ASSERT_TRUE(waitForInput(pty, port, 3));
  EXPECT_EQ(port->readByte(), 248);
  EXPECT_EQ(waitByte(port, 0), 255);
  EXPECT_EQ(waitByte(port, 100), 128);

  // drainInput empties the queue completely, past its 64-byte scratch.
  pty.send(Bytes(300, 0x55));
  ASSERT_TRUE(waitForInput(pty, port, 300));
  EXPECT_EQ(drainInput(port), 0);
  EXPECT_EQ(port->rxCount(), 0);
  EXPECT_EQ(drainInput(port), 0);  // nothing there is fine too

  // Writes arrive byte for byte.
  const Bytes out{0x00, 0x03, 0x22, 0x02, 0x00, 0x01, 0x2E, 0x63};
  for (std::uint8_t b : out) EXPECT_EQ(port->writeByte(b), 0);
  EXPECT_EQ(pty.receive(out.size()), out);
}

TEST(SerialPortIo, WriteBeyondTheTransmitQueueQueuesWhatFits) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  const Bytes big(2000, 0xA5);
  EXPECT_EQ(port->writeBlock(big.data(), 2000), kPortTxFull);
  EXPECT_EQ(port->status, kPortTxFull);
  EXPECT_EQ(port->count, static_cast<std::uint32_t>(kPortQueueSize));
  EXPECT_EQ(pty.receive(kPortQueueSize), Bytes(kPortQueueSize, 0xA5));
}

TEST(SerialPortWait, TimeoutZeroLooksOnceAndRunsTheHookOnce) {
  ManualClock clock(1000);
  auto line = std::make_shared<MemoryLine>(clock);
  SerialPort* port = openMemoryPort(line, 0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  int calls = 0;
  SerialPort* seen = nullptr;
  ScopedIdleHook hook([&](SerialPort* p) {
    ++calls;
    seen = p;
    return 0;
  });
  EXPECT_EQ(waitByte(port, 0), kPortTimeout);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, port);
  // A byte already there comes back without the hook.
  line->deliver({0x42}, clock.nowMs());
  calls = 0;
  EXPECT_EQ(waitByte(port, 0), 0x42);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(clock.nowMs(), 1000);
}

TEST(SerialPortWait, HookEndsAnUnlimitedWaitWithItsCode) {
  ManualClock clock(1000);
  auto line = std::make_shared<MemoryLine>(clock);
  SerialPort* port = openMemoryPort(line, 0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  int calls = 0;
  ScopedIdleHook hook([&](SerialPort*) { return ++calls == 4 ? -77 : 0; });
  EXPECT_EQ(waitByte(port, -1), -77);
  EXPECT_EQ(port->status, -77);
  EXPECT_EQ(calls, 4);
  // ... and a delay the same way, long before its end.
  calls = 0;
  const std::int64_t start = clock.nowMs();
  EXPECT_EQ(delay(port, 10'000), -77);
  EXPECT_EQ(calls, 4);
  EXPECT_LT(clock.nowMs() - start, 10'000);
}

TEST(SerialPortWait, WaitsRunOnTheInjectedClockInSlices) {
  ManualClock clock(1000);
  auto line = std::make_shared<MemoryLine>(clock);
  SerialPort* port = openMemoryPort(line, 0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  int calls = 0;
  ScopedIdleHook hook([&](SerialPort*) { return ++calls, 0; });
  struct Case {
    int limitMs;
    std::int64_t elapsed;
    int hookCalls;
  };
  const Case cases[] = {{0, 0, 1}, {3, 3, 2}, {5, 5, 2}, {12, 12, 4}, {1000, 1000, 201}};
  for (const auto& c : cases) {
    calls = 0;
    const std::int64_t start = clock.nowMs();
    EXPECT_EQ(waitByte(port, c.limitMs), kPortTimeout) << c.limitMs;
    EXPECT_EQ(clock.nowMs() - start, c.elapsed) << c.limitMs;
    EXPECT_EQ(calls, c.hookCalls) << c.limitMs;
  }
  // A byte arriving within the limit ends the wait when it arrives.
  line->deliver({0x99}, clock.nowMs() + 42);
  const std::int64_t start = clock.nowMs();
  EXPECT_EQ(waitByte(port, 400), 0x99);
  EXPECT_EQ(clock.nowMs() - start, 45);  // the first slice boundary after 42
  // delay: the full time, hook every slice.
  calls = 0;
  EXPECT_EQ(delay(port, 600), 0);
  EXPECT_EQ(clock.nowMs() - start, 645);
  EXPECT_EQ(calls, 120);
}

// A byte the device gets while the port waits ends the wait then, on a real
// device as on the in-memory line: the wait looks at the descriptor between
// its slices. The manual clock keeps the limit from costing real time.
TEST(SerialPortWait, ByteArrivingDuringTheWaitIsTakenAtOnce) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  ManualClock clock(1000);
  port->clock = &clock;
  std::thread writer([&] { pty.send({0xF8}); });
  EXPECT_EQ(waitByte(port, 5000), 248);
  writer.join();
  EXPECT_LT(clock.nowMs() - 1000, 5000);
}

TEST(SerialPortDump, NineLinesFromTheDevice) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  SerialPort* port = openPort(0, 4800, 'E', 8, 1);
  PortCloser closer{port};
  ASSERT_EQ(port->status, kPortOk);
  pty.send({1, 2, 3});
  ASSERT_TRUE(waitForInput(pty, port, 3));
  std::vector<std::string> lines;
  EXPECT_EQ(port->dumpStatus([&](const std::string& l) { lines.push_back(l); }), 0);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Port type:  POSIX termios  BaudRate: 4800    ByteSize: 8  Parity: 2");
  EXPECT_EQ(lines[4], "Null: 0  DtrControl: 1  RtsControl: 1  XonChar: 11  XoffChar: 13");
  EXPECT_EQ(lines[5], "XonLim: 262   XoffLim: 262   EofChr: 00  EvtChr: 00");
  EXPECT_EQ(lines[6],
            "RX count/free:     3/1047   TX count/free:     0/1050   BREAK/FE/OE/PE: 0000");
  EXPECT_EQ(lines[9], "8250:0000");
}

TEST(SerialPortList, ExitActionClosesEveryPortNewestFirst) {
  closeAllPorts();
  std::vector<int> order;
  std::vector<std::shared_ptr<MemoryLine>> lines;
  for (int i = 0; i < 3; ++i) {
    lines.push_back(std::make_shared<MemoryLine>());
    lines.back()->onClose = [&order, i](MemoryLine&) { order.push_back(i); };
    openMemoryPort(lines.back(), i, 9600, 'N', 8, 2);
  }
  SerialPort* failed = openPort(9, 9600, 'N', 8, 2);  // failed opens stay listed too
  EXPECT_NE(failed->status, 0);
  EXPECT_EQ(openPortCount(), 4u);
  closeAllPorts();
  EXPECT_EQ(openPortCount(), 0u);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
  for (const auto& line : lines) {
    EXPECT_EQ(line->closes, 1);
    EXPECT_FALSE(line->dtr);
  }
}

TEST(MemoryLine, WritesReachThePeerAndQueueLimitsHold) {
  ManualClock clock;
  auto line = std::make_shared<MemoryLine>(clock);
  Bytes answered;
  line->onWrite = [&](MemoryLine& l) {
    const Bytes request = l.takeRequest();
    if (!request.empty()) {
      answered = request;
      l.deliverAtBaud({0xAA, 0xBB}, 9600, 10);
    }
  };
  SerialPort* port = openMemoryPort(line, 0, 9600, 'N', 8, 2);
  PortCloser closer{port};
  ASSERT_EQ(port->status, 0);
  EXPECT_TRUE(line->dtr && line->rts);
  const Bytes request = testing::withCrc({1, 16, 0x23, 0x01, 0, 1, 2, 0x12, 0x34});
  for (std::size_t i = 0; i + 1 < request.size(); ++i) port->writeByte(request[i]);
  EXPECT_TRUE(answered.empty());  // one byte short of a request
  port->writeByte(request.back());
  EXPECT_EQ(answered, request);
  EXPECT_EQ(port->rxCount(), 0);  // still on the wire
  clock.advance(11);
  EXPECT_EQ(port->rxCount(), 1);  // 10 ms turnaround + 1.15 ms for the first byte
  clock.advance(2);
  EXPECT_EQ(port->rxCount(), 2);

  line->txRoom = 3;
  const Bytes five{1, 2, 3, 4, 5};
  EXPECT_EQ(port->writeBlock(five.data(), 5), kPortTxFull);
  EXPECT_EQ(port->count, 3u);

  auto refused = std::make_shared<MemoryLine>(clock);
  refused->openStatus = kPortInUse;
  SerialPort* busy = openMemoryPort(refused, 1, 9600, 'N', 8, 2);
  EXPECT_EQ(busy->status, kPortInUse);
  EXPECT_EQ(refused->opens, 1);
  EXPECT_EQ(busy->writeByte(1), kPortNotSupported);
  busy->close();
}

// A driver's table names the slots it fills; the others must keep working as
// the base ones do rather than be empty.
TEST(SerialPortTables, SlotsADriverLeavesOutKeepTheBaseOperation) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ResolverScope resolver({{0, pty.path()}});
  auto line = std::make_shared<MemoryLine>();
  struct Case {
    const char* driver;
    SerialPort* port;
  };
  const Case cases[] = {{"posix", openPort(0, 9600, 'N', 8, 2)},
                        {"memory", openMemoryPort(line, 1, 9600, 'N', 8, 2)}};
  for (const Case& c : cases) {
    PortCloser closer{c.port};
    ASSERT_EQ(c.port->status, kPortOk) << c.driver;
    EXPECT_EQ(c.port->ops.reserved1(*c.port), kPortNotSupported) << c.driver;
    EXPECT_EQ(c.port->ops.reserved2(*c.port), kPortNotSupported) << c.driver;
    EXPECT_EQ(c.port->status, kPortNotSupported) << c.driver;
    c.port->clearStatus();
    EXPECT_EQ(c.port->status, kPortOk) << c.driver;
  }
  std::vector<std::string> lines;
  SerialPort* memory = openMemoryPort(line, 1, 9600, 'N', 8, 2);
  PortCloser closer{memory};
  EXPECT_EQ(memory->dumpStatus([&](const std::string& l) { lines.push_back(l); }),
            kPortNotSupported);
  EXPECT_EQ(lines, (std::vector<std::string>{"Port dump not supported for this driver", ""}));
  // Neighbouring slots of one signature reach their own operation.
  memory->setDtr(false);
  EXPECT_FALSE(line->dtr);
  EXPECT_TRUE(line->rts);
  memory->setRts(false);
  EXPECT_FALSE(line->rts);
}

}  // namespace
}  // namespace flowdesk
