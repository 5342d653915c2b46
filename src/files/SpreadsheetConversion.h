// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "base/RegionalFormat.h"

namespace flowdesk {

// The tab-separated text ("prn") a spreadsheet opens, made from a recorded
// file one record at a time. The file kinds differ only in their title line
// and in how a record becomes a line; the order of the work, the counters a
// screen shows and the writing of the text are shared here.

// One line of the text: every field is followed by a tab, the line ends
// with a single line feed.
class PrnLine {
 public:
  PrnLine& field(std::string_view text);
  // The line, ended. For record lines every "." (in dates too) becomes the
  // first character of the regional decimal separator; title lines keep
  // their texts as they are.
  std::string title() const;
  std::string record(const RegionalSettings& regional) const;

 private:
  std::string text_;
};

// One record of a source, made into its line.
struct ConvertedRecord {
  std::string line;      // ended, separators already regional
  std::string dateTime;  // the record's date and time, shown by the screen
};

// A recorded file read for conversion. Implementations live with their file
// kind (measurement, logger).
class ConversionSource {
 public:
  virtual ~ConversionSource() = default;
  // Reads the header; the number of records is known afterwards.
  virtual FileResult open(const std::string& path) = 0;
  virtual long long recordTotal() const = 0;
  // The title line (it may depend on the first record).
  virtual FileResult titleLine(Language language, std::string& line) = 0;
  virtual FileResult convert(long long index, ConvertedRecord& out) = 0;
  // Whether the first record's date also shows as the last date converted
  // (measurement files) or only the later records' dates do (logger files).
  virtual bool firstRecordIsLastDate() const { return true; }
};

// What the conversion screen shows while it works.
struct ConversionCounters {
  long long total = 0;      // records in the source
  long long converted = 0;  // records written so far (the record shown is this one)
  std::string firstDate;    // date and time of the first record
  std::string lastDate;     // date and time of the record last converted
};

// Converts a source into a text file, one record per step, so that a screen
// can drive it from a timer and a command from a loop. The text is written
// as it goes (the title line, then each record's line as soon as it is
// made) into a hidden twin of the text file (ReplacementFile), which stays
// open from the first step to the last and takes the file's name after the
// last one. A conversion that fails, is dropped half way or is killed leaves
// the previous text file as it was, never a shorter one that looks whole.
class SpreadsheetConversion {
 public:
  SpreadsheetConversion(ConversionSource& source, std::string sourcePath, std::string outputPath,
                        Language language);
  SpreadsheetConversion(const SpreadsheetConversion&) = delete;
  SpreadsheetConversion& operator=(const SpreadsheetConversion&) = delete;

  // The first step opens the source, creates the twin of the text file and
  // writes the title line, then converts the first record if there is one;
  // every later step converts the next record, and the last one puts the
  // text in place. A failure stops the conversion and removes the twin.
  FileResult step();
  bool finished() const { return finished_; }
  const ConversionCounters& counters() const { return counters_; }
  const std::string& outputPath() const { return outputPath_; }

  // Every step to the end. `progress` is called after a step at most
  // `perSecond` times a second (by `clock`), and always after the last one,
  // so a screen repaints often enough without slowing a large file down.
  FileResult run(Clock& clock, const std::function<void(const ConversionCounters&)>& progress = {},
                 int perSecond = 30);

 private:
  FileResult start();
  FileResult write(std::string_view text);

  ConversionSource& source_;
  std::string sourcePath_;
  std::string outputPath_;
  Language language_;
  ReplacementFile output_;
  bool started_ = false;
  bool finished_ = false;
  ConversionCounters counters_;
};

// Limits how often something runs: due() is true the first time and then
// once at least the interval has passed since it last was.
class RefreshPacer {
 public:
  RefreshPacer(Clock& clock, int perSecond);
  bool due();

 private:
  Clock& clock_;
  std::int64_t intervalMs_;
  std::int64_t last_ = 0;
  bool first_ = true;
};

}  // namespace flowdesk
