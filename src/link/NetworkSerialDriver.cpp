// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/NetworkSerialDriver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace flowdesk {

namespace {

constexpr const char* kRawScheme = "tcp://";
constexpr const char* kRfc2217Scheme = "rfc2217://";

}  // namespace

bool isNetworkDevice(const std::string& path) {
  return path.starts_with(kRawScheme) || path.starts_with(kRfc2217Scheme);
}

bool isRawNetworkDevice(const std::string& path) {
  return path.starts_with(kRawScheme);
}

bool parseNetworkDevice(const std::string& path, NetworkDevice& out) {
  std::string rest;
  if (path.starts_with(kRawScheme)) {
    out.protocol = NetworkProtocol::kRaw;
    rest = path.substr(std::char_traits<char>::length(kRawScheme));
  } else if (path.starts_with(kRfc2217Scheme)) {
    out.protocol = NetworkProtocol::kRfc2217;
    rest = path.substr(std::char_traits<char>::length(kRfc2217Scheme));
  } else {
    return false;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = rest.substr(0, colon);
  const std::string portText = rest.substr(colon + 1);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  } else if (host.find_first_of(":/[]@ ") != std::string::npos) {
    return false;  // an IPv6 address needs its brackets; nothing else has these
  }
  if (portText.empty() || portText.size() > 5 ||
      !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  const int port = std::stoi(portText);
  if (port < 1 || port > 65535) return false;
  out.host = host;
  out.port = port;
  return true;
}

// ---------------------------------------------------------------------------
// Telnet

namespace {

// Byte by byte: GCC 12 at -O3 takes a vector's insert of a short list, once
// inlined, for a write past the end (-Wstringop-overflow, -Warray-bounds).
void append(std::vector<std::uint8_t>& out, std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) out.push_back(b);
}

void command(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t opt) {
  append(out, {telnet::kIac, verb, opt});
}

void comPortCommand(std::vector<std::uint8_t>& out, std::uint8_t code,
                    std::initializer_list<std::uint8_t> value) {
  append(out, {telnet::kIac, telnet::kSb, telnet::kComPort, code});
  for (std::uint8_t b : value) {
    out.push_back(b);
    if (b == telnet::kIac) out.push_back(b);
  }
  append(out, {telnet::kIac, telnet::kSe});
}

}  // namespace

bool TelnetSession::weOffer(std::uint8_t opt) const {
  return opt == telnet::kBinary || opt == telnet::kSuppressGoAhead || opt == telnet::kComPort;
}

bool TelnetSession::weAccept(std::uint8_t opt) const {
  return opt == telnet::kBinary || opt == telnet::kSuppressGoAhead;
}

std::vector<std::uint8_t> TelnetSession::greeting() {
  std::vector<std::uint8_t> out;
  for (std::uint8_t opt : {telnet::kComPort, telnet::kBinary, telnet::kSuppressGoAhead}) {
    command(out, telnet::kWill, opt);
    asked_[opt] = true;
  }
  for (std::uint8_t opt : {telnet::kBinary, telnet::kSuppressGoAhead}) {
    command(out, telnet::kDo, opt);
    askedDo_[opt] = true;
  }
  return out;
}

void TelnetSession::option(std::uint8_t verb, std::uint8_t opt,
                           std::vector<std::uint8_t>& replies) {
  // Answer a request only when it changes something, and never answer an
  // answer: two ends that acknowledge acknowledgements never stop.
  switch (verb) {
    case telnet::kWill:
      if (!weAccept(opt)) {
        command(replies, telnet::kDont, opt);
      } else if (!remoteOn_[opt]) {
        remoteOn_[opt] = true;
        if (!askedDo_[opt]) command(replies, telnet::kDo, opt);
      }
      askedDo_[opt] = false;
      break;
    case telnet::kWont:
      if (remoteOn_[opt] && !askedDo_[opt]) command(replies, telnet::kDont, opt);
      remoteOn_[opt] = false;
      askedDo_[opt] = false;
      break;
    case telnet::kDo:
      if (!weOffer(opt)) {
        command(replies, telnet::kWont, opt);
      } else if (!localOn_[opt]) {
        localOn_[opt] = true;
        if (!asked_[opt]) command(replies, telnet::kWill, opt);
      }
      asked_[opt] = false;
      break;
    case telnet::kDont:
      if (localOn_[opt] && !asked_[opt]) command(replies, telnet::kWont, opt);
      localOn_[opt] = false;
      asked_[opt] = false;
      if (opt == telnet::kComPort) comPortRefused_ = true;
      break;
    default:
      break;
  }
}

