// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit for the configuration screens' sessions: the register store of
// RegisterUnit.h behind an application context, with its model word, and
// what the tests of the write sequences share.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"
#include "link/FieldMap.h"
#include "link/LinkTimings.h"
#include "support/RegisterUnit.h"

namespace flowdesk::testing {

using Asked = std::vector<std::pair<int, int>>;  // function, first register

struct ConfigUnit : RegisterLine {
  DeviceImage image{};
  AppContext context{clock, image};

  explicit ConfigUnit(std::uint16_t modelWord = 0x0001, Language language = kEnglish) {
    serve(context.master);
    context.settings.Language = languageIndex(language);
    registers[0x000A] = modelWord;
  }
  // Block bytes laid into the registers from `first` on, high byte first.
  void put(int first, const Bytes& bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      registers[first + static_cast<int>(i / 2)] =
          static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]);
    }
  }
  Bytes bytesAt(int first, int count) {
    Bytes out;
    for (int r = first; r < first + count; ++r) {
      out.push_back(static_cast<std::uint8_t>(registers[r] >> 8));
      out.push_back(static_cast<std::uint8_t>(registers[r] & 0xFF));
    }
    return out;
  }
  // The unit keeps silent on function `function` at `first` (every attempt).
  void refuseAt(int function, int first) {
    refuse = [function, first](const Bytes& r) {
      return r[1] == function && (r[2] << 8 | r[3]) == first;
    };
  }
  // Each answered write is followed by the unit's pause, counted once its
  // reply has ended, before anything else is asked.
  void expectPauseAfterEveryWrite() {
    const std::int64_t least = kWritePauseMs + link_timings::interByteLimit(5).count();
    for (std::size_t i = 0; i < written.size(); ++i) {
      const std::int64_t next = i + 1 < written.size() ? written[i + 1].atMs : clock.nowMs();
      EXPECT_GE(next - written[i].atMs, least) << "after write " << i;
    }
  }
};

// The unit's factory block before the upload: SP1 45.50°, 12.3 µs, index 7,
// "ABCDEF"; SP2 1.00°, 0.5 µs, index 2, "GHIJKL"; its address and contrast set.
inline Bytes factoryBlock() {
  Bytes f(68, 0);
  f[5] = 7;
  f[64] = 50;
  const Bytes slots{0x11, 0xC6, 123, 7,   0x00, 0x64, 5,   2,   'A', 'B',
                    'C',  'D',  'E', 'F', 'G',  'H',  'I', 'J', 'K', 'L'};
  std::copy(slots.begin(), slots.end(), f.begin() + 11);
  return f;
}

// What a block's map encodes from its defaults, `bytes` long.
inline Bytes defaultBytes(FieldMap (*map)(DeviceImage&), std::size_t bytes) {
  DeviceImage scratch;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(map(scratch), area.data());
  return Bytes(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(bytes));
}

// The configuration numbers among the first registers of some writes.
inline std::vector<int> configurationsAmong(const std::vector<int>& firstRegisters) {
  std::vector<int> numbers;
  for (int r : firstRegisters) {
    if (r >= 0x1000 && r <= 0x2100) numbers.push_back((r - 0x1000) / 0x100);
  }
  return numbers;
}

}  // namespace flowdesk::testing
