// SPDX-License-Identifier: GPL-3.0-or-later
// The echo screen live through a far end that answers as the input says
// (see ScriptedUnit.h): the echo command, the picture read in five parts,
// another screen chosen, recordings and the close, on a manual clock.
//
// Input: byte 0 picks the language and 2 or 4 echo screens per chord; then,
// for each tick, one byte of presses (bit 0 SAVEDISK, bit 1 ARRETDISK,
// bit 2 another screen, whose index is the next byte, bit 3 the close box)
// followed by the bytes the far end takes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "ScriptedUnit.h"
#include "echo/EchoFile.h"
#include "echo/EchoSession.h"
#include "link/Blocks.h"
#include "support/ManualClock.h"

using namespace flowdesk;

namespace {

constexpr int kMaxTicks = 24;

// A whole picture is the last passing read of each of its parts, all of
// them made after the last echo command the unit acknowledged: no part of
// a picture of the screen shown before, nor of a failed read, gets in.
void checkPicture(const fuzz::ScriptedUnit& far, const EchoImage& image) {
  std::size_t command = far.log.size();
  for (std::size_t i = far.log.size(); i-- > 0;) {
    const fuzz::SentReply& s = far.log[i];
    if (s.passes && s.function() == 16 && s.first() == kEchoCommandBlock.firstRegister) {
      command = i;
      break;
    }
  }
  FUZZ_CHECK(command < far.log.size());
  std::size_t offset = 0;
  for (int part = 0; part < kEchoParts; ++part) {
    const RegisterBlock block = echoPartBlock(part);
    const fuzz::SentReply* read = nullptr;
    for (std::size_t i = far.log.size(); i-- > 0 && read == nullptr;) {
      const fuzz::SentReply& s = far.log[i];
      if (s.passes && s.function() == 3 && s.first() == block.firstRegister) read = &s;
    }
    FUZZ_CHECK(read != nullptr && read >= &far.log[command]);
    const auto bytes = static_cast<std::size_t>(block.byteCount());
    FUZZ_CHECK(read->data().size() == bytes);
    FUZZ_CHECK(std::memcmp(image.data() + offset, read->data().data(), bytes) == 0);
    offset += bytes;
  }
  FUZZ_CHECK(offset == image.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputStream input(data, size);
  const std::uint8_t setup = input.byte();
  unit::UnitSettings settings;
  settings.echoKinds = (setup & 2) ? 2 : 4;

  ManualClock clock(1000);
  fuzz::ScriptedUnit far(clock, input, settings);
  JbusMaster master(clock);
  far.serve(master);
  DeviceImage image;
  EchoSession session(master, image, languageOf(setup & 1));
  if (session.openLive() != 0) return 0;
  FUZZ_CHECK(session.screens().size() <= kMaxEchoScreens);

  const std::string path = fuzz::scratch().file("live.ech");
  std::remove(path.c_str());
  std::vector<EchoImage> recorded;

  for (int t = 0; t < kMaxTicks && !input.exhausted(); ++t) {
    const std::uint8_t presses = input.byte();
    if ((presses & 1) && session.canStartRecording()) {
      FUZZ_CHECK(session.startRecording(path));
      recorded.clear();
    }
    if (presses & 2) session.stopRecording();
    if (presses & 4) session.choose(input.byte() % (kMaxEchoScreens + 2) - 1);
    if (presses & 8) FUZZ_CHECK(!session.requestClose());
    const bool recording = session.recording() != Recording::kOff;

    clock.advance(EchoSession::kLiveTimerMs);
    const EchoImage before = session.image();
    const std::int64_t start = clock.nowMs();
    const EchoTick tick = session.tick();
    // The command and one part at most: a tick never hangs on the line.
    FUZZ_CHECK(clock.nowMs() - start <=
               fuzz::longestExchangeMs(16) + fuzz::longestExchangeMs(3) + 2);
    switch (tick) {
      case EchoTick::kStep:
      case EchoTick::kFailed:
        // Only a whole picture is shown.
        FUZZ_CHECK(session.image() == before);
        break;
      case EchoTick::kImage:
        checkPicture(far, session.image());
        if (recording) recorded.push_back(session.image());
        break;
      case EchoTick::kClosed:
        FUZZ_CHECK(!session.isOpen());
        FUZZ_CHECK(session.tick() == EchoTick::kNothing);
        break;
      default:
        // Recordings go to a scratch folder that takes them.
        FUZZ_CHECK(false);
    }
    if (tick == EchoTick::kClosed) break;
  }

  if (!recorded.empty()) {
    EchoFileReader reader;
    FUZZ_CHECK(reader.open(path).ok());
    FUZZ_CHECK(reader.info().recordCount == static_cast<long long>(recorded.size()));
    for (std::size_t i = 0; i < recorded.size(); ++i) {
      EchoImage stored{};
      FUZZ_CHECK(reader.readImage(static_cast<long long>(i), stored).ok());
      FUZZ_CHECK(stored == recorded[i]);
    }
  }
  return 0;
}
