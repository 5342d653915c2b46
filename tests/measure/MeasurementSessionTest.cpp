// The measurement session against a unit made of hand-built blocks on an
// in-memory line: the poll order and the re-read flag, what a refresh shows,
// the status lines and buttons, recording, and playback navigation.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/Blocks.h"
#include "link/Crc16.h"
#include "link/MemorySerialDriver.h"
#include "measure/MeasurementSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;
using Vec = std::vector<std::uint8_t>;
using B = MeasurementButton;

// The data of the four measurement blocks, written byte by byte at the
// offsets the unit uses.
struct BlockData {
  Vec s1 = Vec(66, 0), s2 = Vec(6, 0), m1 = Vec(174, 0), m2 = Vec(104, 0);

  static void u16(Vec& d, std::size_t at, unsigned v) {
    d[at] = static_cast<std::uint8_t>(v >> 8);
    d[at + 1] = static_cast<std::uint8_t>(v);
  }
  static void u32(Vec& d, std::size_t at, std::uint32_t v) {
    u16(d, at, v >> 16);
    u16(d, at + 2, v & 0xFFFF);
  }
  static void f32(Vec& d, std::size_t at, float v) { u32(d, at, std::bit_cast<std::uint32_t>(v)); }

  void rereadFlags(unsigned inM1, unsigned inM2) {
    u16(m1, 0, inM1);
    u16(m2, 0, inM2);
  }
  void chords(int n) { s1[19] = static_cast<std::uint8_t>(n); }
  void status(unsigned bits) { u16(m1, 30, bits); }
  void flow(float v) { f32(m1, 2, v); }
  void temperature1(float v) { f32(m1, 58, v); }
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
    const std::size_t base = static_cast<std::size_t>(8 + 16 * k);
    f32(m2, base, deltaT);
    f32(m2, base + 4, transit);
    f32(m2, base + 8, velocity);
    f32(m2, base + 12, sound);
  }
};

// The whole answer to a read, as the unit sends it.
Vec answer(const Vec& data) {
  Vec f(3 + data.size());
  f[0] = 1;
  f[1] = 3;
  f[2] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + 3);
  const std::uint16_t crc = crc16(f.data(), static_cast<std::uint16_t>(f.size()));
  f.push_back(crc & 0xFF);
  f.push_back(crc >> 8);
  return f;
}

// A unit serving BlockData on an in-memory line with a manual clock. The
// first registers of the requests are kept in order; a block in `silent`
// gets no answer.
struct HandUnit {
  ManualClock clock;
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  JbusMaster master{clock};
  DeviceImage image;
  IdentificationCache identification;
  BlockData data;
  std::set<int> silent;
  std::vector<int> asked;
  std::function<void()> duringRequest;  // runs while a request waits for its answer

  HandUnit() {
    master.setPortOpener(memoryPortOpener(line));
    master.setLinkSettings([] { return LinkSettings{0, 1.0f, 5}; });
    master.identificationDone = true;
    identification.probes[2] = {"T216", 6022};
    identification.probes[3] = {"STRAP", 0};
    line->onWrite = [this](MemoryLine& l) {
      const Vec req = l.takeRequest();
      if (req.size() < 8) return;
      const int first = req[2] << 8 | req[3];
      asked.push_back(first);
      if (duringRequest) duringRequest();
      if (silent.count(first)) return;
      const Vec* block = first == kS1Block.firstRegister   ? &data.s1
                         : first == kS2Block.firstRegister ? &data.s2
                         : first == kM1Block.firstRegister ? &data.m1
                         : first == kM2Block.firstRegister ? &data.m2
                                                           : nullptr;
      if (block != nullptr) l.deliverAtBaud(answer(*block), 9600, 5);
    };
  }

  MeasurementSession session(int language = kEnglish, RegionalSettings regional = {}) {
    return MeasurementSession(master, image, identification, language, std::move(regional));
  }
};

constexpr int S1 = 0x0000, S2 = 0x100D, M1 = 0x0100, M2 = 0x0200;

