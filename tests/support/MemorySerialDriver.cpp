// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemorySerialDriver.h"

#include <algorithm>

#include "link/LinkTimings.h"
#include "link/PosixSerialDriver.h"

namespace flowdesk {

Bytes MemoryLine::takeRequest() {
  if (inbox.size() < 2) return {};
  std::size_t need = 8;
  if (inbox[1] == 16) {
    if (inbox.size() < 7) return {};
    need = 9 + inbox[6];
  }
  if (inbox.size() < need) return {};
  Bytes request(inbox.begin(), inbox.begin() + static_cast<long>(need));
  inbox.erase(inbox.begin(), inbox.begin() + static_cast<long>(need));
  return request;
}

void MemoryLine::deliver(const Bytes& bytes, std::int64_t atMs, int gapMs) {
  std::int64_t at = atMs;
  for (std::uint8_t b : bytes) {
    incoming_.push_back({at, b});
    at += gapMs;
  }
}

void MemoryLine::deliverAtBaud(const Bytes& bytes, long baud, int afterMs) {
  const std::int64_t start = clock.nowMs() + afterMs;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto at =
        std::chrono::duration_cast<std::chrono::milliseconds>(link_timings::wireTime(baud, i + 1));
    incoming_.push_back({start + at.count(), bytes[i]});
  }
}

struct MemoryLineAccess {
  static std::deque<MemoryLine::Arrival>& incoming(MemoryLine& line) { return line.incoming_; }
};

