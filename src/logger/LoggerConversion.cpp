// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerConversion.h"

#include "base/Texts.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"

namespace flowdesk {

namespace {

std::string recordColumn(int k, Language language) {
  std::string title = kTxtRecordColumn.text(language);
  const auto at = title.find("%d");
  if (at != std::string::npos) title.replace(at, 2, std::to_string(k));
  return title;
}

}  // namespace

int loggerTitleSlots(std::size_t recordSize) {
  return recordSize == kLoggerRecordSize4 ? 3 : kLoggerMaxSlots;
}

std::string loggerTitleLine(int slots, Language language) {
  const std::string iq = kTxtIq.text(language);
  const std::string flow = kTxtFlow.text(language);
  PrnLine line;
  line.field(kTxtNumberSign.text(language))
      .field(kTxtDate.text(language))
      .field(kTxtTime.text(language))
      .field(flow)
      .field(kTxtFlowUnit.text(language))
      .field(iq + flow);
  for (int k = 2; k <= slots + 1; ++k) {
    const std::string t = recordColumn(k, language);
    line.field(t).field(std::string(kTxtVal.text(language)) + t).field(iq + t);
  }
  line.field(kTxtPoint.text(language)).field(kTxtMark.text(language));
  return line.title();
}

std::string loggerRecordLine(long long index, const LoggerRecordTexts& t,
                             const RegionalSettings& regional) {
  PrnLine line;
  line.field(std::to_string(index + 1))
      .field(t.date)
      .field(t.time)
      .field(t.flow)
      .field(t.flowUnit)
      .field(t.flowPercent);
  for (const LoggerSlotTexts& s : t.slots) line.field(s.name).field(s.value).field(s.percent);
  line.field(t.point).field(t.mark);
  return line.record(regional);
}

LoggerConversionSource::LoggerConversionSource(RegionalSettings regional, Language language)
    : regional_(std::move(regional)),
      language_(language),
      reader_(std::make_unique<LoggerFileReader>()) {}

LoggerConversionSource::~LoggerConversionSource() = default;

FileResult LoggerConversionSource::open(const std::string& path) {
  return reader_->open(path);
}

long long LoggerConversionSource::recordTotal() const {
  return reader_->info().recordCount;
}

FileResult LoggerConversionSource::titleLine(Language language, std::string& line) {
  // The size byte of the first stored record decides; a file without
  // records falls back on its header word.
  std::size_t size = reader_->info().recordSize();
  if (recordTotal() > 0) {
    FileResult r = reader_->readStoredRecord(0, stored_);
    if (!r.ok()) return r;
    size = stored_[2];
  }
  line = loggerTitleLine(loggerTitleSlots(size), language);
  return {};
}

FileResult LoggerConversionSource::convert(long long index, ConvertedRecord& out) {
  FileResult r = reader_->readStoredRecord(index, stored_);
  if (!r.ok()) return r;
  const LoggerRecordTexts t =
      loggerRecordTexts(decodeLoggerRecord(loggerRecordBytes(stored_)), language_, regional_);
  out.line = loggerRecordLine(index, t, regional_);
  out.dateTime = t.date + " " + t.time;
  return {};
}

}  // namespace flowdesk