void TelnetSession::subnegotiation() {
  // The server's answers to our settings are not waited for; only its
  // notifications of the line and modem states are kept.
  if (sub_.size() < 3 || sub_[0] != telnet::kComPort) return;
  if (sub_[1] == telnet::kNotifyLineState) lineState_ = sub_[2] & 0x1E;
  if (sub_[1] == telnet::kNotifyModemState) modemState_ = sub_[2] & 0xF0;
}

void TelnetSession::receive(const std::uint8_t* bytes, std::size_t n,
                            std::deque<std::uint8_t>& data, std::vector<std::uint8_t>& replies) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = bytes[i];
    switch (state_) {
      case State::kData:
        if (b == telnet::kIac) {
          state_ = State::kIac;
          break;
        }
        // Outside binary mode a carriage return travels as CR NUL.
        if (!(b == 0 && lastWasCr_ && !remoteOn_[telnet::kBinary])) data.push_back(b);
        lastWasCr_ = b == '\r';
        break;
      case State::kIac:
        if (b == telnet::kIac) {
          data.push_back(b);
          lastWasCr_ = false;
          state_ = State::kData;
        } else if (b == telnet::kWill || b == telnet::kWont || b == telnet::kDo ||
                   b == telnet::kDont) {
          verb_ = b;
          state_ = State::kOption;
        } else if (b == telnet::kSb) {
          sub_.clear();
          state_ = State::kSub;
        } else {
          state_ = State::kData;  // NOP, go-ahead and the like carry nothing
        }
        break;
      case State::kOption:
        option(verb_, b, replies);
        state_ = State::kData;
        break;
      case State::kSub:
        if (b == telnet::kIac) {
          state_ = State::kSubIac;
        } else if (sub_.size() < 64) {
          sub_.push_back(b);
        }
        break;
      case State::kSubIac:
        if (b == telnet::kSe) {
          subnegotiation();
          state_ = State::kData;
        } else {
          if (b == telnet::kIac && sub_.size() < 64) sub_.push_back(b);
          state_ = State::kSub;
        }
        break;
    }
  }
}

void TelnetSession::escape(const std::uint8_t* bytes, std::size_t n,
                           std::vector<std::uint8_t>& out) const {
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == telnet::kIac) out.push_back(telnet::kIac);
    if (bytes[i] == '\r' && !localOn_[telnet::kBinary]) out.push_back(0);
  }
}

std::vector<std::uint8_t> TelnetSession::lineCommands(const LineFormat& f) {
  std::vector<std::uint8_t> out;
  const auto baud = static_cast<std::uint32_t>(f.baud);
  comPortCommand(out, telnet::kSetBaud,
                 {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
                  static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)});
  comPortCommand(out, telnet::kSetDataSize, {static_cast<std::uint8_t>(f.dataBits)});
  // RFC 2217 numbers the parities from 1: none, odd, even, mark, space.
  comPortCommand(out, telnet::kSetParity,
                 {static_cast<std::uint8_t>(static_cast<int>(f.parity) + 1)});
  comPortCommand(out, telnet::kSetStopSize, {static_cast<std::uint8_t>(f.stopBits)});
  return out;
}

std::vector<std::uint8_t> TelnetSession::controlCommand(std::uint8_t value) {
  std::vector<std::uint8_t> out;
  comPortCommand(out, telnet::kSetControl, {value});
  return out;
}

// ---------------------------------------------------------------------------
// The driver

namespace {

using Steady = std::chrono::steady_clock;

class NetworkDriver final : public PortDriver {
 public:
  ~NetworkDriver() override {
    if (fd >= 0) ::close(fd);
  }
  int waitDescriptor() const override { return fd; }

  int fd = -1;
  NetworkDevice where;
  TelnetSession telnet;
  std::deque<std::uint8_t> rx;   // the unit's bytes not read yet
  std::vector<std::uint8_t> tx;  // bytes for the server, sent before the next read
  bool closed = false;
  NetworkCause closedCause = NetworkCause::kNone;
  int closedError = 0;  // the system's errno, when it gave one
  LineFormat line;
  bool dtrOn = true;
  bool rtsOn = true;

