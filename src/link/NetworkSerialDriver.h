// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/SerialPort.h"

namespace flowdesk {

// A unit behind a serial device server: the device path names the server
// instead of a local terminal.
//   tcp://HOST:PORT      the server passes the bytes as they are (the unit's
//                        frames with their CRC); its own setting decides the
//                        rate, which this end cannot change.
//   rfc2217://HOST:PORT  the same inside Telnet, with the COM-PORT-OPTION of
//                        RFC 2217 that sets the rate and format of the
//                        server's port as a local port would be set.
enum class NetworkProtocol { kRaw, kRfc2217 };

struct NetworkDevice {
  NetworkProtocol protocol = NetworkProtocol::kRaw;
  std::string host;  // a name, an IPv4 address, or an IPv6 address without its brackets
  int port = 0;      // 1 to 65535
};

// The path starts as a network device does ("tcp://", "rfc2217://"): it goes
// to this driver, whether or not the rest of it is valid.
bool isNetworkDevice(const std::string& path);
// A tcp:// path: the rate is the server's.
bool isRawNetworkDevice(const std::string& path);

// False when the path is not HOST:PORT behind a known scheme.
bool parseNetworkDevice(const std::string& path, NetworkDevice& out);

// How long the connection and the Telnet greeting may take.
inline constexpr int kConnectLimitMs = 3000;
// How long a closed port's connection waits for the next open of the same
// device before it is closed for good.
inline constexpr int kKeepConnectionMs = 1000;

// The unit's bytes kept until they are read; the rest is dropped, as a
// serial port's receive buffer drops what overruns it.
inline constexpr std::size_t kNetworkRxLimit = std::size_t{4} * kPortQueueSize;

// Closes a kept connection at once (a test that stops its server, the
// operator who chose another device).
void closeKeptConnection();

// Fills `port` (allocated and linked by openPort) with a connection to the
// server `path` names, then sets the line as setLine does. No lock file and
// no exclusive flag: the server decides who may use its port. On failure
// the port keeps its base operations, the status is -14 (or -2 for a path
// that is no address), `networkCause` says why and `systemError` holds the
// system's errno when it gave one (0 otherwise).
void openNetworkDevice(SerialPort& port, const std::string& path, long baud, char parity,
                       int dataBits, int stopBits);

// The Telnet side of RFC 2217, without the socket: what arrives is split
// into the unit's bytes and the server's commands (answered as they come),
// what leaves is escaped. Kept apart so that every byte rule is tested in
// memory.
namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kSuppressGoAhead = 3;
inline constexpr std::uint8_t kComPort = 44;
// COM-PORT-OPTION commands from the client; the server answers each with
// the same number plus 100.
inline constexpr std::uint8_t kSetBaud = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
// SET-CONTROL values for the modem lines.
inline constexpr std::uint8_t kDtrOn = 8;
inline constexpr std::uint8_t kDtrOff = 9;
inline constexpr std::uint8_t kRtsOn = 11;
inline constexpr std::uint8_t kRtsOff = 12;
inline constexpr std::uint8_t kNotifyLineState = 106;
inline constexpr std::uint8_t kNotifyModemState = 107;
}  // namespace telnet

class TelnetSession {
 public:
  // What this end asks for at once: to send and receive binary, without
  // go-aheads, and to control the server's port.
  std::vector<std::uint8_t> greeting();

  // Takes bytes from the server: the unit's bytes go to `data`, answers to
  // the server's requests to `replies`.
  void receive(const std::uint8_t* bytes, std::size_t n, std::deque<std::uint8_t>& data,
               std::vector<std::uint8_t>& replies);

  // The unit's bytes as they go to the server: 255 doubled, and a carriage
  // return followed by a zero while the server has not agreed to binary.
  void escape(const std::uint8_t* bytes, std::size_t n, std::vector<std::uint8_t>& out) const;

  // The line format as COM-PORT-OPTION commands (rate, data bits, parity,
  // stop bits).
  static std::vector<std::uint8_t> lineCommands(const LineFormat& format);
  // A SET-CONTROL command (kDtrOn, kRtsOff...). Never waited
  // for: a server on a pseudo-terminal cannot set modem lines and may never
  // acknowledge.
  static std::vector<std::uint8_t> controlCommand(std::uint8_t value);

  // The server agreed to take COM-PORT-OPTION commands, or refused them.
  bool comPortAccepted() const { return localOn_[telnet::kComPort]; }
  bool comPortRefused() const { return comPortRefused_; }
  // The last line and modem states the server notified, in the bits of
  // lineErrors() and modemStatus().
  int lineState() const { return lineState_; }
  int modemState() const { return modemState_; }

 private:
  enum class State { kData, kIac, kOption, kSub, kSubIac };
  void option(std::uint8_t verb, std::uint8_t opt, std::vector<std::uint8_t>& replies);
  void subnegotiation();
  bool weOffer(std::uint8_t opt) const;
  bool weAccept(std::uint8_t opt) const;

  State state_ = State::kData;
  std::uint8_t verb_ = 0;
  bool lastWasCr_ = false;
  std::vector<std::uint8_t> sub_;
  bool localOn_[256] = {};   // this end does the option (it said WILL, the server DO)
  bool remoteOn_[256] = {};  // the server does it
  bool asked_[256] = {};     // this end offered WILL for it and waits for the answer
  bool askedDo_[256] = {};   // this end asked DO for it
  bool comPortRefused_ = false;
  int lineState_ = 0;
  int modemState_ = 0;
};

}  // namespace flowdesk
