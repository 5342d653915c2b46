// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ComparisonReport.h"

#include <algorithm>
#include <functional>
#include <type_traits>

#include "base/FieldFormat.h"
#include "base/FileNames.h"
#include "base/Texts.h"
#include "config/ConfigurationFields.h"

namespace flowdesk {

namespace {

void addEdits(std::vector<ReportField>& rows, const std::vector<EditField>& edits) {
  for (const EditField& e : edits) rows.push_back({e.reportName, e.variable, e.format});
}

void addLists(std::vector<ReportField>& rows, const std::vector<ListField>& lists) {
  for (const ListField& l : lists) rows.push_back({l.reportName, l.variable, "", l.list, l.count});
}

}  // namespace

ReportTable configurationReportTable(const ValueList& probeNames) {
  return [&probeNames](DeviceImage& image) {
    std::vector<ReportField> rows;
    addEdits(rows, measurementPointEdits(image));
    addLists(rows, measurementPointLists(image, probeNames));
    addEdits(rows, inputsOutputsEdits(image));
    addLists(rows, inputsOutputsLists(image));
    return rows;
  };
}

std::string reportValueText(const ReportField& field, Language language,
                            const RegionalSettings& regional) {
  if (auto* const* number = std::get_if<float*>(&field.variable)) {
    return replaceDots(formatNumber(**number, field.format), regional);
  }
  if (auto* const* index = std::get_if<std::int32_t*>(&field.variable)) {
    return field.list ? listText(*field.list, field.count, **index, language)
                      : std::to_string(**index);
  }
  // The report is one line per field and one tab between columns: a text
  // that holds a line feed or a tab (any byte of a block can) would cut its
  // line in two. Control characters show as '?', as characters that cannot
  // be shown do elsewhere.
  std::string text = *std::get<std::string*>(field.variable);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

namespace {

bool sameValue(const ReportField& a, const ReportField& b) {
  return std::visit(
      [&b](auto* left) {
        using Pointer = decltype(left);
        auto* const* right = std::get_if<Pointer>(&b.variable);
        return right != nullptr && *left == **right;
      },
      a.variable);
}

}  // namespace

std::vector<ReportLine> reportDifferences(const ReportTable& table, DeviceImage& unit,
                                          DeviceImage& file, Language language,
                                          const RegionalSettings& regional) {
  const std::vector<ReportField> unitRows = table(unit);
  const std::vector<ReportField> fileRows = table(file);
  std::vector<ReportLine> lines;
  for (std::size_t i = 0; i < unitRows.size() && i < fileRows.size(); ++i) {
    if (sameValue(unitRows[i], fileRows[i])) continue;
    lines.push_back({unitRows[i].name.text(language),
                     reportValueText(unitRows[i], language, regional),
                     reportValueText(fileRows[i], language, regional)});
  }
  return lines;
}

std::string deviationReportText(const std::string& comparedPath, const std::string& dateTime,
                                const std::vector<ReportLine>& lines, Language language) {
  std::string text;
  text += std::string(kTxtUnitNumberLine.text(language)) + "\n";
  text += std::string(kTxtDeviationTitle.text(language)) + " " + comparedPath + "\n";
  text += std::string(kTxtDoneOn.text(language)) + dateTime + "\n";
  text += std::string(kTxtVisa.text(language)) + "\n";
  text += "\n";
  if (lines.empty()) {
    text += std::string(kTxtNoDeviation.text(language)) + "\n";
    return text;
  }
  text += kTxtDeviationHeader.text(language);
  for (const ReportLine& line : lines) {
    text += line.name + "\t" + line.unitValue + "\t" + line.fileValue + "\n";
  }
  return text;
}

FileResult writeDeviationReport(const std::string& folder, Language language,
                                const std::string& text, std::string& path) {
  path = nextFreeName(folder, kTxtDeviation, language, "prn");
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return writeFileAtomic(path, std::span<const std::uint8_t>(bytes, text.size()));
}

ComparisonOutcome compareImages(const ReportTable& table, DeviceImage& unit, DeviceImage& file,
                                const std::string& comparedPath, const std::string& folder,
                                const std::string& dateTime, Language language,
                                const RegionalSettings& regional, const std::string& note) {
  ComparisonOutcome outcome;
  outcome.comparedPath = comparedPath;
  const std::vector<ReportLine> lines = reportDifferences(table, unit, file, language, regional);
  outcome.differences = static_cast<int>(lines.size());
  std::string text = deviationReportText(comparedPath, dateTime, lines, language);
  if (!note.empty()) text += "\n" + note + "\n";
  outcome.report = writeDeviationReport(folder, language, text, outcome.reportPath);
  outcome.ok = outcome.report.ok();
  return outcome;
}

namespace {

// Whether a row of a map writes the image's field at `variable`.
bool writes(const FieldRow& row, const void* variable) {
  return std::visit(
      [&row, variable](const auto& target) {
        using Target = std::decay_t<decltype(target)>;
        if constexpr (std::is_same_v<Target, FloatArrayRef>) {
          const auto* at = static_cast<const float*>(variable);
          const std::size_t n =
              std::min(target.size, static_cast<std::size_t>(std::max<int>(0, row.parameter)));
          const std::less<const float*> before;
          return !before(at, target.data) && before(at, target.data + n);
        } else if constexpr (std::is_same_v<Target, CharArrayRef> ||
                             std::is_same_v<Target, std::monostate>) {
          return false;
        } else {
          return static_cast<const void*>(target) == variable;
        }
      },
      row.target);
}

// The report rows a block of `found` bytes does not hold whole: a row of the
// map that writes the field reaches past them, so the field shows its default.
std::vector<std::string> defaultedFields(const std::vector<ReportField>& fields,
                                         const FieldMap& map, std::size_t found,
                                         Language language) {
  std::vector<std::string> names;
  const std::size_t rows = map.rowCount();
  for (const ReportField& field : fields) {
    const void* variable = std::visit([](auto* v) -> const void* { return v; }, field.variable);
    for (std::size_t i = 0; i < rows; ++i) {
      const FieldRow& row = map.rows[i];
      if (row.offset < 0) continue;
      const auto end = static_cast<std::size_t>(row.offset) +
                       static_cast<std::size_t>(encodedWidth(row.encoding, row.parameter));
      if (end > found && writes(row, variable)) {
        names.emplace_back(field.name.text(language));
        break;
      }
    }
  }
  return names;
}

std::string shortNote(FileKind kind, const BlockLength& length,
                      const std::vector<std::string>& defaulted, Language language) {
  if (length.whole()) return {};
  std::string text = blockLengthText(kind, length, language);
  for (std::size_t i = 0; i < defaulted.size(); ++i) {
    text += (i == 0 ? " (" : ", ") + defaulted[i];
  }
  if (!defaulted.empty()) text += ")";
  return text;
}

}  // namespace

std::string shortFileText(const ComparisonOutcome& outcome, Language language) {
  return shortNote(outcome.kind, outcome.length, outcome.defaulted, language);
}

ComparisonOutcome compareBlocks(const ReportTable& table, const ComparedBlocks& blocks,
                                const FileResult& file, const std::string& comparedPath,
                                const std::string& folder, const std::string& dateTime,
                                Language language, const RegionalSettings& regional) {
  if (!file.ok()) {
    ComparisonOutcome outcome;
    outcome.comparedPath = comparedPath;
    outcome.file = file;
    return outcome;
  }
  DeviceImage unitValues = blocks.image;
  decodeReply(blocks.map(unitValues), blocks.sent.data(), blocks.sent.size());
  DeviceImage fileValues = blocks.image;
  const FieldMap fileMap = blocks.map(fileValues);
  decodeOverDefaults(fileMap, blocks.fileBlock.data(), blocks.fileBlock.size());
  // A file with less than the block compares its defaults: the report and
  // the words of the outcome say so, and which fields they are.
  const BlockLength length{
      static_cast<long long>(std::min(blocks.fileBlock.size(), fileMap.byteCount)),
      static_cast<long long>(fileMap.byteCount)};
  std::vector<std::string> defaulted;
  if (!length.whole()) {
    defaulted = defaultedFields(table(fileValues), fileMap, blocks.fileBlock.size(), language);
  }
  ComparisonOutcome outcome =
      compareImages(table, unitValues, fileValues, comparedPath, folder, dateTime, language,
                    regional, shortNote(blocks.kind, length, defaulted, language));
  outcome.kind = blocks.kind;
  outcome.length = length;
  outcome.defaulted = std::move(defaulted);
  return outcome;
}

std::string comparisonText(const ComparisonOutcome& outcome, Language language) {
  if (!outcome.file.ok()) return outcome.file.message(language);
  if (!outcome.report.ok()) return outcome.report.message(language);
  std::string text = std::string(kTxtDeviationTitle.text(language)) + outcome.comparedPath + "\n" +
                     kTxtLookFile.text(language) + outcome.reportPath;
  if (outcome.shortFile()) text += "\n" + shortFileText(outcome, language);
  return text;
}

}  // namespace flowdesk
