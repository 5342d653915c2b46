// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement screen polled live through a far end that answers as the
// input says (see ScriptedUnit.h), with recordings started and stopped by
// the input, on a manual clock.
//
// Input: byte 0 picks the language, the regional conventions and whether the
// unit has a logger; then, for each tick, one byte of presses (bit 0
// SAVEDISK, bit 1 ARRETDISK) followed by the bytes the far end takes for the
// requests of that tick.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "FuzzSupport.h"
#include "ScriptedUnit.h"
#include "base/BuiltinProbeCatalogue.h"
#include "link/Blocks.h"
#include "measure/MeasurementDisplay.h"
#include "measure/MeasurementFile.h"
#include "measure/MeasurementSession.h"
#include "support/ManualClock.h"

using namespace flowdesk;

namespace {

constexpr int kMaxTicks = 16;

constexpr RegisterBlock kBlockOfFrame[kFrameCount] = {kS2Block, kS1Block, kM1Block, kM2Block};

RegionalSettings regionalOf(bool french) {
  if (!french) return {};
  return {RegionalSettings::kMonthFirst, ".", ":", false, "AM", "PM", ","};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputStream input(data, size);
  const std::uint8_t setup = input.byte();
  const Language language = languageOf(setup & 1);
  const RegionalSettings regional = regionalOf((setup & 2) != 0);
  unit::UnitSettings settings;
  settings.configs = (setup & 4) ? 18 : 2;

  ManualClock clock(1000);
  fuzz::ScriptedUnit far(clock, input, settings);
  JbusMaster master(clock);
  far.serve(master);
  DeviceImage image;
  IdentificationCache identification;
  identification.probes = builtinProbeCatalogue();
  MeasurementSession session(master, image, identification, language, regional);

  const std::string path = fuzz::scratch().file("live.mes");
  std::remove(path.c_str());
  std::vector<MeasurementRecord> recorded;

  session.openLive();
  for (int t = 0; t < kMaxTicks && !input.exhausted(); ++t) {
    const std::uint8_t presses = input.byte();
    if ((presses & 1) && session.canStartRecording()) {
      // A new recording makes its file anew.
      FUZZ_CHECK(session.startRecording(path));
      recorded.clear();
    }
    if (presses & 2) session.stopRecording();
    const bool recording = session.recording() != Recording::kOff;

    clock.advance(session.timerMs());
    const MeasurementDisplay before = session.display();
    const bool hadDisplay = session.hasDisplay();
    int chordsShown = session.chordsShown();
    const std::int64_t start = clock.nowMs();
    const MeasurementTick tick = session.tick();
    // Four blocks at most, each one exchange: a tick never hangs on the line.
    FUZZ_CHECK(clock.nowMs() - start <= 4 * fuzz::longestExchangeMs(3));
    FUZZ_CHECK(tick == MeasurementTick::kPollFailed || tick == MeasurementTick::kRefreshed);

    // Whatever a poll kept came whole from a reply that passed the checks.
    const MeasurementRecord& frames = session.frames();
    for (std::size_t f = 0; f < kFrameCount; ++f) {
      if (frames.frames[f].empty()) continue;
      const RegisterBlock& block = kBlockOfFrame[f];
      FUZZ_CHECK(far.sentPassing(frames.frames[f], 3, block.firstRegister, block.count));
    }

    if (tick == MeasurementTick::kPollFailed) {
      // A failed poll shows nothing new: the screen keeps its values.
      FUZZ_CHECK(session.display() == before);
      FUZZ_CHECK(session.hasDisplay() == hadDisplay);
      FUZZ_CHECK(!session.screen().secondLine.empty());
      continue;
    }
    // What the live screen shows is what playback of the same four frames
    // shows.
    for (const Bytes& frame : frames.frames) FUZZ_CHECK(!frame.empty());
    DeviceImage played;
    decodeMeasurementRecord(frames, played);
    const MeasurementDisplay expected = refreshMeasurementDisplay(
        played.measurement, identification.probes, language, regional, chordsShown);
    FUZZ_CHECK(session.display() == expected);
    FUZZ_CHECK(session.chordsShown() == chordsShown);
    if (recording) recorded.push_back(frames);
  }

  // The recording holds one record per good poll it was on for, each the
  // frames of that poll.
  if (!recorded.empty()) {
    MeasurementFileReader reader;
    FUZZ_CHECK(reader.open(path).ok());
    FUZZ_CHECK(reader.info().recordCount == static_cast<long long>(recorded.size()));
    for (std::size_t i = 0; i < recorded.size(); ++i) {
      MeasurementRecord stored;
      FUZZ_CHECK(reader.readRecord(static_cast<long long>(i), stored).ok());
      FUZZ_CHECK(stored.frames == recorded[i].frames);
    }
  }
  return 0;
}
