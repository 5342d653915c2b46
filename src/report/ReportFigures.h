// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// Mean, scatter and extremes of a quantity sampled over a report's window,
// one sample at a time (Welford's running form: no sample is kept, and a
// long window loses no precision to a large sum).
class RunningFigure {
 public:
  void add(double value);
  long long count() const { return count_; }
  double mean() const { return mean_; }
  // The sample standard deviation (n - 1): the scatter of a chord's
  // velocity about its mean; 0 below two samples.
  double standardDeviation() const;
  double min() const { return min_; }
  double max() const { return max_; }

 private:
  long long count_ = 0;
  double mean_ = 0;
  double m2_ = 0;
  double min_ = 0;
  double max_ = 0;
};

// A velocity this close to zero has no meaningful relative scatter: its
// turbulence is shown as "-".
inline constexpr double kStillVelocity = 0.05;  // m/s

struct ChordFigures {
  int chord = 0;  // 1 to 6
  RunningFigure velocity;
  RunningFigure soundVelocity;
  RunningFigure gain;
  RunningFigure transitTime;
  RunningFigure deltaT;
  long long faultSamples = 0;  // samples with the chord's fault bit

  // 100 sigma / |mean| %, none for a still chord.
  std::optional<double> turbulencePercent() const;
};

// A status bit of the measurement block and how many samples showed it.
struct StatusBitSeen {
  int bit = 0;
  long long samples = 0;
};

// What the status bits mean, in words, in a language.
std::string statusBitMeaning(int bit, Language language);

// Everything a report computes from its samples; filled by addSample and
// addFailedPoll, read by the checks, the PDF and the JSON.
class ReportFigures {
 public:
  void addSample(const MeasurementRegion& m);
  void addFailedPoll() { ++failedPolls_; }

  long long samples() const { return samples_; }
  long long failedPolls() const { return failedPolls_; }
  // Failed polls among all polls, %; 0 before any poll.
  double failedPollPercent() const;

  // The chords that were in use in any sample, in order.
  const std::vector<ChordFigures>& chords() const { return chords_; }
  // A chord's mean velocity over the mean of the chords' mean velocities;
  // none when that mean is still.
  std::optional<double> velocityRatio(const ChordFigures& chord) const;
  // The chord's mean sound velocity against the mean of all chords', %.
  std::optional<double> soundVelocityDeviationPercent(const ChordFigures& chord) const;
  // (max - min) of the chords' mean sound velocities over their mean, %;
  // none below two chords.
  std::optional<double> soundVelocitySpreadPercent() const;

  const RunningFigure& flow() const { return flow_; }
  const RunningFigure& velocity() const { return velocity_; }
  const RunningFigure& soundVelocity() const { return soundVelocity_; }
  const RunningFigure& kh() const { return kh_; }

  // Calorimetry is averaged over the samples in which the unit showed it.
  bool calorimetryShown() const { return temperature1_.count() > 0; }
  const RunningFigure& temperature1() const { return temperature1_; }
  const RunningFigure& temperature2() const { return temperature2_; }
  const RunningFigure& temperatureDifference() const { return temperatureDifference_; }
  const RunningFigure& power() const { return power_; }

  // Every status bit seen at least once, lowest bit first.
  std::vector<StatusBitSeen> statusBitsSeen() const;
  long long flowFaultSamples() const { return bitSamples_[0]; }

 private:
  double meanOfChordMeans(RunningFigure ChordFigures::*figure) const;
  ChordFigures& chord(int number);

  long long samples_ = 0;
  long long failedPolls_ = 0;
  std::vector<ChordFigures> chords_;
  RunningFigure flow_, velocity_, soundVelocity_, kh_;
  RunningFigure temperature1_, temperature2_, temperatureDifference_, power_;
  std::array<long long, 16> bitSamples_{};
};

}  // namespace flowdesk
