// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Clock.h"

namespace flowdesk {

// Results of the serial library: 0 or one of these negative codes. Operations
// return them as plain ints and keep the last failure in SerialPort::status.
enum PortStatus : std::int32_t {
  kPortOk = 0,
  kPortPlatformError = -1,
  kPortInvalidId = -2,
  kPortInUse = -3,
  kPortOutOfMemory = -5,
  kPortTimeout = -8,
  kPortTxFull = -9,
  kPortNoDevice = -14,
  kPortNotSupported = -24,
  kPortBadBaud = -25,
  kPortBadParity = -26,
  kPortBadDataBits = -27,
  kPortBadStopBits = -28,
};

inline constexpr std::array<PortStatus, 13> kAllPortStatuses{
    kPortOk,        kPortPlatformError, kPortInvalidId,  kPortInUse,        kPortOutOfMemory,
    kPortTimeout,   kPortTxFull,        kPortNoDevice,   kPortNotSupported, kPortBadBaud,
    kPortBadParity, kPortBadDataBits,   kPortBadStopBits};

// One English sentence per status; anything else is "unknown serial status".
const char* portStatusMessage(int status);

// Bits of modemStatus().
inline constexpr int kModemCts = 0x10;
inline constexpr int kModemDsr = 0x20;
inline constexpr int kModemRing = 0x40;
inline constexpr int kModemCarrier = 0x80;

// Bits of lineErrors().
inline constexpr int kLineBreak = 0x10;
inline constexpr int kLineFraming = 0x08;
inline constexpr int kLineParity = 0x04;
inline constexpr int kLineOverrun = 0x02;

// Both queues of a port hold this many bytes (emulated where the kernel's are
// of another size).
inline constexpr int kPortQueueSize = 1050;

using LinePrinter = std::function<void(const std::string&)>;

struct SerialPort;

// The base operations, what a port does before a driver takes it over: every
// one fails with "not supported", except close (which frees the object), the
// status dump (which says it is not supported) and clearStatus.
namespace base_ops {
int unsupported(SerialPort& port);
int writeByte(SerialPort& port, std::uint8_t byte);
int close(SerialPort& port);
int setLine(SerialPort& port, long baud, char parity, int dataBits, int stopBits);
int setSwitch(SerialPort& port, bool on);
int writeBlock(SerialPort& port, const std::uint8_t* bytes, int n);
int readBlock(SerialPort& port, std::uint8_t* buffer, int n);
int dumpStatus(SerialPort& port, const LinePrinter& print);
int sendBreak(SerialPort& port, int ms);
void clearStatus(SerialPort& port);
}  // namespace base_ops

// The operation table, its slots in the serial library's order. Every slot
// starts with its base operation; a driver's table names the slots it fills
// (designated initialisers), so a slot it leaves out keeps the base behaviour
// instead of shifting its neighbours.
struct SerialOps {
  int (*readByte)(SerialPort&) = base_ops::unsupported;
  int (*reserved1)(SerialPort&) = base_ops::unsupported;
  int (*writeByte)(SerialPort&, std::uint8_t byte) = base_ops::writeByte;
  int (*close)(SerialPort&) = base_ops::close;
  int (*setLine)(SerialPort&, long baud, char parity, int dataBits,
                 int stopBits) = base_ops::setLine;
  int (*setXonXoff)(SerialPort&, bool on) = base_ops::setSwitch;
  int (*setRtsCts)(SerialPort&, bool on) = base_ops::setSwitch;
  int (*setDtrDsr)(SerialPort&, bool on) = base_ops::setSwitch;
  int (*setDtr)(SerialPort&, bool on) = base_ops::setSwitch;
  int (*setRts)(SerialPort&, bool on) = base_ops::setSwitch;
  int (*txFree)(SerialPort&) = base_ops::unsupported;
  int (*txCount)(SerialPort&) = base_ops::unsupported;
  int (*rxFree)(SerialPort&) = base_ops::unsupported;
  int (*rxCount)(SerialPort&) = base_ops::unsupported;
  int (*clearOutput)(SerialPort&) = base_ops::unsupported;
  int (*writeBlock)(SerialPort&, const std::uint8_t* bytes, int n) = base_ops::writeBlock;
  int (*readBlock)(SerialPort&, std::uint8_t* buffer, int n) = base_ops::readBlock;
  int (*dumpStatus)(SerialPort&, const LinePrinter& print) = base_ops::dumpStatus;
  int (*sendBreak)(SerialPort&, int ms) = base_ops::sendBreak;
  int (*modemStatus)(SerialPort&) = base_ops::unsupported;
  int (*lineErrors)(SerialPort&) = base_ops::unsupported;
  int (*clearLineErrors)(SerialPort&) = base_ops::unsupported;
  int (*reserved2)(SerialPort&) = base_ops::unsupported;
  void (*clearStatus)(SerialPort&) = base_ops::clearStatus;
};

// A driver's own record for one port; owned by the port object.
class PortDriver {
 public:
  virtual ~PortDriver() = default;
  // Descriptor that becomes readable when input arrives, or -1.
  virtual int waitDescriptor() const { return -1; }
};

// What a device server's side said when it refused or lost the connection,
// apart from the system's errno: a name with no address, for one, has no
// errno of its own.
enum class NetworkCause {
  kNone,
  kBadAddress,        // the path is no HOST:PORT
  kHostNotFound,      // the name has no address
  kRefused,           // nothing listens on that port
  kTimedOut,          // the server did not answer in time
  kClosed,            // the server closed the connection
  kNoComPortControl,  // rfc2217:// to a server that does not take RFC 2217
};

// One port object. Created by openPort (or a driver's own open), destroyed by
// its close operation: after port->close() the pointer is gone.
struct SerialPort {
  std::unique_ptr<PortDriver> driver;
  SerialPort* next = nullptr;  // list of open ports, newest first
  std::int32_t portIndex = -1;
  std::int32_t status = 0;
  std::uint32_t count = 0;  // bytes moved by the last block read or write
  SerialOps ops;            // the base operations until a driver fills the table

