// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportFigures.h"

#include <algorithm>
#include <cmath>

#include "base/Texts.h"
#include "measure/MeasurementDisplay.h"

namespace flowdesk {

void RunningFigure::add(double value) {
  if (!std::isfinite(value)) return;  // a value that is not a number is no sample
  ++count_;
  if (count_ == 1) {
    min_ = max_ = value;
  } else {
    min_ = std::min(min_, value);
    max_ = std::max(max_, value);
  }
  const double delta = value - mean_;
  mean_ += delta / static_cast<double>(count_);
  m2_ += delta * (value - mean_);
}

double RunningFigure::standardDeviation() const {
  if (count_ < 2) return 0;
  return std::sqrt(m2_ / static_cast<double>(count_ - 1));
}

std::optional<double> ChordFigures::turbulencePercent() const {
  if (velocity.count() == 0 || std::fabs(velocity.mean()) < kStillVelocity) return std::nullopt;
  return 100.0 * velocity.standardDeviation() / std::fabs(velocity.mean());
}

std::string statusBitMeaning(int bit, Language language) {
  switch (bit) {
    case 0:
      return kTxtFlowFault.text(language);
    case 2:
      return kTxtLowBatteryRamcard.text(language);
    case 3:
      return kTxtRelayCountFault.text(language);
    case 6:
      return kTxtCalorieFault.text(language);
    case 7:
      return kTxtCalorimetryNotShown.text(language);
    default:
      if (bit >= 8 && bit < 8 + MeasurementRegion::kChords)
        return std::string(kTxtFaultV.text(language)) + ' ' + std::to_string(bit - 7);
      return "?";
  }
}

ChordFigures& ReportFigures::chord(int number) {
  while (static_cast<int>(chords_.size()) < number) {
    ChordFigures added;
    added.chord = static_cast<int>(chords_.size()) + 1;
    chords_.push_back(added);
  }
  return chords_[static_cast<std::size_t>(number - 1)];
}

void ReportFigures::addSample(const MeasurementRegion& m) {
  ++samples_;
  const int inUse = chordsInUse(m);
  for (int k = 0; k < inUse; ++k) {
    const auto i = static_cast<std::size_t>(k);
    const ChordMeasurement& c = m.chords[i];
    ChordFigures& f = chord(k + 1);
    f.velocity.add(c.velocity);
    f.soundVelocity.add(c.soundVelocity);
    f.gain.add(c.gain);
    f.transitTime.add(c.transitTime);
    f.deltaT.add(c.deltaT);
    if (m.chordFault[i]) ++f.faultSamples;
  }
  flow_.add(m.flow);
  velocity_.add(m.velocity);
  soundVelocity_.add(m.soundVelocity);
  kh_.add(m.khFactor);
  if (m.calorimetryHidden == 0) {
    temperature1_.add(m.temperature1);
    temperature2_.add(m.temperature2);
    temperatureDifference_.add(m.temperatureDifference);
    power_.add(m.thermalPower);
  }
  const auto seen = [&](int bit, bool on) {
    if (on) ++bitSamples_[static_cast<std::size_t>(bit)];
  };
  seen(0, m.flowFault != 0);
  seen(2, m.ramcardBatteryLow != 0);
  seen(3, m.relayCountingFault != 0);
  seen(6, m.calorimetryFault != 0);
  seen(7, m.calorimetryHidden != 0);
  for (int k = 0; k < MeasurementRegion::kChords; ++k)
    seen(8 + k, m.chordFault[static_cast<std::size_t>(k)] != 0);
}

double ReportFigures::failedPollPercent() const {
  const long long polls = samples_ + failedPolls_;
  return polls == 0 ? 0.0 : 100.0 * static_cast<double>(failedPolls_) / static_cast<double>(polls);
}

double ReportFigures::meanOfChordMeans(RunningFigure ChordFigures::*figure) const {
  double sum = 0;
  int n = 0;
  for (const ChordFigures& c : chords_) {
    if ((c.*figure).count() == 0) continue;
    sum += (c.*figure).mean();
    ++n;
  }
  return n == 0 ? 0.0 : sum / n;
}

std::optional<double> ReportFigures::velocityRatio(const ChordFigures& chord) const {
  const double mean = meanOfChordMeans(&ChordFigures::velocity);
  if (chord.velocity.count() == 0 || std::fabs(mean) < kStillVelocity) return std::nullopt;
  return chord.velocity.mean() / mean;
}

std::optional<double> ReportFigures::soundVelocityDeviationPercent(
    const ChordFigures& chord) const {
  const double mean = meanOfChordMeans(&ChordFigures::soundVelocity);
  if (chord.soundVelocity.count() == 0 || mean <= 0) return std::nullopt;
  return 100.0 * (chord.soundVelocity.mean() - mean) / mean;
}

std::optional<double> ReportFigures::soundVelocitySpreadPercent() const {
  std::vector<double> means;
  for (const ChordFigures& c : chords_)
    if (c.soundVelocity.count() > 0) means.push_back(c.soundVelocity.mean());
  if (means.size() < 2) return std::nullopt;
  const auto [lo, hi] = std::minmax_element(means.begin(), means.end());
  const double mean = meanOfChordMeans(&ChordFigures::soundVelocity);
  if (mean <= 0) return std::nullopt;
  return 100.0 * (*hi - *lo) / mean;
}

std::vector<StatusBitSeen> ReportFigures::statusBitsSeen() const {
  std::vector<StatusBitSeen> seen;
  for (std::size_t bit = 0; bit < bitSamples_.size(); ++bit)
    if (bitSamples_[bit] > 0) seen.push_back({static_cast<int>(bit), bitSamples_[bit]});
  return seen;
}

}  // namespace flowdesk
