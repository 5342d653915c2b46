// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/LoggerViewerSession.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "base/BilingualText.h"
#include "base/Texts.h"
#include "base/Windows1252.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"

namespace flowdesk {

namespace {

using C = LoggerControl;

// Everything but the ARRETDISK of a download: what a reload hides.
constexpr C kPageControls[] = {C::kSaveDisk, C::kPgd,     C::kPgu,         C::kPrint, C::kHome,
                               C::kEnd,      C::kTableur, C::kRecordField, C::kGo,    C::kHelp};

std::string twoDigits(long long n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

// The flow cell: "%8s %5s (%3s%%)".
std::string flowCell(const LoggerRecordTexts& t) {
  return padded(t.flow, 8, true) + " " + padded(t.flowUnit, 5, true) + " (" +
         padded(t.flowPercent, 3, true) + "%)";
}

// A parameter cell: "%-8s=%8s (%3s%%)" for a real value, "%-8s=%8s " otherwise.
std::string slotCell(const LoggerSlotTexts& s) {
  std::string text = padded(s.name, 8, false) + "=" + padded(s.value, 8, true);
  if (s.isReal) return text + " (" + padded(s.percent, 3, true) + "%)";
  return text + " ";
}

}  // namespace

long long recordFieldNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long n = 0;
  constexpr long long kLimit = std::numeric_limits<int>::max();
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    n = std::min(kLimit, n * 10 + (text[i] - '0'));
  }
  return negative ? -n : n;
}

std::string padded(std::string_view text, std::size_t width, bool alignRight) {
  const std::size_t length = utf8Length(text);
  if (length >= width) return std::string(text);
  const std::string blanks(width - length, ' ');
  return alignRight ? blanks + std::string(text) : std::string(text) + blanks;
}

std::string downloadInfoLine(const LoggerRecordTexts& t) {
  std::string line =
      t.date + " " + t.time + "  |  " + t.flow + " " + t.flowUnit + " (" + t.flowPercent + "%)";
  for (std::size_t i = 0; i < 2; ++i) {
    const LoggerSlotTexts s = i < t.slots.size() ? t.slots[i] : LoggerSlotTexts{};
    line += "  |  " + s.name + " " + s.value + " (" + s.percent + "%)";
  }
  return line + "  |.........";
}

LoggerViewerSession::LoggerViewerSession(JbusMaster& master, Language language,
                                         RegionalSettings regional)
    : master_(master), language_(language), regional_(std::move(regional)) {
  reset();
}

LoggerViewerSession::LoggerViewerSession(AppContext& app, RegionalSettings regional)
    : LoggerViewerSession(app.master, app.settings.language(), std::move(regional)) {}

void LoggerViewerSession::reset() {
  unitMode_ = fileMode_ = busy_ = false;
  firstTick_ = true;
  timerMs_ = kTimerStopped;
  page_ = row_ = 0;
  recordsPerRequest_ = 1;
  recordSize_ = 0;
  slotCount_ = 0;
  gridBuilt_ = pageStarted_ = false;
  recordsFilled_ = loggerSize_ = 0;
  filePath_.clear();
  recordState_ = Recording::kOff;
  nextRecord_ = firstRecord_ = recordsToGo_ = 0;
  startTick_ = 0;
  savedPage_ = 0;
  recordsDownloaded_ = 0;
  downloadPath_.clear();
  downloadHold_.release();
  screen_ = {};
  screen_.title = kTxtLogger.text(language_);
  screen_.totalLabel = kTxtTotalRecordings.text(language_);
  grid_ = {};
  download_ = {};
  fileResult_ = {};
  downloadResult_ = {};
}

int LoggerViewerSession::lastPage() const {
  if (recordsFilled_ <= 0) return 0;
  return static_cast<int>((recordsFilled_ - 1) / kRowsPerPage);
}

bool LoggerViewerSession::openUnit() {
  reset();
  screen_.filledLabel = kTxtRecordingsFilled.text(language_);
  screen_.progress = true;
  const auto readCount = [this](const RegisterBlock& block, long long& value) {
    std::uint16_t word = 0;
    lastRead_ = readWord(master_, block.firstRegister, word);
    if (!lastRead_.ok()) return false;
    value = word;
    return true;
  };
  ModelWord model;
  lastRead_ = readModelWord(master_, model);
  // A unit without a logger has nothing to show.
  if (!lastRead_.ok() || !model.hasLogger() || !readCount(kLoggerSizeBlock, loggerSize_) ||
      !readCount(kLoggerFilledBlock, recordsFilled_)) {
    screen_.progress = false;
    return false;
  }
  unitMode_ = true;
  timerMs_ = kStartMs;
  return true;
}

