// SPDX-License-Identifier: GPL-3.0-or-later
// COMPARE of the calibration sheet and of the factory settings on arbitrary
// blocks: the screen's block against a file's, the file's whole or cut
// short. A block compared with itself shows no deviation; the deviations
// are exactly the fields whose decoded values differ (a short file's missing
// fields only, against what it holds); the report is UTF-8, one line per
// deviation, and says the same as the lines it was made from.
//
// Input: byte 0 picks the block (bit 0: factory, else configuration), the
// language (bit 1) and a comma as decimal separator (bit 2); byte 1 how
// many bytes the short file keeps; then the two blocks (missing bytes are 0).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "FuzzSupport.h"
#include "base/BuiltinProbeCatalogue.h"
#include "base/ValueLists.h"
#include "config/ComparisonReport.h"
#include "config/FactoryFields.h"
#include "link/BlockMaps.h"
#include "link/FieldMap.h"

using namespace flowdesk;

namespace {

constexpr const char* kComparedPath = "/somewhere/compared";
constexpr const char* kDateTime = "05/03/2024 14:07:09";

struct Kind {
  FileKind file;
  ReportTable table;
  FieldMap (*map)(DeviceImage&);
};

std::string wholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Two report rows hold the same value: numbers equal (two NaN decoded from
// a block are the same value to the operator), list indexes and texts equal.
bool sameValue(const ReportField& a, const ReportField& b) {
  if (auto* const* x = std::get_if<float*>(&a.variable)) {
    const float l = **x;
    const float r = *std::get<float*>(b.variable);
    return l == r || (std::isnan(l) && std::isnan(r));
  }
  if (auto* const* x = std::get_if<std::int32_t*>(&a.variable)) {
    return **x == *std::get<std::int32_t*>(b.variable);
  }
  return *std::get<std::string*>(a.variable) == *std::get<std::string*>(b.variable);
}

const void* addressOf(const FieldTarget& target) {
  return std::visit(
      [](auto t) -> const void* {
        using T = decltype(t);
        if constexpr (std::is_pointer_v<T>) {
          return t;
        } else if constexpr (std::is_same_v<T, std::monostate>) {
          return nullptr;
        } else {
          return t.data;
        }
      },
      target);
}

const void* addressOf(const ReportField& field) {
  return std::visit([](auto* p) -> const void* { return p; }, field.variable);
}

// Whether every row of the block's map that sets this report field lies in
// the first `kept` bytes.
bool heldIn(const FieldMap& map, const ReportField& field, std::size_t kept) {
  const void* address = addressOf(field);
  bool found = false;
  for (const FieldRow& row : map.rows) {
    if (std::holds_alternative<std::monostate>(row.target)) break;
    if (addressOf(row.target) != address) continue;
    found = true;
    if (static_cast<std::size_t>(row.offset + encodedWidth(row.encoding, row.parameter)) > kept) {
      return false;
    }
  }
  return found;
}

// The rows that differ, decoded as the comparison decodes them: the screen's
// block whole, the file's over the defaults.
std::vector<std::size_t> differingRows(const Kind& kind, const Bytes& sent, const Bytes& file,
                                       std::vector<ReportField>* unitRows = nullptr,
                                       DeviceImage* unitImage = nullptr) {
  DeviceImage unit;
  decodeReply(kind.map(unit), sent.data(), sent.size());
  DeviceImage filed;
  decodeOverDefaults(kind.map(filed), file.data(), file.size());
  const std::vector<ReportField> a = kind.table(unit);
  const std::vector<ReportField> b = kind.table(filed);
  FUZZ_CHECK(a.size() == b.size());
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!sameValue(a[i], b[i])) rows.push_back(i);
  }
  if (unitRows != nullptr) {
    *unitImage = unit;
    *unitRows = kind.table(*unitImage);
  }
  return rows;
}

