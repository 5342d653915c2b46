// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "base/BilingualText.h"
#include "base/Bytes.h"
#include "base/RegionalFormat.h"
#include "files/SpreadsheetConversion.h"

namespace flowdesk {

// Kept out of this header: the record types have a member named like a Qt
// keyword, and the Qt screens include this one.
struct LoggerRecordTexts;
class LoggerFileReader;

// The spreadsheet text of a logger file: a title line for the file's 3 or 8
// parameter slots, then one line per stored record with its date and time,
// flow, each slot's name, value and I.Q., the point number and the mark.

// N slots (3 or 8): "N°", "Date", "Heure", "Débit", "Unité Q", "I.Q.Débit",
// then for each slot title T ("ENR. 2" ...) T, "Val."T, "I.Q."T, then "Point"
// and "M", every title followed by a tab.
std::string loggerTitleLine(int slots, Language language);

// The slots the title announces for a record size byte: 3 for 31-byte
// records, 8 for any other.
int loggerTitleSlots(std::size_t recordSize);

// The line of stored record `index` (from 0), with the regional date, time
// and decimal separator.
std::string loggerRecordLine(long long index, const LoggerRecordTexts& texts,
                             const RegionalSettings& regional);

class LoggerConversionSource final : public ConversionSource {
 public:
  LoggerConversionSource(RegionalSettings regional, Language language);
  ~LoggerConversionSource() override;

  FileResult open(const std::string& path) override;
  long long recordTotal() const override;
  FileResult titleLine(Language language, std::string& line) override;
  FileResult convert(long long index, ConvertedRecord& out) override;
  // The first record's date is the first date only.
  bool firstRecordIsLastDate() const override { return false; }

 private:
  RegionalSettings regional_;
  Language language_;
  std::unique_ptr<LoggerFileReader> reader_;
  Bytes stored_;
};

}  // namespace flowdesk
