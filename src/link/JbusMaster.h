// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>

#include "base/AppSettings.h"
#include "base/BilingualText.h"
#include "base/Clock.h"
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

inline constexpr std::array<long, 6> kBaudTable{300, 600, 1200, 2400, 4800, 9600};

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

// Why a transaction left no reply to use: the last attempt's reason.
enum class ReplyFault {
  kNone,
  kPortFailed,  // the port could not be opened (lastPortStatus() says why)
  kBusy,        // asked while another transaction ran, or a request too long
  kNoAnswer,
  kSendFailed,
  kOverflow,  // longer than a frame
  kTooShort,
  kBadFunction,  // another function code
  kException,    // the unit refused: function + 0x80 and its exception code
  kBadLength,
  kBadCrc,
};

// What a transaction handed back: the reply as it arrived (valid until the
// next transaction) and, when it cannot be used, why. Sessions take their
// bytes from here.
struct Reply {
  ReplyFault fault = ReplyFault::kNoAnswer;
  std::uint8_t exceptionCode = 0;       // kException only
  std::span<const std::uint8_t> frame;  // address first, CRC last

  bool ok() const { return fault == ReplyFault::kNone; }
  // A read's data: the bytes after the byte count, as many as arrived and
  // at most as many as the count says.
  std::span<const std::uint8_t> data() const;
};

// The reason in a few words ("no answer", "bad CRC", "exception 2"), French
// or English; empty for a good reply.
std::string replyFaultText(const Reply& reply, Language language);

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

// The Jbus master: builds requests in the shared RequestFrame, runs one
// transaction per call (open, send, collect the reply until a silence, or
// until its announced length and a short quiet with ReplyEndRule::kLength,
// check, retry, close) and leaves the reply in the shared ReplyFrame. Single
// threaded; while it waits the idle hook runs.
class JbusMaster {
 public:
  static constexpr std::size_t kFrameSize = 512;
  static constexpr int kAttempts = 3;

  std::array<std::uint8_t, kFrameSize> RequestFrame{};
  std::array<std::uint8_t, kFrameSize> ReplyFrame{};
  std::uint16_t ReplyLength = 0;
  bool identificationDone = false;

  explicit JbusMaster(Clock& clock = systemClock());
  ~JbusMaster();
  JbusMaster(const JbusMaster&) = delete;
  JbusMaster& operator=(const JbusMaster&) = delete;

  void setLinkSettings(std::function<LinkSettings()> source);
  // Run by transfer while identificationDone is false; 0 on success, which
  // also sets identificationDone.
  void setIdentification(std::function<int(JbusMaster&)> read);
  // Empty restores openPort.
  void setPortOpener(PortOpener opener);

  // Bytes 0 to 5 of RequestFrame (and 6 for function 16); nothing else.
  void buildRequest(std::uint8_t function, std::uint16_t firstRegister, std::uint16_t count);

  // One transaction with up to three attempts; 0 when ReplyFrame holds a
  // reply that passed every test, else -1. `length` excludes the CRC, which
  // is written at frame[length] and frame[length + 1]. A call made from the
  // idle hook while a transaction runs fails at once: it would close the
  // port the running one is reading.
  int exchange(std::uint8_t* frame, int length);
  // exchange, after the identification reads when they are still due.
  int transfer(std::uint8_t* frame, int length);

  int readRegisters(std::uint16_t reg, std::uint16_t count);
  int readRecords(std::uint16_t start, std::uint16_t count);
  // Data already at RequestFrame[7..].
  int writeRegisters(std::uint16_t reg, std::uint16_t count);

  const std::uint8_t* replyData() const { return ReplyFrame.data() + 3; }
  // The last transaction's reply and its fault.
  const Reply& reply() const { return reply_; }
  std::uint8_t* requestData() { return RequestFrame.data() + 7; }

  // Waits `ms` (the pause between written blocks) with the idle hook running;
  // 0 or the hook's negative result.
  int pause(int ms);

  // Status of the last open attempt (0 when it succeeded; -3, -14 ... when
  // not), the device it named and the system's errno, for the messages.
  int lastPortStatus() const { return lastPortStatus_; }
  const std::string& lastDevice() const { return lastDevice_; }
  int lastErrno() const { return lastErrno_; }
  // The port index of the last open attempt.
  int lastPortIndex() const { return lastPortIndex_; }
  // The device the port last opened in this run (empty when it never did):
  // a device that opened once and is gone now was unplugged.
  std::string deviceOpenedBefore(int portIndex) const;

  // The adapter handed back a request before the unit's reply at least once
  // in this run (a two-wire RS-485 adapter without echo suppression). The
  // echo is skipped; this says that it happened.
  bool adapterEchoes() const { return adapterEchoes_; }

  int openLink();
  void closeLink();
  int flushLink();
  int sendFrame(const std::uint8_t* bytes, int count);

  Clock& clock() { return clock_; }
  LinkSettings linkSettings() const;

 private:
  enum class Collect { kNoReply, kDone, kOverflow };
  // With `quietMs` above 0 (the length rule) a reply whose announced
  // length is in ends after that much quiet instead of a whole silence; a
  // byte within it means the length was not the end after all, and the
  // silence rule takes over for the rest of that reply.
  Collect collectReply(std::span<const std::uint8_t> request, int firstByteMs, int interByteMs,
                       std::size_t expected, int quietMs);
  void noteEcho();
  int runExchange(std::uint8_t* frame, int length);

  Clock& clock_;
  std::function<LinkSettings()> settings_;
  std::function<int(JbusMaster&)> identification_;
  PortOpener opener_;
  SerialPort* port_ = nullptr;
  int lastPortStatus_ = 0;
  std::string lastDevice_;
  int lastErrno_ = 0;
  int lastPortIndex_ = 0;
  std::map<int, std::string> openedDevices_;
  bool adapterEchoes_ = false;
  bool identifying_ = false;
  bool inExchange_ = false;
  Reply reply_;
};

}  // namespace flowdesk