std::string LoggerViewerSession::openFailureText(Language language) const {
  return lastRead_.port ? linkResultText(lastRead_, language, ResultWording::kFull) : std::string();
}

FileResult LoggerViewerSession::openFile(const std::string& path) {
  reset();
  fileResult_ = reader_.open(path);
  if (!fileResult_.ok()) return fileResult_;
  fileMode_ = true;
  filePath_ = path;
  screen_.topLine = path;
  for (C c : {C::kPrint, C::kTableur, C::kHelp, C::kGo, C::kRecordField}) show(c, true);
  recordsFilled_ = reader_.info().recordCount;
  screen_.totalValue = std::to_string(recordsFilled_);
  layOut(reader_.info().recordSize());
  showFilePage();
  return fileResult_;
}

void LoggerViewerSession::close() {
  endDownload();
  timerMs_ = kTimerStopped;
  unitMode_ = fileMode_ = false;
  screen_.progress = false;
}

void LoggerViewerSession::layOut(std::size_t recordSize) {
  recordSize_ = recordSize;
  slotCount_ = loggerSlotCount(recordSize);
  recordsPerRequest_ = loggerRecordsPerRequest(recordSize);
  gridBuilt_ = true;
  grid_.columns.clear();
  grid_.columns.push_back({kTxtNumberSign.text(language_), "00000", LoggerAlign::kCentre});
  grid_.columns.push_back({std::string(kTxtDate.text(language_)) + " " + kTxtTime.text(language_),
                           "00/00/0000"
                           "00:00:00 WW",
                           LoggerAlign::kCentre});
  grid_.columns.push_back(
      {"      " + std::string(kTxtFlow.text(language_)), "00000000000000000", LoggerAlign::kLeft});
  const std::string recordTitle = kTxtRecordColumn.text(language_);
  for (int i = 0; i < slotCount_; ++i) {
    std::string title = recordTitle;
    const std::size_t at = title.find("%d");
    if (at != std::string::npos) title.replace(at, 2, std::to_string(i + 2));
    grid_.columns.push_back({title, "000000000000000000000", LoggerAlign::kLeft});
  }
  grid_.columns.push_back({kTxtPoint.text(language_), "00000", LoggerAlign::kRight});
  grid_.columns.push_back({kTxtMark.text(language_), "00", LoggerAlign::kCentre});
  clearRows();
}

void LoggerViewerSession::clearRows() {
  grid_.cells.assign(LoggerGrid::kRows - 1, std::vector<std::string>(grid_.columns.size()));
}

void LoggerViewerSession::fillRow(int gridRow, long long index,
                                  std::span<const std::uint8_t> record) {
  const LoggerRecordTexts t = loggerRecordTexts(decodeLoggerRecord(record), language_, regional_);
  std::vector<std::string>& cells = grid_.cells[static_cast<std::size_t>(gridRow - 1)];
  cells.assign(grid_.columns.size(), {});
  cells[0] = twoDigits(index + 1);
  cells[1] = t.date + " " + t.time;
  cells[2] = flowCell(t);
  for (int i = 0; i < slotCount_ && i < static_cast<int>(t.slots.size()); ++i) {
    cells[static_cast<std::size_t>(3 + i)] = slotCell(t.slots[static_cast<std::size_t>(i)]);
  }
  cells[static_cast<std::size_t>(slotCount_ + 3)] = t.point;
  cells[static_cast<std::size_t>(slotCount_ + 4)] = t.mark;
}

int LoggerViewerSession::fillRows(std::span<const std::uint8_t> data, int count) {
  for (int n = 0; n < count && row_ < kRowsPerPage; ++n) {
    const std::size_t at = static_cast<std::size_t>(n) * recordSize_;
    if (at + recordSize_ > data.size()) break;
    const auto record = data.subspan(at, recordSize_);
    if (isEmptyLoggerRecord(record)) return 1;  // the logger's data ends here
    fillRow(row_ + 1, static_cast<long long>(page_) * kRowsPerPage + row_, record);
    ++row_;
  }
  return row_ >= kRowsPerPage ? 1 : 0;
}

