// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement session against a unit made of hand-built blocks on an
// in-memory line: the poll order and the re-read flag, what a refresh shows,
// the status lines and buttons, and playback navigation.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/Blocks.h"
#include "measure/MeasurementFrames.h"
#include "measure/MeasurementSession.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::answer;
using testing::BlockData;
using testing::TempDir;
using B = MeasurementButton;
constexpr int S1 = 0x0000, S2 = 0x100D, M1 = 0x0100, M2 = 0x0200;

// A unit serving BlockData on an in-memory line with a manual clock. The
// first register of every request is kept; a block in `silent` gets no
// answer; `duringRequest` runs while a request waits for its answer.
struct HandUnit {
  ManualClock clock;
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  JbusMaster master{clock};
  DeviceImage image;
  IdentificationCache identification;
  BlockData data;
  std::set<int> silent;
  std::vector<int> asked;
  std::function<void()> duringRequest;

  HandUnit() {
    master.setPortOpener(memoryPortOpener(line));
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master.markIdentified();
    line->onWrite = [this](MemoryLine& l) {
      const Bytes req = l.takeRequest();
      if (req.size() < 8) return;
      const int first = req[2] << 8 | req[3];
      asked.push_back(first);
      if (duringRequest) duringRequest();
      if (silent.count(first)) return;
      l.deliverAtBaud(answer(first == S1   ? data.s1
                             : first == S2 ? data.s2
                             : first == M1 ? data.m1
                                           : data.m2),
                      9600, 5);
    };
  }
  MeasurementSession session(Language language = kEnglish, RegionalSettings regional = {}) {
    return MeasurementSession(master, image, identification, language, std::move(regional));
  }
  // A live session after its first good poll.
  const MeasurementDisplay& polled(MeasurementSession& s) {
    s.openLive();
    EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
    return s.display();
  }
};

TEST(MeasurementSession, StaticBlocksAreReadWhileTheFlagOfM2IsUp) {
  struct Case {
    unsigned m1Flag, m2Flag;
    int silent;  // a block that does not answer in the first poll, or -1
    std::vector<int> firstPoll, secondPoll;
  } cases[] = {
      {1, 0, -1, {S1, S2, M1, M2}, {M1, M2}},  // M2's flag is decoded last and wins
      {0, 1, -1, {S1, S2, M1, M2}, {S1, S2, M1, M2}},
      // A failed poll ends at its silent block (three attempts) and keeps the flag.
      {0, 0, S2, {S1, S2, S2, S2}, {S1, S2, M1, M2}},
  };
  for (const Case& c : cases) {
    HandUnit u;
    u.data.rereadFlags(c.m1Flag, c.m2Flag);
    MeasurementSession s = u.session();
    s.openLive();
    u.silent = {c.silent};
    s.tick();
    EXPECT_EQ(u.asked, c.firstPoll);
    u.silent.clear();
    u.asked.clear();
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    EXPECT_EQ(u.asked, c.secondPoll);
    EXPECT_EQ(s.frames().frames[kFrameS2], answer(u.data.s2));
  }
}

// Input the operator gave during a poll ends it after the block in progress:
// nothing shown, nothing counted as a failure, and the next poll is whole.
TEST(MeasurementSession, APollCutShortShowsNothingAndTheNextIsWhole) {
  HandUnit u;
  u.data.rereadFlags(0, 1);
  MeasurementSession s = u.session();
  s.openLive();
  ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
  const MeasurementDisplay shown = s.display();
  const std::string secondLine = s.screen().secondLine;
  for (const std::size_t blocksRead : {1u, 2u, 3u}) {
    SCOPED_TRACE(blocksRead);
    u.asked.clear();
    s.setCutShort([&u, blocksRead] { return u.asked.size() >= blocksRead; });
    EXPECT_EQ(s.tick(), MeasurementTick::kNothing);
    EXPECT_EQ(u.asked.size(), blocksRead);
    EXPECT_EQ(s.screen().secondLine, secondLine);
    EXPECT_EQ(s.display(), shown);
  }
  s.setCutShort({});
  u.asked.clear();
  EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
  EXPECT_EQ(u.asked, (std::vector<int>{S1, S2, M1, M2}));
}

