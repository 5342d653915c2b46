// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/AppSettings.h"
#include "base/BilingualText.h"
#include "base/Clock.h"
#include "base/ValueLists.h"
#include "link/LinkResult.h"
#include "link/SerialPort.h"

namespace flowdesk {

// The link settings as the application keeps them; read again at every
// transaction, so a change on the connection page takes effect at the next one.
struct LinkSettings {
  std::int32_t Com = 0;    // port index, 0 is Com1
  float Jbus = 1.0f;       // slave address, edited as a number
  std::int32_t Bauds = 5;  // index into kBaudTable
  ReplyEndRule replyEnd = ReplyEndRule::kSilence;
};

// The address byte for the `Jbus` setting: truncated, and held to 0..255 so
// that an out-of-range or non-numeric setting cannot turn into garbage.
std::uint8_t slaveAddress(float jbus);

// Verdict on a received reply, in the order the tests are made.
enum class ReplyCheck {
  kOk,
  kTooShort,     // not even an address, a function code and a CRC
  kBadFunction,  // another function code, exception replies included
  kBadLength,    // not the expected length (never tested for function 4)
  kBadCrc,
};

// Checks a reply to `function` of `length` bytes against the expected length
// (5 + 2n for a read of n registers, 8 for a write). The slave address is not
// checked: a reply from another address is accepted.
ReplyCheck checkReply(const std::uint8_t* reply, std::size_t length, std::uint8_t function,
                      std::size_t expected);

// Expected reply length for a request: function 3 reads 5 + 2 x count bytes,
// function 4 is only bounded by the frame (512), anything else is 8.
std::size_t expectedReplyLength(const std::uint8_t* request, int length);

// How long a reply to `function` is, as far as its first `have` bytes tell:
// 5 for an exception (function + 0x80), 3 + byte count + 2 for function 4
// once the count is in, `expected` for functions 3 and 16; 0 while the bytes
// do not tell yet, and for anything else (another function code), which
// only the silence can end.
std::size_t announcedReplyLength(const std::uint8_t* reply, std::size_t have, std::uint8_t function,
                                 std::size_t expected);

// The longest reply a request of `function` can get, `expected` being its
// expected length: a reply of records says its own length in one byte, the
// others are as long as expected.
std::size_t longestReply(std::uint8_t function, std::size_t expected);

class JbusMaster;

// An operation of several exchanges (an upload, an initialisation, a
// download, a recording, a scan...) holds the port from its first exchange
// to its last: the device still closes after each exchange, but its lock
// stays, so that another program is refused (with our name) instead of
// slipping a request in between and leaving the unit half written. Holds
// nest; the last to end gives the lock back, on every path out.
class PortHold {
 public:
  PortHold() = default;
  explicit PortHold(JbusMaster& master);
  ~PortHold() { release(); }
  PortHold(PortHold&& other) noexcept : master_(std::exchange(other.master_, nullptr)) {}
  PortHold& operator=(PortHold&& other) noexcept;
  PortHold(const PortHold&) = delete;
  PortHold& operator=(const PortHold&) = delete;

  bool active() const { return master_ != nullptr; }
  // Ends the hold before its scope does (a recording that stopped).
  void release();

 private:
  JbusMaster* master_ = nullptr;
};

// The Jbus master: runs one transaction per call (open, send, collect the
// reply until a silence, or until its announced length and a short quiet
// with ReplyEndRule::kLength, check, retry, close) and hands back its
// result, the reply in it. Its request and reply frames are its own: a read
// names its registers, a write hands in its data. Single threaded; while it
// waits the idle hook runs.
class JbusMaster {
 public:
  static constexpr std::size_t kFrameSize = 512;
  static constexpr int kAttempts = 3;
  // The most registers one request may carry: a read's reply (5 + 2n bytes)
  // must fit a frame, and a write's registers are counted in one byte of
  // its request (2n), which the protocol holds to 123 registers.
  static constexpr std::uint16_t kMaxReadRegisters = (kFrameSize - 5) / 2;
  static constexpr std::uint16_t kMaxWriteRegisters = 123;
  // A reply of records says its length in one byte: no more than that many
  // records can come back, however short they are.
  static constexpr std::uint16_t kMaxRecords = 255;

  explicit JbusMaster(Clock& clock = systemClock());
  ~JbusMaster();
  JbusMaster(const JbusMaster&) = delete;
  JbusMaster& operator=(const JbusMaster&) = delete;

  void setLinkSettings(std::function<LinkSettings()> source);
  // Run by transfer (and the reads and writes) while the unit is not
  // identified yet; a success marks it identified, a failure is the
  // transaction's result.
  void setIdentification(std::function<LinkResult(JbusMaster&)> read);
  // Empty restores openPort.
  void setPortOpener(PortOpener opener);
  // Where the devices present are listed from when a port does not open
  // ("/dev" except in tests).
  void setDeviceRoot(std::string root) { deviceRoot_ = std::move(root); }

