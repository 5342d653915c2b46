// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration sheet's session against a register store on an in-memory
// line: opening on the unit, the read and write numbers, TRANSFERT with its
// clock, resets, a file's special probe and the pauses, and the words of
// every outcome.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "config/CalibrationFile.h"
#include "config/ConfigUnit.h"
#include "config/ConfigurationSession.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::Asked;
using testing::ConfigUnit;

// The reads of the model word and of configuration 0.
constexpr std::pair<int, int> kModel{3, 0x000A}, kZero{3, 0x1000};

// Configuration n holds material n + 1 (byte 15), so the image tells which was read.
void fillConfigurations(ConfigUnit& u) {
  for (int n = 0; n < 18; ++n) {
    Bytes block(kConfigurationBytes, 0);
    block[15] = static_cast<std::uint8_t>(n + 1);
    u.put(0x1000 + 0x100 * n, block);
  }
}

TEST(ConfigurationSession, OpensOnTheUnitOrSaysWhichReadWentUnanswered) {
  struct Case {
    const char* name;
    std::uint16_t model;
    int silent;  // a first register that gets no answer, or -1
    bool ok, answered;
    int configurations;
    Asked asked;
  } cases[] = {
      {"logger model", 0x0001, -1, true, true, 18, {kModel, kZero}},
      {"high byte only", 0x0100, -1, true, true, 2, {kModel, kZero}},
      {"model word silent", 0x0001, 0x000A, false, false, 2, {kModel, kModel, kModel}},
      {"configuration 0 silent", 0x00FF, 0x1000, false, true, 18, {kModel, kZero, kZero, kZero}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigUnit u(c.model);
    fillConfigurations(u);
    u.refused = {c.silent};
    ConfigurationSession s(u.context);
    const OpenOutcome o = s.openUnit();
    EXPECT_EQ(o.ok, c.ok);
    EXPECT_EQ(o.unitAnswered, c.answered);
    EXPECT_EQ(s.canWrite(), c.answered);
    EXPECT_EQ(o.configurations, c.configurations);
    EXPECT_EQ(s.configurationCount(), c.configurations);
    EXPECT_EQ(u.asked, c.asked);
    EXPECT_EQ(s.compareOffered(), c.ok);
    if (c.ok) {
      EXPECT_EQ(u.image.configuration.pipeMaterial, 1);
      EXPECT_EQ(s.lastBlock(), u.bytesAt(0x1000, 62));
    }
  }
}

TEST(ConfigurationSession, ReadAndWriteNumbers) {
  ConfigUnit u;
  fillConfigurations(u);
  ConfigurationSession s(u.context);
  ASSERT_TRUE(s.openUnit().ok);
  struct Step {
    char list;  // 'r' the read list, 'w' the write list
    int number;
    bool silent;  // the unit does not answer
    bool ok, read;
    Asked asked;
    int readNumber, writeNumber;
  } steps[] = {
      {'r', 5, false, true, true, {{3, 0x1500}}, 5, 5},
      {'r', 5, false, true, false, {}, 5, 5},  // the same number again reads nothing
      {'w', 18, false, true, false, {}, 5, 18},
      {'w', 19, false, false, false, {}, 5, 18},
      {'w', -1, false, false, false, {}, 5, 18},
      // A failed read keeps the configuration shown, and writing follows it.
      {'r', 7, true, false, true, {{3, 0x1700}, {3, 0x1700}, {3, 0x1700}}, 5, 5},
      {'r', 18, false, false, false, {}, 5, 5},
      {'r', -1, false, false, false, {}, 5, 5},
      {'w', 0, false, true, false, {}, 5, 0},
      {'r', 17, false, true, true, {{3, 0x2100}}, 17, 17},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << step.list << step.number);
    u.asked.clear();
    u.refuse = [&step](const Bytes&) { return step.silent; };
    if (step.list == 'w') {
      EXPECT_EQ(s.selectWrite(step.number), step.ok);
    } else {
      const ReadOutcome r = s.selectRead(step.number);
      EXPECT_EQ(r.ok, step.ok);
      EXPECT_EQ(r.read, step.read);
      EXPECT_EQ(r.number, step.readNumber);
      EXPECT_EQ(r.wanted, step.number);
    }
    EXPECT_EQ(u.asked, step.asked);
    EXPECT_EQ(s.readNumber(), step.readNumber);
    EXPECT_EQ(s.writeNumber(), step.writeNumber);
    EXPECT_EQ(u.image.configuration.pipeMaterial, step.readNumber + 1);
  }
  EXPECT_EQ(s.lastBlock(), u.bytesAt(0x2100, 62));

  // A file shows its one configuration: no other can be read.
  testing::TempDir dir;
  const std::string path = dir.file("c.eta");
  ASSERT_TRUE(writeCalibrationFile(path, defaultCalibrationFile({})).ok());
  ASSERT_TRUE(s.openFile(path).ok);
  u.asked.clear();
  EXPECT_FALSE(s.selectRead(1).ok);
  EXPECT_TRUE(u.asked.empty());
  EXPECT_FALSE(s.compareOffered());
}

