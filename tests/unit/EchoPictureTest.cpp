// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "unit/EchoPicture.h"

namespace flowdesk::unit {
namespace {

TEST(EchoCanvas, PixelsFollowTheDisplayLayout) {
  struct Case {
    int x, y;
    std::size_t byte;
    std::uint8_t bit;
  };
  const Case cases[] = {
      {0, 0, 0, 0x01},   {0, 7, 0, 0x80},       {1, 0, 1, 0x01},
      {0, 8, 128, 0x01}, {127, 63, 1023, 0x80}, {5, 42, 5 * 128 + 5, 0x04},
  };
  for (const Case& c : cases) {
    EchoCanvas canvas;
    canvas.set(c.x, c.y);
    canvas.set(-1, 3);  // off the picture: ignored
    canvas.set(128, 3);
    canvas.set(3, 64);
    EchoImage expected{};
    expected[c.byte] = c.bit;
    EXPECT_EQ(canvas.image(), expected) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace flowdesk::unit
