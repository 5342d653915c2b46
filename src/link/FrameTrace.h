// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace flowdesk {

// Hex trace of every frame on the link, with a timestamp and the direction.
// Off by default; FLOWDESK_TRACE=1 in the environment or the CLI's --trace
// turns it on. Lines go to standard error unless a sink is set.
class FrameTrace {
 public:
  using Sink = std::function<void(const std::string& line)>;

  bool enabled() const;
  void setEnabled(bool on);
  // Empty restores standard error.
  void setSink(Sink sink);

  // Writes one line if the trace is on. `direction` is "TX" or "RX"; `note`
  // says what became of the frame ("ok", "bad CRC" ...).
  void frame(std::int64_t timeMs, std::string_view direction, const std::uint8_t* bytes,
             std::size_t n, std::string_view note = {});

  // Writes one line of text in the trace's layout if the trace is on: what
  // the frames alone do not show ("[    1234 ms] -- the adapter echoes").
  void note(std::int64_t timeMs, std::string_view text);

  // The line `frame` writes, e.g. "[    1234 ms] TX  8: 00 03 22 02 00 01 2E 63".
  static std::string format(std::int64_t timeMs, std::string_view direction,
                            const std::uint8_t* bytes, std::size_t n, std::string_view note = {});

 private:
  void write(const std::string& line);
  friend FrameTrace& frameTrace();
  FrameTrace();
  mutable std::mutex mutex_;
  bool enabled_ = false;
  Sink sink_;
};

// The one trace of the process.
FrameTrace& frameTrace();

}  // namespace flowdesk
