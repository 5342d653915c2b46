// SPDX-License-Identifier: GPL-3.0-or-later
// The verification report's sampling against the in-process virtual unit:
// the window, failed polls counted apart, each chord's echo picture and the
// echo screen stopped at the end, after a cancel too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/MemoryUnitRig.h"
#include "report/ReportChecks.h"
#include "report/ReportJson.h"
#include "report/VerificationSession.h"
#include "unit/RegisterTables.h"

namespace flowdesk {
namespace {

constexpr int kEchoCommand = 0x2320;
constexpr int kM1 = 0x0100;

// The in-process unit with `chords` chords in every configuration, and the
// session on it.
struct ReportRig {
  testing::MemoryUnitRig unit;
  VerificationSession session{unit.app, RegionalSettings{}};

  explicit ReportRig(unit::UnitSettings settings = {}, int chords = 3)
      : unit(std::move(settings), [chords](unit::StoredBlocks& b) {
          for (auto& c : b.configs) c[unit::cfg::kChords] = static_cast<std::uint8_t>(chords);
        }) {
    unit.clockMoves = true;
    unit.app.master.markIdentified();
  }
  // The screen code of each echo command the unit received.
  std::vector<int> echoCommands() const {
    std::vector<int> codes;
    for (const testing::Request& r : unit.writes())
      if (r.first == kEchoCommand && !r.data.empty()) codes.push_back(r.data[0]);
    return codes;
  }
  // Ticks at the session's pace until it finishes; what each tick did.
  std::vector<VerificationTick> run(const std::function<void(int)>& each = {}) {
    std::vector<VerificationTick> ticks;
    for (int n = 0; n < 10000 && !session.finished(); ++n) {
      if (each) each(n);
      ticks.push_back(session.tick());
      unit.clock.advance(session.timerMs() > 0 ? session.timerMs() : 0);
    }
    return ticks;
  }
};

int count(const std::vector<VerificationTick>& ticks, VerificationTick t) {
  return static_cast<int>(std::count(ticks.begin(), ticks.end(), t));
}

TEST(VerificationSession, SamplesTheWindowThenReadsEachChordsPictureAndStopsTheEchoScreen) {
  const struct {
    const char* name;
    bool echo;
    bool silentM1;     // the unit keeps silent on its first six measurement requests
    int cancelAtTick;  // -1: runs to its end
    std::vector<int> commands;
    int pictures;
  } cases[] = {
      {"whole", true, false, -1, {1, 5, 9, 0}, 3},
      {"no echo", false, false, -1, {}, 0},
      {"failed polls", false, true, -1, {}, 0},
      {"cancelled while sampling", true, false, 1, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReportRig rig;
    int m1 = 0;
    if (c.silentM1)
      rig.unit.refuse = [&](const testing::Request& r) { return r.first == kM1 && ++m1 <= 6; };
    rig.session.start({4.0, c.echo});
    const auto ticks = rig.run([&](int n) {
      if (n == c.cancelAtTick) rig.session.cancel();
    });
    ASSERT_TRUE(rig.session.finished());
    const ReportFigures& f = rig.session.figures();
    EXPECT_EQ(rig.echoCommands(), c.commands);
    EXPECT_EQ(count(ticks, VerificationTick::kEchoPicture), c.pictures);
    if (c.cancelAtTick >= 0) {
      EXPECT_TRUE(rig.session.cancelled());
      EXPECT_LE(f.samples(), 1);
      continue;
    }
    EXPECT_EQ(f.samples(), count(ticks, VerificationTick::kSampled));
    EXPECT_EQ(f.failedPolls(), count(ticks, VerificationTick::kPollFailed));
    EXPECT_GT(f.samples(), 0);
    EXPECT_EQ(f.failedPolls() > 0, c.silentM1);
    EXPECT_EQ(f.chords().size(), 3u);
    ASSERT_TRUE(rig.session.lastSample());
    // The window is kept: no poll starts after it.
    EXPECT_LE(f.samples() + f.failedPolls(), 4000 / MeasurementSession::kTimerMs);
    for (const ChordEcho& e : rig.session.echoes()) EXPECT_TRUE(e.image) << e.chord;
  }
}

// A cancel while the pictures are read still stops the unit's echo screen:
// its measurement would stay stopped otherwise.
TEST(VerificationSession, ACancelDuringThePicturesStopsTheEchoScreen) {
  ReportRig rig;
  rig.session.start({0.5, true});
  bool cancelled = false;
  rig.run([&](int) {
    if (!cancelled && !rig.echoCommands().empty()) {
      rig.session.cancel();
      cancelled = true;
    }
  });
  ASSERT_TRUE(cancelled);
  EXPECT_EQ(rig.echoCommands(), (std::vector<int>{1, 0}));
  EXPECT_FALSE(rig.session.echoStopFailed());
}

// A steady six-chord unit passes every check; each way of making one chord
// unhealthy fails that chord's own check and no other chord's.
TEST(VerificationSession, AnUnhealthyChordFailsItsOwnCheck) {
  const struct {
    const char* name;
    int chord;  // 0: healthy
    unit::ChordHealth health;
    const char* check;
  } cases[] = {
      {"healthy", 0, {}, ""},
      {"sound velocity", 3, {1.0, 0, 0}, "chord_sound_velocity_deviation_percent"},
      {"noise", 5, {0, 8.0, 0}, "turbulence_percent"},
      {"gain", 2, {0, 0, 10}, "gain_change_db"},
  };
  // The healthy unit's report is the baseline of the others.
  std::optional<ReportBaseline> baseline;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    unit::UnitSettings s;
    s.steady = true;
    if (c.chord > 0) s.chordHealth[static_cast<std::size_t>(c.chord - 1)] = c.health;
    ReportRig rig(s, 6);
    rig.session.start({20.0, false});
    rig.run();
    const ReportSummary summary = summarize(rig.session.figures(), ReportLimits{}, baseline);
    std::vector<std::string> failed;
    for (const ReportCheck& check : summary.checks) {
      if (check.pass) continue;
      // The spread of all chords' sound velocities fails with the chord
      // that spreads them: a check of the whole unit, not of another chord.
      if (check.name == "sound_velocity_spread_percent") continue;
      failed.push_back(check.name + " " + std::to_string(check.chord));
    }
    if (c.chord == 0) {
      EXPECT_TRUE(summary.pass);
      EXPECT_TRUE(failed.empty()) << failed.front();
      ReportHeader header;
      std::string error;
      baseline =
          readReportBaseline(reportJson(header, rig.session.figures(), summary), kEnglish, error);
      ASSERT_TRUE(baseline) << error;
    } else {
      EXPECT_FALSE(summary.pass);
      EXPECT_EQ(failed,
                (std::vector<std::string>{c.check + std::string(" ") + std::to_string(c.chord)}));
    }
  }
}

}  // namespace
}  // namespace flowdesk