  bool rfc2217() const { return where.protocol == NetworkProtocol::kRfc2217; }
};

NetworkDriver& drv(SerialPort& port) {
  return static_cast<NetworkDriver&>(*port.driver);
}

void lose(NetworkDriver& d, NetworkCause cause, int err = 0) {
  if (d.closed) return;
  d.closed = true;
  d.closedCause = cause;
  d.closedError = err;
}

// Sends what is queued. A frame goes out in one piece: a server that got it
// byte by byte over a slow network could put gaps into it on its line, and
// a gap of 1.5 characters ends a frame for the unit.
void flushOut(NetworkDriver& d) {
  std::size_t sent = 0;
  const auto deadline = Steady::now() + std::chrono::milliseconds(kConnectLimitMs);
  while (sent < d.tx.size() && !d.closed) {
    const ssize_t r = ::send(d.fd, d.tx.data() + sent, d.tx.size() - sent, MSG_NOSIGNAL);
    if (r > 0) {
      sent += static_cast<std::size_t>(r);
    } else if (r < 0 && errno == EINTR) {
      continue;
    } else if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Steady::now() < deadline) {
      pollfd p{d.fd, POLLOUT, 0};
      ::poll(&p, 1, kWaitSliceMs);
    } else {
      if (r < 0 && errno != EAGAIN) {
        lose(d, NetworkCause::kClosed, errno);
      } else {
        lose(d, NetworkCause::kTimedOut, ETIMEDOUT);
      }
    }
  }
  d.tx.clear();
}

