// SPDX-License-Identifier: GPL-3.0-or-later
// The initialisation's session against a register store on an in-memory
// line: the unit's kind from its model word, the blocks each choice writes
// and in which order, the defaults they carry, the pause after each write,
// and where a failure stops the sequence and how it is worded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "config/CalibrationFile.h"
#include "config/ConfigUnit.h"
#include "config/InitialisationSession.h"
#include "link/BlockMaps.h"

namespace flowdesk {
namespace {

using testing::ConfigUnit;
using Step = InitialisationStep;

TEST(InitialisationSession, TheModelWordTellsTheConfigurationsAndTheLogger) {
  struct Case {
    std::uint16_t model;
    bool silent, answered;
    int configurations;
    bool logger;
  } cases[] = {
      {0x0001, false, true, 18, true},
      {0x0100, false, true, 2, false},  // only the low byte counts
      {0x0001, true, false, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.model << c.silent);
    ConfigUnit u(c.model);
    if (c.silent) u.refused = {0x000A};
    InitialisationSession s(u.context);
    EXPECT_EQ(s.readUnit(), c.answered);
    EXPECT_EQ(s.configurationCount(), c.configurations);
    EXPECT_EQ(s.hasLogger(), c.logger);
    EXPECT_TRUE(u.writes.empty());
  }
}

TEST(InitialisationSession, WritesTheChosenDefaultsInOrderAndStopsAtTheFirstFailure) {
  const Bytes resets{0, 1, 0, 1, 0, 1, 0, 0}, erase{0, 0, 0, 0, 0, 0, 0, 1};
  struct Case {
    const char* name;
    std::uint16_t model;
    InitialisationChoice choice;
    int refusedWrite;  // the n-th write (from 0) gets no answer, or -1
    Language language;
    std::vector<int> writes;  // answered, in order
    std::vector<Step> written;
    std::vector<std::string> texts;  // the progress window's, in order
    Step failed;                     // when it fails
    std::string failure;             // empty: success
  } cases[] = {
      {"nothing chosen, logger",
       0x0001,
       {false, false, false},
       -1,
       kEnglish,
       {0x2301, 0x2306, 0x2306, 0x3100},
       {Step::kClock, Step::kTotalizerResets, Step::kLoggerErase, Step::kLoggerSettings},
       {"Setup Time", "Reset Information", "Reset Information", "Upload Logger Information"},
       {},
       ""},
      {"everything, two configurations",
       0x0100,
       {true, true, true},
       -1,
       kFrench,
       {0x2301, 0x2200, 0x3300, 0x2306, 0x1000, 0x1100},
       {Step::kClock, Step::kFactory, Step::kMaker, Step::kTotalizerResets, Step::kConfiguration,
        Step::kConfiguration},
       {"Mise à l'heure", "Transfert Réglage Usine", "Transfert Réglage NORVADINE",
        "Traitement Raz", "Transfert config n° 0", "Transfert config n° 1"},
       {},
       ""},
      {"clock fails",
       0x0001,
       {true, true, true},
       0,
       kEnglish,
       {},
       {},
       {"Setup Time"},
       Step::kClock,
       "Upload Failure\nSetup Time"},
      {"factory fails",
       0x0000,
       {false, true, true},
       1,
       kFrench,
       {0x2301},
       {Step::kClock},
       {"Mise à l'heure", "Transfert Réglage Usine"},
       Step::kFactory,
       "Téléchargement à échoué\nTransfert Réglage Usine"},
      {"maker fails",
       0x0000,
       {false, false, true},
       1,
       kEnglish,
       {0x2301},
       {Step::kClock},
       {"Setup Time", "Upload NORVADINE Settings"},
       Step::kMaker,
       "Upload Failure\nUpload NORVADINE Settings"},
      {"resets fail",
       0x0000,
       {false, false, false},
       1,
       kFrench,
       {0x2301},
       {Step::kClock},
       {"Mise à l'heure", "Traitement Raz"},
       Step::kTotalizerResets,
       "Téléchargement à échoué\nTraitement Raz"},
      {"configuration 3 fails",
       0x0001,
       {true, false, false},
       5,
       kEnglish,
       {0x2301, 0x2306, 0x1000, 0x1100, 0x1200},
       {Step::kClock, Step::kTotalizerResets, Step::kConfiguration, Step::kConfiguration,
        Step::kConfiguration},
       {"Setup Time", "Reset Information", "Upload Configuration n°  0",
        "Upload Configuration n°  1", "Upload Configuration n°  2", "Upload Configuration n°  3"},
       Step::kConfiguration,
       "Upload Failure\nUpload Configuration n°  3"},
      {"logger erase fails",
       0x0001,
       {false, false, false},
       2,
       kFrench,
       {0x2301, 0x2306},
       {Step::kClock, Step::kTotalizerResets},
       {"Mise à l'heure", "Traitement Raz", "Traitement Raz"},
       Step::kLoggerErase,
       "Téléchargement à échoué\nTraitement Raz"},
      {"logger settings fail",
       0x0001,
       {false, false, false},
       3,
       kEnglish,
       {0x2301, 0x2306, 0x2306},
       {Step::kClock, Step::kTotalizerResets, Step::kLoggerErase},
       {"Setup Time", "Reset Information", "Reset Information", "Upload Logger Information"},
       Step::kLoggerSettings,
       "Upload Failure\nUpload Logger Information"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigUnit u(c.model, c.language);
    int writesSeen = 0;
    // The n-th write gets no answer, nor do the master's retries of it.
    u.refuse = [&](const Bytes& r) {
      return r[1] == 16 && c.refusedWrite >= 0 && writesSeen++ >= c.refusedWrite;
    };
    // The image holds other values: the defaults must not come from it.
    u.image.factory.contrast = 99;
    u.image.maker.point4mA = 3;
    u.image.logger.pointNumber = 7;
    u.image.configuration.pipeMaterial = 10;
    InitialisationSession s(u.context);
    s.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
    ASSERT_TRUE(s.readUnit());
    s.choice = c.choice;
    u.asked.clear();
    std::vector<std::string> shown;
    const InitialisationOutcome o = s.run([&](const std::string& t) { shown.push_back(t); });
    EXPECT_EQ(o.ok, c.failure.empty());
    EXPECT_EQ(initialisationText(o, c.language), c.failure);
    EXPECT_EQ(u.writes, c.writes);
    EXPECT_EQ(o.written, c.written);
    EXPECT_EQ(o.stepTexts, c.texts);
    EXPECT_EQ(shown, c.texts);
    EXPECT_FALSE(u.context.master.identified()) << "the unit is learnt again afterwards";
    EXPECT_EQ(o.configurationsWritten, testing::configurationsAmong(c.writes));
    if (o.ok) {
      EXPECT_EQ(u.asked.size(), c.writes.size()) << "no read, no retry";
    } else {
      EXPECT_EQ(o.failedStep, c.failed);
      // The one configuration that fails here is the fourth.
      EXPECT_EQ(o.failedNumber, c.failed == Step::kConfiguration ? 3 : -1);
      EXPECT_EQ(u.asked.size(), c.writes.size() + JbusMaster::kAttempts) << "nothing after it";
    }
    u.expectPauseAfterEveryWrite();

    bool erased = false;
    for (const testing::RegisterWrite& w : u.written) {
      SCOPED_TRACE(w.first);
      if (w.first == 0x2301) {
        EXPECT_EQ(w.data, (Bytes{4, 3, 5, 14, 7, 9}));
      } else if (w.first == 0x2306) {
        EXPECT_EQ(w.data, erased ? erase : resets);
        erased = true;
      } else if (w.first == 0x2200) {
        EXPECT_EQ(w.data, testing::defaultBytes(factoryMap, 68));
      } else if (w.first == 0x3300) {
        EXPECT_EQ(w.data, testing::defaultBytes(makerMap, 12));
      } else if (w.first == 0x3100) {
        EXPECT_EQ(w.data, testing::defaultBytes(loggerSettingsMap, 12));
      } else {
        EXPECT_EQ(w.data, testing::defaultBytes(configurationMap, kConfigurationBytes));
      }
    }
  }
}

}  // namespace
}  // namespace flowdesk
