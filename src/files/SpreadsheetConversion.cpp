// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SpreadsheetConversion.h"

#include <sys/stat.h>

#include <cerrno>

namespace flowdesk {

namespace {

// Creating the text over the file being read would empty the source before
// it is read.
bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

PrnLine& PrnLine::field(std::string_view text) {
  text_ += text;
  text_ += '\t';
  return *this;
}

std::string PrnLine::title() const {
  return text_ + "\n";
}

std::string PrnLine::record(const RegionalSettings& regional) const {
  return replaceDots(text_, regional) + "\n";
}

SpreadsheetConversion::SpreadsheetConversion(ConversionSource& source, std::string sourcePath,
                                             std::string outputPath, Language language)
    : source_(source),
      sourcePath_(std::move(sourcePath)),
      outputPath_(std::move(outputPath)),
      language_(language) {}

FileResult SpreadsheetConversion::start() {
  FileResult r = source_.open(sourcePath_);
  if (!r.ok()) return r;
  counters_ = {};
  counters_.total = source_.recordTotal();
  if (sameFile(sourcePath_, outputPath_)) {
    return FileResult::failure(FileStatus::kCannotCreate, outputPath_, EEXIST);
  }
  std::string title;
  r = source_.titleLine(language_, title);
  if (!r.ok()) return r;
  r = output_.create(outputPath_);
  if (!r.ok()) return r;
  r = write(title);
  if (!r.ok()) return r;
  started_ = true;
  return {};
}

FileResult SpreadsheetConversion::write(std::string_view text) {
  return output_.append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

FileResult SpreadsheetConversion::step() {
  if (finished_) return {};
  // Whatever stops the conversion takes its twin away with it.
  const auto failed = [this](const FileResult& r) {
    output_.abandon();
    started_ = false;
    return r;
  };
  if (!started_) {
    FileResult r = start();
    if (!r.ok()) return failed(r);
  }
  if (counters_.converted < counters_.total) {
    const long long index = counters_.converted;
    ConvertedRecord record;
    FileResult r = source_.convert(index, record);
    if (!r.ok()) return failed(r);
    r = write(record.line);
    if (!r.ok()) return failed(r);
    if (index == 0) counters_.firstDate = record.dateTime;
    if (index > 0 || source_.firstRecordIsLastDate()) counters_.lastDate = record.dateTime;
    counters_.converted = index + 1;
  }
  if (counters_.converted >= counters_.total) {
    if (FileResult r = output_.commit(); !r.ok()) return failed(r);
    finished_ = true;
  }
  return {};
}

FileResult SpreadsheetConversion::run(
    Clock& clock, const std::function<void(const ConversionCounters&)>& progress, int perSecond) {
  RefreshPacer pacer(clock, perSecond);
  while (!finished_) {
    FileResult r = step();
    if (!r.ok()) return r;
    if (progress && (finished_ || pacer.due())) progress(counters_);
  }
  return {};
}

RefreshPacer::RefreshPacer(Clock& clock, int perSecond)
    : clock_(clock), intervalMs_(perSecond > 0 ? (1000 + perSecond - 1) / perSecond : 0) {}

bool RefreshPacer::due() {
  const std::int64_t now = clock_.nowMs();
  if (!first_ && now - last_ < intervalMs_) return false;
  first_ = false;
  last_ = now;
  return true;
}

}  // namespace flowdesk
