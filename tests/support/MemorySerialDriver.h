// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "base/Bytes.h"
#include "link/SerialPort.h"

namespace flowdesk {

// An in-memory serial line with a programmable peer at its far end, behind the
// same operation table as a real device. Tests of the layers above the link
// plug a simulated unit in here and drive time with a ManualClock: reply bytes
// are scheduled at clock times, so silences and first-byte limits behave as
// on a wire without anyone sleeping.
class MemoryLine {
 public:
  explicit MemoryLine(Clock& clock = systemClock()) : clock(clock) {}

  Clock& clock;

  // The peer: called after every block the port writes. It usually calls
  // takeRequest() and answers with deliver().
  std::function<void(MemoryLine&)> onWrite;
  // Called when the port on this line closes.
  std::function<void(MemoryLine&)> onClose;

  // Bytes the port wrote that the peer has not taken yet, and everything the
  // port ever wrote.
  Bytes inbox;
  Bytes sentLog;

  // One complete Jbus request from the front of `inbox`, or empty when it is
  // not complete yet. Functions 3 and 4 (and unknown ones) are 8 bytes,
  // function 16 is 9 plus its byte count.
  Bytes takeRequest();

  // Makes `bytes` arrive at the port: the first at `atMs` on the clock, each
  // next one `gapMs` later.
  void deliver(const Bytes& bytes, std::int64_t atMs, int gapMs = 0);
  // Arrival at the wire speed of `baud`, starting `afterMs` from now.
  void deliverAtBaud(const Bytes& bytes, long baud, int afterMs = 0);

  // What opening the line gives (0, or a status such as -14 or -3).
  int openStatus = kPortOk;
  // The device a port on this line names; a real path (a character device)
  // gives it a lock file, as a port of the system would have.
  std::string device = "memory";
  // Room in the transmit queue; lower it to make writes fail with -9.
  int txRoom = kPortQueueSize;
  // The device went away under the open port (an adapter pulled out): reads
  // say so with kPortNoDevice, as a hung-up terminal does, until an opener
  // puts it back.
  bool hungUp = false;
  int lineErrorFlags = 0;  // reported by lineErrors()
  int modemBits = 0;       // reported by modemStatus()

  // What happened, for the tests to check.
  int opens = 0;
  int closes = 0;
  bool isOpen = false;
  bool dtr = false;
  bool rts = false;
  int breaks = 0;
  int outputClears = 0;
  LineFormat line;

 private:
  friend struct MemoryLineAccess;
  struct Arrival {
    std::int64_t atMs;
    std::uint8_t byte;
  };
  std::deque<Arrival> incoming_;
};

// Opens a port on `line`. Counts as an open attempt even when the line's
// openStatus makes it fail; the port is then left with its base operations.
SerialPort* openMemoryPort(const std::shared_ptr<MemoryLine>& line, int portIndex, long baud,
                           char parity, int dataBits, int stopBits);

// An opener for JbusMaster::setPortOpener that always opens `line`.
PortOpener memoryPortOpener(std::shared_ptr<MemoryLine> line);

}  // namespace flowdesk