TEST(ConfigurationSession, UploadWritesInOrderWithThePauseAndStopsAtTheFirstFailure) {
  const Bytes clockBytes{4, 3, 5, 14, 7, 9};  // 5 March 2004, 14:07:09
  const std::string third = "Upload Configuration n°  3";
  using enum UploadStep;
  struct Case {
    const char* name;
    Language language;
    int writeNumber;
    UploadRequests requests;
    int refusedWrite;                // first register of a write that gets no answer, or -1
    std::vector<int> writes;         // answered, in order
    std::vector<std::string> texts;  // as the progress window showed them
    UploadStep failedStep;
  } cases[] = {
      {"one configuration", kEnglish, 3, {}, -1, {0x1300}, {third}, {}},
      {"clock, two resets, one configuration",
       kFrench,
       1,
       {true, {true, false, true}},
       -1,
       {0x2301, 0x2306, 0x1100},
       {"Mise à l'heure", "Traitement Raz", "Transfert config n° 1"},
       {}},
      {"configuration 3 of all fails",
       kEnglish,
       18,
       {true, {}},
       0x1300,
       {0x2301, 0x1000, 0x1100, 0x1200},
       {"Setup Time", "Upload Configuration n°  0", "Upload Configuration n°  1",
        "Upload Configuration n°  2", third},
       kConfiguration},
      {"clock fails", kEnglish, 0, {true, {true, true, true}}, 0x2301, {}, {"Setup Time"}, {}},
      {"resets", kEnglish, 0, {false, {false, true}}, 0x2306, {}, {"Reset Information"}, kResets},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConfigUnit u(0x0001, c.language);
    ConfigurationSession s(u.context);
    s.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
    ASSERT_TRUE(s.openUnit().ok);
    u.image.configuration.pipeMaterial = 10;  // what TRANSFERT sends is what the sheet shows
    Bytes block(kConfigurationBytes, 0);
    block[15] = 10;
    ASSERT_TRUE(s.selectWrite(c.writeNumber));
    s.requests = c.requests;
    u.refuseAt(16, c.refusedWrite);
    std::vector<std::string> shown;
    const UploadOutcome o = s.upload([&](const std::string& t) { shown.push_back(t); });
    EXPECT_EQ(o.ok, c.refusedWrite < 0);
    EXPECT_FALSE(o.refused);
    EXPECT_EQ(o.stepTexts, c.texts);
    EXPECT_EQ(shown, c.texts);
    EXPECT_EQ(u.writes, c.writes);
    EXPECT_EQ(o.configurationsWritten, testing::configurationsAmong(c.writes));
    u.expectPauseAfterEveryWrite();
    const auto& reset = c.requests.resetTotalizer;
    for (const testing::RegisterWrite& w : u.written) {
      const Bytes expected = w.first == 0x2301 ? clockBytes
                             : w.first == 0x2306
                                 ? Bytes{0, reset[0], 0, reset[1], 0, reset[2], 0, 0}
                                 : block;
      EXPECT_EQ(w.data, expected) << std::hex << w.first;
    }
    if (o.ok) {
      EXPECT_EQ(s.requests, UploadRequests{});
      EXPECT_EQ(s.writeNumber(), 0) << "back to the configuration shown";
      continue;
    }
    EXPECT_EQ(o.failedStep, c.failedStep);
    EXPECT_EQ(o.failedNumber, c.refusedWrite == 0x1300 ? 3 : -1);
    EXPECT_EQ(u.asked.back(), (std::pair<int, int>{16, c.refusedWrite})) << "nothing after it";
    EXPECT_EQ(s.requests, c.requests) << "kept for another try";
    EXPECT_EQ(s.writeNumber(), c.writeNumber);
  }
}

