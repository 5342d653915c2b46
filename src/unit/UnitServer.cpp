// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/UnitServer.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "unit/LineTiming.h"
#include "unit/RequestFrame.h"

namespace flowdesk::unit {

namespace {

constexpr std::size_t kMaxFrame = 512;

timespec toTimespec(std::chrono::nanoseconds d) {
  if (d.count() < 0) d = std::chrono::nanoseconds(0);
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(d.count() / 1'000'000'000);
  ts.tv_nsec = static_cast<long>(d.count() % 1'000'000'000);
  return ts;
}

}  // namespace

UnitServer::UnitServer(VirtualUnit& unit, PtyLink& link, FaultPlan faults, int baud,
                       std::chrono::milliseconds turnaround, std::FILE* trace)
    : unit_(unit),
      link_(link),
      faults_(std::move(faults)),
      baud_(baud),
      turnaround_(turnaround),
      trace_(trace),
      started_(Clock::now()) {}

void UnitServer::traceNote(const std::string& note) {
  if (!trace_) return;
  const double t = std::chrono::duration<double>(Clock::now() - started_).count();
  std::fprintf(trace_, "[%10.3f] %s\n", t, note.c_str());
  std::fflush(trace_);
}

void UnitServer::traceFrame(const char* what, std::span<const std::uint8_t> bytes) {
  if (!trace_) return;
  std::string text = what;
  char hex[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    text += hex;
  }
  traceNote(text);
}

void UnitServer::discardInput() {
  std::uint8_t buf[256];
  ssize_t n;
  while ((n = ::read(link_.masterFd(), buf, sizeof buf)) > 0) {
    traceFrame("rx dropped while answering:", std::span(buf, static_cast<std::size_t>(n)));
  }
}

int UnitServer::run(int signalFd) {
  signalFd_ = signalFd;
  Bytes buffer;
  Clock::time_point lastByte{};
  while (!stop_) {
    const int baud = baud_;
    timespec wait{};
    timespec* timeout = nullptr;  // nothing pending: sleep until a byte or a signal
    if (!buffer.empty()) {
      std::size_t length = 0;
      const bool incomplete = checkRequest(buffer, length) == FrameCheck::kNeedMore;
      const auto limit = incomplete ? incompleteFramePatience(baud) : frameSilence(baud);
      wait = toTimespec(lastByte + limit - Clock::now());
      timeout = &wait;
    }
    pollfd fds[2] = {{link_.masterFd(), POLLIN, 0}, {signalFd_, POLLIN, 0}};
    const int ready = ::ppoll(fds, 2, timeout, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "flowdesk-unit: poll: %s\n", std::strerror(errno));
      return 1;
    }
    if (fds[1].revents & POLLIN) break;
    if (fds[0].revents & (POLLERR | POLLNVAL)) {
      std::fprintf(stderr, "flowdesk-unit: the terminal failed\n");
      return 1;
    }
    if (fds[0].revents & POLLIN) {
      std::uint8_t chunk[256];
      const ssize_t n = ::read(link_.masterFd(), chunk, sizeof chunk);
      if (n > 0) {
        buffer.insert(buffer.end(), chunk, chunk + n);
        lastByte = Clock::now();
        if (buffer.size() > kMaxFrame) {
          traceFrame("rx overrun, dropped:", buffer);
          buffer.clear();
        }
      }
      continue;
    } else if (fds[0].revents & POLLHUP) {
      // Not expected while the unit holds the slave open; never spin on it.
      const timespec pause = toTimespec(std::chrono::milliseconds(20));
      ::nanosleep(&pause, nullptr);
      continue;
    }
    if (buffer.empty()) continue;
    std::size_t length = 0;
    const FrameCheck check = checkRequest(buffer, length);
    const auto quiet = Clock::now() - lastByte;
    if (check == FrameCheck::kNeedMore) {
      if (quiet < incompleteFramePatience(baud)) continue;
      traceFrame("rx incomplete, dropped:", buffer);
      buffer.clear();
      continue;
    }
    if (quiet < frameSilence(baud)) continue;
    const Bytes frame(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
    if (length < buffer.size()) {
      traceFrame("rx trailing bytes, dropped:", std::span(buffer).subspan(length));
    }
    buffer.clear();
    processFrame(frame, lastByte);
  }
  return 0;
}

void UnitServer::processFrame(std::span<const std::uint8_t> frame, Clock::time_point end) {
  traceFrame("rx", frame);
  if (echoRequests) {
    const ssize_t w = ::write(link_.masterFd(), frame.data(), frame.size());
    traceFrame(w == static_cast<ssize_t>(frame.size()) ? "echo" : "echo cut short:", frame);
  }
  const int lineBaud = link_.lineBaud();
  if (lineBaud != baud_) {
    // At another rate a real unit would only receive garbage.
    traceNote("ignored: line at " + std::to_string(lineBaud) + " baud, unit at " +
              std::to_string(baud_));
    return;
  }
  const auto reply = unit_.handle(frame);
  if (!reply) {
    traceNote("no answer (bad CRC or another address)");
    return;
  }
  ++requests_;
  const auto fault = faults_.next(requests_);
  const ReplyPlan plan = planReply(*reply, fault, lineBaud, frame[1], turnaround_);
  if (fault) {
    traceNote("request " + std::to_string(requests_) + ": fault " + faultKindName(fault->kind));
  }
  if (!plan.send) return;
  if (!send(plan, end, lineBaud)) stop_ = true;
}

bool UnitServer::send(const ReplyPlan& plan, Clock::time_point frameEnd, int baud) {
  const auto start = frameEnd + plan.delay;
  const auto perByte = byteTime(baud);
  auto due = [&](std::size_t i) {
    // A byte is on the far side once its last stop bit has gone.
    auto t = start + perByte * static_cast<long>(i + 1);
    if (plan.pauseBefore > 0 && i >= plan.pauseBefore) t += plan.pause;
    return t;
  };
  const std::size_t n = plan.bytes.size();
  std::size_t next = 0;
  while (next < n) {
    const auto now = Clock::now();
    std::size_t ready = 0;
    while (next + ready < n && due(next + ready) <= now) ++ready;
    auto wakeAt = next < n ? due(next) : now;
    if (ready > 0) {
      const ssize_t w = ::write(link_.masterFd(), plan.bytes.data() + next, ready);
      if (w > 0) {
        next += static_cast<std::size_t>(w);
        if (next == n) break;
        wakeAt = due(next);
      } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
        traceNote(std::string("reply abandoned: ") + std::strerror(errno));
        return true;
      } else if (now - due(next) > std::chrono::seconds(1)) {
        // Nobody reads the terminal: its input queue is full.
        traceNote("reply abandoned: the line does not take more bytes");
        return true;
      } else {
        wakeAt = now + std::chrono::milliseconds(1);
      }
    }
    pollfd fds[2] = {{link_.masterFd(), POLLIN, 0}, {signalFd_, POLLIN, 0}};
    timespec wait = toTimespec(wakeAt - Clock::now());
    if (::ppoll(fds, 2, &wait, nullptr) > 0) {
      if (fds[1].revents & POLLIN) return false;
      if (fds[0].revents & POLLIN) discardInput();
    }
  }
  traceFrame("tx", plan.bytes);
  return true;
}

}  // namespace flowdesk::unit
