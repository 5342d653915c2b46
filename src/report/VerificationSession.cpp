// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/VerificationSession.h"

#include <algorithm>
#include <cmath>

#include "link/AppContext.h"

namespace flowdesk {

VerificationSession::VerificationSession(AppContext& app, RegionalSettings regional)
    : app_(app), measurement_(app, std::move(regional)), echo_(app) {}

void VerificationSession::start(const VerificationRequest& request) {
  request_ = request;
  figures_ = ReportFigures{};
  lastSample_.reset();
  echoes_.clear();
  echoIndex_ = 0;
  echoFailures_ = 0;
  echoStopFailed_ = false;
  cancelled_ = false;
  measurement_.openLive();
  startMs_ = app_.master.clock().nowMs();
  phase_ = Phase::kSampling;
}

int VerificationSession::timerMs() const {
  switch (phase_) {
    case Phase::kSampling:
      return MeasurementSession::kTimerMs;
    case Phase::kEchoOpen:
    case Phase::kEcho:
    case Phase::kEchoClose:
      return EchoSession::kLiveTimerMs;
    default:
      return kTimerStopped;
  }
}

double VerificationSession::secondsLeft() const {
  if (phase_ != Phase::kSampling) return 0;
  const double elapsed = static_cast<double>(app_.master.clock().nowMs() - startMs_) / 1000.0;
  return std::max(0.0, request_.seconds - elapsed);
}

const LinkResult& VerificationSession::lastRead() const {
  return phase_ == Phase::kSampling ? measurement_.lastRead() : echo_.lastRead();
}

void VerificationSession::cancel() {
  if (!running()) return;
  cancelled_ = true;
  if (phase_ == Phase::kEcho) {
    echo_.requestClose();
    phase_ = Phase::kEchoClose;
  } else if (phase_ != Phase::kEchoClose) {
    measurement_.close();
    phase_ = Phase::kFinished;
  }
}

VerificationTick VerificationSession::tick() {
  switch (phase_) {
    case Phase::kSampling:
      return sample();
    case Phase::kEchoOpen:
    case Phase::kEcho:
    case Phase::kEchoClose:
      return echoTick();
    default:
      return VerificationTick::kNothing;
  }
}

VerificationTick VerificationSession::sample() {
  if (secondsLeft() <= 0) {
    measurement_.close();
    if (!request_.echo || figures_.chords().empty()) return finish();
    phase_ = Phase::kEchoOpen;
    return VerificationTick::kEchoStep;
  }
  const int polled = measurement_.poll();
  if (polled == 0) {
    figures_.addSample(app_.image.measurement);
    lastSample_ = app_.image.measurement;
    return VerificationTick::kSampled;
  }
  figures_.addFailedPoll();
  return VerificationTick::kPollFailed;
}

bool VerificationSession::chooseNextChord() {
  const std::vector<EchoScreenEntry>& screens = echo_.screens();
  while (echoIndex_ < echoes_.size()) {
    const int code = echoes_[echoIndex_].code;
    const auto it = std::find_if(screens.begin(), screens.end(),
                                 [code](const EchoScreenEntry& e) { return e.code == code; });
    if (it != screens.end()) {
      echo_.choose(static_cast<int>(it - screens.begin()));
      echoFailures_ = 0;
      return true;
    }
    ++echoIndex_;  // the unit lists no such screen: no picture for that chord
  }
  return false;
}

VerificationTick VerificationSession::echoTick() {
  if (phase_ == Phase::kEchoOpen) {
    for (const ChordFigures& c : figures_.chords())
      echoes_.push_back({c.chord, 4 * (c.chord - 1) + 1, {}});
    if (echo_.openLive() != 0) return finish();  // no picture at all; the report says so
    phase_ = Phase::kEcho;
    if (!chooseNextChord()) {
      echo_.requestClose();
      phase_ = Phase::kEchoClose;
    }
    return VerificationTick::kEchoStep;
  }
  const EchoTick t = echo_.tick();
  if (t == EchoTick::kClosed) {
    echoStopFailed_ = echo_.stopFailed();
    return finish();
  }
  if (phase_ == Phase::kEchoClose) return VerificationTick::kEchoStep;
  if (t == EchoTick::kImage) {
    echoes_[echoIndex_].image = echo_.image();
    ++echoIndex_;
  } else if (t == EchoTick::kFailed && ++echoFailures_ >= kEchoTries) {
    ++echoIndex_;
  } else {
    return VerificationTick::kEchoStep;
  }
  if (!chooseNextChord()) {
    echo_.requestClose();
    phase_ = Phase::kEchoClose;
  }
  return t == EchoTick::kImage ? VerificationTick::kEchoPicture : VerificationTick::kEchoStep;
}

VerificationTick VerificationSession::finish() {
  phase_ = Phase::kFinished;
  return VerificationTick::kFinished;
}

}  // namespace flowdesk