// Takes in what the server has sent, as a serial port's receive buffer
// would: up to kNetworkRxLimit bytes wait to be read, and what comes beyond
// is dropped as a line that overruns drops it. One call reads no more than
// that much, so a server that streams without end cannot hold the reader.
void pump(NetworkDriver& d) {
  if (!d.tx.empty()) flushOut(d);
  std::uint8_t buffer[2048];
  for (std::size_t taken = 0; !d.closed && taken < kNetworkRxLimit;) {
    const ssize_t r = ::recv(d.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (r > 0) {
      const auto n = static_cast<std::size_t>(r);
      taken += n;
      if (d.rfc2217()) {
        // The server's commands among them are still answered.
        d.telnet.receive(buffer, n, d.rx, d.tx);
        if (d.rx.size() > kNetworkRxLimit) d.rx.resize(kNetworkRxLimit);
      } else {
        const std::size_t room = kNetworkRxLimit - std::min(d.rx.size(), kNetworkRxLimit);
        d.rx.insert(d.rx.end(), buffer, buffer + std::min(n, room));
      }
      if (n < sizeof buffer) break;
    } else if (r == 0) {
      lose(d, NetworkCause::kClosed);
    } else if (errno == EINTR) {
      continue;
    } else {
      if (errno != EAGAIN && errno != EWOULDBLOCK) lose(d, NetworkCause::kClosed, errno);
      break;
    }
  }
  if (!d.tx.empty()) flushOut(d);
}

int lost(SerialPort& port) {
  port.networkCause = drv(port).closedCause;
  port.systemError = drv(port).closedError;
  return port.fail(kPortNoDevice);
}

int netRxCount(SerialPort& port) {
  NetworkDriver& d = drv(port);
  pump(d);
  if (d.rx.empty() && d.closed) return lost(port);
  return static_cast<int>(d.rx.size());
}

int netRxFree(SerialPort& port) {
  const int n = netRxCount(port);
  return n < 0 ? n : std::max(0, kPortQueueSize - n);
}

int netReadBlock(SerialPort& port, std::uint8_t* buffer, int n) {
  NetworkDriver& d = drv(port);
  port.count = 0;
  if (n <= 0) return kPortOk;
  pump(d);
  if (d.rx.empty()) return d.closed ? lost(port) : kPortTimeout;
  const auto take = std::min<std::size_t>(d.rx.size(), static_cast<std::size_t>(n));
  std::copy_n(d.rx.begin(), take, buffer);
  d.rx.erase(d.rx.begin(), d.rx.begin() + static_cast<std::ptrdiff_t>(take));
  port.count = static_cast<std::uint32_t>(take);
  return kPortOk;
}

int netReadByte(SerialPort& port) {
  std::uint8_t b = 0;
  const int r = netReadBlock(port, &b, 1);
  if (r < 0) return r;
  return b;
}

int netWriteBlock(SerialPort& port, const std::uint8_t* bytes, int n) {
  NetworkDriver& d = drv(port);
  port.count = 0;
  if (d.closed) return lost(port);
  if (n <= 0) return kPortOk;
  const auto room =
      static_cast<int>(kPortQueueSize - std::min<std::size_t>(d.tx.size(), kPortQueueSize));
  const int take = std::min(n, room);
  if (d.rfc2217()) {
    d.telnet.escape(bytes, static_cast<std::size_t>(take), d.tx);
  } else {
    d.tx.insert(d.tx.end(), bytes, bytes + take);
  }
  port.count = static_cast<std::uint32_t>(take);
  return take == n ? kPortOk : port.fail(kPortTxFull);
}

int netWriteByte(SerialPort& port, std::uint8_t byte) {
  return netWriteBlock(port, &byte, 1);
}

int netTxCount(SerialPort& port) {
  return static_cast<int>(drv(port).tx.size());
}

int netTxFree(SerialPort& port) {
  return std::max(0, kPortQueueSize - netTxCount(port));
}

int netClearOutput(SerialPort& port) {
  drv(port).tx.clear();
  return kPortOk;
}

// The connection of the last port closed, kept for the next open of the
// same device for kKeepConnectionMs. Connecting anew for every transaction
// costs about 10 ms each against ser2net on the same machine (a round trip
// for the Telnet greeting, and the server opens and sets its port again for
// every client): a tenth more on a logger download. Kept for longer, the
// connection would hold the server's port while the program sits idle, and
// the server lets one client in at a time; so a thread of its own closes it
// when it is not taken again in time.
class Parking {
 public:
  static Parking& instance() {
    static Parking* const parking = new Parking;  // never destroyed: its thread may still wait
    return *parking;
  }

  void park(std::unique_ptr<PortDriver> driver, const std::string& device) {
    std::unique_ptr<PortDriver> previous;
    {
      std::lock_guard lock(mutex_);
      previous = std::move(parked_);
      parked_ = std::move(driver);
      device_ = device;
      until_ = Steady::now() + std::chrono::milliseconds(kKeepConnectionMs);
      if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
  }

  std::unique_ptr<PortDriver> take(const std::string& device) {
    std::lock_guard lock(mutex_);
    if (!parked_ || device_ != device || Steady::now() >= until_) return nullptr;
    return std::move(parked_);
  }

  void closeNow() {
    std::unique_ptr<PortDriver> gone;
    std::lock_guard lock(mutex_);
    gone = std::move(parked_);
  }

 private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (!parked_) {
        wake_.wait(lock);
        continue;
      }
      if (wake_.wait_until(lock, until_) == std::cv_status::timeout && Steady::now() >= until_) {
        parked_.reset();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::unique_ptr<PortDriver> parked_;
  std::string device_;
  Steady::time_point until_;
  std::thread thread_;
};

int netClose(SerialPort& port) {
  NetworkDriver& d = drv(port);
  if (d.fd >= 0 && !d.closed) {
    flushOut(d);
    if (!d.closed) Parking::instance().park(std::move(port.driver), port.device);
  }
  unlinkAndFree(port);
  return kPortOk;
}

int netSetLine(SerialPort& port, long baud, char parity, int dataBits, int stopBits) {
  NetworkDriver& d = drv(port);
  LineFormat f = d.line;
  const int checked = parseLineSettings(baud, parity, dataBits, stopBits, f);
  if (checked != kPortOk) return port.fail(checked);
  if (d.rfc2217()) {
    if (f.baud <= 0) return port.fail(kPortBadBaud);
    if (f.dataBits < 5 || f.dataBits > 8) return port.fail(kPortBadDataBits);
    // Sent before the next request, in the same stream: the server sets its
    // port before it puts that request on the line, so nothing is awaited.
    const std::vector<std::uint8_t> commands = TelnetSession::lineCommands(f);
    d.tx.insert(d.tx.end(), commands.begin(), commands.end());
  }
  // A raw server keeps its own setting; the format is only remembered.
  d.line = f;
  return kPortOk;
}

int netControl(SerialPort& port, std::uint8_t on, std::uint8_t off, bool value, bool& kept) {
  NetworkDriver& d = drv(port);
  kept = value;
  if (d.rfc2217()) {
    const std::vector<std::uint8_t> c = TelnetSession::controlCommand(value ? on : off);
    d.tx.insert(d.tx.end(), c.begin(), c.end());
  }
  return kPortOk;
}

int netSetDtr(SerialPort& port, bool on) {
  return netControl(port, telnet::kDtrOn, telnet::kDtrOff, on, drv(port).dtrOn);
}

int netSetRts(SerialPort& port, bool on) {
  return netControl(port, telnet::kRtsOn, telnet::kRtsOff, on, drv(port).rtsOn);
}

int netSetFlow(SerialPort& port, bool on) {
  // The server's own flow setting stays; only "none" is what the unit uses.
  return on ? port.fail(kPortNotSupported) : kPortOk;
}

int netModemStatus(SerialPort& port) {
  NetworkDriver& d = drv(port);
  pump(d);
  return d.telnet.modemState();
}

int netLineErrors(SerialPort& port) {
  NetworkDriver& d = drv(port);
  pump(d);
  return d.telnet.lineState() & (kLineBreak | kLineFraming | kLineParity | kLineOverrun);
}

int netClearLineErrors(SerialPort&) {
  return kPortOk;
}

int netSendBreak(SerialPort& port, int ms) {
  delay(&port, ms);
  return kPortOk;
}

int netDumpStatus(SerialPort& port, const LinePrinter& print) {
  if (!print) return kPortOk;
  NetworkDriver& d = drv(port);
  pump(d);
  char text[256];
  print("");
  std::snprintf(text, sizeof text, "Port type:  network (%s)  Host: %s  Port: %d",
                d.rfc2217() ? "RFC 2217" : "raw TCP", d.where.host.c_str(), d.where.port);
  print(text);
  std::snprintf(text, sizeof text, "BaudRate: %-6ld ByteSize: %1d  Parity: %1d  StopBits: %1d%s",
                d.line.baud, d.line.dataBits, static_cast<int>(d.line.parity), d.line.stopBits,
                d.rfc2217() ? "" : "  (the server's own setting applies)");
  print(text);
  std::snprintf(text, sizeof text, "RX count: %5zu  TX count: %5zu  Connection: %s", d.rx.size(),
                d.tx.size(), d.closed ? "closed by the server" : "open");
  print(text);
  return kPortOk;
}

constexpr SerialOps kNetworkOps{
    .readByte = netReadByte,
    .writeByte = netWriteByte,
    .close = netClose,
    .setLine = netSetLine,
    .setXonXoff = netSetFlow,
    .setRtsCts = netSetFlow,
    .setDtrDsr = netSetFlow,
    .setDtr = netSetDtr,
    .setRts = netSetRts,
    .txFree = netTxFree,
    .txCount = netTxCount,
    .rxFree = netRxFree,
    .rxCount = netRxCount,
    .clearOutput = netClearOutput,
    .writeBlock = netWriteBlock,
    .readBlock = netReadBlock,
    .dumpStatus = netDumpStatus,
    .sendBreak = netSendBreak,
    .modemStatus = netModemStatus,
    .lineErrors = netLineErrors,
    .clearLineErrors = netClearLineErrors,
};

// Waits for `events` on `fd` until `deadline`, in short slices with the idle
// hook running between them (the window stays alive while a far server is
// slow). 1 when they came, 0 at the deadline, the hook's result if negative.
int waitSocket(SerialPort& port, int fd, short events, Steady::time_point deadline) {
  for (;;) {
    const int hook = runIdleHook(&port);
    if (hook < 0) return hook;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
    if (left.count() <= 0) return 0;
    pollfd p{fd, events, 0};
    const int r =
        ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(kWaitSliceMs, left.count())));
    if (r > 0) return 1;
  }
}

// A connected socket, or -1 with `cause` set and `error` the system's errno
// when it gave one.
int connectTo(SerialPort& port, const NetworkDevice& where, Steady::time_point deadline,
              NetworkCause& cause, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(where.port);
  if (::getaddrinfo(where.host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    cause = NetworkCause::kHostNotFound;
    error = 0;
    return -1;
  }
  cause = NetworkCause::kRefused;
  error = ECONNREFUSED;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      cause = NetworkCause::kNone;
      error = errno;
      continue;
    }
    int result = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (result != 0 && errno == EINPROGRESS) {
      const int waited = waitSocket(port, fd, POLLOUT, deadline);
      int soError = 0;
      socklen_t size = sizeof soError;
      if (waited > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &size) == 0) {
        result = soError == 0 ? 0 : -1;
        errno = soError;
      } else {
        result = -1;
        errno = waited < 0 ? EINTR : ETIMEDOUT;
      }
    }
    if (result != 0) {
      error = errno == EINTR ? ETIMEDOUT : errno;
      cause = error == ETIMEDOUT      ? NetworkCause::kTimedOut
              : error == ECONNREFUSED ? NetworkCause::kRefused
                                      : NetworkCause::kNone;
      ::close(fd);
      fd = -1;
      // The time is spent: no other address gets any.
      if (cause == NetworkCause::kTimedOut) break;
    }
  }
  ::freeaddrinfo(found);
  if (fd >= 0) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  return fd;
}

}  // namespace

