// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialPort.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <new>
#include <utility>

#include "link/NetworkSerialDriver.h"
#include "link/PosixSerialDriver.h"

namespace flowdesk {

const char* portStatusMessage(int status) {
  // No default: a new PortStatus without a text does not compile (-Wswitch).
  switch (static_cast<PortStatus>(status)) {
    case kPortOk:
      return "success";
    case kPortPlatformError:
      return "system error on the serial port";
    case kPortInvalidId:
      return "invalid port identifier (no device configured for this port)";
    case kPortInUse:
      return "port in use, or access denied";
    case kPortOutOfMemory:
      return "out of memory: no port object could be made";
    case kPortTimeout:
      return "timeout, or nothing waiting in the receive queue";
    case kPortTxFull:
      return "not all bytes could be queued for sending";
    case kPortNoDevice:
      return "port does not exist, or hardware failure";
    case kPortNotSupported:
      return "operation not supported";
    case kPortBadBaud:
      return "baud rate refused";
    case kPortBadParity:
      return "parity letter not one of E, O, N, M, S";
    case kPortBadDataBits:
      return "data-bit count refused by the device";
    case kPortBadStopBits:
      return "stop-bit count not 1 or 2";
  }
  return "unknown serial status";
}

// ---------------------------------------------------------------------------
// Base operations

namespace base_ops {

int unsupported(SerialPort& port) {
  return port.fail(kPortNotSupported);
}
int writeByte(SerialPort& port, std::uint8_t) {
  return port.fail(kPortNotSupported);
}
int setLine(SerialPort& port, long, char, int, int) {
  return port.fail(kPortNotSupported);
}
int setSwitch(SerialPort& port, bool) {
  return port.fail(kPortNotSupported);
}
int writeBlock(SerialPort& port, const std::uint8_t*, int) {
  return port.fail(kPortNotSupported);
}
int readBlock(SerialPort& port, std::uint8_t*, int) {
  return port.fail(kPortNotSupported);
}
int sendBreak(SerialPort& port, int) {
  return port.fail(kPortNotSupported);
}

int close(SerialPort& port) {
  unlinkAndFree(port);
  return 0;
}

int dumpStatus(SerialPort&, const LinePrinter& print) {
  if (print) {
    print("Port dump not supported for this driver");
    print("");
  }
  return kPortNotSupported;
}

void clearStatus(SerialPort& port) {
  port.status = 0;
}

}  // namespace base_ops

namespace {

// ---------------------------------------------------------------------------
// Library state. The library is used from one thread, but the list is guarded
// anyway: a test peer or a helper thread opening a port must not corrupt it.

std::mutex gListMutex;
SerialPort* gOpenPorts = nullptr;
bool gExitArmed = false;

struct LibraryState {
  PortResolver resolver;
  IdleHook idleHook;
  std::string lastDevice;
  int lastErrno = 0;
};

// Never destroyed: the exit action and late users must still find it.
LibraryState& state() {
  static LibraryState* const s = new LibraryState;
  return *s;
}

SerialPort& sharedErrorPort() {
  static SerialPort* const port = [] {
    auto* p = new SerialPort;
    p->portIndex = -1;
    p->status = kPortOutOfMemory;
    return p;
  }();
  return *port;
}

void closeAllAtExit() {
  closeAllPorts();
}

}  // namespace

int parseLineSettings(long baud, char parity, int dataBits, int stopBits, LineFormat& out) {
  if (baud > kMaxBaud) return kPortBadBaud;
  out.baud = baud;
  out.dataBits = dataBits;
  switch (std::toupper(static_cast<unsigned char>(parity))) {
    case 'E':
      out.parity = Parity::kEven;
      break;
    case 'M':
      out.parity = Parity::kMark;
      break;
    case 'N':
      out.parity = Parity::kNone;
      break;
    case 'O':
      out.parity = Parity::kOdd;
      break;
    case 'S':
      out.parity = Parity::kSpace;
      break;
    default:
      return kPortBadParity;
  }
  if (stopBits != 1 && stopBits != 2) return kPortBadStopBits;
  out.stopBits = stopBits;
  return kPortOk;
}

// ---------------------------------------------------------------------------
// Port list

SerialPort* allocatePort(int portIndex) {
  SerialPort* port = new (std::nothrow) SerialPort;
  if (port == nullptr) return &sharedErrorPort();
  port->portIndex = portIndex;
  std::lock_guard lock(gListMutex);
  port->next = gOpenPorts;
  gOpenPorts = port;
  if (!gExitArmed) {
    gExitArmed = true;
    std::atexit(closeAllAtExit);
  }
  return port;
}

void unlinkAndFree(SerialPort& port) {
  if (&port == &sharedErrorPort()) return;
  {
    std::lock_guard lock(gListMutex);
    for (SerialPort** p = &gOpenPorts; *p != nullptr; p = &(*p)->next) {
      if (*p == &port) {
        *p = port.next;
        break;
      }
    }
  }
  delete &port;
}

void closeAllPorts() {
  for (;;) {
    SerialPort* newest = nullptr;
    {
      std::lock_guard lock(gListMutex);
      newest = gOpenPorts;
    }
    if (newest == nullptr) return;
    newest->close();
  }
}

std::size_t openPortCount() {
  std::lock_guard lock(gListMutex);
  std::size_t n = 0;
  for (SerialPort* p = gOpenPorts; p != nullptr; p = p->next) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// Opening

PortResolver setPortResolver(PortResolver resolver) {
  return std::exchange(state().resolver, std::move(resolver));
}

std::string resolvePortPath(int portIndex) {
  const PortResolver& resolver = state().resolver;
  return resolver ? resolver(portIndex) : std::string();
}

const std::string& lastOpenDevice() {
  return state().lastDevice;
}
int lastOpenErrno() {
  return state().lastErrno;
}

SerialPort* openPort(int portIndex, long baud, char parity, int dataBits, int stopBits) {
  SerialPort* port = allocatePort(portIndex);
  if (port == &sharedErrorPort()) return port;
  LibraryState& s = state();
  std::string path;
  if (s.resolver) path = s.resolver(portIndex);
  s.lastDevice = path;
  s.lastErrno = 0;
  port->device = path;
  if (path.empty()) {
    port->fail(kPortInvalidId);
    return port;
  }
  if (isNetworkDevice(path)) {
    openNetworkDevice(*port, path, baud, parity, dataBits, stopBits);
  } else {
    openPosixDevice(*port, path, baud, parity, dataBits, stopBits);
  }
  s.lastErrno = port->systemError;
  return port;
}

// ---------------------------------------------------------------------------
// Waiting

IdleHook setIdleHook(IdleHook hook) {
  return std::exchange(state().idleHook, std::move(hook));
}

int runIdleHook(SerialPort* port) {
  // A copy, so a hook that replaces itself does not destroy the function
  // that is running.
  IdleHook hook = state().idleHook;
  return hook ? hook(port) : 0;
}

namespace {

int waitDescriptorOf(const SerialPort* port) {
  return (port != nullptr && port->driver) ? port->driver->waitDescriptor() : -1;
}

}  // namespace

int waitByte(SerialPort* port, int limitMs) {
  if (port == nullptr) return kPortInvalidId;
  Clock& clock = port->clock != nullptr ? *port->clock : systemClock();
  const std::int64_t deadline = clock.nowMs() + limitMs;
  const int fd = waitDescriptorOf(port);
  for (;;) {
    const int waiting = port->rxCount();
    if (waiting > 0) return port->readByte();
    if (waiting < 0) return waiting;  // a port without a working driver
    const int hook = runIdleHook(port);
    if (hook < 0) return port->fail(hook);
    const std::int64_t now = clock.nowMs();
    int slice = kWaitSliceMs;
    if (limitMs != -1) {
      if (now >= deadline) return kPortTimeout;
      slice = static_cast<int>(std::min<std::int64_t>(slice, deadline - now));
    }
    // Sleep in the kernel until input or the end of the slice; the hook still
    // runs every few milliseconds so the user interface stays alive.
    clock.waitReadable(fd, slice);
  }
}

int drainInput(SerialPort* port) {
  if (port == nullptr) return kPortInvalidId;
  std::uint8_t scratch[64];
  // A line that never stops (a device server streaming without end) would
  // keep a drain going for ever: what came before the drain is taken, and
  // what keeps coming meets the next reply's own limits.
  for (int drained = 0; drained < kDrainLimit;) {
    const int r = port->readBlock(scratch, static_cast<int>(sizeof scratch));
    if (r == kPortTimeout) return 0;
    if (r < 0) return r;
    if (port->count == 0) return 0;
    drained += static_cast<int>(port->count);
  }
  return 0;
}

int delay(Clock& clock, SerialPort* port, int ms) {
  const std::int64_t deadline = clock.nowMs() + ms;
  for (std::int64_t now = clock.nowMs(); now < deadline; now = clock.nowMs()) {
    const int hook = runIdleHook(port);
    if (hook < 0) {
      if (port != nullptr) port->status = hook;
      return hook;
    }
    now = clock.nowMs();
    if (now >= deadline) break;
    clock.waitReadable(-1, static_cast<int>(std::min<std::int64_t>(kWaitSliceMs, deadline - now)));
  }
  return 0;
}

int delay(SerialPort* port, int ms) {
  Clock& clock = (port != nullptr && port->clock != nullptr) ? *port->clock : systemClock();
  return delay(clock, port, ms);
}

}  // namespace flowdesk
