// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace flowdesk {

FrameTrace::FrameTrace() {
  const char* env = std::getenv("FLOWDESK_TRACE");
  enabled_ = env != nullptr && std::strcmp(env, "1") == 0;
}

FrameTrace& frameTrace() {
  static FrameTrace* const trace = new FrameTrace;
  return *trace;
}

bool FrameTrace::enabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void FrameTrace::setEnabled(bool on) {
  std::lock_guard lock(mutex_);
  enabled_ = on;
}

void FrameTrace::setSink(Sink sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

std::string FrameTrace::format(std::int64_t timeMs, std::string_view direction,
                               const std::uint8_t* bytes, std::size_t n, std::string_view note) {
  char head[64];
  std::snprintf(head, sizeof head, "[%8lld ms] %.*s %3zu:", static_cast<long long>(timeMs),
                static_cast<int>(direction.size()), direction.data(), n);
  std::string line = head;
  line.reserve(line.size() + 3 * n + note.size() + 4);
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < n; ++i) {
    line += ' ';
    line += kHex[bytes[i] >> 4];
    line += kHex[bytes[i] & 0x0F];
  }
  if (!note.empty()) {
    line += "  (";
    line += note;
    line += ')';
  }
  return line;
}

void FrameTrace::frame(std::int64_t timeMs, std::string_view direction, const std::uint8_t* bytes,
                       std::size_t n, std::string_view note) {
  if (!enabled()) return;
  write(format(timeMs, direction, bytes, n, note));
}

void FrameTrace::note(std::int64_t timeMs, std::string_view text) {
  if (!enabled()) return;
  char head[32];
  std::snprintf(head, sizeof head, "[%8lld ms] -- ", static_cast<long long>(timeMs));
  write(head + std::string(text));
}

void FrameTrace::write(const std::string& line) {
  Sink sink;
  {
    std::lock_guard lock(mutex_);
    sink = sink_;
  }
  if (sink) {
    sink(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

}  // namespace flowdesk
