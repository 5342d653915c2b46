// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet text ("prn") of measurement and logger files made from
// arbitrary bytes, in both languages and both regional conventions: a file
// the reader takes converts whole, one title line and one line per record,
// each line as many tab-ended columns as its record has, no NUL, no dot in
// a record line where the decimal separator is a comma, UTF-8 throughout.
//
// Input: byte 0 picks the file kind (bit 0: logger, else measurement) and,
// for files of many records, the one language and convention converted
// (bits 1-2); the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/BilingualText.h"
#include "base/Clock.h"
#include "files/SpreadsheetConversion.h"
#include "logger/LoggerConversion.h"
#include "logger/LoggerFile.h"
#include "measure/MeasurementConversion.h"
#include "measure/MeasurementDisplay.h"
#include "measure/MeasurementFile.h"

using namespace flowdesk;

namespace {

// Files of more records convert in one language and one convention only:
// every pass costs as much as the file is long.
constexpr long long kRecordsForEveryPass = 64;

RegionalSettings regionalOf(bool comma) {
  if (!comma) return {};
  return {RegionalSettings::kDayFirst, ".", ":", true, "AM", "PM", ","};
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t nl; (nl = text.find('\n', from)) != std::string::npos; from = nl + 1) {
    lines.push_back(text.substr(from, nl - from));
  }
  // Every line ends with its line feed, the last one too.
  FUZZ_CHECK(from == text.size());
  return lines;
}

std::string wholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t columns(const std::string& line) {
  return static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t'));
}

// The columns of the title and of each record line, worked out from the
// file by its reader: measurement lines have six columns and five per chord
// in use (the title those of the first record), logger lines six, three per
// slot and two (the title's slots from the first record's size byte).
struct Layout {
  bool ok = false;
  long long records = 0;
  std::size_t title = 0;
  std::vector<std::size_t> record;
};

Layout measurementLayout(const std::string& path) {
  Layout layout;
  MeasurementFileReader reader;
  if (!reader.open(path).ok()) return layout;
  layout.ok = true;
  layout.records = reader.info().recordCount;
  for (long long i = 0; i < layout.records; ++i) {
    MeasurementRecord record;
    FUZZ_CHECK(reader.readRecord(i, record).ok());
    DeviceImage image;
    decodeMeasurementRecord(record, image);
    const auto n = 6 + 5 * static_cast<std::size_t>(chordsInUse(image.measurement));
    if (i == 0) layout.title = n;
    layout.record.push_back(n);
  }
  if (layout.records == 0) layout.title = 6;
  return layout;
}

Layout loggerLayout(const std::string& path) {
  Layout layout;
  LoggerFileReader reader;
  if (!reader.open(path).ok()) return layout;
  layout.ok = true;
  layout.records = reader.info().recordCount;
  std::size_t titleSize = reader.info().recordSize();
  if (layout.records > 0) {
    Bytes stored;
    FUZZ_CHECK(reader.readStoredRecord(0, stored).ok());
    titleSize = stored[2];
  }
  layout.title = 8 + 3 * static_cast<std::size_t>(loggerTitleSlots(titleSize));
  const auto n = 8 + 3 * static_cast<std::size_t>(loggerSlotCount(reader.info().recordSize()));
  layout.record.assign(static_cast<std::size_t>(layout.records), n);
  return layout;
}

void convert(bool logger, const std::string& input, const Layout& layout, Language language,
             bool comma, std::vector<std::string>& recordLines) {
  const RegionalSettings regional = regionalOf(comma);
  std::unique_ptr<ConversionSource> source;
  if (logger) {
    source = std::make_unique<LoggerConversionSource>(regional, language);
  } else {
    source = std::make_unique<MeasurementConversionSource>(regional);
  }
  const std::string output = fuzz::scratch().file("output.prn");
  SpreadsheetConversion conversion(*source, input, output, language);
  ManualClock clock;
  int progress = 0;
  const FileResult result = conversion.run(clock, [&](const ConversionCounters&) { ++progress; });
  FUZZ_CHECK(result.ok() == layout.ok);
  if (!result.ok()) {
    FUZZ_CHECK(!result.message(kFrench).empty() && !result.message(kEnglish).empty());
    return;
  }
  FUZZ_CHECK(conversion.finished() && progress >= 1);
  const ConversionCounters& counters = conversion.counters();
  FUZZ_CHECK(counters.total == layout.records && counters.converted == layout.records);

  const std::string text = wholeFile(output);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  FUZZ_CHECK(fuzz::validUtf8(text));
  const std::vector<std::string> lines = linesOf(text);
  FUZZ_CHECK(static_cast<long long>(lines.size()) == layout.records + 1);
  FUZZ_CHECK(columns(lines[0]) == layout.title);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // Every field ends with its tab; the first is the record number.
    FUZZ_CHECK(!line.empty() && line.back() == '\t');
    FUZZ_CHECK(columns(line) == layout.record[i - 1]);
    FUZZ_CHECK(line.compare(0, line.find('\t'), std::to_string(i)) == 0);
    if (comma) FUZZ_CHECK(line.find('.') == std::string::npos);
  }
  recordLines.assign(lines.begin() + 1, lines.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool logger = (data[0] & 1) != 0;
  const std::string input =
      fuzz::writeScratch(logger ? "input.log" : "input.mes", data + 1, size - 1);
  const Layout layout = logger ? loggerLayout(input) : measurementLayout(input);

  if (layout.records > kRecordsForEveryPass) {
    std::vector<std::string> lines;
    convert(logger, input, layout, languageOf((data[0] >> 1) & 1), (data[0] >> 2) & 1, lines);
    return 0;
  }
  for (int comma = 0; comma < 2; ++comma) {
    std::vector<std::string> english;
    std::vector<std::string> french;
    convert(logger, input, layout, kEnglish, comma != 0, english);
    convert(logger, input, layout, kFrench, comma != 0, french);
    // A measurement's values are numbers: its record lines are the same in
    // both languages.
    if (!logger) FUZZ_CHECK(english == french);
  }
  return 0;
}