TEST(MeasurementSession, StaticBlocksAreReadWhileTheFlagOfM2IsUp) {
  struct Case {
    const char* what;
    unsigned m1Flag, m2Flag;
    std::vector<int> secondPoll;
  } cases[] = {
      {"M2's flag is decoded last and wins over M1's", 1, 0, {M1, M2}},
      {"M2 asks for the static blocks again", 0, 1, {S1, S2, M1, M2}},
      {"both down", 0, 0, {M1, M2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandUnit u;
    u.data.rereadFlags(c.m1Flag, c.m2Flag);
    MeasurementSession s = u.session();
    s.openLive();
    EXPECT_EQ(s.rereadStatic(), 1);
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    EXPECT_EQ(u.asked, (std::vector<int>{S1, S2, M1, M2})) << "the first poll reads everything";
    u.asked.clear();
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    EXPECT_EQ(u.asked, c.secondPoll);
  }
}

TEST(MeasurementSession, AFailedPollEndsAtItsFirstSilentBlockAndKeepsTheFlag) {
  HandUnit u;
  u.data.rereadFlags(0, 0);
  MeasurementSession s = u.session();
  s.openLive();
  u.silent = {S2};
  EXPECT_EQ(s.tick(), MeasurementTick::kPollFailed);
  EXPECT_EQ(u.asked, (std::vector<int>{S1, S2, S2, S2})) << "three attempts, nothing after";
  EXPECT_EQ(s.rereadStatic(), 1);
  EXPECT_EQ(s.screen().secondLine, "Communication Failure");
  EXPECT_EQ(s.screen().topLine, "Trying to connect") << "nothing is shown before a good poll";
  EXPECT_FALSE(s.hasDisplay());
  for (bool v : s.screen().visible) EXPECT_FALSE(v);

  u.silent.clear();
  u.asked.clear();
  EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
  EXPECT_EQ(u.asked, (std::vector<int>{S1, S2, M1, M2})) << "the same flag: statics again";
  EXPECT_EQ(s.screen().topLine, "");
  EXPECT_EQ(s.screen().secondLine, "");
  EXPECT_TRUE(s.screen().shown(B::kPrint));
  EXPECT_TRUE(s.screen().shown(B::kSaveDisk));
  EXPECT_EQ(s.frames().frames[kFrameS1], answer(u.data.s1));
  EXPECT_EQ(s.frames().frames[kFrameM2], answer(u.data.m2));
}

TEST(MeasurementSession, ATickWhileAPollWaitsDoesNothing) {
  HandUnit u;
  MeasurementSession s = u.session();
  s.openLive();
  std::vector<MeasurementTick> nested;
  u.duringRequest = [&] {
    EXPECT_TRUE(s.busy());
    nested.push_back(s.tick());
  };
  EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
  EXPECT_EQ(nested, std::vector<MeasurementTick>(4, MeasurementTick::kNothing));
  EXPECT_EQ(u.asked.size(), 4u);
  EXPECT_FALSE(s.busy());
}

TEST(MeasurementSession, ChordGridIsRebuiltOnlyWhenTheCountChanges) {
  HandUnit u;
  u.data.rereadFlags(1, 1);  // the static blocks every poll, so the count can change
  MeasurementSession s = u.session(kFrench);
  s.openLive();
  struct Step {
    int chords;
    bool rebuild;
  } steps[] = {{6, true}, {6, false}, {3, true}, {3, false}, {0, true}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.chords);
    u.data.chords(step.chords);
    for (int k = 0; k < 6; ++k) u.data.chord(k, 100.0f + k, -2.34f, 40 + k, 0.5f, 1480.04f);
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    const ChordGrid& g = s.display().chordGrid;
    EXPECT_EQ(g.rebuild, step.rebuild);
    EXPECT_EQ(s.chordsShown(), step.chords);
    ASSERT_EQ(g.columnTitles.size(), static_cast<std::size_t>(step.chords));
    for (const auto& row : g.cells) ASSERT_EQ(row.size(), static_cast<std::size_t>(step.chords));
    if (step.chords == 3) {
      EXPECT_EQ(g.columnTitles, (std::vector<std::string>{"Corde1", "Corde2", "Corde3"}));
      EXPECT_EQ(g.cells[0][2], "102.0");
      EXPECT_EQ(g.cells[1][0], "-2.3");
      EXPECT_EQ(g.cells[2][1], "41");
      EXPECT_EQ(g.cells[3][0], "0.500");
      EXPECT_EQ(g.cells[4][0], "1480.0");
    }
  }
  EXPECT_EQ(s.display().chordGrid.rowTitles[0], "T (µs)");
}

TEST(MeasurementSession, ValuesAreClampedInTheImageBeforeTheyAreShown) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float flow;
    float temperature;
    std::string flowText, temperatureText;
    float flowAfter, temperatureAfter;
  } cases[] = {
      {123456.0f, 20.0f, "123500", "20.0", 123456.0f, 20.0f},
      {1234567.0f, 2000.0f, "999999", "1000.0", 1234567.0f, 1000.0f},
      {-0.5f, -2000.0f, "-0.500", "-1000.0", -0.5f, -1000.0f},
      {1e9f, 999.94f, "999999", "999.9", 9999999.0f, 999.94f},
      // A value that is not a number shows as its range's minimum.
      {kNaN, kNaN, "-999999", "-1000.0", -9999999.0f, -1000.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flowText);
    HandUnit u;
    u.data.flow(c.flow);
    u.data.temperature1(c.temperature);
    MeasurementSession s = u.session();
    s.openLive();
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    EXPECT_EQ(s.display().flow, c.flowText);
    EXPECT_EQ(s.display().temperature1, c.temperatureText);
    EXPECT_FLOAT_EQ(u.image.measurement.flow, c.flowAfter);
    EXPECT_FLOAT_EQ(u.image.measurement.temperature1, c.temperatureAfter);
  }
}

