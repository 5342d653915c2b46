// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "base/RegionalFormat.h"
#include "echo/EchoFile.h"
#include "echo/EchoSession.h"
#include "link/LinkResult.h"
#include "measure/MeasurementSession.h"
#include "report/ReportFigures.h"

namespace flowdesk {

class AppContext;

struct VerificationRequest {
  double seconds = 60;  // the sampling window
  bool echo = true;     // the echo picture of each chord after it
};

// A chord's echo picture: its "P" screen, or none when it could not be read.
struct ChordEcho {
  int chord = 0;
  int code = 0;  // the echo command: 4 (chord - 1) + 1
  std::optional<EchoImage> image;
};

enum class VerificationTick {
  kNothing,      // not running
  kSampled,      // a poll was answered and sampled
  kPollFailed,   // a poll failed: counted, not sampled
  kEchoStep,     // a step of an echo picture
  kEchoPicture,  // a chord's picture is whole
  kFinished,     // sampling and pictures are over (or cancelled): the report can be made
};

// The sampling of a verification report: polls the unit as the measurement
// screen does (same blocks, same pace, same checks) for the window asked
// for, then reads each chord's echo picture as the echo screen does and
// stops the unit's echo screen, whatever happened. The caller ticks it at
// timerMs() (the CLI in a loop, the window on a timer) and makes the report
// from figures() and echoes() once it has finished.
class VerificationSession {
 public:
  // An echo step that keeps failing gives up that chord's picture after
  // this many tries; the report says the picture is missing.
  static constexpr int kEchoTries = 3;

  VerificationSession(AppContext& app, RegionalSettings regional);

  void start(const VerificationRequest& request);
  VerificationTick tick();
  // Ends the sampling now; during the pictures, the unit's echo screen is
  // stopped at the next tick before the session finishes.
  void cancel();

  bool running() const { return phase_ != Phase::kIdle && phase_ != Phase::kFinished; }
  bool finished() const { return phase_ == Phase::kFinished; }
  bool cancelled() const { return cancelled_; }
  bool sampling() const { return phase_ == Phase::kSampling; }
  // The pace of the current phase: the measurement screen's poll period,
  // then the echo screen's.
  int timerMs() const;
  double secondsLeft() const;
  std::int64_t startedMs() const { return startMs_; }

  const ReportFigures& figures() const { return figures_; }
  const std::vector<ChordEcho>& echoes() const { return echoes_; }
  // The last answered measurement, as decoded: the versions, the unit's
  // clock and its logger state for the report's header.
  const std::optional<MeasurementRegion>& lastSample() const { return lastSample_; }
  // The unit may still show an echo screen: its stop was not acknowledged.
  bool echoStopFailed() const { return echoStopFailed_; }
  const LinkResult& lastRead() const;

 private:
  enum class Phase { kIdle, kSampling, kEchoOpen, kEcho, kEchoClose, kFinished };
  VerificationTick sample();
  VerificationTick echoTick();
  VerificationTick finish();
  bool chooseNextChord();

  AppContext& app_;
  MeasurementSession measurement_;
  EchoSession echo_;
  VerificationRequest request_;
  Phase phase_ = Phase::kIdle;
  bool cancelled_ = false;
  std::int64_t startMs_ = 0;
  ReportFigures figures_;
  std::optional<MeasurementRegion> lastSample_;
  std::vector<ChordEcho> echoes_;
  std::size_t echoIndex_ = 0;
  int echoFailures_ = 0;
  bool echoStopFailed_ = false;
};

}  // namespace flowdesk