void LoggerViewerSession::showFilePage() {
  clearRows();
  row_ = 0;
  Bytes stored;
  while (row_ < kRowsPerPage &&
         static_cast<long long>(page_) * kRowsPerPage + row_ + 1 <= recordsFilled_) {
    const long long index = static_cast<long long>(page_) * kRowsPerPage + row_;
    fileResult_ = reader_.readStoredRecord(index, stored);
    if (!fileResult_.ok()) break;  // the file was cut short since it was opened
    fillRow(row_ + 1, index, loggerRecordBytes(stored));
    ++row_;
  }
  for (C c : {C::kPgu, C::kPgd, C::kHome, C::kEnd}) show(c, false);
  if (page_ > 0) {
    show(C::kPgu, true);
    show(C::kHome, true);
  }
  if (page_ < lastPage()) {
    show(C::kPgd, true);
    show(C::kEnd, true);
  }
  screen_.recordField = std::to_string(static_cast<long long>(page_) * kRowsPerPage + 1);
}

void LoggerViewerSession::readFilled() {
  std::uint16_t filled = 0;
  lastRead_ = readWord(master_, kLoggerFilledBlock.firstRegister, filled);
  if (lastRead_.ok()) recordsFilled_ = filled;
}

void LoggerViewerSession::reload(bool withProgress) {
  if (withProgress) screen_.progress = true;
  for (C c : kPageControls) show(c, false);
  show(C::kArretDisk, false);
  row_ = 0;
  pageStarted_ = false;
  readFilled();
  timerMs_ = kStartMs;
}

bool LoggerViewerSession::navigate(LoggerNavigation nav, std::string_view recordField) {
  if (!isOpen() || recordState_ != Recording::kOff) return false;
  // In unit mode a page that is still loading has its controls hidden.
  if (unitMode_ && timerMs_ != kTimerStopped) return false;
  auto goPage = [&] {
    const long long n = std::min(recordFieldNumber(recordField), recordsFilled_);
    return n < 1 ? 0 : static_cast<int>((n - 1) / kRowsPerPage);
  };
  switch (nav) {
    case LoggerNavigation::kPgd:
      if (page_ >= lastPage()) return false;
      ++page_;
      break;
    case LoggerNavigation::kPgu:
      if (page_ <= 0) return false;
      --page_;
      break;
    case LoggerNavigation::kHome:
      page_ = 0;
      break;
    case LoggerNavigation::kEnd:
    case LoggerNavigation::kGo:
      if (unitMode_) {
        screen_.progress = true;
        readFilled();
      }
      page_ = nav == LoggerNavigation::kEnd ? lastPage() : goPage();
      break;
  }
  if (fileMode_) {
    showFilePage();
  } else {
    const bool asked = nav == LoggerNavigation::kPgd || nav == LoggerNavigation::kPgu ||
                       nav == LoggerNavigation::kHome;
    reload(asked);
  }
  return true;
}

void LoggerViewerSession::pageComplete() {
  timerMs_ = kTimerStopped;
  screen_.gridVisible = true;
  screen_.recordField = std::to_string(static_cast<long long>(page_) * kRowsPerPage + 1);
  for (C c : {C::kSaveDisk, C::kPrint, C::kHelp, C::kGo, C::kRecordField, C::kHome, C::kEnd}) {
    show(c, true);
  }
  show(C::kPgu, page_ > 0);
  show(C::kPgd, page_ < lastPage());
}

LoggerTick LoggerViewerSession::tick() {
  if (!unitMode_ || busy_ || timerMs_ == kTimerStopped) return LoggerTick::kNothing;
  busy_ = true;
  const LoggerTick outcome = unitTick();
  busy_ = false;
  screen_.totalValue = std::to_string(loggerSize_);
  return outcome;
}

LoggerTick LoggerViewerSession::unitTick() {
  if (firstTick_) {
    screen_.gridVisible = false;
    firstTick_ = false;
  }
  timerMs_ = kTickMs;
  screen_.filledValue = std::to_string(recordsFilled_);
  const long long start = recordState_ != Recording::kOff
                              ? nextRecord_
                              : static_cast<long long>(page_) * kRowsPerPage + row_;
  const int count = recordsPerRequest_;
  const auto address = static_cast<std::uint16_t>(std::clamp<long long>(start, 0, 0xFFFF));
  lastRead_ = master_.readRecords(address, static_cast<std::uint16_t>(count));
  bool fetched = lastRead_.ok();
  std::span<const std::uint8_t> data;
  if (fetched) {
    data = lastRead_.data();
    const std::size_t byteCount = lastRead_.frame[2];
    if (!gridBuilt_) {
      // The first answer holds one record: its size tells the layout.
      if (byteCount == kLoggerRecordSize4 || byteCount == kLoggerRecordSize9) {
        layOut(byteCount);
      } else {
        fetched = false;
      }
    }
  }
  if (!fetched) {
    timerMs_ = kRetryMs;
    if (!pageStarted_) screen_.progress = false;
    // The page and the download window would otherwise stand still without
    // a word while the next ticks ask again.
    screen_.topLine = linkResultText(lastRead_, language_, ResultWording::kCommunication);
    if (recordState_ != Recording::kOff) {
      ++download_.failedFetches;
      download_.failure = screen_.topLine;
    }
    return LoggerTick::kFetchFailed;
  }
  screen_.topLine.clear();
  download_.failedFetches = 0;
  download_.failure.clear();
  if (!pageStarted_) {
    clearRows();
    pageStarted_ = true;
    screen_.progress = false;
  }
  if (recordState_ != Recording::kOff) return downloadStep(lastRead_.frame[0], data, count);
  if (fillRows(data, count) != 0) {
    pageComplete();
    return LoggerTick::kPageShown;
  }
  return LoggerTick::kLoading;
}

