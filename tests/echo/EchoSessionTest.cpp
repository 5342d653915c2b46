// SPDX-License-Identifier: GPL-3.0-or-later
// The echo session: the list of screens, and the tick sequence against the
// virtual unit in-process behind an in-memory line on a manual clock (ticks
// per picture, retries, the stop at closing, recording). Playback and the
// painting are tested with the screen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "echo/EchoSession.h"
#include "link/AppContext.h"
#include "support/Frames.h"
#include "support/ManualClock.h"
#include "support/MemorySerialDriver.h"
#include "support/TestFiles.h"
#include "unit/RegisterTables.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;
using B = EchoButton;

TEST(EchoScreens, OneEntryPerChordAndKind) {
  struct Case {
    int chords;
    bool twoKinds;
    std::vector<std::string> texts;
    std::vector<int> codes;
  } cases[] = {
      {3,
       false,
       {"P1", "Z1", "NC1", "NC1", "P2", "Z2", "NC2", "NC2", "P3", "Z3", "NC3", "NC3"},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {3, true, {"P1", "Z1", "P2", "Z2", "P3", "Z3"}, {1, 2, 5, 6, 9, 10}},
      {0, false, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chords * 10 + c.twoKinds);
    std::vector<std::string> texts;
    std::vector<int> codes;
    for (const EchoScreenEntry& e : echoScreenList(c.chords, c.twoKinds)) {
      texts.push_back(e.text);
      codes.push_back(e.code);
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(codes, c.codes);
  }
  // A count the unit should never send still gives a list of at most 24.
  const std::vector<EchoScreenEntry> many = echoScreenList(9, false);
  ASSERT_EQ(many.size(), kMaxEchoScreens);
  EXPECT_EQ(many.back(), (EchoScreenEntry{"NC6", 24}));
}

// The program and the virtual unit (three chords) on one in-memory line;
// `silent` keeps the unit from answering the requests it matches. Every
// picture the unit served, put together from its five parts, is kept.
struct EchoRig {
  ManualClock clock;
  DeviceImage image;
  AppContext app{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  unit::UnitSettings settings;
  unit::StoredBlocks start;
  unit::VirtualUnit unit;
  std::function<bool(int function, int first)> silent;
  std::vector<int> firsts;  // first register of each request
  EchoImage serving{};
  std::vector<EchoImage> served;
  EchoSession session{app};

  explicit EchoRig(int echoKinds = 4)
      : settings(withKinds(echoKinds)),
        start(threeChords(settings)),
        unit(
            settings, [] { return 1.7e9; }, &start) {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes frame = l.takeRequest();
      if (frame.size() < 8) return;
      const int first = frame[2] << 8 | frame[3];
      firsts.push_back(first);
      if (silent && silent(frame[1], first)) return;
      const auto reply = unit.handle(frame);
      if (!reply) return;
      const int part = first - 0x5220;
      if (frame[1] == 3 && part >= 0 && part < 5) {
        std::copy(reply->begin() + 3, reply->end() - 2, serving.begin() + 210 * part);
        if (part == 4) served.push_back(serving);
      }
      l.deliverAtBaud(*reply, 9600, 5);
    };
    app.master.setPortOpener(memoryPortOpener(line));
    app.settings.Com = 0;
    app.settings.Jbus = 1;
    app.settings.Bauds = 5;
    app.settings.Language = languageIndex(kEnglish);
    session.setLanguage(kEnglish);
  }
  static unit::UnitSettings withKinds(int kinds) {
    unit::UnitSettings s;
    s.echoKinds = kinds;
    return s;
  }
  static unit::StoredBlocks threeChords(const unit::UnitSettings& s) {
    unit::StoredBlocks b = unit::VirtualUnit::defaultBlocks(s);
    for (auto& c : b.configs) c[unit::cfg::kChords] = 3;
    return b;
  }
  // Ticks until a whole picture (or `limit` ticks); how many it took.
  int ticksToImage(int limit = 20) {
    for (int n = 1; n <= limit; ++n) {
      if (session.tick() == EchoTick::kImage) return n;
    }
    return -1;
  }
};

TEST(EchoSessionLive, PicturesComeInFivePartsAfterTheEchoCommand) {
  for (int kinds : {4, 2}) {
    SCOPED_TRACE(kinds);
    EchoRig rig(kinds);
    ASSERT_EQ(rig.session.openLive(), 0);
    EXPECT_EQ(rig.session.screens(), echoScreenList(3, kinds == 2));
    EXPECT_EQ(rig.session.screen().title, "Visu Echo");
    EXPECT_TRUE(rig.session.screen().progressWindow);

    struct Step {
      int choose;  // -1: keep the screen
      int ticks;
      int code;
    } steps[] = {{-1, 6, 1}, {-1, 5, 1}, {-1, 5, 1}, {3, 6, kinds == 2 ? 6 : 4}, {-1, 5, 0}};
    for (const Step& s : steps) {
      if (s.choose >= 0) rig.session.choose(s.choose);
      const int code = s.code != 0 ? s.code : rig.session.chosenCode();
      EXPECT_EQ(rig.ticksToImage(), s.ticks);
      EXPECT_EQ(rig.unit.echoCode(), code);
      EXPECT_EQ(rig.session.image(), rig.served.back());
      EXPECT_EQ(rig.session.screen().title, "Echo display");
      EXPECT_EQ(rig.session.screen().progress, 5);
      EXPECT_FALSE(rig.session.screen().progressWindow);
      EXPECT_TRUE(rig.session.screen().shown(B::kPrint));
      EXPECT_TRUE(rig.session.screen().shown(B::kSaveDisk));
    }
  }
}

TEST(EchoSessionLive, AfterAFailedExchangeTheChosenScreenIsSentAgainFirst) {
  // The unit keeps silent for one tick (every attempt of its exchange) at
  // each step in turn, the echo command after a change of screen, then the
  // parts, and comes back having left its echo screen, as after a restart.
  for (int step = 0; step <= 5; ++step) {
    SCOPED_TRACE(step);
    TempDir dir;
    EchoRig rig;
    ASSERT_EQ(rig.session.openLive(), 0);
    ASSERT_EQ(rig.ticksToImage(), 6);
    ASSERT_TRUE(rig.session.startRecording(dir.file("r.ech")));
    if (step == 0) {
      rig.session.choose(1);
    } else {
      for (int n = 0; n < 10 && rig.session.step() != step; ++n) rig.session.tick();
    }
    rig.silent = [](int, int) { return true; };
    EXPECT_EQ(rig.session.tick(), EchoTick::kFailed);
    EXPECT_EQ(rig.session.screen().title, "Echo display Communication Failure \u2014 no answer");
    rig.silent = nullptr;
    rig.unit.handle(testing::withCrc({1, 16, 0x23, 0x20, 0, 2, 4, 0, 0, 0, 0}));
    ASSERT_EQ(rig.unit.echoCode(), 0);
    const std::size_t asked = rig.firsts.size();
    EXPECT_EQ(rig.ticksToImage(), 6) << "the command, then a whole new picture";
    EXPECT_EQ(rig.firsts[asked], 0x2320);
    EXPECT_EQ(rig.session.screen().title, "Echo display");
    EXPECT_EQ(rig.unit.echoCode(), step == 0 ? 2 : 1);
    EXPECT_EQ(rig.session.recordCount(), 1) << "nothing recorded from before the failure";
    EXPECT_EQ(rig.session.image(), rig.served.back());
  }
}

TEST(EchoSessionLive, ClosingStopsTheEchoScreenFirstAndSaysWhenItCouldNot) {
  // The unit ignores the first `lost` stop requests (three per exchange);
  // the stop is tried three exchanges long before the close gives up.
  struct Case {
    int lost;
    std::size_t requests;
    bool failed;
  } cases[] = {{0, 1, false}, {3, 4, false}, {8, 9, false}, {9, 9, true}, {50, 9, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lost);
    EchoRig rig;
    ASSERT_EQ(rig.session.openLive(), 0);
    rig.session.choose(2);
    rig.session.tick();
    rig.session.tick();
    EXPECT_EQ(rig.unit.echoCode(), 3);
    EXPECT_FALSE(rig.session.requestClose()) << "not before the unit is told";
    const std::size_t asked = rig.firsts.size();
    int lost = c.lost;
    rig.silent = [&lost](int, int) { return lost-- > 0; };
    EXPECT_EQ(rig.session.tick(), EchoTick::kClosed);
    EXPECT_EQ(rig.firsts.size(), asked + c.requests);
    EXPECT_EQ(rig.firsts.back(), 0x2320);
    EXPECT_EQ(rig.unit.echoCode(), c.failed ? 3 : 0);
    EXPECT_EQ(rig.session.stopFailed(), c.failed);
    EXPECT_EQ(rig.session.timerMs(), kTimerStopped);
    EXPECT_EQ(rig.session.tick(), EchoTick::kNothing);
  }

  EchoRig absent;
  absent.silent = [](int, int) { return true; };
  EXPECT_EQ(absent.session.openLive(), -1);
  EXPECT_FALSE(absent.session.isOpen());
  EXPECT_TRUE(absent.session.requestClose());
}

TEST(EchoSessionLive, AnOpeningThatFailsSaysWhy) {
  EchoRig silent;
  silent.silent = [](int, int) { return true; };
  EXPECT_EQ(silent.session.openLive(), -1);
  EXPECT_EQ(silent.session.openFailureText(kEnglish), "Communication Failure");

  // An unplugged adapter is no silent unit: the box says what the
  // connection page would.
  EchoRig missing;
  missing.line->openStatus = kPortNoDevice;
  EXPECT_EQ(missing.session.openLive(), -1);
  const std::string text = missing.session.openFailureText(kEnglish);
  EXPECT_EQ(text.rfind("Com1: memory does not exist (adapter unplugged?).\n\n", 0), 0u) << text;
}

TEST(EchoSessionLive, RecordingKeepsEveryPictureAsServed) {
  TempDir dir;
  const std::string path = dir.file("r.ech");
  EchoRig rig;
  ASSERT_EQ(rig.session.openLive(), 0);
  ASSERT_EQ(rig.ticksToImage(), 6);
  ASSERT_TRUE(rig.session.startRecording(path));
  EXPECT_FALSE(rig.session.startRecording(path));
  EXPECT_TRUE(rig.session.screen().shown(B::kArretDisk));
  EXPECT_FALSE(rig.session.screen().shown(B::kSaveDisk));
  const std::size_t before = rig.served.size();
  for (int n = 1; n <= 3; ++n) {
    ASSERT_EQ(rig.ticksToImage(), 5);
    EXPECT_EQ(rig.session.recordCount(), n);
    EXPECT_EQ(rig.session.screen().secondLine, "Record n° " + std::to_string(n));
    EXPECT_EQ(rig.session.screen().topLine, path);
  }
  ASSERT_TRUE(rig.session.stopRecording());
  ASSERT_EQ(rig.ticksToImage(), 5);
  EXPECT_TRUE(rig.session.screen().shown(B::kSaveDisk));
  EXPECT_FALSE(rig.session.screen().shown(B::kArretDisk));

  Bytes expected{0x00, 0x04};
  for (std::size_t k = before; k < before + 3; ++k) {
    expected.insert(expected.end(), rig.served[k].begin(), rig.served[k].end());
  }
  EXPECT_EQ(fileBytes(path), expected);

  // A file that cannot be written ends the recording with its reason.
  ASSERT_TRUE(rig.session.startRecording(dir.file("no/such/folder.ech")));
  EXPECT_EQ(rig.ticksToImage(5), -1);
  EXPECT_EQ(rig.session.recording(), Recording::kOff);
  EXPECT_FALSE(rig.session.fileResult().ok());
  EXPECT_EQ(rig.ticksToImage(), 5) << "the next picture is no failure";
}

}  // namespace
}  // namespace flowdesk
