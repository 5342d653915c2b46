// SPDX-License-Identifier: GPL-3.0-or-later
// Recording the virtual unit through the measurement session, and playing
// the recording back: the unit runs in-process behind an in-memory line on a
// manual clock. Then flowdesk-cli's record and convert against flowdesk-unit
// on its own pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "link/AppContext.h"
#include "measure/MeasurementFile.h"
#include "measure/MeasurementSession.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "unit/RegisterTables.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;

constexpr int kS1 = 0x0000, kS2 = 0x100D;

// The program (its own settings, image and master) and the virtual unit on
// one in-memory line. The unit's time moves one second per poll.
struct RecordingRig {
  ManualClock clock;
  DeviceImage image;
  AppContext app{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  double wallTime = 1.7e9 + 12.25;
  unit::VirtualUnit unit;
  bool silent = false;
  std::vector<int> asked;  // first register of every measurement request

  RecordingRig() : unit(unit::UnitSettings{}, [this] { return wallTime; }) {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (request.empty()) return;
      asked.push_back(request[2] << 8 | request[3]);
      if (silent) return;
      if (auto reply = unit.handle(request)) l.deliverAtBaud(*reply, 9600, 5);
    };
    app.master.setPortOpener(memoryPortOpener(line));
    app.settings.Com = 0;
    app.settings.Jbus = 1;
    app.settings.Bauds = 5;
    app.settings.probes = {};
  }
  int count(int first) const {
    return static_cast<int>(std::count(asked.begin(), asked.end(), first));
  }
};

// The display without the grid's rebuild mark, which depends on what was
// shown before rather than on the record.
MeasurementDisplay shown(MeasurementDisplay d) {
  d.chordGrid.rebuild = false;
  return d;
}

TEST(RecordEndToEnd, StaticFramesRepeatAndAFailedPollWritesNothing) {
  TempDir dir;
  const std::string path = dir.file("r.mes");
  RecordingRig rig;
  MeasurementSession s(rig.app, {});
  s.openLive();
  ASSERT_TRUE(s.startRecording(path));
  std::vector<MeasurementDisplay> live;
  struct Step {
    bool answers;
    MeasurementTick tick;
    std::size_t size;
  } steps[] = {
      {true, MeasurementTick::kRefreshed, 688},    {false, MeasurementTick::kPollFailed, 688},
      {true, MeasurementTick::kRefreshed, 1058},   {true, MeasurementTick::kRefreshed, 1428},
      {false, MeasurementTick::kPollFailed, 1428}, {true, MeasurementTick::kRefreshed, 1798},
  };
  for (const Step& step : steps) {
    rig.silent = !step.answers;
    EXPECT_EQ(s.tick(), step.tick);
    EXPECT_EQ(fileBytes(path).size(), step.size);
    if (step.tick == MeasurementTick::kRefreshed) live.push_back(s.display());
    rig.wallTime += 1.0;
  }
  // The unit lowers its flag once both static blocks were read: they were
  // asked for in the first poll only.
  EXPECT_EQ(rig.count(kS1), 1);
  EXPECT_EQ(rig.count(kS2), 1);

  MeasurementFileReader reader;
  ASSERT_TRUE(reader.open(path).ok());
  ASSERT_EQ(reader.info().recordCount, 4);
  // The header carries the catalogue the identification read from the unit.
  EXPECT_FALSE(rig.app.settings.probes[2].name.empty());
  EXPECT_EQ(reader.info().identification.probes, rig.app.settings.probes);
  MeasurementRecord first, later;
  ASSERT_TRUE(reader.readRecord(0, first).ok());
  for (long long i = 1; i < 4; ++i) {
    ASSERT_TRUE(reader.readRecord(i, later).ok());
    EXPECT_EQ(later.frames[kFrameS1], first.frames[kFrameS1]) << i;
    EXPECT_EQ(later.frames[kFrameS2], first.frames[kFrameS2]) << i;
    EXPECT_NE(later.frames[kFrameM1], first.frames[kFrameM1]) << i;
  }

  // Played back, every record shows what its poll showed live.
  s.close();
  rig.asked.clear();
  ASSERT_TRUE(s.openPlayback(path).ok());
  for (std::size_t i = 0; i < live.size(); ++i) {
    SCOPED_TRACE(i);
    if (i > 0) {
      ASSERT_TRUE(s.navigate(MeasurementButton::kPgd));
    }
    ASSERT_EQ(s.tick(), MeasurementTick::kRecordShown);
    EXPECT_EQ(shown(s.display()), shown(live[i]));
  }
  EXPECT_NE(live.front().unitDateTime, live.back().unitDateTime) << "the values moved";
  EXPECT_TRUE(rig.asked.empty());
}

using testing::CliRun;

TEST(RecordEndToEnd, CliRecordsThenConverts) {
  CliRun run;
  const std::string link = run.dir.file("unit");
  testing::UnitProcess unit({"--link", link});
  ASSERT_FALSE(unit.device().empty());

  testing::Finished f =
      run.cli({"--device", link, "--lang", "en", "record", "a.mes", "--polls", "2"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "a.mes\n");
  EXPECT_EQ(f.err, "1/2 Record n° 1\n2/2 Record n° 2\n");
  EXPECT_EQ(fileBytes(run.dir.file("a.mes")).size(), 318u + 2 * 370u);

  f = run.cli({"--lang", "en", "convert", "a.mes"});
  ASSERT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "ames.prn\n") << "the name the conversion screen proposes";
  const std::string text = testing::wholeFile(run.dir.file("ames.prn"));
  EXPECT_EQ(testing::countLines(text, "\t"), 3) << text;
  EXPECT_EQ(text.rfind("N°\tDate\tTime\tFlow\tSpeed\tVelocity\tT (µs) 1\t", 0), 0u) << text;

  f = run.cli({"--lang", "en", "convert", "a.mes", "-o", "x.prn"});
  EXPECT_EQ(f.status, 0) << f.err;
  EXPECT_EQ(f.out, "x.prn\n");
  EXPECT_EQ(testing::wholeFile(run.dir.file("x.prn")), text);
  EXPECT_EQ(unit.terminate(), 0);
}

TEST(RecordEndToEnd, CliFailuresAndUsage) {
  CliRun run;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--lang", "en", "record", "a.prn"}, 2, "record writes a .mes file: a.prn"},
      {{"--lang", "en", "convert", "x.log"}, 2, "Cannot open the file x.log"},
      {{"--lang", "en", "--device", run.dir.file("nothing"), "record", "a.mes", "--polls", "2"},
       3,
       "nothing cannot be opened"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const testing::Finished f = run.cli(c.args);
    EXPECT_EQ(f.status, c.status);
    EXPECT_EQ(testing::countLines(f.err, "flowdesk-cli: "), 1) << f.err;
    EXPECT_NE(f.err.find(c.message), std::string::npos) << f.err;
    EXPECT_TRUE(f.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(run.dir.file("a.mes"))) << "no good poll, no file";
}

}  // namespace
}  // namespace flowdesk
