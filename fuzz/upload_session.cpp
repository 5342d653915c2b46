// SPDX-License-Identifier: GPL-3.0-or-later
// TRANSFERT of the calibration sheet, the factory settings and the maker
// settings through a far end that answers as the input says (see
// ScriptedUnit.h), on a manual clock. An upload is reported successful only
// when every write it made was acknowledged, and a failed one ends at the
// exchange that failed.
//
// Input: byte 0 picks the screen (bits 0-1: calibration on the unit, on a
// calibration file, factory, maker), the language (bit 2), a unit with a
// logger (bit 3) and, for a calibration file, its probe (bits 4-5: the
// first two are the special ones). The calibration takes byte 1 too: bit 0 the clock, bits 1-3 the
// totalizer resets, bit 4 every configuration, bits 5-7 with byte 2 the
// configuration read and written. The far end takes the rest.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ScriptedUnit.h"
#include "base/BuiltinProbeCatalogue.h"
#include "config/CalibrationFile.h"
#include "config/ConfigurationSession.h"
#include "config/FactorySession.h"
#include "config/MakerSession.h"
#include "link/AppContext.h"
#include "link/Blocks.h"

using namespace flowdesk;

namespace {

// The exchanges of one upload, from log entry `from` on: each attempt that
// failed was tried again (up to the master's attempts) or was the last
// exchange, which ended the upload. Returns whether the last exchange passed
// and counts the writes acknowledged.
bool lastPassed(const fuzz::ScriptedUnit& far, std::size_t from, int& acknowledged) {
  acknowledged = 0;
  int attempts = 0;
  for (std::size_t i = from; i < far.log.size(); ++i) {
    const fuzz::SentReply& s = far.log[i];
    const bool retry = i > from && far.log[i - 1].request == s.request && !far.log[i - 1].passes;
    attempts = retry ? attempts + 1 : 1;
    FUZZ_CHECK(attempts <= JbusMaster::kAttempts);
    if (!s.passes) {
      // Nothing goes on after a failed exchange but its own next attempt.
      FUZZ_CHECK(i + 1 == far.log.size() ||
                 (far.log[i + 1].request == s.request && attempts < JbusMaster::kAttempts));
    } else if (s.function() == 16) {
      ++acknowledged;
    }
  }
  return far.log.size() > from && far.log.back().passes;
}

bool writeAcknowledged(const fuzz::ScriptedUnit& far, std::size_t from, int first) {
  for (std::size_t i = from; i < far.log.size(); ++i) {
    if (far.log[i].passes && far.log[i].function() == 16 && far.log[i].first() == first) {
      return true;
    }
  }
  return false;
}

void calibration(fuzz::InputStream& input, std::uint8_t setup, AppContext& app,
                 fuzz::ScriptedUnit& far) {
  const std::uint8_t choice = input.byte();
  const int number = (choice >> 5) * 3 + input.byte() % 3;
  ConfigurationSession session(app);
  session.localTime = [] { return LocalDateTime{2024, 3, 5, 14, 7, 9}; };
  OpenOutcome opened;
  if ((setup & 3) == 1) {
    IdentificationCache words;
    words.probes = builtinProbeCatalogue();
    words.FSp1 = 3, words.FSp2 = 4, words.T0Sp1 = 12, words.T0Sp2 = 250;
    const std::string path = fuzz::scratch().file("upload.eta");
    FUZZ_CHECK(writeCalibrationFile(path, defaultCalibrationFile(words)).ok());
    opened = session.openFile(path);
    FUZZ_CHECK(opened.ok);
    // Probes 0 and 1 are the special ones: the file's rides along.
    app.image.configuration.probe = (setup >> 4) & 3;
  } else {
    opened = session.openUnit();
    if (!opened.ok) return;
    session.selectRead(number % session.configurationCount());
  }
  session.requests.setClock = (choice & 1) != 0;
  for (std::size_t k = 0; k < 3; ++k) session.requests.resetTotalizer[k] = (choice >> (1 + k)) & 1;
  session.selectWrite((choice & 16) ? session.configurationCount()
                                    : number % session.configurationCount());
  const bool all = session.writesAll();
  const int writeNumber = session.writeNumber();
  const UploadRequests requests = session.requests;

  const std::size_t from = far.log.size();
  const UploadOutcome outcome = session.upload();
  FUZZ_CHECK(!uploadText(outcome, kFrench).empty() && !uploadText(outcome, kEnglish).empty());
  if (outcome.refused) {
    FUZZ_CHECK(!opened.unitAnswered && !outcome.ok && far.log.size() == from);
    return;
  }
  int acknowledged = 0;
  FUZZ_CHECK(lastPassed(far, from, acknowledged) == outcome.ok);
  for (int k : outcome.configurationsWritten) {
    FUZZ_CHECK(writeAcknowledged(far, from, configurationBlock(k).firstRegister));
  }
  // One encoding for every configuration written.
  const fuzz::SentReply* first = nullptr;
  for (std::size_t i = from; i < far.log.size(); ++i) {
    const fuzz::SentReply& s = far.log[i];
    if (s.function() != 16 || s.count() != kConfigurationRegisters) continue;
    if (first == nullptr) first = &s;
    FUZZ_CHECK(std::equal(s.request.begin() + 7, s.request.end() - 2, first->request.begin() + 7,
                          first->request.end() - 2));
  }
  if (!outcome.ok) return;
  const int configurations = all ? session.configurationCount() : 1;
  const bool specialProbe = session.fromFile() && app.image.configuration.probe <= 1;
  FUZZ_CHECK(static_cast<int>(outcome.configurationsWritten.size()) == configurations);
  FUZZ_CHECK(acknowledged ==
             configurations + requests.setClock + requests.anyReset() + specialProbe);
  FUZZ_CHECK(all || outcome.configurationsWritten.front() == writeNumber);
  FUZZ_CHECK(session.requests == UploadRequests{});
}

void settingsBlock(SettingsBlockSession& session, fuzz::ScriptedUnit& far) {
  if (!session.openUnit().ok) return;
  const std::size_t from = far.log.size();
  const SettingsUploadOutcome outcome = session.upload();
  FUZZ_CHECK(!settingsUploadText(outcome, session.title(), kFrench).empty());
  FUZZ_CHECK(!settingsUploadText(outcome, session.title(), kEnglish).empty());
  int acknowledged = 0;
  FUZZ_CHECK(lastPassed(far, from, acknowledged) == outcome.ok);
  FUZZ_CHECK(acknowledged == (outcome.ok ? 1 : 0));
  FUZZ_CHECK(outcome.written.size() == (outcome.ok ? 1u : 0u));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputStream input(data, size);
  const std::uint8_t setup = input.byte();
  unit::UnitSettings settings;
  settings.configs = (setup & 8) ? 18 : 2;

  ManualClock clock(1000);
  fuzz::ScriptedUnit far(clock, input, settings);
  DeviceImage image;
  AppContext app(clock, image);
  app.settings.Language = (setup >> 2) & 1;
  far.serve(app.master);

  switch (setup & 3) {
    case 0:
    case 1:
      calibration(input, setup, app, far);
      break;
    case 2: {
      FactorySession factory(app);
      settingsBlock(factory, far);
      break;
    }
    default: {
      MakerSession maker(app);
      settingsBlock(maker, far);
      break;
    }
  }
  return 0;
}