  // The clock every wait on this port uses (the Jbus master hands in its own).
  Clock* clock = &systemClock();
  // What the open named and what the system said, for the operator's message
  // ("permission denied on /dev/ttyUSB0").
  std::string device;
  int systemError = 0;
  NetworkCause networkCause = NetworkCause::kNone;  // a device server's word

  int readByte() { return ops.readByte(*this); }
  int writeByte(std::uint8_t b) { return ops.writeByte(*this, b); }
  int close() { return ops.close(*this); }
  int setLine(long baud, char parity, int dataBits, int stopBits) {
    return ops.setLine(*this, baud, parity, dataBits, stopBits);
  }
  int setXonXoff(bool on) { return ops.setXonXoff(*this, on); }
  int setRtsCts(bool on) { return ops.setRtsCts(*this, on); }
  int setDtrDsr(bool on) { return ops.setDtrDsr(*this, on); }
  int setDtr(bool on) { return ops.setDtr(*this, on); }
  int setRts(bool on) { return ops.setRts(*this, on); }
  int txFree() { return ops.txFree(*this); }
  int txCount() { return ops.txCount(*this); }
  int rxFree() { return ops.rxFree(*this); }
  int rxCount() { return ops.rxCount(*this); }
  int clearOutput() { return ops.clearOutput(*this); }
  int writeBlock(const std::uint8_t* bytes, int n) { return ops.writeBlock(*this, bytes, n); }
  int readBlock(std::uint8_t* buffer, int n) { return ops.readBlock(*this, buffer, n); }
  int dumpStatus(const LinePrinter& print) { return ops.dumpStatus(*this, print); }
  int sendBreak(int ms) { return ops.sendBreak(*this, ms); }
  int modemStatus() { return ops.modemStatus(*this); }
  int lineErrors() { return ops.lineErrors(*this); }
  int clearLineErrors() { return ops.clearLineErrors(*this); }
  void clearStatus() { ops.clearStatus(*this); }