// One comparison: the outcome, the report read back (and removed, so that
// the next free name stays the first), its lines checked.
int compare(const Kind& kind, const Bytes& sent, const Bytes& file, Language language,
            const RegionalSettings& regional) {
  const DeviceImage image;
  const std::string folder = fuzz::scratch().file("");
  const ComparisonOutcome outcome =
      compareBlocks(kind.table, {kind.file, image, kind.map, sent, file}, FileResult{},
                    kComparedPath, folder, kDateTime, language, regional);
  FUZZ_CHECK(outcome.ok && outcome.file.ok() && outcome.report.ok());
  FUZZ_CHECK(!comparisonText(outcome, kFrench).empty() &&
             !comparisonText(outcome, kEnglish).empty());

  const std::string text = wholeFile(outcome.reportPath);
  std::remove(outcome.reportPath.c_str());
  FUZZ_CHECK(fuzz::validUtf8(text));
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  // Four heading lines, an empty one, then the no-deviation line or the
  // column header and one line of three columns per deviation; a short
  // file's note after an empty line, and nothing of it for a whole one.
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  FUZZ_CHECK(!text.empty() && text.back() == '\n');
  FUZZ_CHECK(outcome.shortFile() == (file.size() < sent.size()));
  const std::string note = shortFileText(outcome, language);
  const int noteLines = note.empty() ? 0 : 2;
  FUZZ_CHECK(lines == 5 + (outcome.differences == 0 ? 1 : 1 + outcome.differences) + noteLines);
  FUZZ_CHECK(note.empty() || text.ends_with("\n" + note + "\n"));
  std::size_t at = 0;
  for (int n = 0; n < 6; ++n) at = text.find('\n', at) + 1;
  for (int d = 0; d < outcome.differences; ++d) {
    const std::size_t end = text.find('\n', at);
    FUZZ_CHECK(std::count(text.begin() + static_cast<long>(at),
                          text.begin() + static_cast<long>(end), '\t') == 2);
    at = end + 1;
  }
  return outcome.differences;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  static const ProbeNameList probeNames(builtinProbeCatalogue());
  const bool factory = (data[0] & 1) != 0;
  const Kind kind = factory ? Kind{FileKind::kFactorySettings, factoryReportTable(), factoryMap}
                            : Kind{FileKind::kCalibration, configurationReportTable(probeNames),
                                   configurationMap};
  const Language language = languageOf((data[0] >> 1) & 1);
  RegionalSettings regional;
  if (data[0] & 4) regional.decimalSeparator = ",";

  DeviceImage sizing;
  const std::size_t blockBytes = kind.map(sizing).byteCount;
  Bytes a(blockBytes, 0);
  Bytes b(blockBytes, 0);
  for (std::size_t i = 2; i < size; ++i) {
    const std::size_t k = i - 2;
    if (k < blockBytes) {
      a[k] = data[i];
    } else if (k < 2 * blockBytes) {
      b[k - blockBytes] = data[i];
    }
  }
  const std::size_t kept = data[1] % blockBytes;
  const Bytes cut(a.begin(), a.begin() + static_cast<long>(kept));

  // A block against itself, and against its own bytes as a file.
  FUZZ_CHECK(compare(kind, a, a, language, regional) == 0);

  // Two blocks: the fields whose values differ, whichever side is the file.
  const std::vector<std::size_t> ab = differingRows(kind, a, b);
  FUZZ_CHECK(compare(kind, a, b, language, regional) == static_cast<int>(ab.size()));
  FUZZ_CHECK(compare(kind, b, a, language, regional) == static_cast<int>(ab.size()));

  // A short file: only fields it does not hold whole can differ.
  std::vector<ReportField> rows;
  DeviceImage unitImage;
  const std::vector<std::size_t> short_ = differingRows(kind, a, cut, &rows, &unitImage);
  FUZZ_CHECK(compare(kind, a, cut, language, regional) == static_cast<int>(short_.size()));
  const FieldMap map = kind.map(unitImage);
  for (std::size_t i : short_) FUZZ_CHECK(!heldIn(map, rows[i], kept));
  return 0;
}
