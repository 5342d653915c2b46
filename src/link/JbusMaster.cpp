// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/JbusMaster.h"

#include <algorithm>

#include "base/BilingualText.h"
#include "base/Bytes.h"
#include "link/Crc16.h"
#include "link/FrameTrace.h"
#include "link/LinkTimings.h"
#include "link/PortLock.h"
#include "link/SerialDevices.h"

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

std::size_t longestReply(std::uint8_t function, std::size_t expected) {
  // Records: a byte count of at most 255 behind the address, the function
  // and the count itself, and the CRC.
  if (function == 4) return 3 + 255 + 2;
  return std::min(expected, JbusMaster::kFrameSize);
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

PortHold::PortHold(JbusMaster& master) : master_(&master) {
  ++master.holds_;
}

PortHold& PortHold::operator=(PortHold&& other) noexcept {
  if (this != &other) {
    release();
    master_ = std::exchange(other.master_, nullptr);
  }
  return *this;
}

void PortHold::release() {
  if (master_ != nullptr) std::exchange(master_, nullptr)->endHold();
}

JbusMaster::JbusMaster(Clock& clock) : clock_(clock) {}

JbusMaster::~JbusMaster() {
  closeLink();
  // Holds end before their master; should one not have, its locks go anyway.
  for (const std::string& lock : keptLocks_) endKeptPortLock(lock);
}

void JbusMaster::endHold() {
  if (holds_ == 0 || --holds_ > 0) return;
  for (const std::string& lock : keptLocks_) endKeptPortLock(lock);
  keptLocks_.clear();
}

void JbusMaster::setLinkSettings(std::function<LinkSettings()> source) {
  settings_ = std::move(source);
}

void JbusMaster::setIdentification(std::function<LinkResult(JbusMaster&)> read) {
  identification_ = std::move(read);
}

void JbusMaster::setPortOpener(PortOpener opener) {
  opener_ = std::move(opener);
}

LinkSettings JbusMaster::linkSettings() const {
  return settings_ ? settings_() : LinkSettings{};
}

JbusMaster::ActiveLink JbusMaster::activeLink() const {
  const LinkSettings s = linkSettings();
  return {s.Com, slaveAddress(s.Jbus), s.Bauds, s.replyEnd};
}

void JbusMaster::buildRequest(std::uint8_t function, std::uint16_t firstRegister,
                              std::uint16_t count) {
  requestFrame_[0] = activeLink().address;
  requestFrame_[1] = function;
  requestFrame_[2] = static_cast<std::uint8_t>(firstRegister >> 8);
  requestFrame_[3] = static_cast<std::uint8_t>(firstRegister & 0xFF);
  requestFrame_[4] = static_cast<std::uint8_t>(count >> 8);
  requestFrame_[5] = static_cast<std::uint8_t>(count & 0xFF);
  if (function == 16) requestFrame_[6] = static_cast<std::uint8_t>(2 * count);
}

// ---------------------------------------------------------------------------
// Link primitives

LinkResult JbusMaster::openLink() {
  return openLink(activeLink());
}

LinkResult JbusMaster::portFailed(const ActiveLink& link, int status, const std::string& device,
                                  int systemError, NetworkCause cause) {
  // Looked at now, while it is so: by the time someone reads the result the
  // adapter may be back, or another one plugged in. The port is closed by
  // then, so that this program is not found among the device's holders.
  const auto before = openedDevices_.find(link.port);
  PortFailure failure =
      portRefusal({link.port, status, device, systemError, cause,
                   before == openedDevices_.end() ? std::string() : before->second});
  if (needsDeviceList(failure)) failure.presentDevices = findSerialDevices(deviceRoot_);
  LinkResult result;
  result.fault = ReplyFault::kPortFailed;
  result.device = device;
  result.port = std::move(failure);
  return result;
}

LinkResult JbusMaster::openLink(const ActiveLink& link) {
  closeLink();
  if (link.baudIndex < 0 || link.baudIndex >= static_cast<std::int32_t>(kBaudTable.size())) {
    return portFailed(link, kPortBadBaud, {}, 0, NetworkCause::kNone);
  }
  const long baud = kBaudTable[static_cast<std::size_t>(link.baudIndex)];
  SerialPort* port =
      opener_ ? opener_(link.port, baud, 'N', 8, 2) : openPort(link.port, baud, 'N', 8, 2);
  if (port == nullptr) return portFailed(link, kPortOutOfMemory, {}, 0, NetworkCause::kNone);
  if (port->status != kPortOk) {
    const int status = port->status;
    const std::string device = port->device;
    const int systemError = port->systemError;
    const NetworkCause cause = port->networkCause;
    port->close();
    return portFailed(link, status, device, systemError, cause);
  }
  openedDevices_[link.port] = port->device;
  if (holds_ > 0) {
    const std::string lock = lockFilePath(port->device);
    if (!lock.empty() &&
        std::find(keptLocks_.begin(), keptLocks_.end(), lock) == keptLocks_.end()) {
      if (std::string keptLock = keepPortLock(port->device); !keptLock.empty()) {
        keptLocks_.push_back(std::move(keptLock));
      }
    }
  }
  port->clock = &clock_;
  port_ = port;
  LinkResult opened;
  opened.device = port->device;
  return opened;
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

void JbusMaster::noteEcho() {
  if (adapterEchoes_) return;
  adapterEchoes_ = true;
  frameTrace().note(clock_.nowMs(), "the adapter echoes what it sends: its echo is skipped");
}

JbusMaster::Collect JbusMaster::collectReply(std::span<const std::uint8_t> request, int firstByteMs,
                                             int interByteMs, std::size_t expected, int quietMs,
                                             std::size_t longest, std::int64_t deadlineMs) {
  const std::uint8_t function = request.size() > 1 ? request[1] : 0;
  const int lengthQuietMs = quietMs;
  // Past this no reply the request can get is that long any more; before
  // the echo is out of the way, the echo may be longer (a long write).
  const std::size_t limit = std::min(longest + link_timings::kReplyMargin, kFrameSize);
  const std::size_t echoLimit = std::max(limit, request.size());
  // Every wait ends by the attempt's deadline, whatever the peer does.
  const auto waitUntilDeadline = [this, deadlineMs](int limitMs) {
    const std::int64_t left = deadlineMs - clock_.nowMs();
    if (left <= 0) return static_cast<int>(kPortTimeout);
    return waitByte(port_, static_cast<int>(std::min<std::int64_t>(limitMs, left)));
  };
  const auto late = [this, deadlineMs] { return clock_.nowMs() >= deadlineMs; };
  replyLength_ = 0;
  bool echoSkipped = false;
  int b = waitUntilDeadline(firstByteMs);
  if (b < 0) return Collect::kNoReply;
  for (;;) {
    if (replyLength_ == (echoSkipped ? limit : echoLimit)) {
      // A peer that keeps talking past any reply is not giving one. Let it
      // finish so its tail does not start the next attempt, but only for
      // so long: a line that streams for ever must not hold the transaction.
      for (std::size_t dropped = 1; dropped < kFrameSize && waitUntilDeadline(interByteMs) >= 0;
           ++dropped) {
      }
      return Collect::kOverflow;
    }
    replyFrame_[replyLength_++] = static_cast<std::uint8_t>(b);
    if (!echoSkipped && replyLength_ == request.size() &&
        std::equal(request.begin(), request.end(), replyFrame_.begin())) {
      // The whole request came back first: a two-wire adapter that hears
      // itself. No reply a unit sends is that long and that alike (a write's
      // reply only starts as its request does; a logger record is longer
      // than its request), so it is dropped, and the reply comes
      // right behind it or after the unit's turnaround: both are awaited as
      // a first byte is.
      echoSkipped = true;
      noteEcho();
      replyLength_ = 0;
      quietMs = lengthQuietMs;
      b = waitUntilDeadline(firstByteMs);
      if (b < 0) return late() ? Collect::kTooSlow : Collect::kNoReply;
      continue;
    }
    if (quietMs > 0 && replyLength_ == announcedReplyLength(replyFrame_.data(), replyLength_,
                                                            function, expected)) {
      // Its last byte, if the line now stays quiet: the next request then
      // goes out no sooner than the protocol allows.
      b = waitUntilDeadline(quietMs);
      if (b < 0) return late() ? Collect::kTooSlow : Collect::kDone;
      quietMs = 0;
      continue;
    }
    // The reply ends at the first silence of interByteMs.
    b = waitUntilDeadline(interByteMs);
    if (b < 0) return late() ? Collect::kTooSlow : Collect::kDone;
  }
}

LinkResult JbusMaster::exchange(std::uint8_t* frame, int length) {
  LinkResult refused;
  // The CRC goes behind the request and must fit the frame buffers.
  if (frame == nullptr || length < 2 || length > static_cast<int>(kFrameSize) - 2) {
    refused.fault = ReplyFault::kBadRequest;
    return refused;
  }
  if (inExchange_) {
    refused.fault = ReplyFault::kBusy;
    return refused;
  }
  inExchange_ = true;
  LinkResult result = runExchange(frame, length);
  inExchange_ = false;
  return result;
}

LinkResult JbusMaster::runExchange(std::uint8_t* frame, int length) {
  const ActiveLink link = activeLink();
  const std::uint8_t function = frame[1];
  const int firstByteMs =
      static_cast<int>(link_timings::firstByteLimit(link.baudIndex, function).count());
  const int interByteMs = static_cast<int>(link_timings::interByteLimit(link.baudIndex).count());
  int quietMs = 0;  // 0: the silence alone ends a reply
  if (link.replyEnd == ReplyEndRule::kLength && link.baudIndex >= 0 &&
      link.baudIndex < static_cast<std::int32_t>(kBaudTable.size())) {
    const long baud = kBaudTable[static_cast<std::size_t>(link.baudIndex)];
    quietMs = static_cast<int>(link_timings::quietAfterReply(baud).count());
  }

  LinkResult result = openLink(link);
  if (!result.ok()) return result;  // a port that cannot be opened is not retried
  flushLink();
  const std::uint16_t crc = crc16(frame, static_cast<std::uint16_t>(length));
  frame[length] = static_cast<std::uint8_t>(crc & 0xFF);
  frame[length + 1] = static_cast<std::uint8_t>(crc >> 8);
  const std::size_t expected = expectedReplyLength(frame, length);
  const std::size_t longest = longestReply(function, expected);
  const long baud = kBaudTable[static_cast<std::size_t>(link.baudIndex)];  // the open checked it
  const auto attemptMs = link_timings::attemptLimit(
      link.baudIndex, function, baud,
      static_cast<std::size_t>(length) + 2 + longest + link_timings::kReplyMargin);
  // A reply that lost bytes, or took them from elsewhere, on a device that
  // answered well at this rate before: most likely another program reading
  // it too, taking bytes as they come.
  const auto answered = answered_.find(link.port);
  const bool answeredBefore = answered != answered_.end() &&
                              answered->second.device == port_->device &&
                              answered->second.baudIndex == link.baudIndex;

  bool ok = false;
  bool lineLost = false;
  for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
    std::fill_n(replyFrame_.begin(), std::min(expected, kFrameSize), std::uint8_t{0});
    const bool sent = sendFrame(frame, length + 2) == 0;
    if (sent) result.requestSent = true;
    // A failed send still waits for a reply; it only fails the attempt.
    const Collect collected =
        collectReply({frame, static_cast<std::size_t>(length) + 2}, firstByteMs, interByteMs,
                     expected, quietMs, longest, clock_.nowMs() + attemptMs.count());
    result.fault = ReplyFault::kNone;
    result.exceptionCode = 0;
    result.frame = {replyFrame_.data(), replyLength_};
    const bool whole =
        collected == Collect::kDone &&
        checkReply(replyFrame_.data(), replyLength_, function, expected) == ReplyCheck::kOk;
    if (collected != Collect::kOverflow && !whole && port_->status == kPortNoDevice) {
      // The line itself went away (a device server closed the connection):
      // said as a port that failed, so the messages and the wait for its
      // return treat it as they treat an unplugged adapter.
      lineLost = true;
      frameTrace().frame(clock_.nowMs(), "RX", replyFrame_.data(), 0, "line lost");
      break;
    }
    if (collected == Collect::kNoReply) {
      result.fault = ReplyFault::kNoAnswer;
    } else if (!sent) {
      result.fault = ReplyFault::kSendFailed;
    } else if (collected == Collect::kOverflow) {
      result.fault = ReplyFault::kOverflow;
    } else {
      result.fault = faultOf(checkReply(replyFrame_.data(), replyLength_, function, expected));
      if (result.fault == ReplyFault::kBadFunction && replyLength_ >= 3 &&
          replyFrame_[1] == (function | 0x80)) {
        result.fault = ReplyFault::kException;
        result.exceptionCode = replyFrame_[2];
      } else if (collected == Collect::kTooSlow && !result.ok()) {
        result.fault = ReplyFault::kTooSlow;
      } else if (answeredBefore && looksGarbled(result.fault, link.address, function, expected)) {
        result.fault = ReplyFault::kGarbled;
      }
      ok = result.ok();
    }
    frameTrace().frame(clock_.nowMs(), "RX", replyFrame_.data(), replyLength_,
                       ok ? "ok" : linkResultText(result, kEnglish, ResultWording::kFault));
  }
  if (lineLost) {
    const int status = port_->status;
    const std::string device = port_->device;
    const int systemError = port_->systemError;
    const NetworkCause cause = port_->networkCause;
    const std::span<const std::uint8_t> frameSoFar = result.frame;
    const bool requestSent = result.requestSent;
    closeLink();
    result = portFailed(link, status, device, systemError, cause);
    result.frame = frameSoFar;
    result.requestSent = requestSent;
    return result;
  }
  if (ok) answered_[link.port] = {port_->device, link.baudIndex};
  closeLink();
  return result;
}

bool JbusMaster::looksGarbled(ReplyFault fault, std::uint8_t address, std::uint8_t function,
                              std::size_t expected) const {
  switch (fault) {
    case ReplyFault::kTooShort:
    case ReplyFault::kBadFunction:
      return true;
    case ReplyFault::kBadLength: {
      // Shorter than it said it would be, or than the request wants.
      const std::size_t announced =
          announcedReplyLength(replyFrame_.data(), replyLength_, function, expected);
      return replyLength_ < (announced != 0 ? announced : expected);
    }
    case ReplyFault::kBadCrc:
      // Address 0 asks whoever is there, and the unit answers with its own.
      return address != 0 && replyLength_ > 0 && replyFrame_[0] != address;
    default:
      return false;
  }
}

LinkResult JbusMaster::identifyIfDue() {
  if (identified_ || !identification_ || identifying_) return {};
  identifying_ = true;
  LinkResult result = identification_(*this);
  identifying_ = false;
  if (result.ok()) identified_ = true;
  result.requestSent = false;  // the caller's own request never went out
  return result;
}

LinkResult JbusMaster::transfer(std::uint8_t* frame, int length) {
  if (LinkResult identification = identifyIfDue(); !identification.ok()) return identification;
  return exchange(frame, length);
}

namespace {

LinkResult badRequest() {
  LinkResult refused;
  refused.fault = ReplyFault::kBadRequest;
  return refused;
}

}  // namespace

// The identification reads go first: they use the request frame too, so the
// caller's request is only built once they are done.
LinkResult JbusMaster::readRegisters(std::uint16_t first, std::uint16_t count) {
  if (count == 0 || count > kMaxReadRegisters) return badRequest();
  if (LinkResult identification = identifyIfDue(); !identification.ok()) return identification;
  buildRequest(3, first, count);
  return exchange(requestFrame_.data(), 6);
}

LinkResult JbusMaster::readRecords(std::uint16_t first, std::uint16_t count) {
  if (count == 0 || count > kMaxRecords) return badRequest();
  if (LinkResult identification = identifyIfDue(); !identification.ok()) return identification;
  buildRequest(4, first, count);
  return exchange(requestFrame_.data(), 6);
}

LinkResult JbusMaster::writeRegisters(std::uint16_t first, std::span<const std::uint8_t> data) {
  if (data.empty() || data.size() % 2 != 0 || data.size() > 2u * kMaxWriteRegisters) {
    return badRequest();
  }
  if (LinkResult identification = identifyIfDue(); !identification.ok()) return identification;
  const auto count = static_cast<std::uint16_t>(data.size() / 2);
  buildRequest(16, first, count);
  std::copy(data.begin(), data.end(), requestFrame_.begin() + 7);
  return exchange(requestFrame_.data(), 7 + static_cast<int>(data.size()));
}

}  // namespace flowdesk