  // Stores a failure code and hands it back, as every failing operation does.
  int fail(int code) {
    status = code;
    return code;
  }
};

// Line settings after the checks every driver shares.
enum class Parity : std::uint8_t { kNone = 0, kOdd = 1, kEven = 2, kMark = 3, kSpace = 4 };
struct LineFormat {
  long baud = 9600;
  int dataBits = 8;
  Parity parity = Parity::kNone;
  int stopBits = 1;
  bool operator==(const LineFormat&) const = default;
};

// The device-independent part of setLine: baud above 115200 (-25), parity
// letter (case-insensitive E O N M S, else -26), stop bits 1 or 2 (else -28).
// Baud and data bits are stored first, unchecked beyond that; the device
// decides on them.
int parseLineSettings(long baud, char parity, int dataBits, int stopBits, LineFormat& out);

inline constexpr long kMaxBaud = 115200;

// Port index to device path; set by the application. Without one every open
// fails with -2: the core never guesses which device is which.
using PortResolver = std::function<std::string(int portIndex)>;
PortResolver setPortResolver(PortResolver resolver);  // returns the previous one
// The device path the resolver gives now; empty without one.
std::string resolvePortPath(int portIndex);

// Opens the device of `portIndex` (a tcp:// or rfc2217:// path goes to the
// network driver, anything else to termios). Always returns an object; status 0 means
// usable, anything else is the failure (close the object to discard it).
SerialPort* openPort(int portIndex, long baud, char parity, int dataBits, int stopBits);

// How the Jbus master (and anyone else who opens ports per transaction) gets
// a port: openPort itself, or a fake in tests.
using PortOpener =
    std::function<SerialPort*(int portIndex, long baud, char parity, int dataBits, int stopBits)>;

// Device path and errno of the most recent open attempt.
const std::string& lastOpenDevice();
int lastOpenErrno();

// Next received byte (0 to 255), -8 when `limitMs` ran out (-1 waits without
// limit), or the idle hook's negative result.
int waitByte(SerialPort* port, int limitMs);

// Reads and discards what is waiting, at most kDrainLimit bytes; 0 or the
// first error other than -8.
inline constexpr int kDrainLimit = 4 * kPortQueueSize;
int drainInput(SerialPort* port);

// Waits `ms` while running the idle hook; 0 or the hook's negative result.
// The port may be null (nothing open); the wait then uses `clock`, or the
// system clock.
int delay(SerialPort* port, int ms);
int delay(Clock& clock, SerialPort* port, int ms);

// Called on every turn of a waiting loop. The default does nothing and
// returns 0; the GUI installs one that processes its pending events.
using IdleHook = std::function<int(SerialPort*)>;
IdleHook setIdleHook(IdleHook hook);  // empty restores the default; returns the previous one
int runIdleHook(SerialPort* port);

class ScopedIdleHook {
 public:
  explicit ScopedIdleHook(IdleHook hook) : previous_(setIdleHook(std::move(hook))) {}
  ~ScopedIdleHook() { setIdleHook(std::move(previous_)); }
  ScopedIdleHook(const ScopedIdleHook&) = delete;
  ScopedIdleHook& operator=(const ScopedIdleHook&) = delete;

 private:
  IdleHook previous_;
};

// Longest single wait between two idle-hook calls.
inline constexpr int kWaitSliceMs = 5;

// For drivers: a new port object with the base table, linked into the list of
// open ports (the first link arms the exit action). When no object can be
// made, a shared error object (index -1, status -5) comes back instead.
SerialPort* allocatePort(int portIndex);

// For drivers' close operations: takes the port out of the list and frees it
// (driver record included). The shared error object is left alone.
void unlinkAndFree(SerialPort& port);

// Closes every port still open, newest first; what the exit action runs.
void closeAllPorts();
std::size_t openPortCount();

}  // namespace flowdesk
