// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The far end of the sessions' in-memory line: the virtual unit works out the
// true answer to every request, then the fuzz input decides what goes back
// instead: that answer, silence, a copy with a byte flipped or changed under
// a fresh CRC, a cut copy, an exception, or bytes of the input's own. Every
// answer is logged with the checker's verdict on it, so that a target can
// tell whether what a session shows or stores came from a reply the program
// was right to take.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "FuzzSupport.h"
#include "base/Bytes.h"
#include "base/Clock.h"
#include "link/Crc16.h"
#include "link/JbusMaster.h"
#include "link/LinkTimings.h"
#include "link/MemorySerialDriver.h"
#include "unit/VirtualUnit.h"

namespace flowdesk::fuzz {

// The input read from the front, byte by byte; zeros once it has run out.
class InputStream {
 public:
  InputStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool exhausted() const { return at_ >= size_; }
  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  Bytes take(std::size_t n) {
    n = std::min(n, size_ - std::min(at_, size_));
    Bytes out(data_ + at_, data_ + at_ + n);
    at_ += n;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

inline void appendCrc(Bytes& frame) {
  const std::uint16_t crc = crc16(frame.data(), static_cast<std::uint16_t>(frame.size()));
  frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

// One request as the far end took it and what went back.
struct SentReply {
  Bytes request;  // CRC included
  Bytes reply;    // empty: no answer
  bool passes = false;
  bool truthful = false;  // the virtual unit's own answer, unspoiled
  std::int64_t atMs = 0;

  int function() const { return request.size() > 1 ? request[1] : -1; }
  int first() const { return request.size() > 3 ? request[2] << 8 | request[3] : -1; }
  int count() const { return request.size() > 5 ? request[4] << 8 | request[5] : -1; }
  // A read's data (after the byte count, without the CRC).
  std::span<const std::uint8_t> data() const {
    if (reply.size() < 5) return {};
    return std::span<const std::uint8_t>(reply).subspan(3, reply.size() - 5);
  }
};

class ScriptedUnit {
 public:
  // The unit's own clock follows the manual one, so that its measurement
  // and logger move as the session's time does.
  ScriptedUnit(ManualClock& clock, InputStream& input, const unit::UnitSettings& settings)
      : line(std::make_shared<MemoryLine>(clock)),
        clock_(clock),
        input_(input),
        unit_(settings, [&clock] { return 1.7e9 + static_cast<double>(clock.nowMs()) / 1000.0; }) {
    line->onWrite = [this](MemoryLine& l) { answer(l); };
  }

  std::shared_ptr<MemoryLine> line;
  std::vector<SentReply> log;

  // `master` talks to this unit from now on, its identification taken as
  // done (the targets drive the screens, not the start-up reads).
  void serve(JbusMaster& master) {
    master.setPortOpener(memoryPortOpener(line));
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master.markIdentified();
  }

  // What the unit would answer now, leaving the log and the input alone.
  Bytes trueAnswer(Bytes request) {
    appendCrc(request);
    const std::optional<Bytes> handled = unit_.handle(request);
    return handled ? *handled : Bytes{};
  }

  // Whether exactly `frame` went back, and passed, to a request for
  // `count` registers from `first` with `function`.
  bool sentPassing(std::span<const std::uint8_t> frame, int function, int first, int count) const {
    for (const SentReply& s : log) {
      if (s.passes && s.function() == function && s.first() == first && s.count() == count &&
          s.reply.size() == frame.size() &&
          std::equal(frame.begin(), frame.end(), s.reply.begin())) {
        return true;
      }
    }
    return false;
  }

 private:
  void answer(MemoryLine& l) {
    const Bytes request = l.takeRequest();
    if (request.size() < 8) return;
    const std::optional<Bytes> handled = unit_.handle(request);
    Bytes reply = handled ? *handled : Bytes{};
    const std::uint8_t control = input_.byte();
    switch (control & 7) {
      case 0:  // the true answer
        break;
      case 1:  // silence
        reply.clear();
        break;
      case 2:  // a byte flipped on the way
        if (!reply.empty()) {
          reply[input_.byte() % reply.size()] ^= static_cast<std::uint8_t>(input_.byte() | 1);
        }
        break;
      case 3:  // a unit that says something else, with a good CRC
        if (reply.size() > 2) {
          reply.resize(reply.size() - 2);
          reply[input_.byte() % reply.size()] = input_.byte();
          appendCrc(reply);
        }
        break;
      case 4:  // bytes of the input's own, as they are
      case 5:  // the same with a good CRC
        reply = input_.take(static_cast<std::size_t>(input_.byte()) + ((control & 8) ? 256 : 0));
        if ((control & 7) == 5) appendCrc(reply);
        break;
      case 6:  // the answer cut short, its CRC made good again or not
        if (!reply.empty()) {
          reply.resize(input_.byte() % reply.size());
          if ((control & 8) != 0) appendCrc(reply);
        }
        break;
      default: {  // an exception
        Bytes e{request[0], static_cast<std::uint8_t>(request[1] | 0x80), input_.byte()};
        appendCrc(e);
        reply = e;
        break;
      }
    }
    const int length = static_cast<int>(request.size()) - 2;
    const std::size_t expected = expectedReplyLength(request.data(), length);
    const bool passes =
        !reply.empty() && reply.size() <= JbusMaster::kFrameSize &&
        checkReply(reply.data(), reply.size(), request[1], expected) == ReplyCheck::kOk;
    const bool truthful = handled && reply == *handled;
    log.push_back({request, reply, passes, truthful, clock_.nowMs()});
    if (!reply.empty()) l.deliverAtBaud(reply, 9600, 5);
  }

  ManualClock& clock_;
  InputStream& input_;
  unit::VirtualUnit unit_;
};

// The longest one exchange can take on the manual clock at 9600 baud: every
// attempt waits out its first-byte limit and then a whole frame with a
// silence after it.
inline std::int64_t longestExchangeMs(std::uint8_t function) {
  const auto first = link_timings::firstByteLimit(5, function).count();
  const auto silence = link_timings::interByteLimit(5).count();
  const auto frame = std::chrono::duration_cast<std::chrono::milliseconds>(
                         link_timings::wireTime(9600, 2 * JbusMaster::kFrameSize))
                         .count();
  return JbusMaster::kAttempts * (first + frame + 2 * silence + 10);
}

}  // namespace flowdesk::fuzz