// Open, a failed poll, a good one, a recording armed, written, stopped, and
// one that cannot be written.
TEST(MeasurementSession, StatusLinesAndButtons) {
  TempDir dir;
  const std::string path = dir.file("r.mes");
  HandUnit u;
  u.data.rereadFlags(0, 0);
  MeasurementSession s = u.session();
  s.openLive();
  std::vector<MeasurementTick> nested;
  u.duringRequest = [&] { nested.push_back(s.tick()); };
  struct Step {
    std::function<void()> action;
    MeasurementTick tick;
    std::string top, second, saveArretPrint;
  } steps[] = {
      {[&] { u.silent = {M1}; }, MeasurementTick::kPollFailed, "Trying to connect",
       "Communication Failure \u2014 no answer", "000"},
      {[&] { u.silent.clear(); }, MeasurementTick::kRefreshed, "", "", "101"},
      // the adapter that answered a moment ago is gone: the screen says so
      {[&] { u.line->openStatus = kPortNoDevice; }, MeasurementTick::kPollFailed, "",
       "Communication Failure \u2014 Com1: memory has gone since it was last used (adapter "
       "unplugged?).",
       "101"},
      {[&] { u.line->openStatus = kPortOk; }, MeasurementTick::kRefreshed, "", "", "101"},
      {[&] { s.startRecording(path); }, MeasurementTick::kRefreshed, path, "Record n° 1", "011"},
      {[] {}, MeasurementTick::kRefreshed, path, "Record n° 2", "011"},
      {[&] { s.stopRecording(); }, MeasurementTick::kRefreshed, "", "", "101"},
      // Every later record would fail too: the recording ends.
      {[&] { s.startRecording(dir.file("no/such.mes")); }, MeasurementTick::kRecordFailed,
       dir.file("no/such.mes"), "", "001"},
  };
  for (const Step& step : steps) {
    step.action();
    EXPECT_EQ(s.tick(), step.tick);
    EXPECT_EQ(s.screen().topLine, step.top);
    EXPECT_EQ(s.screen().secondLine, step.second);
    std::string shown;
    for (B b : {B::kSaveDisk, B::kArretDisk, B::kPrint}) shown += s.screen().shown(b) ? "1" : "0";
    EXPECT_EQ(shown, step.saveArretPrint) << step.second;
  }
  EXPECT_EQ(s.recording(), Recording::kOff);
  EXPECT_NE(s.fileResult().message().find("no/such.mes"), std::string::npos);
  EXPECT_EQ(testing::fileBytes(path).size(), 318u + 2 * 370u);
  // Ticks from the idle hook while a poll waits do nothing.
  EXPECT_EQ(nested, std::vector<MeasurementTick>(nested.size(), MeasurementTick::kNothing));
  EXPECT_EQ(nested.size(), u.asked.size());
}

TEST(MeasurementSession, ChordGridIsRebuiltOnlyWhenTheCountChanges) {
  HandUnit u;
  u.data.rereadFlags(1, 1);  // the static blocks every poll, so the count can change
  for (int k = 0; k < 6; ++k) u.data.chord(k, 100.0f + k, -2.34f, 40 + k, 0.5f, 1480.04f);
  MeasurementSession s = u.session(kFrench);
  s.openLive();
  for (auto [chords, rebuild] : {std::pair{6, true}, {6, false}, {3, true}, {3, false}}) {
    u.data.chords(chords);
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    const ChordGrid& g = s.display().chordGrid;
    EXPECT_EQ(g.rebuild, rebuild) << chords;
    EXPECT_EQ(g.columnTitles.size(), static_cast<std::size_t>(chords));
  }
  const ChordGrid& g = s.display().chordGrid;
  EXPECT_EQ(g.columnTitles.back(), "Corde3");
  const std::array<std::string, 5> third{"102.0", "-2.3", "42", "0.500", "1480.0"};
  for (std::size_t row = 0; row < 5; ++row) EXPECT_EQ(g.cells[row][2], third[row]);
}

