// SPDX-License-Identifier: GPL-3.0-or-later
// The logger download reader (".log") on arbitrary files: the header, every
// stored record decoded and turned into the viewer's texts, and the whole
// file shown. The input itself is also decoded as one bare record.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"

using namespace flowdesk;

namespace {

constexpr long long kRecordsDecoded = 128;

void showRecord(std::span<const std::uint8_t> bytes, const RegionalSettings& regional) {
  const LoggerRecord record = decodeLoggerRecord(bytes);
  FUZZ_CHECK(record.slots.size() <= static_cast<std::size_t>(kLoggerMaxSlots));
  FUZZ_CHECK(static_cast<int>(record.slots.size()) == loggerSlotCount(bytes.size()));
  FUZZ_CHECK(record.empty == isEmptyLoggerRecord(bytes) || bytes.size() <= 3);
  for (Language language : {kFrench, kEnglish}) {
    const LoggerRecordTexts texts = loggerRecordTexts(record, language, regional);
    FUZZ_CHECK(texts.slots.size() == record.slots.size());
    for (const LoggerSlotTexts& slot : texts.slots) FUZZ_CHECK(slot.percent.size() == 3);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegionalSettings regional;
  regional.clock24 = (size & 2) != 0;
  regional.dateOrder = static_cast<int>(size % 3);
  showRecord(std::span<const std::uint8_t>(data, size), regional);

  const std::string path = fuzz::writeScratch("input.log", data, size);
  LoggerFileReader reader;
  const FileResult opened = reader.open(path);

  // The file shown whole as `flowdesk-cli show` does (on files of a few
  // records: its cost grows with the count).
  std::ostringstream shown;
  if (!opened.ok() || reader.info().recordCount <= kRecordsDecoded) {
    const FileResult show = showFile(path, languageOf(static_cast<int>(size & 1)), regional, shown);
    FUZZ_CHECK(show.status == opened.status);
  }
  if (!opened.ok()) {
    FUZZ_CHECK(!opened.message(kFrench).empty() && !opened.message(kEnglish).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

  const LoggerFileInfo& info = reader.info();
  FUZZ_CHECK(info.storedRecordSize > 0 && info.storedRecordSize <= kMaxLoggerStoredRecord);
  FUZZ_CHECK(2 + info.recordCount * info.storedRecordSize <= static_cast<long long>(size));
  for (long long i = 0; i < info.recordCount && i < kRecordsDecoded; ++i) {
    Bytes stored;
    FUZZ_CHECK(reader.readStoredRecord(i, stored).ok());
    FUZZ_CHECK(stored.size() == info.storedRecordSize);
    const std::span<const std::uint8_t> bytes = loggerRecordBytes(stored);
    FUZZ_CHECK(bytes.size() == info.recordSize());
    showRecord(bytes, regional);
  }
  Bytes none;
  FUZZ_CHECK(reader.readStoredRecord(info.recordCount, none).status == FileStatus::kNoSuchRecord);
  return 0;
}
