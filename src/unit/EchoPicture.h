// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

#include "unit/MeasurementModel.h"

namespace flowdesk::unit {

inline constexpr int kEchoWidth = 128;
inline constexpr int kEchoHeight = 64;
using EchoImage = std::array<std::uint8_t, 1024>;

// A 128 x 64 monochrome picture in the unit's display layout: eight bands of
// 128 bytes, top band first; each byte is one column of 8 pixels of its band,
// least significant bit at the top; a set bit is a dark pixel.
class EchoCanvas {
 public:
  void set(int x, int y);
  bool get(int x, int y) const;
  void line(int x0, int y0, int x1, int y1);
  // Small 3 x 5 characters, 4 pixels apart; returns the x after the text.
  int text(int x, int y, std::string_view s);
  const EchoImage& image() const { return image_; }

 private:
  EchoImage image_{};
};

// The echo screen a code selects: code = 4 x (chord - 1) + kind + 1, kinds
// "P", "Z", "NC", "NC". Code 0 (echo screen stopped) or a chord not in use
// gives a picture that says so. `jitter` in [-1, 1) moves the trace a little
// from one picture to the next.
EchoImage renderEcho(int code, const Snapshot& snapshot, double jitter);

}  // namespace flowdesk::unit
