// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The four measurement blocks written by hand, byte by byte at the offsets
// the unit uses, and their answers as the unit sends them.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

#include "measure/MeasurementFile.h"
#include "support/Frames.h"

namespace flowdesk::testing {

// The whole answer to a read: address, function, byte count, data, CRC.
inline Bytes answer(const Bytes& data) {
  Bytes f(3 + data.size());
  f[0] = 1;
  f[1] = 3;
  f[2] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + 3);
  return withCrc(std::move(f));
}

struct BlockData {
  Bytes s1 = Bytes(66, 0), s2 = Bytes(6, 0), m1 = Bytes(174, 0), m2 = Bytes(104, 0);

  static void u16(Bytes& d, std::size_t at, unsigned v) {
    d[at] = static_cast<std::uint8_t>(v >> 8);
    d[at + 1] = static_cast<std::uint8_t>(v);
  }
  static void u32(Bytes& d, std::size_t at, std::uint32_t v) {
    u16(d, at, v >> 16);
    u16(d, at + 2, v & 0xFFFF);
  }
  static void f32(Bytes& d, std::size_t at, float v) {
    u32(d, at, std::bit_cast<std::uint32_t>(v));
  }

  void rereadFlags(unsigned inM1, unsigned inM2) {
    u16(m1, 0, inM1);
    u16(m2, 0, inM2);
  }
  void chords(int n) { s1[19] = static_cast<std::uint8_t>(n); }
  void status(unsigned bits) { u16(m1, 30, bits); }
  // Month, year - 2000, hour, day, second, minute: the unit's byte order.
  void clock(const Bytes& bytes) { std::copy(bytes.begin(), bytes.end(), m1.begin() + 40); }
  // Modes of T1, T2, T3, Vol. (nibbles) and T.(1-2) (a byte).
  void totalizerModes(int t1, int t2, int t3, int vol, int t12) {
    s1[16] = static_cast<std::uint8_t>(t1 << 4 | t2);
    s1[17] = static_cast<std::uint8_t>(t3 << 4 | vol);
    s1[24] = static_cast<std::uint8_t>(t12);
  }
  void totalizer(int t, std::int32_t whole, std::int32_t thousandths) {
    u32(m1, static_cast<std::size_t>(10 + 4 * t), static_cast<std::uint32_t>(whole));
    if (t < 4) u32(s1, static_cast<std::size_t>(4 * t), static_cast<std::uint32_t>(thousandths));
  }
  void chord(int k, float transit, float deltaT, int gain, float velocity, float sound) {
    m2[static_cast<std::size_t>(2 + k)] = static_cast<std::uint8_t>(gain);
    const auto base = static_cast<std::size_t>(8 + 16 * k);
    f32(m2, base, deltaT);
    f32(m2, base + 4, transit);
    f32(m2, base + 8, velocity);
    f32(m2, base + 12, sound);
  }

  MeasurementRecord record() const {
    MeasurementRecord r;
    r.frames = {answer(s2), answer(s1), answer(m1), answer(m2)};
    return r;
  }
};

}  // namespace flowdesk::testing
