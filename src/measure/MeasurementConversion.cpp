// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/MeasurementConversion.h"

#include <charconv>
#include <cstdio>

#include "base/Numeric.h"
#include "base/Texts.h"
#include "measure/MeasurementDisplay.h"

namespace flowdesk {

namespace {

constexpr const BilingualText* kChordTitles[] = {&kTxtColumnT, &kTxtColumnDt, &kTxtColumnG,
                                                 &kTxtColumnV, &kTxtColumnC};

// "%.*f" as the C library prints it, without its formatter: a long file
// spends most of its conversion here. A float of the unit has at most 39
// digits before the point.
std::string fixed(double value, int decimals) {
  char buffer[400];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

// "%.*f" with the decimals the value's size calls for.
std::string adaptive(double value) {
  int decimals = 0;
  const double shown = adaptivePrecision(value, decimals);
  return fixed(shown, decimals);
}

}  // namespace

std::string measurementTitleLine(int chords, Language language) {
  PrnLine line;
  line.field(kTxtNumberSign.text(language))
      .field(kTxtDate.text(language))
      .field(kTxtTime.text(language))
      .field(kTxtFlow.text(language))
      .field(kTxtSpeed.text(language))
      .field(kTxtVelocity.text(language));
  for (int k = 1; k <= chords; ++k) {
    for (const BilingualText* title : kChordTitles) {
      char number[16];
      std::snprintf(number, sizeof number, " %1d", k);
      line.field(std::string(title->text(language)) + number);
    }
  }
  return line.title();
}

std::string measurementRecordLine(long long index, const MeasurementRegion& m,
                                  const RegionalSettings& regional) {
  const UnitDateTime& t = m.unitClock;
  PrnLine line;
  line.field(std::to_string(index + 1))
      .field(formatDate(t.day, t.month, t.year + 2000, regional))
      .field(formatTime(t.hour, t.minute, t.second, regional))
      .field(adaptive(m.flow))
      .field(adaptive(m.velocity))
      .field(adaptive(m.soundVelocity));
  const int chords = chordsInUse(m);
  for (int k = 0; k < chords; ++k) {
    const ChordMeasurement& c = m.chords[static_cast<std::size_t>(k)];
    line.field(fixed(c.transitTime, 1))
        .field(fixed(c.deltaT, 1))
        .field(fixed(c.gain, 0))
        .field(adaptive(c.velocity))
        .field(fixed(c.soundVelocity, 1));
  }
  return line.record(regional);
}

MeasurementConversionSource::MeasurementConversionSource(RegionalSettings regional)
    : regional_(std::move(regional)) {}

FileResult MeasurementConversionSource::open(const std::string& path) {
  return reader_.open(path);
}

FileResult MeasurementConversionSource::titleLine(Language language, std::string& line) {
  // The columns are those of the chords in use in the first record; a file
  // without records has none.
  int chords = 0;
  if (recordTotal() > 0) {
    FileResult r = reader_.readRecord(0, record_);
    if (!r.ok()) return r;
    DeviceImage first;
    decodeMeasurementRecord(record_, first);
    chords = chordsInUse(first.measurement);
  }
  line = measurementTitleLine(chords, language);
  return {};
}

FileResult MeasurementConversionSource::convert(long long index, ConvertedRecord& out) {
  FileResult r = reader_.readRecord(index, record_);
  if (!r.ok()) return r;
  decodeMeasurementRecord(record_, maps_);
  out.line = measurementRecordLine(index, image_.measurement, regional_);
  out.dateTime = unitDateTimeText(image_.measurement.unitClock, regional_);
  return {};
}

}  // namespace flowdesk