void openNetworkDevice(SerialPort& port, const std::string& path, long baud, char parity,
                       int dataBits, int stopBits) {
  port.device = path;
  const auto refuse = [&port](int status, NetworkCause cause, int error = 0) {
    port.networkCause = cause;
    port.systemError = error;
    port.fail(status);
  };
  NetworkDevice where;
  if (!parseNetworkDevice(path, where)) return refuse(kPortInvalidId, NetworkCause::kBadAddress);

  if (std::unique_ptr<PortDriver> kept = Parking::instance().take(path)) {
    port.driver = std::move(kept);
    NetworkDriver& d = drv(port);
    LineFormat wanted = d.line;
    const bool sameLine =
        parseLineSettings(baud, parity, dataBits, stopBits, wanted) == kPortOk && wanted == d.line;
    pump(d);
    // A rate changed on a kept connection left the unit silent behind
    // ser2net on a pseudo-terminal (why was not pinned down), while a new
    // connection at the new rate works: a scan of the rates gets a
    // connection for each rate, which costs it nothing worth measuring.
    if (!d.closed && sameLine) {
      // What the unit said after the last transaction ended is no reply to
      // the next one.
      d.rx.clear();
      port.status = kPortOk;
      port.ops = kNetworkOps;
      return;
    }
    port.driver.reset();  // closed by the server meanwhile, or set otherwise: connect anew
  }

  const auto deadline = Steady::now() + std::chrono::milliseconds(kConnectLimitMs);
  NetworkCause cause = NetworkCause::kNone;
  int error = 0;
  const int fd = connectTo(port, where, deadline, cause, error);
  if (fd < 0) return refuse(kPortNoDevice, cause, error);

  auto driver = std::make_unique<NetworkDriver>();
  driver->fd = fd;
  driver->where = where;
  NetworkDriver& d = *driver;
  port.driver = std::move(driver);

  if (d.rfc2217()) {
    // The settings may only go once the server has said it takes them; its
    // agreement is one round trip, awaited once per connection.
    d.tx = d.telnet.greeting();
    while (!d.telnet.comPortAccepted()) {
      pump(d);
      if (d.telnet.comPortAccepted()) break;
      if (d.closed) return refuse(kPortNoDevice, NetworkCause::kClosed, d.closedError);
      if (d.telnet.comPortRefused()) return refuse(kPortNoDevice, NetworkCause::kNoComPortControl);
      // A buffer full of data before any answer to the greeting: a server
      // that streams raw bytes, which no waiting turns into Telnet.
      if (d.rx.size() >= kNetworkRxLimit) {
        return refuse(kPortNoDevice, NetworkCause::kNoComPortControl);
      }
      const int waited = waitSocket(port, fd, POLLIN, deadline);
      if (waited < 0) return refuse(waited, NetworkCause::kTimedOut, ETIMEDOUT);
      // Connected, and no Telnet answer: most likely a raw server.
      if (waited == 0) return refuse(kPortNoDevice, NetworkCause::kNoComPortControl);
    }
  } else {
    // A raw server that refuses the client (another one holds its port)
    // often accepts and closes at once; that is worth telling apart from a
    // unit that does not answer.
    pump(d);
    if (d.closed) return refuse(kPortNoDevice, NetworkCause::kClosed, d.closedError);
  }
  port.status = kPortOk;
  port.ops = kNetworkOps;
  if (netSetLine(port, baud, parity, dataBits, stopBits) != kPortOk) return;
  netSetDtr(port, true);
  netSetRts(port, true);
  pump(d);
  if (d.closed) {
    port.ops = SerialOps{};
    refuse(kPortNoDevice, NetworkCause::kClosed, d.closedError);
  }
}

void closeKeptConnection() {
  Parking::instance().closeNow();
}

}  // namespace flowdesk
