// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/Bytes.h"
#include "base/RegionalFormat.h"
#include "base/ValueLists.h"
#include "config/BlockLength.h"
#include "files/FileKinds.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"

namespace flowdesk {

// One row of a comparison: the field's report name, where it is in one
// image, and how it is shown: a number with the field's display format, a
// list index as the text of its entry, a text as it is.
struct ReportField {
  BilingualText name;
  std::variant<float*, std::int32_t*, std::string*> variable;
  const char* format = "";          // numbers
  const ValueList* list = nullptr;  // lists
  int count = 0;                    // lists: entries offered
};

// The rows of one screen in report order, built on the image given. The
// comparison builds them twice, on the unit's values and on the file's.
using ReportTable = std::function<std::vector<ReportField>(DeviceImage&)>;

// The configuration's table: the measurement point page's edits and lists,
// then the inputs/outputs page's. Probe names come from `probeNames`, which
// must outlive the table's use.
ReportTable configurationReportTable(const ValueList& probeNames);

// A field's value as the report writes it: numbers with the field's format
// and the regional decimal separator, list entries in `language`, texts with
// their control characters (line feeds, tabs ...) as '?'.
std::string reportValueText(const ReportField& field, Language language,
                            const RegionalSettings& regional);

// One line of the report: a field whose unit value and file value differ.
struct ReportLine {
  std::string name;
  std::string unitValue;
  std::string fileValue;
  bool operator==(const ReportLine&) const = default;
};

// Every row, in order, whose values in `unit` and in `file` are not exactly
// equal (numbers as stored, list indexes as integers, texts as strings).
std::vector<ReportLine> reportDifferences(const ReportTable& table, DeviceImage& unit,
                                          DeviceImage& file, Language language,
                                          const RegionalSettings& regional);

// The report's text: the four heading lines and an empty one, then the
// column header and one line per difference, or the no-deviation line.
// `dateTime` is the date and time of the comparison as printouts show it.
std::string deviationReportText(const std::string& comparedPath, const std::string& dateTime,
                                const std::vector<ReportLine>& lines, Language language);

// Writes `text` (UTF-8) at the next free "Ecart"/"Deviation" name with the
// extension "prn" in `folder`; `path` gets that name even when the write
// fails, so the message can name it.
FileResult writeDeviationReport(const std::string& folder, Language language,
                                const std::string& text, std::string& path);

// The deviation report of a comparison.
struct ComparisonOutcome {
  bool ok = false;
  std::string comparedPath;
  std::string reportPath;
  int differences = 0;
  FileResult file;    // the compared file could not be read
  FileResult report;  // the report could not be written
  // A file that holds less than the block: its missing fields were compared
  // as their defaults, which are no values of the file's. `defaulted` names
  // them in report order.
  FileKind kind = FileKind::kCalibration;
  BlockLength length;
  std::vector<std::string> defaulted;
  bool shortFile() const { return !length.whole(); }
};

// What a comparison with a short file says of it, in the words `show` and
// the screens use, naming the fields: "The file holds only 12 of a
// configuration's 124 bytes: the other fields take their defaults (Q Max,
// ...)"; "" for a whole block.
std::string shortFileText(const ComparisonOutcome& outcome, Language language);

// The whole comparison once the file's values are decoded into `file`: the
// differing rows, the report text and its file in `folder`. A `note` (a
// short file's shortFileText) ends the report after an empty line.
ComparisonOutcome compareImages(const ReportTable& table, DeviceImage& unit, DeviceImage& file,
                                const std::string& comparedPath, const std::string& folder,
                                const std::string& dateTime, Language language,
                                const RegionalSettings& regional, const std::string& note = {});

// The comparison of a screen's block with a file's. Both sides are decoded
// into copies of `image` (the screen keeps showing, and TRANSFERT keeps
// sending, its own values): the screen's as TRANSFERT and saving would send
// it (`sent`), so that an edit whose bytes do not change shows no deviation;
// the file's over the defaults, so that a file with a shorter block compares
// its missing fields as their defaults. `file` is why the file could not be
// read, if it could not.
struct ComparedBlocks {
  FileKind kind;
  const DeviceImage& image;
  FieldMap (*map)(DeviceImage&);
  const Bytes& sent;
  const Bytes& fileBlock;
};
ComparisonOutcome compareBlocks(const ReportTable& table, const ComparedBlocks& blocks,
                                const FileResult& file, const std::string& comparedPath,
                                const std::string& folder, const std::string& dateTime,
                                Language language, const RegionalSettings& regional);

// The words of a comparison's outcome, UTF-8, lines separated by "\n"; a
// short file's shortFileText ends them.
std::string comparisonText(const ComparisonOutcome& outcome, Language language);

}  // namespace flowdesk
