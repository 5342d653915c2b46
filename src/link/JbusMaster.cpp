// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/JbusMaster.h"

#include <algorithm>

#include "base/Bytes.h"
#include "link/Crc16.h"
#include "link/FrameTrace.h"
#include "link/LinkTimings.h"

namespace flowdesk {

std::uint8_t slaveAddress(float jbus) {
  if (!(jbus > 0.0f)) return 0;  // negative, zero or NaN
  if (jbus >= 255.0f) return 255;
  return static_cast<std::uint8_t>(static_cast<int>(jbus));
}

ReplyCheck checkReply(const std::uint8_t* reply, std::size_t length, std::uint8_t function,
                      std::size_t expected) {
  if (length < 2 || reply[1] != function) {
    // One byte, a frame from a confused peer, or an exception reply (function
    // code with bit 7 set): the function code is tested first, so all of them
    // fail as a wrong function whatever their length; only then can the CRC
    // be looked at.
    return length < 2 ? ReplyCheck::kTooShort : ReplyCheck::kBadFunction;
  }
  if (function != 4 && length != expected) return ReplyCheck::kBadLength;
  if (length < 3) return ReplyCheck::kTooShort;
  // A reply of records has no length known in advance, but its own byte
  // count says how long it is. A frame that lost its last byte still passes
  // the CRC whenever that byte was 0 (one in 256): taken as it was, it
  // held one record too few, and a download took that for the end of the
  // logger and stopped there, the rest of the records never fetched.
  if (function == 4 && length != std::size_t{reply[2]} + 5) return ReplyCheck::kBadLength;
  const std::size_t body = length - 2;
  const std::uint16_t crc = crc16(reply, static_cast<std::uint16_t>(body));
  const std::uint16_t sent = static_cast<std::uint16_t>(reply[body] | (reply[body + 1] << 8));
  return crc == sent ? ReplyCheck::kOk : ReplyCheck::kBadCrc;
}

std::size_t expectedReplyLength(const std::uint8_t* request, int length) {
  switch (request[1]) {
    case 3: {
      const std::size_t count = length >= 6 ? std::size_t{get16({request, 6}, 4)} : 0;
      return 5 + 2 * count;
    }
    case 4:
      return JbusMaster::kFrameSize;
    default:
      return 8;
  }
}

std::size_t announcedReplyLength(const std::uint8_t* reply, std::size_t have, std::uint8_t function,
                                 std::size_t expected) {
  if (have < 2) return 0;
  if (reply[1] == (function | 0x80)) return 5;
  if (reply[1] != function) return 0;
  switch (function) {
    case 3:
    case 16:
      return expected;
    case 4:
      return have < 3 ? 0 : std::size_t{3} + reply[2] + 2;
    default:
      return 0;
  }
}

namespace {

ReplyFault faultOf(ReplyCheck check) {
  switch (check) {
    case ReplyCheck::kOk:
      return ReplyFault::kNone;
    case ReplyCheck::kTooShort:
      return ReplyFault::kTooShort;
    case ReplyCheck::kBadFunction:
      return ReplyFault::kBadFunction;
    case ReplyCheck::kBadLength:
      return ReplyFault::kBadLength;
    case ReplyCheck::kBadCrc:
      return ReplyFault::kBadCrc;
  }
  return ReplyFault::kBadFunction;
}

}  // namespace

std::span<const std::uint8_t> Reply::data() const {
  if (frame.size() < 5) return {};
  const std::size_t held = frame.size() - 5;
  return frame.subspan(3, std::min<std::size_t>(frame[2], held));
}

std::string replyFaultText(const Reply& reply, Language language) {
  const bool fr = language == kFrench;
  switch (reply.fault) {
    case ReplyFault::kNone:
      return {};
    case ReplyFault::kPortFailed:
      return fr ? "port non ouvert" : "port not opened";
    case ReplyFault::kBusy:
      return fr ? "échange déjà en cours" : "another exchange was running";
    case ReplyFault::kNoAnswer:
      return fr ? "pas de réponse" : "no answer";
    case ReplyFault::kSendFailed:
      return fr ? "envoi impossible" : "could not send";
    case ReplyFault::kOverflow:
      return fr ? "réponse trop longue" : "reply too long";
    case ReplyFault::kTooShort:
      return fr ? "réponse trop courte" : "reply too short";
    case ReplyFault::kBadFunction:
      return fr ? "code fonction faux" : "wrong function code";
    case ReplyFault::kException:
      return "exception " + std::to_string(reply.exceptionCode);
    case ReplyFault::kBadLength:
      return fr ? "longueur fausse" : "wrong length";
    case ReplyFault::kBadCrc:
      return fr ? "CRC faux" : "bad CRC";
  }
  return {};
}

JbusMaster::JbusMaster(Clock& clock) : clock_(clock) {}

JbusMaster::~JbusMaster() {
  closeLink();
}

void JbusMaster::setLinkSettings(std::function<LinkSettings()> source) {
  settings_ = std::move(source);
}

void JbusMaster::setIdentification(std::function<int(JbusMaster&)> read) {
  identification_ = std::move(read);
}

void JbusMaster::setPortOpener(PortOpener opener) {
  opener_ = std::move(opener);
}

LinkSettings JbusMaster::linkSettings() const {
  return settings_ ? settings_() : LinkSettings{};
}

void JbusMaster::buildRequest(std::uint8_t function, std::uint16_t firstRegister,
                              std::uint16_t count) {
  RequestFrame[0] = slaveAddress(linkSettings().Jbus);
  RequestFrame[1] = function;
  RequestFrame[2] = static_cast<std::uint8_t>(firstRegister >> 8);
  RequestFrame[3] = static_cast<std::uint8_t>(firstRegister & 0xFF);
  RequestFrame[4] = static_cast<std::uint8_t>(count >> 8);
  RequestFrame[5] = static_cast<std::uint8_t>(count & 0xFF);
  if (function == 16) RequestFrame[6] = static_cast<std::uint8_t>(2 * count);
}

// ---------------------------------------------------------------------------
// Link primitives

int JbusMaster::openLink() {
  closeLink();
  const LinkSettings s = linkSettings();
  lastPortIndex_ = s.Com;
  if (s.Bauds < 0 || s.Bauds >= static_cast<std::int32_t>(kBaudTable.size())) {
    lastPortStatus_ = kPortBadBaud;
    lastDevice_.clear();
    lastErrno_ = 0;
    return -1;
  }
  const long baud = kBaudTable[static_cast<std::size_t>(s.Bauds)];
  SerialPort* port = opener_ ? opener_(s.Com, baud, 'N', 8, 2) : openPort(s.Com, baud, 'N', 8, 2);
  if (port == nullptr) {
    lastPortStatus_ = kPortOutOfMemory;
    return -1;
  }
  lastDevice_ = port->device;
  lastErrno_ = port->systemError;
  lastPortStatus_ = port->status;
  if (port->status != kPortOk) {
    port->close();
    return -1;
  }
  openedDevices_[s.Com] = port->device;
  port->clock = &clock_;
  port_ = port;
  return 0;
}

void JbusMaster::closeLink() {
  if (port_ == nullptr) return;
  SerialPort* port = port_;
  port_ = nullptr;  // forgotten even when closing reports an error
  port->close();
}

int JbusMaster::flushLink() {
  if (port_ == nullptr) return -1;
  const int cleared = port_->clearOutput();
  const int drained = drainInput(port_);
  return (cleared < 0 || drained < 0) ? -1 : 0;
}

int JbusMaster::sendFrame(const std::uint8_t* bytes, int count) {
  if (port_ == nullptr) return -1;
  flushLink();
  for (int i = 0; i < count; ++i) {
    if (port_->writeByte(bytes[i]) < 0) {
      frameTrace().frame(clock_.nowMs(), "TX", bytes, static_cast<std::size_t>(count),
                         "refused from byte " + std::to_string(i));
      return -1;
    }
  }
  frameTrace().frame(clock_.nowMs(), "TX", bytes, static_cast<std::size_t>(count));
  return 0;
}

int JbusMaster::pause(int ms) {
  return delay(clock_, port_, ms);
}

// ---------------------------------------------------------------------------
// Transactions

std::string JbusMaster::deviceOpenedBefore(int portIndex) const {
  const auto it = openedDevices_.find(portIndex);
  return it == openedDevices_.end() ? std::string() : it->second;
}

void JbusMaster::noteEcho() {
  if (adapterEchoes_) return;
  adapterEchoes_ = true;
  frameTrace().note(clock_.nowMs(), "the adapter echoes what it sends: its echo is skipped");
}

JbusMaster::Collect JbusMaster::collectReply(std::span<const std::uint8_t> request, int firstByteMs,
                                             int interByteMs, std::size_t expected, int quietMs) {
  const std::uint8_t function = request.size() > 1 ? request[1] : 0;
  const int lengthQuietMs = quietMs;
  ReplyLength = 0;
  bool echoSkipped = false;
  int b = waitByte(port_, firstByteMs);
  if (b < 0) return Collect::kNoReply;
  for (;;) {
    if (ReplyLength == kFrameSize) {
      // A peer that keeps talking past the frame is not giving a reply. Let
      // it finish so its tail does not start the next attempt, but only for
      // so long: a line that streams for ever must not hold the transaction.
      for (std::size_t dropped = 1; dropped < kFrameSize && waitByte(port_, interByteMs) >= 0;
           ++dropped) {
      }
      return Collect::kOverflow;
    }
    ReplyFrame[ReplyLength++] = static_cast<std::uint8_t>(b);
    if (!echoSkipped && ReplyLength == request.size() &&
        std::equal(request.begin(), request.end(), ReplyFrame.begin())) {
      // The whole request came back first: a two-wire adapter that hears
      // itself. No reply a unit sends is that long and that alike (a write's
      // reply only starts as its request does; a logger record is longer
      // than its request), so it is dropped, and the reply comes
      // right behind it or after the unit's turnaround: both are awaited as
      // a first byte is.
      echoSkipped = true;
      noteEcho();
      ReplyLength = 0;
      quietMs = lengthQuietMs;
      b = waitByte(port_, firstByteMs);
      if (b < 0) return Collect::kNoReply;
      continue;
    }
    if (quietMs > 0 &&
        ReplyLength == announcedReplyLength(ReplyFrame.data(), ReplyLength, function, expected)) {
      // Its last byte, if the line now stays quiet: the next request then
      // goes out no sooner than the protocol allows.
      b = waitByte(port_, quietMs);
      if (b < 0) return Collect::kDone;
      quietMs = 0;
      continue;
    }
    // The reply ends at the first silence of interByteMs.
    b = waitByte(port_, interByteMs);
    if (b < 0) return Collect::kDone;
  }
}

int JbusMaster::exchange(std::uint8_t* frame, int length) {
  // The CRC goes behind the request and must fit the frame buffers.
  if (frame == nullptr || length < 2 || length > static_cast<int>(kFrameSize) - 2 || inExchange_) {
    reply_ = {ReplyFault::kBusy, 0, {}};
    return -1;
  }
  inExchange_ = true;
  const int result = runExchange(frame, length);
  inExchange_ = false;
  return result;
}

int JbusMaster::runExchange(std::uint8_t* frame, int length) {
  const LinkSettings settings = linkSettings();
  const std::uint8_t function = frame[1];
  const int firstByteMs =
      static_cast<int>(link_timings::firstByteLimit(settings.Bauds, function).count());
  const int interByteMs = static_cast<int>(link_timings::interByteLimit(settings.Bauds).count());
  int quietMs = 0;  // 0: the silence alone ends a reply
  if (settings.replyEnd == ReplyEndRule::kLength && settings.Bauds >= 0 &&
      settings.Bauds < static_cast<std::int32_t>(kBaudTable.size())) {
    const long baud = kBaudTable[static_cast<std::size_t>(settings.Bauds)];
    quietMs = static_cast<int>(link_timings::quietAfterReply(baud).count());
  }

  reply_ = {ReplyFault::kPortFailed, 0, {}};
  if (openLink() != 0) return -1;  // a port that cannot be opened is not retried
  flushLink();
  const std::uint16_t crc = crc16(frame, static_cast<std::uint16_t>(length));
  frame[length] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[length + 1] = static_cast<std::uint8_t>(crc >> 8);
  const std::size_t expected = expectedReplyLength(frame, length);

  bool ok = false;
  for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
    std::fill_n(ReplyFrame.begin(), std::min(expected, kFrameSize), std::uint8_t{0});
    const bool sent = sendFrame(frame, length + 2) == 0;
    // A failed send still waits for a reply; it only fails the attempt.
    const Collect collected = collectReply({frame, static_cast<std::size_t>(length) + 2},
                                           firstByteMs, interByteMs, expected, quietMs);
    reply_ = {ReplyFault::kNone, 0, {ReplyFrame.data(), ReplyLength}};
    if (collected == Collect::kNoReply && port_->status == kPortNoDevice) {
      // The line itself went away (a device server closed the connection):
      // said as a port that failed, so the messages and the wait for its
      // return treat it as they treat an unplugged adapter.
      lastPortStatus_ = port_->status;
      lastErrno_ = port_->systemError;
      reply_.fault = ReplyFault::kPortFailed;
      frameTrace().frame(clock_.nowMs(), "RX", ReplyFrame.data(), 0, "line lost");
      break;
    }
    if (collected == Collect::kNoReply) {
      reply_.fault = ReplyFault::kNoAnswer;
    } else if (!sent) {
      reply_.fault = ReplyFault::kSendFailed;
    } else if (collected == Collect::kOverflow) {
      reply_.fault = ReplyFault::kOverflow;
    } else {
      reply_.fault = faultOf(checkReply(ReplyFrame.data(), ReplyLength, function, expected));
      if (reply_.fault == ReplyFault::kBadFunction && ReplyLength >= 3 &&
          ReplyFrame[1] == (function | 0x80)) {
        reply_.fault = ReplyFault::kException;
        reply_.exceptionCode = ReplyFrame[2];
      }
      ok = reply_.ok();
    }
    frameTrace().frame(clock_.nowMs(), "RX", ReplyFrame.data(), ReplyLength,
                       ok ? "ok" : replyFaultText(reply_, kEnglish));
  }
  closeLink();
  return ok ? 0 : -1;
}

int JbusMaster::transfer(std::uint8_t* frame, int length) {
  if (!identificationDone && identification_ && !identifying_) {
    // The identification reads use the shared frames; the caller's request
    // must come through them intact.
    const auto savedRequest = RequestFrame;
    identifying_ = true;
    const int r = identification_(*this);
    identifying_ = false;
    RequestFrame = savedRequest;
    if (r != 0) return -1;
    identificationDone = true;
  }
  return exchange(frame, length);
}

int JbusMaster::readRegisters(std::uint16_t reg, std::uint16_t count) {
  buildRequest(3, reg, count);
  return transfer(RequestFrame.data(), 6);
}

int JbusMaster::readRecords(std::uint16_t start, std::uint16_t count) {
  buildRequest(4, start, count);
  return transfer(RequestFrame.data(), 6);
}

int JbusMaster::writeRegisters(std::uint16_t reg, std::uint16_t count) {
  buildRequest(16, reg, count);
  return transfer(RequestFrame.data(), 7 + 2 * count);
}

}  // namespace flowdesk