TEST(MeasurementSession, ValuesAreClampedInTheImageBeforeTheyAreShown) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float flow, temperature;
    std::string flowText, temperatureText;
    float flowAfter, temperatureAfter;
  } cases[] = {
      {123456.0f, 20.0f, "123500", "20.0", 123456.0f, 20.0f},
      {1234567.0f, 2000.0f, "999999", "1000.0", 1234567.0f, 1000.0f},
      {-0.5f, -2000.0f, "-0.500", "-1000.0", -0.5f, -1000.0f},
      {kNaN, kNaN, "-999999", "-1000.0", -9999999.0f, -1000.0f},  // the range's minimum
  };
  for (const Case& c : cases) {
    HandUnit u;
    BlockData::f32(u.data.m1, 2, c.flow);
    BlockData::f32(u.data.m1, 58, c.temperature);
    MeasurementSession s = u.session();
    const MeasurementDisplay& d = u.polled(s);
    EXPECT_EQ(d.flow, c.flowText);
    EXPECT_EQ(d.temperature1, c.temperatureText);
    EXPECT_FLOAT_EQ(u.image.measurement.flow, c.flowAfter);
    EXPECT_FLOAT_EQ(u.image.measurement.temperature1, c.temperatureAfter);
  }
}

TEST(MeasurementSession, FaultLinesInBothLanguages) {
  constexpr unsigned kAll = 1u << 0 | 1u << 2 | 1u << 3 | 1u << 6;
  auto chord = [](int k) { return 1u << (7 + k); };
  using Lines = std::array<std::string, 5>;
  struct Case {
    int chords;
    unsigned status;
    Language language;
    Lines lines;
  } cases[] = {
      {4, 0, kFrench, {"", "", "Pas de Défaut", "", ""}},
      {4, chord(1) | chord(3), kEnglish, {"Fault V 1 3", "", "", "", ""}},
      {4, chord(5), kEnglish, {"", "", "No Fault", "", ""}},  // chord 5 is not in use
      {6,
       kAll | chord(2) | chord(6),
       kEnglish,
       {"Flow Fault", "Fault V 2 6", "calorie fault", "Overflow relay", "low batt. RAMCARD"}},
      {6,
       kAll | chord(2) | chord(6),
       kFrench,
       {"Défaut Débit", "Défaut V 2 6", "Défaut calorie", "Défaut comptage relais",
        "pile RAMCARD faible"}},
  };
  for (const Case& c : cases) {
    HandUnit u;
    u.data.chords(c.chords);
    u.data.status(c.status);
    MeasurementSession s = u.session(c.language);
    EXPECT_EQ(u.polled(s).faultLines, c.lines);
  }
}

