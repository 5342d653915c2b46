// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "base/RegionalFormat.h"
#include "files/SpreadsheetConversion.h"
#include "link/DeviceImage.h"
#include "measure/MeasurementFile.h"

namespace flowdesk {

// The spreadsheet text of a measurement file: a title line with the columns
// of the chords the first record uses, then one line per record with the
// unit's date and time, flow, velocity, sound velocity and each chord's
// values. Values are written as the unit sent them, without the screen's
// clamping.

// "N°", "Date", "Heure", "Débit", "Vitesse", "Célérité", then the five chord
// titles followed by " %1d" for each chord, every title followed by a tab.
std::string measurementTitleLine(int chords, Language language);

// The line of record `index` (from 0) of the measurement in `m`, with the
// regional date, time and decimal separator.
std::string measurementRecordLine(long long index, const MeasurementRegion& m,
                                  const RegionalSettings& regional);

// A measurement file read record by record for the conversion; each record
// is decoded into an image of its own, so converting from the playback
// screen leaves the record on show alone.
class MeasurementConversionSource final : public ConversionSource {
 public:
  explicit MeasurementConversionSource(RegionalSettings regional);

  FileResult open(const std::string& path) override;
  long long recordTotal() const override { return reader_.info().recordCount; }
  FileResult titleLine(Language language, std::string& line) override;
  FileResult convert(long long index, ConvertedRecord& out) override;

 private:
  RegionalSettings regional_;
  MeasurementFileReader reader_;
  MeasurementRecord record_;
  DeviceImage image_;
  MeasurementMaps maps_{image_};
};

}  // namespace flowdesk