  // Whether the identification reads went, since the unit was last changed
  // behind the program's back. markIdentified() skips them (a search for the
  // unit, a read that must not replace the cached words, a test);
  // forgetIdentification() makes the next transfer run them again (the unit
  // was written to, or is another one).
  bool identified() const { return identified_; }
  void markIdentified() { identified_ = true; }
  void forgetIdentification() { identified_ = false; }

  // One transaction with up to three attempts on a request the caller made
  // (address first); ok when the reply passed every test. `length` excludes
  // the CRC, which is written at frame[length] and frame[length + 1]. A call
  // made from the idle hook while a transaction runs fails at once: it would
  // close the port the running one is reading.
  LinkResult exchange(std::uint8_t* frame, int length);
  // exchange, after the identification reads when they are still due.
  LinkResult transfer(std::uint8_t* frame, int length);

  // Function 3: `count` registers from `first` (1 to kMaxReadRegisters); the
  // result's data() holds them, high byte first.
  LinkResult readRegisters(std::uint16_t first, std::uint16_t count);
  // Function 4: `count` logger records from `first` (1 to kMaxRecords).
  LinkResult readRecords(std::uint16_t first, std::uint16_t count);
  // Function 16: `data` into the registers from `first`, two bytes a
  // register, high byte first (2 to 2 x kMaxWriteRegisters bytes, even).
  LinkResult writeRegisters(std::uint16_t first, std::span<const std::uint8_t> data);

  // Waits `ms` (the pause between written blocks) with the idle hook running;
  // 0 or the hook's negative result.
  int pause(int ms);

  // The adapter handed back a request before the unit's reply at least once
  // in this run (a two-wire RS-485 adapter without echo suppression). The
  // echo is skipped; this says that it happened.
  bool adapterEchoes() const { return adapterEchoes_; }

  // Opens the port the settings name (ok, or kPortFailed with the reason);
  // a port that opens stays open until closeLink.
  LinkResult openLink();
  void closeLink();

  Clock& clock() { return clock_; }
  LinkSettings linkSettings() const;

  // The port stays ours until the hold ends (see PortHold).
  [[nodiscard]] PortHold holdPort() { return PortHold(*this); }
  bool portHeld() const { return holds_ > 0; }

 private:
  friend class PortHold;
  void endHold();

  // The settings of one transaction, the address made a byte once.
  struct ActiveLink {
    std::int32_t port = 0;
    std::uint8_t address = 0;
    std::int32_t baudIndex = 0;
    ReplyEndRule replyEnd = ReplyEndRule::kSilence;
  };
  ActiveLink activeLink() const;

  // kTooSlow: bytes came, but the attempt's deadline fell before the line
  // went quiet.
  enum class Collect { kNoReply, kDone, kOverflow, kTooSlow };
  // Bytes 0 to 5 of requestFrame_ (and 6 for function 16); nothing else.
  void buildRequest(std::uint8_t function, std::uint16_t firstRegister, std::uint16_t count);
  // The identification reads when they are due; ok when nothing is left to do.
  LinkResult identifyIfDue();
  LinkResult openLink(const ActiveLink& link);
  // What the port is when it cannot be used: its reason, looked at now.
  LinkResult portFailed(const ActiveLink& link, int status, const std::string& device,
                        int systemError, NetworkCause cause);
  int flushLink();
  int sendFrame(const std::uint8_t* bytes, int count);
  // With `quietMs` above 0 (the length rule) a reply whose announced
  // length is in ends after that much quiet instead of a whole silence; a
  // byte within it means the length was not the end after all, and the
  // silence rule takes over for the rest of that reply.
  // The attempt ends once the reply is longer than `longest` and its margin
  // could be, or at `deadlineMs` on the master's clock.
  Collect collectReply(std::span<const std::uint8_t> request, int firstByteMs, int interByteMs,
                       std::size_t expected, int quietMs, std::size_t longest,
                       std::int64_t deadlineMs);
  // The reply in replyFrame_ failed with `fault` in a way a reader that takes
  // bytes from the same device causes: bytes missing, or someone else's.
  bool looksGarbled(ReplyFault fault, std::uint8_t address, std::uint8_t function,
                    std::size_t expected) const;
  void noteEcho();
  LinkResult runExchange(std::uint8_t* frame, int length);

  Clock& clock_;
  std::function<LinkSettings()> settings_;
  std::function<LinkResult(JbusMaster&)> identification_;
  PortOpener opener_;
  std::string deviceRoot_ = "/dev";
  SerialPort* port_ = nullptr;
  std::map<int, std::string> openedDevices_;  // the device each port last opened in this run
  struct Answered {
    std::string device;
    std::int32_t baudIndex = 0;
  };
  std::map<int, Answered> answered_;  // where each port last gave a good reply in this run
  std::array<std::uint8_t, kFrameSize> requestFrame_{};
  std::array<std::uint8_t, kFrameSize> replyFrame_{};
  std::uint16_t replyLength_ = 0;
  bool identified_ = false;
  bool adapterEchoes_ = false;
  bool identifying_ = false;
  bool inExchange_ = false;
  int holds_ = 0;
  std::vector<std::string> keptLocks_;  // the lock files the holds keep
};

}  // namespace flowdesk
