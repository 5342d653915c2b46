// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PosixSerialDriver.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Texts.h"
#include "link/PortLock.h"

namespace flowdesk {

namespace {

// Accumulated error flags, in the bit values lineErrors() reports (break,
// framing, parity, overrun) plus the ones only dumpStatus shows.
constexpr int kErrRxOver = 0x0001;
constexpr int kErrOverrun = kLineOverrun;
constexpr int kErrParity = kLineParity;
constexpr int kErrFrame = kLineFraming;
constexpr int kErrBreak = kLineBreak;
constexpr int kErrTxFull = 0x0100;
constexpr int kErrMode = 0x8000;  // the device failed a read or write outright

struct BaudEntry {
  long baud;
  speed_t speed;
};

constexpr BaudEntry kBauds[] = {
    {300, B300},     {600, B600},     {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

bool speedFor(long baud, speed_t& speed) {
  for (const auto& e : kBauds) {
    if (e.baud == baud) {
      speed = e.speed;
      return true;
    }
  }
  return false;
}

class PosixDriver final : public PortDriver {
 public:
  int waitDescriptor() const override { return fd; }

  int fd = -1;
  termios tio{};  // what the device was last given
  LineFormat line;
  bool xonXoff = false;
  bool rtsCts = false;
  bool dtrDsr = false;
  bool dtrOn = true;
  bool rtsOn = true;
  int errors = 0;
  serial_icounter_struct counts{};
  bool haveCounts = false;
  std::uint16_t word8250 = 0;  // kept for the dump; this driver has no use for it
  std::string lockPath;        // our UUCP lock file, removed at close
};

PosixDriver& drv(SerialPort& port) {
  return static_cast<PosixDriver&>(*port.driver);
}

// ORs what the device reports since the last look into the accumulated flags.
// Only real UARTs keep these counters; on a pty the call fails and nothing is
// added.
void pollErrors(PosixDriver& d) {
  serial_icounter_struct now{};
  if (::ioctl(d.fd, TIOCGICOUNT, &now) != 0) return;
  if (d.haveCounts) {
    if (now.frame != d.counts.frame) d.errors |= kErrFrame;
    if (now.overrun != d.counts.overrun) d.errors |= kErrOverrun;
    if (now.parity != d.counts.parity) d.errors |= kErrParity;
    if (now.brk != d.counts.brk) d.errors |= kErrBreak;
    if (now.buf_overrun != d.counts.buf_overrun) d.errors |= kErrRxOver;
  }
  d.counts = now;
  d.haveCounts = true;
}

int queuedOut(PosixDriver& d) {
  int n = 0;
  if (::ioctl(d.fd, TIOCOUTQ, &n) != 0) return 0;
  return std::max(n, 0);
}

// An adapter pulled out while the port is open leaves its descriptor hung
// up: the kernel answers EIO from then on, even once the adapter is back
// under the same name (that is a new device, opened anew). Without this the
// line only looked silent, and a quick replug cost a poll said as
// unanswered instead of the device gone and back.
bool hungUp(int error) {
  return error == EIO || error == ENODEV || error == ENXIO;
}

int lostDevice(SerialPort& port, int error) {
  port.systemError = error;
  return port.fail(kPortNoDevice);
}

// What is waiting, or kPortNoDevice when the device went away.
int waitingOrGone(SerialPort& port, PosixDriver& d) {
  int n = 0;
  if (::ioctl(d.fd, FIONREAD, &n) != 0) return hungUp(errno) ? lostDevice(port, errno) : 0;
  return std::max(n, 0);
}

void modemLines(PosixDriver& d, int bits, bool on) {
  // A pty has no modem lines; the call fails there and that is fine.
  ::ioctl(d.fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

// Sends d.tio to the device and checks that the speed stuck.
int applyTermios(SerialPort& port) {
  PosixDriver& d = drv(port);
  if (::tcsetattr(d.fd, TCSANOW, &d.tio) != 0) {
    const int err = errno;
    port.systemError = err;
    return port.fail(err == EINVAL ? kPortBadBaud : mapErrno(err));
  }
  return kPortOk;
}

// ---------------------------------------------------------------------------
// Operations

int posixReadBlock(SerialPort& port, std::uint8_t* buffer, int n) {
  PosixDriver& d = drv(port);
  pollErrors(d);
  port.count = 0;
  if (n <= 0) return kPortOk;
  const int waiting = waitingOrGone(port, d);
  if (waiting < 0) return waiting;
  if (waiting == 0) return kPortTimeout;
  ssize_t r;
  do {
    r = ::read(d.fd, buffer, static_cast<std::size_t>(std::min(waiting, n)));
  } while (r < 0 && errno == EINTR);
  if (r < 0 && hungUp(errno)) return lostDevice(port, errno);
  if (r <= 0) {
    if (r < 0 && errno != EAGAIN) {
      d.errors |= kErrMode;
      port.systemError = errno;
    }
    return kPortTimeout;
  }
  port.count = static_cast<std::uint32_t>(r);
  return kPortOk;
}

int posixReadByte(SerialPort& port) {
  std::uint8_t b = 0;
  const int r = posixReadBlock(port, &b, 1);
  if (r < 0) return r;
  return b;  // 0 to 255: a byte 0xF8 is 248, never a status code
}

int posixWriteBlock(SerialPort& port, const std::uint8_t* bytes, int n) {
  PosixDriver& d = drv(port);
  pollErrors(d);
  port.count = 0;
  if (n <= 0) return kPortOk;
  // The transmit queue is emulated at kPortQueueSize bytes on top of the
  // kernel's (larger) buffer.
  const int room = std::max(0, kPortQueueSize - queuedOut(d));
  const int want = std::min(n, room);
  int written = 0;
  while (written < want) {
    const ssize_t r = ::write(d.fd, bytes + written, static_cast<std::size_t>(want - written));
    if (r > 0) {
      written += static_cast<int>(r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else {
      if (r < 0 && errno != EAGAIN) {
        d.errors |= kErrMode;
        port.systemError = errno;
      } else {
        d.errors |= kErrTxFull;
      }
      break;
    }
  }
  port.count = static_cast<std::uint32_t>(written);
  if (written >= n) return kPortOk;
  return port.fail(kPortTxFull);
}

int posixWriteByte(SerialPort& port, std::uint8_t byte) {
  return posixWriteBlock(port, &byte, 1);
}

int posixClose(SerialPort& port) {
  PosixDriver& d = drv(port);
  int result = kPortOk;
  if (d.fd >= 0) {
    modemLines(d, TIOCM_DTR | TIOCM_RTS, false);
    // The exclusive flag belongs to the tty, not to our descriptor: left set,
    // it would lock out the next open while another process (the virtual
    // unit, say) keeps the device open.
    ::ioctl(d.fd, TIOCNXCL);
    ::flock(d.fd, LOCK_UN);
    if (::close(d.fd) != 0 && errno != EINTR) {
      port.systemError = errno;
      result = mapErrno(errno);
    }
    d.fd = -1;
  }
  releasePortLock(d.lockPath);
  unlinkAndFree(port);
  return result;
}

int posixSetLine(SerialPort& port, long baud, char parity, int dataBits, int stopBits) {
  PosixDriver& d = drv(port);
  LineFormat f = d.line;
  const int checked = parseLineSettings(baud, parity, dataBits, stopBits, f);
  if (checked != kPortOk) return port.fail(checked);
  speed_t speed{};
  if (!speedFor(f.baud, speed)) return port.fail(kPortBadBaud);
  termios t = d.tio;
  if (!setTermiosLine(t, f)) return port.fail(kPortBadDataBits);
  const tcflag_t size = t.c_cflag & CSIZE;
  const termios previous = d.tio;
  d.tio = t;
  if (const int r = applyTermios(port); r != kPortOk) {
    d.tio = previous;
    return r;
  }
  // tcsetattr succeeds when any one change was taken; read back what the
  // device really runs at.
  termios actual{};
  if (::tcgetattr(d.fd, &actual) == 0) {
    int refused = kPortOk;
    if (::cfgetospeed(&actual) != speed) {
      refused = kPortBadBaud;
    } else if ((actual.c_cflag & CSIZE) != size) {
      refused = kPortBadDataBits;  // a pty, for one, only does 8 bits
    }
    if (refused != kPortOk) {
      d.tio = previous;
      ::tcsetattr(d.fd, TCSANOW, &d.tio);
      return port.fail(refused);
    }
  }
  d.line = f;
  return kPortOk;
}

int applyFlow(SerialPort& port, const termios& t) {
  PosixDriver& d = drv(port);
  const termios previous = d.tio;
  d.tio = t;
  if (::tcsetattr(d.fd, TCSANOW, &d.tio) != 0) {
    port.systemError = errno;
    d.tio = previous;
    return port.fail(mapErrno(errno));
  }
  return kPortOk;
}

int posixSetXonXoff(SerialPort& port, bool on) {
  PosixDriver& d = drv(port);
  termios t = d.tio;
  if (on) {
    t.c_iflag |= IXON | IXOFF;
  } else {
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  }
  const int r = applyFlow(port, t);
  if (r == kPortOk) d.xonXoff = on;
  return r;
}

int posixSetRtsCts(SerialPort& port, bool on) {
  PosixDriver& d = drv(port);
  termios t = d.tio;
  if (on) {
    t.c_cflag |= CRTSCTS;
  } else {
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  }
  const int r = applyFlow(port, t);
  if (r != kPortOk) return r;
  d.rtsCts = on;
  if (!on) {
    modemLines(d, TIOCM_RTS, false);
    d.rtsOn = false;
  }
  return kPortOk;
}

int posixSetDtrDsr(SerialPort& port, bool on) {
  PosixDriver& d = drv(port);
  // termios has no DSR flow control: only "off" (which drops DTR) can be done.
  if (on) return port.fail(kPortNotSupported);
  d.dtrDsr = false;
  modemLines(d, TIOCM_DTR, false);
  d.dtrOn = false;
  return kPortOk;
}

int posixSetDtr(SerialPort& port, bool on) {
  PosixDriver& d = drv(port);
  modemLines(d, TIOCM_DTR, on);
  d.dtrOn = on;
  return kPortOk;
}

int posixSetRts(SerialPort& port, bool on) {
  PosixDriver& d = drv(port);
  modemLines(d, TIOCM_RTS, on);
  d.rtsOn = on;
  return kPortOk;
}

int posixTxCount(SerialPort& port) {
  PosixDriver& d = drv(port);
  pollErrors(d);
  return queuedOut(d);
}

int posixTxFree(SerialPort& port) {
  return std::max(0, kPortQueueSize - posixTxCount(port));
}

int posixRxCount(SerialPort& port) {
  PosixDriver& d = drv(port);
  pollErrors(d);
  return waitingOrGone(port, d);
}

int posixRxFree(SerialPort& port) {
  const int n = posixRxCount(port);
  return n < 0 ? n : std::max(0, kPortQueueSize - n);
}

int posixClearOutput(SerialPort& port) {
  PosixDriver& d = drv(port);
  if (::tcflush(d.fd, TCOFLUSH) != 0) {
    port.systemError = errno;
    return port.fail(mapErrno(errno));
  }
  return kPortOk;
}

int posixSendBreak(SerialPort& port, int ms) {
  PosixDriver& d = drv(port);
  // A pty cannot send a break; the calls fail there and the wait still runs.
  ::ioctl(d.fd, TIOCSBRK);
  delay(&port, ms);
  ::ioctl(d.fd, TIOCCBRK);
  return kPortOk;
}

int posixModemStatus(SerialPort& port) {
  PosixDriver& d = drv(port);
  int bits = 0;
  if (::ioctl(d.fd, TIOCMGET, &bits) != 0) return 0;
  int result = 0;
  if (bits & TIOCM_CTS) result |= kModemCts;
  if (bits & TIOCM_DSR) result |= kModemDsr;
  if (bits & TIOCM_RI) result |= kModemRing;
  if (bits & TIOCM_CD) result |= kModemCarrier;
  return result;
}

int posixLineErrors(SerialPort& port) {
  PosixDriver& d = drv(port);
  pollErrors(d);
  return d.errors & (kLineBreak | kLineFraming | kLineParity | kLineOverrun);
}

int posixClearLineErrors(SerialPort& port) {
  drv(port).errors = 0;
  return kPortOk;
}

int posixDumpStatus(SerialPort& port, const LinePrinter& print) {
  if (!print) return kPortOk;
  PosixDriver& d = drv(port);
  const termios& t = d.tio;
  const int line = posixLineErrors(port);
  const int modem = posixModemStatus(port);
  const int rxCount = posixRxCount(port);
  const int txCount = posixTxCount(port);
  const int dtrControl = d.dtrOn ? 1 : 0;
  const int rtsControl = d.rtsCts ? 2 : (d.rtsOn ? 1 : 0);
  const auto bit = [](int flags, int mask) { return (flags & mask) != 0 ? 1 : 0; };
  print("");
  print(printed("Port type:  POSIX termios  BaudRate: %-6ld  ByteSize: %1d  Parity: %1d",
                d.line.baud, d.line.dataBits, static_cast<int>(d.line.parity)));
  print(printed("StopBits: %1d fBinary: %1d  fRtsControl: %1d", d.line.stopBits, 1, rtsControl));
  print(printed(
      "Parity: %1d  OutCtsFlow: %1d  OutDsrFlow: %1d  DtrControl: %1d  OutX: %1d  InX: %1d",
      bit(static_cast<int>(t.c_iflag), INPCK), d.rtsCts ? 1 : 0, d.dtrDsr ? 1 : 0, dtrControl,
      bit(static_cast<int>(t.c_iflag), IXON), bit(static_cast<int>(t.c_iflag), IXOFF)));
  print(printed("Null: %1d  DtrControl: %1d  RtsControl: %1d  XonChar: %02x  XoffChar: %02x", 0,
                dtrControl, rtsControl, t.c_cc[VSTART], t.c_cc[VSTOP]));
  const unsigned limit = kPortQueueSize / 4;
  print(printed("XonLim: %-5u XoffLim: %-5u EofChr: %02x  EvtChr: %02x", limit, limit, 0, 0));
  print(printed("RX count/free: %5d/%-5d  TX count/free: %5d/%-5d  BREAK/FE/OE/PE: %d%d%d%d",
                rxCount, std::max(0, kPortQueueSize - rxCount), txCount,
                std::max(0, kPortQueueSize - txCount), bit(line, kLineBreak),
                bit(line, kLineFraming), bit(line, kLineOverrun), bit(line, kLineParity)));
  print(printed("CE_BREAK:%d  CE_FRAME:%d  CE_MODE:%d CE_OVERRUN:%d", bit(d.errors, kErrBreak),
                bit(d.errors, kErrFrame), bit(d.errors, kErrMode), bit(d.errors, kErrOverrun)));
  print(printed("CE_RXOVER:%d CE_RXPARITY:%d CE_TXFULL:%d  CTS/DSR/RI/CD: %d%d%d%d",
                bit(d.errors, kErrRxOver), bit(d.errors, kErrParity), bit(d.errors, kErrTxFull),
                bit(modem, kModemCts), bit(modem, kModemDsr), bit(modem, kModemRing),
                bit(modem, kModemCarrier)));
  print(printed("8250:%.4x", static_cast<unsigned>(d.word8250)));
  return kPortOk;
}

// The reserved slots and clearStatus keep their base operations.
constexpr SerialOps kPosixOps{
    .readByte = posixReadByte,
    .writeByte = posixWriteByte,
    .close = posixClose,
    .setLine = posixSetLine,
    .setXonXoff = posixSetXonXoff,
    .setRtsCts = posixSetRtsCts,
    .setDtrDsr = posixSetDtrDsr,
    .setDtr = posixSetDtr,
    .setRts = posixSetRts,
    .txFree = posixTxFree,
    .txCount = posixTxCount,
    .rxFree = posixRxFree,
    .rxCount = posixRxCount,
    .clearOutput = posixClearOutput,
    .writeBlock = posixWriteBlock,
    .readBlock = posixReadBlock,
    .dumpStatus = posixDumpStatus,
    .sendBreak = posixSendBreak,
    .modemStatus = posixModemStatus,
    .lineErrors = posixLineErrors,
    .clearLineErrors = posixClearLineErrors,
};

}  // namespace

bool setTermiosLine(termios& t, const LineFormat& f) {
  speed_t speed{};
  if (!speedFor(f.baud, speed)) return false;
  tcflag_t size = 0;
  switch (f.dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return false;
  }
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  t.c_cflag |= size;
  switch (f.parity) {
    case Parity::kNone:
      break;
    case Parity::kOdd:
      t.c_cflag |= PARENB | PARODD;
      break;
    case Parity::kEven:
      t.c_cflag |= PARENB;
      break;
    case Parity::kMark:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case Parity::kSpace:
      t.c_cflag |= PARENB | CMSPAR;
      break;
  }
  if (f.stopBits == 2) t.c_cflag |= CSTOPB;
  return true;
}

bool isSupportedBaud(long baud) {
  speed_t unused{};
  return speedFor(baud, unused);
}

int mapErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTTY:  // a path that is not a serial device at all
      return kPortNoDevice;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:  // flock: flowdesk already holds it
      return kPortInUse;
    case ENOMEM:
      return kPortOutOfMemory;
    default:
      return kPortPlatformError;
  }
}

void openPosixDevice(SerialPort& port, const std::string& path, long baud, char parity,
                     int dataBits, int stopBits) {
  port.device = path;
  // The lock file comes first: opening a tty may already raise its modem
  // lines under the program that holds it.
  std::string lockPath;
  int holder = 0;
  if (takePortLock(path, lockPath, holder) != 0) {
    port.systemError = EBUSY;
    port.fail(kPortInUse);
    return;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    port.systemError = errno;
    port.fail(mapErrno(errno));
    releasePortLock(lockPath);
    return;
  }
  const auto refuse = [&](int err) {
    port.systemError = err;
    port.fail(mapErrno(err));
    ::close(fd);
    releasePortLock(lockPath);
  };
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return refuse(errno);
  // TIOCEXCL keeps other users' programs out; it does not stop root, so a
  // lock on the descriptor also keeps a second flowdesk out.
  if (::ioctl(fd, TIOCEXCL) != 0) return refuse(errno);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::ioctl(fd, TIOCNXCL);
    return refuse(err);
  }

  auto driver = std::make_unique<PosixDriver>();
  driver->fd = fd;
  driver->lockPath = lockPath;
  // Raw, binary, no parity checking, no flow control, reads that return at
  // once with whatever is there: all waiting is done by waitByte.
  ::cfmakeraw(&t);
  t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IXON | IXOFF | IXANY);
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = 0x11;
  t.c_cc[VSTOP] = 0x13;
  driver->tio = t;
  pollErrors(*driver);  // baseline for the error counters
  port.driver = std::move(driver);
  port.status = kPortOk;
  posixSetLine(port, baud, parity, dataBits, stopBits);  // its result stays in status
  modemLines(drv(port), TIOCM_DTR | TIOCM_RTS, true);
  port.ops = kPosixOps;
}

}  // namespace flowdesk