TEST(MeasurementSession, TotalizersBoxesVersionsAndDates) {
  HandUnit u;
  u.identification.probes[2] = {"T216", 6022};  // a probe with an angle has a diameter
  BlockData::u16(u.data.s1, 22, 2);
  u.data.s1[21] = 1;       // a logger is fitted
  u.data.status(1u << 7);  // no calorimetry
  u.data.totalizerModes(1, 4, 0, 5, 2);
  u.data.totalizer(0, 1234, 567);
  u.data.totalizer(1, -5, 50);
  u.data.totalizer(4, 42, 0);
  u.data.s1[54] = 'V';
  u.data.s1[55] = 0xB0;  // a degree sign in the unit's code page
  u.data.clock({3, 24, 14, 5, 9, 7, 0, 0, 12, 24, 14, 5, 9, 7});  // the logger's in December
  RegionalSettings regional;
  regional.dateSeparator = ".";
  MeasurementSession s = u.session(kEnglish, regional);
  const MeasurementDisplay& d = u.polled(s);
  EXPECT_EQ(d.totalizers[0], (TotalizerRow{true, "T1", "(+/-)", "000001234", "*   0.567m3"}));
  EXPECT_EQ(d.totalizers[1], (TotalizerRow{true, "T2", "(KWh)", "-00000005", "*   0.050KWh"}));
  EXPECT_EQ(d.totalizers[2], TotalizerRow{}) << "mode 0 hides the row";
  EXPECT_EQ(d.totalizers[3].mode, "*****");
  // T.(1-2) shows the first totalizer's fraction.
  EXPECT_EQ(d.totalizers[4], (TotalizerRow{true, "T.(1-2)", "(+)", "000000042", "*   0.567m3"}));
  EXPECT_EQ(d.probe, "T216");
  EXPECT_TRUE(d.probeDiameterVisible);
  EXPECT_TRUE(d.loggerBoxVisible);
  EXPECT_FALSE(d.calorimetryBoxVisible);
  EXPECT_EQ(d.vovVersion, "V°");
  EXPECT_EQ(d.unitDateTime, "05.03.2024 14:07:09");
  EXPECT_EQ(d.loggerDateTime, "05.12.2024 14:07:09");
}

// A measurement file of `records` records whose flows are 1, 2, 3 ...
std::string fileOf(const TempDir& dir, int records) {
  const std::string path = dir.file(std::to_string(records) + ".mes");
  IdentificationCache id;
  id.probes[0] = {"FROMFILE", 1};
  BlockData data;
  for (int i = 0; i < records; ++i) {
    BlockData::f32(data.m1, 2, static_cast<float>(i + 1));
    const MeasurementRecord r = data.record();
    EXPECT_TRUE((i ? appendMeasurementRecord(path, r) : startMeasurementFile(path, id, r)).ok());
  }
  return path;
}

TEST(MeasurementSession, PlaybackNavigation) {
  TempDir dir;
  HandUnit u;
  MeasurementSession s = u.session();
  auto navigation = [&] {
    std::string v;
    for (B b : {B::kPgd, B::kPgu, B::kHome, B::kEnd}) v += s.screen().shown(b) ? "1" : "0";
    return v;
  };
  ASSERT_TRUE(s.openPlayback(fileOf(dir, 1)).ok());
  EXPECT_EQ(u.identification.probes[0].name, "FROMFILE") << "the file's catalogue is in use";
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
  EXPECT_EQ(s.timerMs(), kTimerStopped) << "playback ticks are one-shot";
  EXPECT_EQ(s.screen().secondLine, "Total Records=1  Record N°=1");
  EXPECT_EQ(navigation(), "0000");
  EXPECT_FALSE(s.navigate(B::kPgd)) << "a hidden button does nothing";

  ASSERT_TRUE(s.openPlayback(fileOf(dir, 5)).ok());
  EXPECT_EQ(s.dataOffset(), 318);
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
  EXPECT_EQ(navigation(), "1001");
  struct Step {
    B button;
    bool acts;
    int record;
    std::string pgdPguHomeEnd;
  } steps[] = {
      {B::kPgu, false, 0, "1001"}, {B::kPgd, true, 1, "1111"},
      {B::kEnd, true, 4, "0110"},  {B::kPgd, false, 4, "0110"},  // past the end: stays on the last
      {B::kPgu, true, 3, "1111"},  {B::kHome, true, 0, "1001"},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(s.navigate(step.button), step.acts);
    if (step.acts) {
      EXPECT_EQ(s.timerMs(), MeasurementSession::kNavigationTimerMs);
      EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
    }
    EXPECT_EQ(s.display().flow, std::to_string(step.record + 1) + ".000");
    EXPECT_EQ(s.screen().secondLine,
              "Total Records=5  Record N°=" + std::to_string(step.record + 1));
    EXPECT_EQ(navigation(), step.pgdPguHomeEnd) << step.record;
  }
  EXPECT_TRUE(u.asked.empty()) << "playback never talks to the unit";
}

}  // namespace
}  // namespace flowdesk