namespace {

class MemoryDriver final : public PortDriver {
 public:
  std::shared_ptr<MemoryLine> line;
};

MemoryLine& lineOf(SerialPort& port) {
  return *static_cast<MemoryDriver&>(*port.driver).line;
}

int arrived(MemoryLine& line) {
  const auto& in = MemoryLineAccess::incoming(line);
  const std::int64_t now = line.clock.nowMs();
  int n = 0;
  for (const auto& a : in) {
    if (a.atMs > now) break;
    ++n;
  }
  return n;
}

int memReadBlock(SerialPort& port, std::uint8_t* buffer, int n) {
  MemoryLine& line = lineOf(port);
  port.count = 0;
  if (line.hungUp) return port.fail(kPortNoDevice);
  if (n <= 0) return kPortOk;
  const int take = std::min(arrived(line), n);
  if (take == 0) return kPortTimeout;
  auto& in = MemoryLineAccess::incoming(line);
  for (int i = 0; i < take; ++i) {
    buffer[i] = in.front().byte;
    in.pop_front();
  }
  port.count = static_cast<std::uint32_t>(take);
  return kPortOk;
}

int memReadByte(SerialPort& port) {
  std::uint8_t b = 0;
  const int r = memReadBlock(port, &b, 1);
  return r < 0 ? r : b;
}

int memWriteBlock(SerialPort& port, const std::uint8_t* bytes, int n) {
  MemoryLine& line = lineOf(port);
  port.count = 0;
  if (n <= 0) return kPortOk;
  const int take = std::min(n, std::max(0, line.txRoom));
  line.inbox.insert(line.inbox.end(), bytes, bytes + take);
  line.sentLog.insert(line.sentLog.end(), bytes, bytes + take);
  port.count = static_cast<std::uint32_t>(take);
  if (take > 0 && line.onWrite) line.onWrite(line);
  if (take < n) return port.fail(kPortTxFull);
  return kPortOk;
}

int memWriteByte(SerialPort& port, std::uint8_t b) {
  return memWriteBlock(port, &b, 1);
}

int memClose(SerialPort& port) {
  MemoryLine& line = lineOf(port);
  ++line.closes;
  line.isOpen = false;
  line.dtr = false;
  line.rts = false;
  if (line.onClose) line.onClose(line);
  unlinkAndFree(port);
  return kPortOk;
}

int memSetLine(SerialPort& port, long baud, char parity, int dataBits, int stopBits) {
  MemoryLine& line = lineOf(port);
  LineFormat f = line.line;
  const int r = parseLineSettings(baud, parity, dataBits, stopBits, f);
  if (r != kPortOk) return port.fail(r);
  if (!isSupportedBaud(f.baud)) return port.fail(kPortBadBaud);
  if (f.dataBits < 5 || f.dataBits > 8) return port.fail(kPortBadDataBits);
  line.line = f;
  return kPortOk;
}

int memFlow(SerialPort&, bool) {
  return kPortOk;
}
int memSetDtr(SerialPort& port, bool on) {
  lineOf(port).dtr = on;
  return kPortOk;
}
int memSetRts(SerialPort& port, bool on) {
  lineOf(port).rts = on;
  return kPortOk;
}
int memTxCount(SerialPort&) {
  return 0;
}
int memTxFree(SerialPort& port) {
  return std::max(0, lineOf(port).txRoom);
}
int memRxCount(SerialPort& port) {
  if (lineOf(port).hungUp) return port.fail(kPortNoDevice);
  return arrived(lineOf(port));
}
int memRxFree(SerialPort& port) {
  const int n = memRxCount(port);
  return n < 0 ? n : std::max(0, kPortQueueSize - n);
}
int memClearOutput(SerialPort& port) {
  ++lineOf(port).outputClears;
  return kPortOk;
}
int memSendBreak(SerialPort& port, int ms) {
  ++lineOf(port).breaks;
  delay(&port, ms);
  return kPortOk;
}
int memModemStatus(SerialPort& port) {
  return lineOf(port).modemBits & 0xF0;
}
int memLineErrors(SerialPort& port) {
  return lineOf(port).lineErrorFlags & (kLineBreak | kLineFraming | kLineParity | kLineOverrun);
}
int memClearLineErrors(SerialPort& port) {
  lineOf(port).lineErrorFlags = 0;
  return kPortOk;
}

// The reserved slots, the status dump and clearStatus keep their base
// operations.
constexpr SerialOps kMemoryOps{
    .readByte = memReadByte,
    .writeByte = memWriteByte,
    .close = memClose,
    .setLine = memSetLine,
    .setXonXoff = memFlow,
    .setRtsCts = memFlow,
    .setDtrDsr = memFlow,
    .setDtr = memSetDtr,
    .setRts = memSetRts,
    .txFree = memTxFree,
    .txCount = memTxCount,
    .rxFree = memRxFree,
    .rxCount = memRxCount,
    .clearOutput = memClearOutput,
    .writeBlock = memWriteBlock,
    .readBlock = memReadBlock,
    .sendBreak = memSendBreak,
    .modemStatus = memModemStatus,
    .lineErrors = memLineErrors,
    .clearLineErrors = memClearLineErrors,
};

}  // namespace

SerialPort* openMemoryPort(const std::shared_ptr<MemoryLine>& line, int portIndex, long baud,
                           char parity, int dataBits, int stopBits) {
  SerialPort* port = allocatePort(portIndex);
  if (port->status == kPortOutOfMemory) return port;
  port->device = line->device;
  port->clock = &line->clock;
  ++line->opens;
  if (line->openStatus != kPortOk) {
    port->fail(line->openStatus);
    return port;
  }
  auto driver = std::make_unique<MemoryDriver>();
  driver->line = line;
  port->driver = std::move(driver);
  port->ops = kMemoryOps;
  line->isOpen = true;
  port->setLine(baud, parity, dataBits, stopBits);
  line->dtr = true;
  line->rts = true;
  return port;
}

PortOpener memoryPortOpener(std::shared_ptr<MemoryLine> line) {
  return [line = std::move(line)](int index, long baud, char parity, int dataBits, int stopBits) {
    return openMemoryPort(line, index, baud, parity, dataBits, stopBits);
  };
}

}  // namespace flowdesk