bool LoggerViewerSession::canStartDownload() const {
  return unitMode_ && recordState_ == Recording::kOff && timerMs_ == kTimerStopped &&
         screen_.shown(C::kSaveDisk);
}

bool LoggerViewerSession::startDownload(const std::string& path) {
  if (!canStartDownload()) return false;
  downloadPath_ = path;
  download_ = {};
  download_.path = path;
  downloadResult_ = {};
  recordsDownloaded_ = 0;
  savedPage_ = page_;
  // The unit counts its oldest record as index 0, as the viewer's first row
  // shows it: the download starts at the first record the page shows.
  nextRecord_ = firstRecord_ = static_cast<long long>(kRowsPerPage) * page_;
  page_ = 0;
  recordState_ = Recording::kArmed;
  for (C c : kPageControls) show(c, false);
  show(C::kArretDisk, true);
  screen_.gridVisible = false;
  startTick_ = master_.clock().nowMs();
  timerMs_ = kStartMs;
  downloadHold_ = master_.holdPort();
  return true;
}

LoggerTick LoggerViewerSession::downloadStep(std::uint8_t address,
                                             std::span<const std::uint8_t> data, int count) {
  if (recordState_ == Recording::kArmed) {
    recordsToGo_ = std::max(0LL, recordsFilled_ - nextRecord_);
    download_.recordsToDo = recordsToGo_;
    download_.progressMax = recordsToGo_;
    downloadResult_ = createLoggerFile(downloadPath_, recordSize_);
    if (!downloadResult_.ok()) {
      // Carrying on would fetch the whole logger and keep none of it.
      endDownload();
      return LoggerTick::kDownloadFailed;
    }
    recordState_ = Recording::kAppending;
  }
  int written = 0;
  downloadResult_ = appendLoggerRecords(downloadPath_, address, recordSize_, data, count, written);
  recordsDownloaded_ += written;
  if (!downloadResult_.ok()) {
    endDownload();
    return LoggerTick::kDownloadFailed;
  }
  download_.progressPosition = download_.recordsDone = recordsDownloaded_;
  if (written < count) {
    endDownload();
    return LoggerTick::kDownloadEnded;
  }
  nextRecord_ += count;
  download_.info = downloadInfoLine(
      loggerRecordTexts(decodeLoggerRecord(data.subspan(0, std::min(recordSize_, data.size()))),
                        language_, regional_));
  const std::int64_t elapsed = master_.clock().nowMs() - startTick_;
  if (elapsed != 0) {
    const long long left = std::max(0LL, recordsToGo_ + firstRecord_ - nextRecord_);
    const auto seconds = static_cast<long long>(static_cast<double>(elapsed) /
                                                static_cast<double>(nextRecord_ - firstRecord_) *
                                                static_cast<double>(left) * 0.001);
    download_.remaining =
        formatTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                   static_cast<int>(seconds % 60), regional_);
  }
  return LoggerTick::kDownloading;
}

void LoggerViewerSession::endDownload() {
  if (recordState_ == Recording::kOff) return;
  recordState_ = Recording::kOff;
  downloadHold_.release();
  screen_.progress = true;
  show(C::kArretDisk, false);
  row_ = 0;
  pageStarted_ = false;
  page_ = savedPage_;
  // The saved page loads again at the next tick.
  if (unitMode_) timerMs_ = kTickMs;
}

bool LoggerViewerSession::stopDownload() {
  if (recordState_ == Recording::kOff) return false;
  endDownload();
  return true;
}

std::string gridScrollsText(Language language) {
  static constexpr BilingualText kText{
      "La grille défile de côté : faites glisser la barre au-dessous, ou Maj + molette.",
      "The grid scrolls sideways: drag the bar below it, or Shift + mouse wheel."};
  return kText.text(language);
}

}  // namespace flowdesk
