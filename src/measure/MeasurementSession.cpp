// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/MeasurementSession.h"

#include <algorithm>

#include "base/Texts.h"
#include "files/CatalogueBytes.h"
#include "link/AppContext.h"
#include "link/Blocks.h"
#include "link/PortFailure.h"

namespace flowdesk {

std::string recordCountsText(long long total, long long number, Language language) {
  return textWithNumbers(kTxtRecordCounts.text(language), {total, number});
}

MeasurementSession::MeasurementSession(JbusMaster& master, DeviceImage& image,
                                       IdentificationCache& identification, Language language,
                                       RegionalSettings regional)
    : master_(master),
      image_(image),
      identification_(identification),
      language_(language),
      regional_(std::move(regional)) {
  reset();
}

MeasurementSession::MeasurementSession(AppContext& app, RegionalSettings regional)
    : MeasurementSession(app.master, app.image, app.settings, app.settings.language(),
                         std::move(regional)) {}

void MeasurementSession::reset() {
  live_ = false;
  playback_ = false;
  busy_ = false;
  rereadStatic_ = 0;
  chordsShown_ = kChordsShownAtOpen;
  recording_ = {};
  recordingHold_.release();
  frames_ = {};
  playbackPath_.clear();
  position_ = {};
  timerMs_ = kTimerStopped;
  screen_ = {};
  screen_.title = kTxtMeasurement.text(language_);
  display_ = {};
  hasDisplay_ = false;
  fileResult_ = {};
}

void MeasurementSession::openLive() {
  reset();
  live_ = true;
  rereadStatic_ = 1;
  screen_.topLine = kTxtTryingToConnect.text(language_);
  timerMs_ = kTimerMs;
}

FileResult MeasurementSession::openPlayback(const std::string& path) {
  reset();
  fileResult_ = reader_.open(path);
  if (!fileResult_.ok()) return fileResult_;
  playback_ = true;
  playbackPath_ = path;
  show(MeasurementButton::kPrint, true);
  show(MeasurementButton::kTableur, true);
  // The file was recorded with its own catalogue; its probe names and
  // special probes stay in use after the screen closes.
  applyFileIdentification(reader_.info().identification, identification_);
  position_ = PlaybackPosition::start(reader_.info().recordCount);
  screen_.topLine = path;
  timerMs_ = kTimerMs;
  return fileResult_;
}

void MeasurementSession::close() {
  // A recording ends with the screen; the file stays as written.
  reset();
}

MeasurementTick MeasurementSession::tick() {
  if (playback_) return playbackTick();
  if (!live_ || busy_) return MeasurementTick::kNothing;
  busy_ = true;
  const MeasurementTick outcome = liveTick();
  busy_ = false;
  return outcome;
}

int MeasurementSession::readBlock(const RegisterBlock& block, MeasurementFrame frame) {
  lastRead_ = master_.readRegisters(block.firstRegister, block.count);
  if (!lastRead_.ok()) return -1;
  frames_.frames[frame].assign(lastRead_.frame.begin(), lastRead_.frame.end());
  decodeReply(maps_.maps[frame], lastRead_.data().data(),
              static_cast<std::size_t>(block.byteCount()));
  return 0;
}

int MeasurementSession::poll() {
  if (rereadStatic_ != 0) {
    if (readBlock(kS1Block, kFrameS1) != 0) return -1;
    if (cutShort()) return kPollCutShort;
    if (readBlock(kS2Block, kFrameS2) != 0) return -1;
    if (cutShort()) return kPollCutShort;
  }
  if (readBlock(kM1Block, kFrameM1) != 0) return -1;
  if (cutShort()) return kPollCutShort;
  if (readBlock(kM2Block, kFrameM2) != 0) return -1;
  // M2 is decoded last: its flag is the one that decides the next poll.
  rereadStatic_ = static_cast<std::uint16_t>(image_.measurement.rereadFlag);
  return 0;
}

void MeasurementSession::refresh() {
  display_ = refreshMeasurementDisplay(image_.measurement, identification_.probes, language_,
                                       regional_, chordsShown_);
  hasDisplay_ = true;
}

MeasurementTick MeasurementSession::liveTick() {
  const int polled = poll();
  if (polled == kPollCutShort) return MeasurementTick::kNothing;
  if (polled != 0) {
    screen_.secondLine = linkResultText(lastRead_, language_, ResultWording::kCommunication);
    return MeasurementTick::kPollFailed;
  }
  if (!recording_.on()) {
    screen_.topLine.clear();
    show(MeasurementButton::kPrint, true);
    show(MeasurementButton::kSaveDisk, true);
  } else {
    screen_.topLine = recording_.path();
    show(MeasurementButton::kSaveDisk, false);
  }
  screen_.secondLine.clear();
  refresh();
  if (!recording_.on()) return MeasurementTick::kRefreshed;
  fileResult_ = recording_.write(
      [this](const std::string& path) {
        return startMeasurementFile(path, identification_, frames_);
      },
      [this](const std::string& path) { return appendMeasurementRecord(path, frames_); }, screen_);
  if (!fileResult_.ok()) {
    recordingHold_.release();
    return MeasurementTick::kRecordFailed;
  }
  screen_.secondLine = recording_.recordText(language_);
  return MeasurementTick::kRefreshed;
}

bool MeasurementSession::startRecording(const std::string& path) {
  if (!canStartRecording() || !recording_.start(path, screen_)) return false;
  recordingHold_ = master_.holdPort();
  return true;
}

bool MeasurementSession::stopRecording() {
  recordingHold_.release();
  return recording_.stop(screen_);
}

MeasurementTick MeasurementSession::playbackTick() {
  // Playback ticks are one-shot: the navigation buttons start the next.
  timerMs_ = kTimerStopped;
  const auto [current, last] = position_;
  if (last < 0) {
    screen_.secondLine = recordCountsText(0, 0, language_);
  } else {
    MeasurementRecord record;
    fileResult_ = reader_.readRecord(current, record);
    if (!fileResult_.ok()) return MeasurementTick::kRecordFailed;
    frames_ = record;
    decodeMeasurementRecord(frames_, maps_);
    screen_.secondLine = recordCountsText(last + 1, current + 1, language_);
    refresh();
  }
  position_.showButtons(screen_);
  return MeasurementTick::kRecordShown;
}

bool MeasurementSession::navigate(MeasurementButton button) {
  if (!playback_ || !position_.navigate(button, screen_)) return false;
  timerMs_ = kNavigationTimerMs;
  return true;
}

}  // namespace flowdesk