TEST(MeasurementSession, FaultLinesInBothLanguages) {
  constexpr unsigned kFlow = 1u << 0, kBattery = 1u << 2, kRelay = 1u << 3, kCalorie = 1u << 6;
  auto chord = [](int k) { return 1u << (7 + k); };
  using Lines = std::array<std::string, 5>;
  struct Case {
    const char* what;
    int chords;
    unsigned status;
    int language;
    Lines lines;
  } cases[] = {
      {"no fault: the third line alone", 4, 0, kEnglish, {"", "", "No Fault", "", ""}},
      {"and in French", 4, 0, kFrench, {"", "", "Pas de Défaut", "", ""}},
      {"chords 1 and 3", 4, chord(1) | chord(3), kEnglish, {"Fault V 1 3", "", "", "", ""}},
      {"a chord not in use is not a fault", 4, chord(5), kEnglish, {"", "", "No Fault", "", ""}},
      {"every fault, in order",
       6,
       kFlow | kBattery | kRelay | kCalorie | chord(2) | chord(6),
       kEnglish,
       {"Flow Fault", "Fault V 2 6", "calorie fault", "Overflow relay", "low batt. RAMCARD"}},
      {"the same in French",
       6,
       kFlow | kBattery | kRelay | kCalorie | chord(2) | chord(6),
       kFrench,
       {"Défaut Débit", "Défaut V 2 6", "Défaut calorie", "Défaut comptage relais",
        "pile RAMCARD faible"}},
      {"lines fill from the top",
       1,
       kBattery | kRelay,
       kEnglish,
       {"Overflow relay", "low batt. RAMCARD", "", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandUnit u;
    u.data.chords(c.chords);
    u.data.status(c.status);
    MeasurementSession s = u.session(c.language);
    s.openLive();
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    EXPECT_EQ(s.display().faultLines, c.lines);
  }
}

TEST(MeasurementSession, TotalizerRows) {
  HandUnit u;
  u.data.totalizerModes(1, 4, 0, 5, 2);
  u.data.totalizer(0, 1234, 567);
  u.data.totalizer(1, -5, 50);
  u.data.totalizer(3, 999999999, 999);
  u.data.totalizer(4, 42, 0);
  MeasurementSession s = u.session();
  s.openLive();
  ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
  const auto& t = s.display().totalizers;
  EXPECT_EQ(t[0], (TotalizerRow{true, "T1", "(+/-)", "000001234", "*   0.567m3"}));
  EXPECT_EQ(t[1], (TotalizerRow{true, "T2", "(KWh)", "-00000005", "*   0.050KWh"}));
  EXPECT_FALSE(t[2].visible) << "mode 0 hides the row";
  EXPECT_EQ(t[2].label, "");
  EXPECT_EQ(t[3], (TotalizerRow{true, "Vol.", "*****", "999999999", "*   0.999m3"}));
  // T.(1-2) shows the first totalizer's fraction.
  EXPECT_EQ(t[4], (TotalizerRow{true, "T.(1-2)", "(+)", "000000042", "*   0.567m3"}));
}

TEST(MeasurementSession, BoxesAndListTexts) {
  struct Case {
    const char* what;
    int probe, flowUnit, khMode, logger;
    unsigned status;
    int language;
    std::string probeText, flowUnitText, khText;
    bool diameter, loggerBox, calorimetry;
  } cases[] = {
      {"probe with an angle", 2, 4, 0, 1, 0, kEnglish, "T216", "m3/h", "(Auto)", true, true, true},
      {"probe without one", 3, 5, 1, 0, 1u << 7, kFrench, "STRAP", "m3/j", "(Manu)", false, false,
       false},
      {"indexes past their lists", 30, 6, 2, 0, 0, kEnglish, "*****", "*****", "*****", false,
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandUnit u;
    BlockData::u16(u.data.s1, 22, static_cast<unsigned>(c.probe));
    u.data.s1[18] = static_cast<std::uint8_t>(c.flowUnit);
    u.data.s1[20] = static_cast<std::uint8_t>(c.khMode);
    u.data.s1[21] = static_cast<std::uint8_t>(c.logger);
    u.data.status(c.status);
    MeasurementSession s = u.session(c.language);
    s.openLive();
    ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
    const MeasurementDisplay& d = s.display();
    EXPECT_EQ(d.probe, c.probeText);
    EXPECT_EQ(d.flowUnit, c.flowUnitText);
    EXPECT_EQ(d.trend.unitText, c.flowUnitText);
    EXPECT_EQ(d.khMode, c.khText);
    EXPECT_EQ(d.probeDiameterVisible, c.diameter);
    EXPECT_EQ(d.loggerBoxVisible, c.loggerBox);
    EXPECT_EQ(d.calorimetryBoxVisible, c.calorimetry);
  }
}

TEST(MeasurementSession, VersionsDatesAndLabels) {
  HandUnit u;
  const std::string aff = "AFF 2.14 03/06";
  std::copy(aff.begin(), aff.end(), u.data.s1.begin() + 40);
  u.data.s1[54] = 'V';
  u.data.s1[55] = 0xB0;                 // a degree sign in the unit's code page
  const Vec clock{3, 24, 14, 5, 9, 7};  // month, year, hour, day, second, minute
  std::copy(clock.begin(), clock.end(), u.data.m1.begin() + 40);
  std::copy(clock.begin(), clock.end(), u.data.m1.begin() + 48);
  u.data.m1[48] = 12;
  RegionalSettings regional;
  regional.dateSeparator = ".";
  MeasurementSession s = u.session(kFrench, regional);
  s.openLive();
  ASSERT_EQ(s.tick(), MeasurementTick::kRefreshed);
  const MeasurementDisplay& d = s.display();
  EXPECT_EQ(d.displayVersion, aff);
  EXPECT_EQ(d.vovVersion, "V°");
  EXPECT_EQ(d.unitDateTime, "05.03.2024 14:07:09");
  EXPECT_EQ(d.loggerDateTime, "05.12.2024 14:07:09");
  EXPECT_EQ(d.labels.velocity, "Célérité");
  EXPECT_EQ(d.labels.recordingFilled, "Enregistré");
  EXPECT_EQ(s.screen().title, "Mesure");
}

// Recording: SAVEDISK arms, the next good poll creates the file, later ones
// append; a failed poll writes nothing; ARRETDISK ends it.
TEST(MeasurementSession, RecordingFollowsThePolls) {
  TempDir dir;
  const std::string path = dir.file("r.mes");
  HandUnit u;
  u.data.rereadFlags(0, 0);
  MeasurementSession s = u.session();
  s.openLive();
  EXPECT_TRUE(s.startRecording(path));
  EXPECT_EQ(s.recordState(), 1);
  EXPECT_FALSE(s.startRecording(path)) << "only when idle";
  EXPECT_TRUE(s.screen().shown(B::kArretDisk));

  struct Step {
    bool answers;
    MeasurementTick tick;
    long size;
    int count;
    std::string secondLine;
  } steps[] = {
      {true, MeasurementTick::kRefreshed, 688, 1, "Record n° 1"},
      {false, MeasurementTick::kPollFailed, 688, 1, "Communication Failure"},
      {true, MeasurementTick::kRefreshed, 1058, 2, "Record n° 2"},
      {true, MeasurementTick::kRefreshed, 1428, 3, "Record n° 3"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.count);
    u.silent = step.answers ? std::set<int>{} : std::set<int>{M2};
    u.data.flow(static_cast<float>(step.count));
    EXPECT_EQ(s.tick(), step.tick);
    EXPECT_EQ(static_cast<long>(fileBytes(path).size()), step.size);
    EXPECT_EQ(s.recordCount(), step.count);
    EXPECT_EQ(s.recordState(), 2);
    EXPECT_EQ(s.screen().secondLine, step.secondLine);
    EXPECT_EQ(s.screen().topLine, path);
    EXPECT_FALSE(s.screen().shown(B::kSaveDisk));
  }
  // Polls 2 and 3 did not read the static blocks: their records repeat the
  // frames of the first poll.
  MeasurementFileReader reader;
  ASSERT_TRUE(reader.open(path).ok());
  MeasurementRecord first, last;
  ASSERT_TRUE(reader.readRecord(0, first).ok());
  ASSERT_TRUE(reader.readRecord(2, last).ok());
  EXPECT_EQ(last.frames[kFrameS1], first.frames[kFrameS1]);
  EXPECT_EQ(last.frames[kFrameS2], answer(u.data.s2));
  EXPECT_NE(last.frames[kFrameM1], first.frames[kFrameM1]);

  EXPECT_TRUE(s.stopRecording());
  EXPECT_FALSE(s.stopRecording());
  EXPECT_FALSE(s.screen().shown(B::kArretDisk));
  EXPECT_FALSE(s.screen().shown(B::kSaveDisk)) << "SAVEDISK comes back with the next good poll";
  EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
  EXPECT_TRUE(s.screen().shown(B::kSaveDisk));
  EXPECT_EQ(fileBytes(path).size(), 1428u);
}

TEST(MeasurementSession, ARecordingThatCannotBeWrittenEnds) {
  TempDir dir;
  HandUnit u;
  MeasurementSession s = u.session();
  s.openLive();
  ASSERT_TRUE(s.startRecording(dir.file("no/such/folder.mes")));
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordFailed);
  EXPECT_EQ(s.fileResult().status, FileStatus::CannotCreate);
  EXPECT_NE(s.fileResult().message().find("folder.mes"), std::string::npos);
  EXPECT_EQ(s.recordState(), 0);
  EXPECT_FALSE(s.screen().shown(B::kArretDisk));
  EXPECT_EQ(s.tick(), MeasurementTick::kRefreshed);
  EXPECT_TRUE(s.screen().shown(B::kSaveDisk));
}

// A measurement file of `records` records whose flows are 1, 2, 3 ...
std::string fileOf(const TempDir& dir, int records) {
  const std::string path = dir.file(std::to_string(records) + ".mes");
  IdentificationCache id;
  id.probes[0] = {"FROMFILE", 1};
  id.FSp2 = 7;
  BlockData data;
  for (int i = 0; i < records; ++i) {
    data.flow(static_cast<float>(i + 1));
    MeasurementRecord r;
    r.frames = {answer(data.s2), answer(data.s1), answer(data.m1), answer(data.m2)};
    EXPECT_TRUE(
        (i == 0 ? startMeasurementFile(path, id, r) : appendMeasurementRecord(path, r)).ok());
  }
  return path;
}

TEST(MeasurementSession, PlaybackNavigation) {
  TempDir dir;
  HandUnit u;
  MeasurementSession s = u.session();
  ASSERT_TRUE(s.openPlayback(fileOf(dir, 1)).ok());
  EXPECT_EQ(u.identification.probes[0].name, "FROMFILE") << "the file's catalogue is in use";
  EXPECT_EQ(u.identification.FSp2, 7);
  EXPECT_EQ(s.dataOffset(), 318);
  EXPECT_EQ(s.recordSize(), 370u);
  EXPECT_EQ(s.timerMs(), MeasurementSession::kTimerMs);
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
  EXPECT_EQ(s.timerMs(), 0) << "playback ticks are one-shot";
  EXPECT_EQ(s.screen().secondLine, "Total Records=1  Record N°=1");
  for (B b : {B::kPgd, B::kPgu, B::kHome, B::kEnd, B::kSaveDisk, B::kArretDisk}) {
    EXPECT_FALSE(s.screen().shown(b)) << static_cast<int>(b);
    EXPECT_FALSE(s.navigate(b)) << "a hidden button does nothing";
  }
  EXPECT_TRUE(s.screen().shown(B::kPrint));
  EXPECT_TRUE(s.screen().shown(B::kTableur));

  const std::string five = fileOf(dir, 5);
  ASSERT_TRUE(s.openPlayback(five).ok());
  EXPECT_EQ(s.screen().topLine, five);
  EXPECT_EQ(s.lastRecord(), 4);
  // Each step: the button pressed, whether it acted, the record then shown
  // (from 0), and the navigation buttons shown after it: PGD PGU HOME END.
  struct Step {
    B button;
    bool acts;
    int record;
    std::array<bool, 4> shown;
  } steps[] = {
      {B::kPgu, false, 0, {true, false, false, true}},
      {B::kPgd, true, 1, {true, true, true, true}},
      {B::kEnd, true, 4, {false, true, true, false}},
      {B::kPgd, false, 4, {false, true, true, false}},  // past the end: stays on the last
      {B::kPgu, true, 3, {true, true, true, true}},
      {B::kHome, true, 0, {true, false, false, true}},
  };
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
  for (const Step& step : steps) {
    SCOPED_TRACE(static_cast<int>(step.button));
    EXPECT_EQ(s.navigate(step.button), step.acts);
    if (step.acts) {
      EXPECT_EQ(s.timerMs(), MeasurementSession::kNavigationTimerMs);
      EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
    }
    EXPECT_EQ(s.currentRecord(), step.record);
    EXPECT_EQ(s.display().flow, std::to_string(step.record + 1) + ".000");
    EXPECT_EQ(s.screen().secondLine,
              "Total Records=5  Record N°=" + std::to_string(step.record + 1));
    const std::array<bool, 4> shown{s.screen().shown(B::kPgd), s.screen().shown(B::kPgu),
                                    s.screen().shown(B::kHome), s.screen().shown(B::kEnd)};
    EXPECT_EQ(shown, step.shown);
  }
  EXPECT_FALSE(s.canStartRecording()) << "nothing to record in playback";
  EXPECT_TRUE(u.asked.empty()) << "playback never talks to the unit";
}

TEST(MeasurementSession, PlaybackOfBrokenOrEmptyFiles) {
  TempDir dir;
  HandUnit u;
  MeasurementSession s = u.session(kFrench);
  const std::string empty = fileOf(dir, 1);
  std::vector<std::uint8_t> bytes = fileBytes(empty);
  bytes.resize(318 + 200);  // the header and part of a record
  testing::putFile(empty, bytes);
  ASSERT_TRUE(s.openPlayback(empty).ok());
  EXPECT_EQ(s.lastRecord(), -1);
  EXPECT_EQ(s.tick(), MeasurementTick::kRecordShown);
  EXPECT_EQ(s.screen().secondLine, "Nbre d'Enregistrements=0  N° d'Enregistrement=0");
  EXPECT_FALSE(s.hasDisplay());
  for (B b : {B::kPgd, B::kPgu, B::kHome, B::kEnd}) EXPECT_FALSE(s.screen().shown(b));

  bytes.resize(8);
  testing::putFile(empty, bytes);
  const FileResult r = s.openPlayback(empty);
  EXPECT_EQ(r.status, FileStatus::ShorterThanHeader);
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.tick(), MeasurementTick::kNothing);
}

}  // namespace
}  // namespace flowdesk
