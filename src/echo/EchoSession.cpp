// SPDX-License-Identifier: GPL-3.0-or-later
#include "echo/EchoSession.h"

#include <algorithm>
#include <cstring>

#include "base/Texts.h"
#include "link/AppContext.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"

namespace flowdesk {

namespace {

// The kind prefixes in kind order, the same in both languages.
constexpr const char* kKindPrefix[4] = {"P", "Z", "NC", "NC"};

// Where each part's bytes go in the picture: the parts follow each other.
constexpr std::size_t partOffset(int part) {
  return static_cast<std::size_t>(echoPartBlock(0).byteCount()) * static_cast<std::size_t>(part);
}
static_assert(partOffset(kEchoParts - 1) + 2 * echoPartBlock(kEchoParts - 1).count ==
              kEchoImageBytes);

constexpr BilingualText kTxtStopFailed{
    "L'unité n'a pas accusé l'arrêt de l'écran d'écho : elle peut encore l'afficher, et sa "
    "mesure reste alors arrêtée. Rouvrez l'écran d'écho et fermez-le quand l'unité répond, ou "
    "quittez l'écho depuis le clavier de l'unité.",
    "The unit did not acknowledge the stop of the echo screen: it may still be showing it, and "
    "its measurement then stays stopped. Open the echo screen again and close it once the unit "
    "answers, or leave the echo display from the unit's keypad."};

}  // namespace

std::string stopFailedText(Language language) {
  return kTxtStopFailed.text(language);
}

std::vector<EchoScreenEntry> echoScreenList(int chords, bool twoKinds) {
  const int kinds = twoKinds ? 2 : 4;
  std::vector<EchoScreenEntry> list;
  for (int i = 1; i <= chords; ++i) {
    for (int j = 0; j < kinds; ++j) {
      if (list.size() == kMaxEchoScreens) return list;
      list.push_back({kKindPrefix[j] + std::to_string(i), 4 * (i - 1) + j + 1});
    }
  }
  return list;
}

std::vector<EchoScreenEntry> echoScreenList(const MeasurementRegion& s1) {
  // The count is one byte; anything not a positive number is no chord.
  const float n = s1.chordsInUse;
  const int chords = n > 0 ? static_cast<int>(std::min(n, 255.0f)) : 0;
  return echoScreenList(chords, s1.echoKindSelector != 0);
}

EchoSession::EchoSession(JbusMaster& master, DeviceImage& image, Language language)
    : master_(master), deviceImage_(image), language_(language) {
  reset();
}

EchoSession::EchoSession(AppContext& app)
    : EchoSession(app.master, app.image, app.settings.language()) {}

void EchoSession::reset() {
  live_ = false;
  playback_ = false;
  busy_ = false;
  step_ = 0;
  restart_ = false;
  firstTick_ = false;
  closeRequested_ = false;
  stopFailed_ = false;
  recording_ = {};
  recordingHold_.release();
  screens_.clear();
  chosen_ = 0;
  position_ = {};
  timerMs_ = kTimerStopped;
  screen_ = {};
  screen_.title = kTxtVisuEcho.text(language_);
  image_.fill(0);
  incoming_.fill(0);
  fileResult_ = {};
}

int EchoSession::openLive() {
  reset();
  screen_.progressWindow = true;
  lastRead_ = master_.readRegisters(kS1Block.firstRegister, kS1Block.count);
  if (!lastRead_.ok()) {
    screen_.progressWindow = false;
    return -1;
  }
  decodeReply(s1Map(deviceImage_), lastRead_.data().data(),
              static_cast<std::size_t>(kS1Block.byteCount()));
  screens_ = echoScreenList(deviceImage_.measurement);
  live_ = true;
  firstTick_ = true;
  timerMs_ = kLiveTimerMs;
  return 0;
}

std::string EchoSession::openFailureText(Language language) const {
  return lastRead_.port ? linkResultText(lastRead_, language, ResultWording::kFull)
                        : std::string(kTxtCommunicationFailure.text(language));
}

FileResult EchoSession::openPlayback(const std::string& path) {
  reset();
  fileResult_ = reader_.open(path);
  if (!fileResult_.ok()) return fileResult_;
  playback_ = true;
  position_ = PlaybackPosition::start(reader_.info().recordCount);
  screen_.topLine = path;
  timerMs_ = kPlaybackTimerMs;
  return fileResult_;
}

int EchoSession::chosenCode() const {
  if (chosen_ < 0 || chosen_ >= static_cast<int>(screens_.size())) return 0;
  return screens_[static_cast<std::size_t>(chosen_)].code;
}

void EchoSession::choose(int index) {
  if (!live_) return;
  chosen_ = index;
  restart_ = true;
  firstTick_ = true;
}

bool EchoSession::requestClose() {
  if (!live_) return true;
  closeRequested_ = true;
  firstTick_ = true;
  return false;
}

EchoTick EchoSession::tick() {
  if (playback_) return playbackTick();
  if (!live_ || busy_) return EchoTick::kNothing;
  busy_ = true;
  const EchoTick outcome = liveTick();
  busy_ = false;
  return outcome;
}

bool EchoSession::writeEchoCommand(int code) {
  deviceImage_.echo.screenCode = code;
  lastRead_ = writeBlock(master_, kEchoCommandBlock, echoCommandMap(deviceImage_));
  return lastRead_.ok();
}

bool EchoSession::readPart(int part) {
  const RegisterBlock block = echoPartBlock(part);
  lastRead_ = master_.readRegisters(block.firstRegister, block.count);
  if (!lastRead_.ok()) return false;
  std::memcpy(incoming_.data() + partOffset(part), lastRead_.data().data(),
              static_cast<std::size_t>(block.byteCount()));
  return true;
}

EchoTick EchoSession::failed() {
  // A unit that restarted has left its echo screen: the next exchange that
  // gets through sends the chosen screen again, and the half-read picture
  // is dropped so no picture of the plain display is shown or recorded.
  restart_ = true;
  screen_.title = std::string(kTxtEchoDisplayTitle.text(language_)) + " " +
                  linkResultText(lastRead_, language_, ResultWording::kCommunication);
  return EchoTick::kFailed;
}

EchoTick EchoSession::liveTick() {
  if (firstTick_) {
    firstTick_ = false;
    hideButtons();
    screen_.progressWindow = true;
  }
  screen_.topLine = recording_.on() ? recording_.path() : std::string();
  if (closeRequested_) {
    timerMs_ = kTimerStopped;
    // The dialog ends whatever the unit says, but a stop that did not get
    // through is said: the unit's measurement would stay stopped unnoticed.
    stopFailed_ = true;
    for (int attempt = 0; attempt < kStopAttempts && stopFailed_; ++attempt) {
      stopFailed_ = !writeEchoCommand(0);
    }
    screen_.progressWindow = false;
    live_ = false;
    return EchoTick::kClosed;
  }
  if (restart_) {
    restart_ = false;
    step_ = 0;
  }
  if (step_ == 0) {
    screen_.progress = 0;
    if (!writeEchoCommand(chosenCode())) return failed();
    // The unit starts drawing the new screen when the command arrives; the
    // first picture read after it may still be the old screen.
    readPart(0);
    step_ = 1;
    return EchoTick::kStep;
  }
  if (step_ == 1) screen_.progress = 0;
  if (!readPart(step_ - 1)) return failed();
  ++screen_.progress;
  if (step_ < kParts) {
    ++step_;
    return EchoTick::kStep;
  }
  step_ = 1;  // the unit keeps drawing the same screen: no new command
  return wholeImage();
}

EchoTick EchoSession::wholeImage() {
  screen_.progressWindow = false;
  image_ = incoming_;
  screen_.title = kTxtEchoDisplayTitle.text(language_);
  const FileResult written = recording_.write(
      [this](const std::string& path) { return startEchoFile(path, image_); },
      [this](const std::string& path) { return appendEchoImage(path, image_); }, screen_);
  if (!written.ok()) {
    // The recording has ended as ARRETDISK would end it; the pictures
    // written so far stay.
    fileResult_ = written;
    recordingHold_.release();
    updateButtons();
    return EchoTick::kRecordFailed;
  }
  screen_.secondLine = recording_.on() ? recording_.recordText(language_) : "";
  updateButtons();
  return EchoTick::kImage;
}

void EchoSession::updateButtons() {
  show(EchoButton::kPrint, true);
  if (playback_) {
    position_.showButtons(screen_);
    return;
  }
  show(EchoButton::kSaveDisk, !recording_.on());
  show(EchoButton::kArretDisk, recording_.on());
}

bool EchoSession::startRecording(const std::string& path) {
  if (!canStartRecording() || !recording_.start(path, screen_)) return false;
  recordingHold_ = master_.holdPort();
  return true;
}

bool EchoSession::stopRecording() {
  recordingHold_.release();
  return recording_.stop(screen_);
}

EchoTick EchoSession::playbackTick() {
  // One picture per tick: the navigation buttons start the next.
  timerMs_ = kTimerStopped;
  const auto [current, last] = position_;
  if (last >= 0) {
    fileResult_ = reader_.readImage(current, image_);
    if (!fileResult_.ok()) return EchoTick::kRecordFailed;
  }
  screen_.secondLine =
      textWithNumbers(kTxtRecordCounts.text(language_), {last + 1, last >= 0 ? current + 1 : 0});
  updateButtons();
  return EchoTick::kRecordShown;
}

bool EchoSession::navigate(EchoButton button) {
  if (!playback_ || !position_.navigate(button, screen_)) return false;
  timerMs_ = kNavigationTimerMs;
  return true;
}

std::vector<EchoCell> echoCells(const EchoImage& image, int width, int height) {
  const int w = width / 128;
  const int b = height / 8;
  std::vector<EchoCell> cells;
  if (w <= 0 || b <= 0) return cells;
  for (int r = 0; r < 8; ++r) {
    const int y = (r + 1) * b;
    for (int n = 0; n < 128; ++n) {
      const std::uint8_t column = image[static_cast<std::size_t>(r * 128 + n)];
      for (int k = 7; k >= 0; --k) {
        if (((column >> k) & 1) == 0) continue;
        const int h = (7 - k) * b;
        const int top = y - (h + b) / 8;
        const int bottom = y - h / 8;
        if (bottom > top) cells.push_back({n * w, top, w, bottom - top});
      }
    }
  }
  return cells;
}

}  // namespace flowdesk
