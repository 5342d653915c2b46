// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ComparisonReport.h"

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
                                const RegionalSettings& regional) {
  ComparisonOutcome outcome;
  outcome.comparedPath = comparedPath;
  const std::vector<ReportLine> lines = reportDifferences(table, unit, file, language, regional);
  outcome.differences = static_cast<int>(lines.size());
  const std::string text = deviationReportText(comparedPath, dateTime, lines, language);
  outcome.report = writeDeviationReport(folder, language, text, outcome.reportPath);
  outcome.ok = outcome.report.ok();
  return outcome;
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
  decodeOverDefaults(blocks.map(fileValues), blocks.fileBlock.data(), blocks.fileBlock.size());
  return compareImages(table, unitValues, fileValues, comparedPath, folder, dateTime, language,
                       regional);
}

std::string comparisonText(const ComparisonOutcome& outcome, Language language) {
  if (!outcome.file.ok()) return outcome.file.message(language);
  if (!outcome.report.ok()) return outcome.report.message(language);
  return std::string(kTxtDeviationTitle.text(language)) + outcome.comparedPath + "\n" +
         kTxtLookFile.text(language) + outcome.reportPath;
}

}  // namespace flowdesk
