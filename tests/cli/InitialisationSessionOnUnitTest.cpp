// SPDX-License-Identifier: GPL-3.0-or-later
// The initialisation against the virtual unit: which writes are made, in
// which order and with the unit's pause, for each choice of groups and each
// kind of unit, where a failure stops it, and that the unit then holds the
// default blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "cli/MemoryUnitRig.h"
#include "config/CalibrationFile.h"
#include "config/InitialisationSession.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

namespace flowdesk {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> defaultsOf(FieldMap (*map)(DeviceImage&)) {
  DeviceImage scratch;
  std::array<std::uint8_t, kRequestDataSize> area{};
  encodeDefaults(map(scratch), area.data());
  std::array<std::uint8_t, N> out{};
  std::copy_n(area.begin(), N, out.begin());
  return out;
}

// A unit whose every block differs from the defaults, so that each write shows.
void unlikeDefaults(unit::StoredBlocks& b) {
  for (auto& c : b.configs) c[2] ^= 0x55;
  b.factory[10] = 77;
  b.maker[0] = 9;
  b.logger[0] = 3;
}

TEST(InitialisationSessionOnUnit, WritesInOrderWithThePauseAndStopsAtTheFirstFailure) {
  const struct {
    const char* name;
    int configs;
    InitialisationChoice choice;
    int refusedFirst;  // a write the unit does not answer, or -1
    std::vector<int> writes;
    std::vector<std::uint16_t> commands;  // the data words of each CommandBlock write
    std::string text;
  } cases[] = {
      {"nothing chosen, logger",
       18,
       {false, false, false},
       -1,
       {0x2301, 0x2306, 0x2306, 0x3100},
       {1, 1, 1, 0, 0, 0, 0, 1},
       ""},
      {"nothing chosen, no logger",
       2,
       {false, false, false},
       -1,
       {0x2301, 0x2306},
       {1, 1, 1, 0},
       ""},
      {"everything, two configurations",
       2,
       {true, true, true},
       -1,
       {0x2301, 0x2200, 0x3300, 0x2306, 0x1000, 0x1100},
       {1, 1, 1, 0},
       ""},
      {"factory only", 2, {false, true, false}, -1, {0x2301, 0x2200, 0x2306}, {1, 1, 1, 0}, ""},
      {"configuration 3 fails",
       18,
       {true, false, false},
       0x1300,
       {0x2301, 0x2306, 0x1000, 0x1100, 0x1200, 0x1300},
       {1, 1, 1, 0},
       "Upload Failure\nUpload Configuration n°  3"},
      {"clock fails", 2, {true, true, true}, 0x2301, {0x2301}, {}, "Upload Failure\nSetup Time"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::MemoryUnitRig rig(c.configs, unlikeDefaults);
    rig.app.settings.Language = languageIndex(kEnglish);
    rig.app.master.markIdentified();
    rig.refuse = [&c](const testing::Request& r) {
      return r.function == 16 && r.first == c.refusedFirst;
    };
    InitialisationSession session(rig.app);
    session.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
    ASSERT_TRUE(session.readUnit());
    EXPECT_EQ(session.configurationCount(), c.configs);
    session.choice = c.choice;
    const InitialisationOutcome outcome = session.run();
    EXPECT_EQ(outcome.ok, c.text.empty());
    EXPECT_EQ(initialisationText(outcome, kEnglish), c.text);
    EXPECT_FALSE(rig.app.master.identified());

    const std::vector<testing::Request> writes = rig.writes();
    std::vector<int> firsts;
    std::vector<std::uint16_t> commands;
    for (std::size_t i = 0; i < writes.size(); ++i) {
      firsts.push_back(writes[i].first);
      if (writes[i].first == 0x2306) {
        for (std::size_t w = 0; w < 4; ++w) {
          commands.push_back(
              static_cast<std::uint16_t>(writes[i].data[2 * w] << 8 | writes[i].data[2 * w + 1]));
        }
      }
      // The master's own retries of a refused write come without the pause.
      if (i > 0 && writes[i - 1].first != c.refusedFirst) {
        EXPECT_GE(writes[i].atMs - writes[i - 1].atMs, 600) << "pause before " << i;
      }
    }
    while (firsts.size() > 1 && firsts.back() == c.refusedFirst &&
           firsts[firsts.size() - 2] == c.refusedFirst) {
      firsts.pop_back();
    }
    EXPECT_EQ(firsts, c.writes);
    EXPECT_EQ(commands, c.commands);

    // What was written holds the defaults; what was not keeps its values.
    const unit::StoredBlocks& held = rig.unit.stored();
    const auto configDefaults = defaultsOf<unit::kConfigBytes>(configurationMap);
    for (int k = 0; k < c.configs; ++k) {
      const bool written =
          std::find(firsts.begin(), firsts.end(), 0x1000 + 0x100 * k) != firsts.end() &&
          0x1000 + 0x100 * k != c.refusedFirst;
      EXPECT_EQ(held.configs[static_cast<std::size_t>(k)] == configDefaults, written) << k;
    }
    const bool factory = c.choice.factorySettings && outcome.ok;
    const bool maker = c.choice.makerSettings && outcome.ok;
    EXPECT_EQ(held.factory == defaultsOf<unit::kFactoryBytes>(factoryMap), factory);
    EXPECT_EQ(held.maker == defaultsOf<unit::kMakerBytes>(makerMap), maker);
    const bool logger = c.configs == 18 && outcome.ok;
    EXPECT_EQ(held.logger == defaultsOf<unit::kLoggerSettingsBytes>(loggerSettingsMap), logger);
    if (logger) {
      EXPECT_EQ(rig.unit.loggerFilled(), 0) << "the logger was erased";
    }
  }
}

}  // namespace
}  // namespace flowdesk