TEST(ConfigurationSession, AFilesSpecialProbeGoesIntoItsSlotBeforeTheConfiguration) {
  // The unit's factory block holds probes in SP1 and SP2 and a few other
  // settings; only the slot of the file's probe may change.
  const Bytes factory = testing::factoryBlock();
  const std::pair<int, int> read{3, 0x2200}, write{16, 0x2200}, none{};
  // After the factory write the unit's probes are learnt again.
  const Asked learnt{read, write, {3, 0x5000}, {3, 0x5100}, read, {16, 0x1000}};
  struct Case {
    const char* name;
    int probe;
    std::pair<int, int> refused;  // function and register the unit keeps silent on
    Asked asked;                  // during the upload
    Bytes slot;                   // angle x 100, T0 x 10, frequency, then the text
  } cases[] = {
      {"SP1", 0, none, learnt, {0x04, 0xD2, 7, 3, '1', 'x', ' ', ' ', ' ', ' '}},
      {"SP2", 1, none, learnt, {0x11, 0xC6, 123, 6, 'N', 0xB0, 0xE4, 'r', ' ', ' '}},
      {"a built-in probe", 2, none, {{16, 0x1000}}, {}},
      {"factory read fails", 1, read, {read, read, read}, {}},
      {"factory write fails", 0, write, {read, write, write, write}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    CalibrationFile file = defaultCalibrationFile({});
    file.identification.probes[0] = {"SP1x", 1234};
    file.identification.probes[1] = {"SPN°är", 4550};
    file.identification.FSp1 = 3;
    file.identification.T0Sp1 = 7;
    file.identification.FSp2 = 6;
    file.identification.T0Sp2 = 123;
    file.block[48] = static_cast<std::uint8_t>(c.probe);
    const std::string path = dir.file("sp.eta");
    ASSERT_TRUE(writeCalibrationFile(path, file).ok());

    ConfigUnit u;
    u.put(0x2200, factory);
    ConfigurationSession s(u.context);
    ASSERT_TRUE(s.openFile(path).ok);
    EXPECT_EQ(u.context.settings.probes[1].name, "SPN°är") << "the file's catalogue";
    u.asked.clear();
    u.refuseAt(c.refused.first, c.refused.second);
    const UploadOutcome o = s.upload();
    const bool ok = c.refused == none;
    EXPECT_EQ(o.ok, ok);
    EXPECT_EQ(u.asked, c.asked);
    Bytes expected = factory;
    if (!c.slot.empty()) {
      std::copy_n(c.slot.begin(), 4, expected.begin() + 11 + 4 * c.probe);
      std::copy_n(c.slot.begin() + 4, 6, expected.begin() + 19 + 6 * c.probe);
    }
    EXPECT_EQ(u.bytesAt(0x2200, 34), expected);
    if (!ok) {
      EXPECT_EQ(o.failedStep, UploadStep::kSpecialProbe);
      EXPECT_TRUE(o.stepTexts.empty()) << "the step has no text of its own";
      EXPECT_TRUE(o.configurationsWritten.empty());
      continue;
    }
    u.expectPauseAfterEveryWrite();
    EXPECT_EQ(u.written.back().data, file.block) << "the file's configuration";
  }

  // Without a unit behind it the file is only shown: nothing is asked.
  ConfigUnit u;
  u.refused = {0x000A};
  ConfigurationSession s(u.context);
  testing::TempDir dir;
  ASSERT_TRUE(writeCalibrationFile(dir.file("c.eta"), defaultCalibrationFile({})).ok());
  ASSERT_TRUE(s.openFile(dir.file("c.eta")).ok);
  EXPECT_FALSE(s.canWrite());
  u.asked.clear();
  EXPECT_TRUE(s.upload().refused);
  EXPECT_TRUE(u.asked.empty());
}

TEST(ConfigurationSession, EveryOutcomeInBothLanguages) {
  auto opened = [](bool ok, bool fromFile, bool answered, int shortBlockBytes = -1) {
    OpenOutcome o;
    o.ok = ok;
    o.fromFile = fromFile;
    o.unitAnswered = answered;
    o.shortBlockBytes = shortBlockBytes;
    return o;
  };
  auto uploaded = [](std::vector<int> written, bool ok = true, UploadStep step = {}) {
    UploadOutcome o;
    o.ok = ok;
    o.failedStep = step;
    o.failedNumber = written.empty() ? -1 : written.back() + 1;
    o.configurationsWritten = std::move(written);
    return o;
  };
  // Stopped at configuration `at` of 0 to 3 with `fault`, after the
  // request went out or not.
  auto stoppedAt = [](int at, ReplyFault fault, bool sent) {
    UploadOutcome o;
    o.ok = false;
    o.failedStep = UploadStep::kConfiguration;
    o.failedNumber = at;
    for (int k = 0; k < 4; ++k) {
      if (k < at) o.configurationsWritten.push_back(k);
      if (k > at) o.configurationsNotSent.push_back(k);
    }
    o.link.fault = fault;
    o.link.requestSent = sent;
    return o;
  };
  UploadOutcome refused = uploaded({}, false);
  refused.refused = true;
  const ReadOutcome read{.read = true, .number = 5, .wanted = 5, .link = {}};
  const ReadOutcome unread{.ok = false, .read = true, .number = 5, .wanted = 7, .link = {}};
  const std::string viewOnly = "No unit: the file can be viewed, printed and saved, not uploaded";
  const auto clock = UploadStep::kClock, probe = UploadStep::kSpecialProbe;
  const std::pair<std::string, std::string> cases[] = {
      {openText(opened(false, false, false), kFrench), "L'unité ne répond pas"},
      {openText(opened(false, false, false), kEnglish), "The unit does not answer"},
      {openText(opened(false, false, true), kFrench), "La lecture de la configuration 0 a échoué"},
      {openText(opened(false, false, true), kEnglish), "Reading configuration 0 failed"},
      {openText(opened(true, false, true), kFrench), ""},
      {openText(opened(true, true, true), kEnglish), ""},
      {openText(opened(true, true, false), kFrench),
       "Pas d'unité : le fichier peut être vu, imprimé et enregistré, pas transféré"},
      {openText(opened(true, true, false), kEnglish), viewOnly},
      {openText(opened(true, true, true, 12), kFrench),
       "Le fichier ne contient que 12 des 124 octets d'une configuration : les autres champs "
       "prennent leur valeur par défaut"},
      {openText(opened(true, true, false, 0), kEnglish),
       viewOnly + "\nThe file holds only 0 of a configuration's 124 bytes: the other fields "
                  "take their defaults"},
      {readText(read, kFrench), "Configuration 5 lue"},
      {readText(read, kEnglish), "Configuration 5 read"},
      {readText(unread, kFrench), "La lecture de la configuration 7 a échoué"},
      {readText(unread, kEnglish), "Reading configuration 7 failed"},
      {uploadText(uploaded({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}),
                  kFrench),
       "Configuration(s) écrite(s) : 0 - 17"},
      {uploadText(uploaded({0, 1}), kEnglish), "Configuration(s) written: 0, 1"},
      {uploadText(uploaded({3}), kEnglish), "Configuration(s) written: 3"},
      {uploadText(refused, kEnglish), "Upload Failure\n" + viewOnly},
      {uploadText(uploaded({}, false, clock), kFrench),
       "Téléchargement à échoué\nMise à l'heure\nAucune configuration écrite"},
      {uploadText(uploaded({}, false, UploadStep::kResets), kEnglish),
       "Upload Failure\nReset Information\nNo configuration written"},
      {uploadText(uploaded({}, false, probe), kFrench),
       "Téléchargement à échoué\nSonde spéciale\nAucune configuration écrite"},
      {uploadText(uploaded({}, false, probe), kEnglish),
       "Upload Failure\nSpecial probe\nNo configuration written"},
      {uploadText(stoppedAt(3, ReplyFault::kBadCrc, true), kEnglish),
       "Upload Failure\nConfiguration(s) written and acknowledged: 0 - 2\nConfiguration 3 may or "
       "may not have been written: its acknowledgement was lost or garbled"},
      {uploadText(stoppedAt(1, ReplyFault::kNoAnswer, true), kFrench),
       "Téléchargement à échoué\nConfiguration(s) écrite(s) et acquittée(s) : 0\nLa "
       "configuration 1 a pu être écrite ou non : son acquittement a été perdu ou "
       "altéré\nConfiguration(s) non envoyée(s) : 2, 3"},
      {uploadText(stoppedAt(0, ReplyFault::kException, true), kEnglish),
       "Upload Failure\nNo configuration acknowledged\nConfiguration 0 refused by the "
       "unit\nConfiguration(s) not sent: 1 - 3"},
      {uploadText(stoppedAt(2, ReplyFault::kException, true), kFrench),
       "Téléchargement à échoué\nConfiguration(s) écrite(s) et acquittée(s) : 0, 1\n"
       "Configuration 2 refusée par l'unité\nConfiguration(s) non envoyée(s) : 3"},
      {uploadText(stoppedAt(2, ReplyFault::kSendFailed, false), kEnglish),
       "Upload Failure\nConfiguration(s) written and acknowledged: 0, 1\nConfiguration 2 not "
       "sent\nConfiguration(s) not sent: 3"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
  OpenOutcome missing = opened(false, true, true);
  missing.file = FileResult::failure(FileStatus::kCannotOpen, "/x/none.eta");
  EXPECT_NE(openText(missing, kEnglish).find("/x/none.eta"), std::string::npos);
}

}  // namespace
}  // namespace flowdesk
