// SPDX-License-Identifier: GPL-3.0-or-later
// The logger viewer on the unit through a far end that answers as the input
// says (see ScriptedUnit.h): pages fetched, the navigation, and downloads
// into a logger file started and stopped by the input, on a manual clock.
//
// Input: byte 0 picks the language, the logger type (4 or 9 parameters) and
// how many records the logger holds; then, for each tick, one byte of
// presses (bits 0-2: none, PGD, PGU, HOME, END, Go with the next byte as the
// record number, SAVEDISK, ARRETDISK) followed by the bytes the far end takes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ScriptedUnit.h"
#include "base/BinaryFile.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerViewerSession.h"
#include "support/ManualClock.h"

using namespace flowdesk;

namespace {

constexpr int kMaxTicks = 24;

bool sameGrid(const LoggerGrid& a, const LoggerGrid& b) {
  if (a.cells != b.cells || a.columns.size() != b.columns.size()) return false;
  for (std::size_t i = 0; i < a.columns.size(); ++i) {
    if (a.columns[i].title != b.columns[i].title) return false;
  }
  return true;
}

// The records, `recordSize` bytes each from the start of the data, of every
// function-4 reply that passed from log entry `from` on: what a download
// may store, in the order the unit sent it.
std::vector<Bytes> recordsSent(const fuzz::ScriptedUnit& far, std::size_t from,
                               std::size_t recordSize) {
  std::vector<Bytes> records;
  for (std::size_t i = from; i < far.log.size(); ++i) {
    const fuzz::SentReply& s = far.log[i];
    if (!s.passes || s.function() != 4) continue;
    const std::span<const std::uint8_t> data =
        s.data().first(std::min<std::size_t>(s.reply[2], s.data().size()));
    for (std::size_t at = 0; at + recordSize <= data.size(); at += recordSize) {
      records.emplace_back(data.begin() + static_cast<long>(at),
                           data.begin() + static_cast<long>(at + recordSize));
    }
  }
  return records;
}

// A download file holds, in order, records the unit sent in passing replies
// since the download started, none of them the empty-record mark, and as
// many as the session counted. When no passing answer of the logger was
// spoiled, they are the logger's records from the first the page showed,
// without gaps or doubles whatever failed in between.
void checkDownload(fuzz::ScriptedUnit& far, std::size_t from, long long firstRecord,
                   const std::string& path, const LoggerViewerSession& session) {
  LoggerFileReader reader;
  const FileResult opened = reader.open(path);
  if (opened.status == FileStatus::kCannotOpen) {
    FUZZ_CHECK(session.recordsDownloaded() == 0);
    return;
  }
  FUZZ_CHECK(opened.ok());
  FUZZ_CHECK(reader.info().recordSize() == session.recordSize());
  FUZZ_CHECK(reader.info().recordCount == session.recordsDownloaded());
  const std::vector<Bytes> sent = recordsSent(far, from, session.recordSize());
  std::size_t next = 0;
  for (long long i = 0; i < reader.info().recordCount; ++i) {
    Bytes stored;
    FUZZ_CHECK(reader.readStoredRecord(i, stored).ok());
    FUZZ_CHECK(stored[1] == 4 && stored[2] == session.recordSize());
    const std::span<const std::uint8_t> record = loggerRecordBytes(stored);
    FUZZ_CHECK(!isEmptyLoggerRecord(record));
    while (next < sent.size() &&
           !std::equal(record.begin(), record.end(), sent[next].begin(), sent[next].end())) {
      ++next;
    }
    FUZZ_CHECK(next < sent.size());
    ++next;
  }
  for (const fuzz::SentReply& s : far.log) {
    if (s.passes && s.function() == 4 && !s.truthful) return;
  }
  for (long long i = 0; i < reader.info().recordCount; ++i) {
    Bytes stored;
    FUZZ_CHECK(reader.readStoredRecord(i, stored).ok());
    const auto index = static_cast<std::uint16_t>(firstRecord + i);
    const Bytes answer = far.trueAnswer({1, 4, static_cast<std::uint8_t>(index >> 8),
                                         static_cast<std::uint8_t>(index & 0xFF), 0, 1});
    const std::span<const std::uint8_t> record = loggerRecordBytes(stored);
    FUZZ_CHECK(answer.size() == 5 + record.size());
    FUZZ_CHECK(std::equal(record.begin(), record.end(), answer.begin() + 3));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputStream input(data, size);
  const std::uint8_t setup = input.byte();
  unit::UnitSettings settings;
  settings.configs = 18;
  settings.loggerType = (setup & 2) ? 9 : 4;
  settings.loggerRecords = (setup >> 2) * 2;

  ManualClock clock(1000);
  fuzz::ScriptedUnit far(clock, input, settings);
  JbusMaster master(clock);
  far.serve(master);
  LoggerViewerSession session(master, languageOf(setup & 1), RegionalSettings{});
  if (!session.openUnit()) return 0;

  const std::string path = fuzz::scratch().file("download.log");
  std::size_t downloadFrom = 0;
  long long firstRecord = 0;
  bool downloading = false;

  for (int t = 0; t < kMaxTicks && !input.exhausted(); ++t) {
    const std::uint8_t presses = input.byte();
    switch (presses & 7) {
      case 1:
        session.navigate(LoggerNavigation::kPgd);
        break;
      case 2:
        session.navigate(LoggerNavigation::kPgu);
        break;
      case 3:
        session.navigate(LoggerNavigation::kHome);
        break;
      case 4:
        session.navigate(LoggerNavigation::kEnd);
        break;
      case 5:
        session.navigate(LoggerNavigation::kGo, std::to_string(input.byte()));
        break;
      case 6:
        if (session.canStartDownload()) {
          std::remove(path.c_str());
          firstRecord = static_cast<long long>(session.page()) * LoggerViewerSession::kRowsPerPage;
          FUZZ_CHECK(session.startDownload(path));
          downloadFrom = far.log.size();
          downloading = true;
        }
        break;
      case 7:
        session.stopDownload();
        break;
      default:
        break;
    }
    if (downloading && session.recording() == Recording::kOff) {
      checkDownload(far, downloadFrom, firstRecord, path, session);
      downloading = false;
    }

    clock.advance(std::max(session.timerMs(), 0));
    const LoggerGrid before = session.grid();
    const std::int64_t start = clock.nowMs();
    const LoggerTick tick = session.tick();
    // One fetch per tick: a tick never hangs on the line.
    FUZZ_CHECK(clock.nowMs() - start <= fuzz::longestExchangeMs(4));
    // A fetch that failed shows nothing new.
    if (tick == LoggerTick::kFetchFailed) FUZZ_CHECK(sameGrid(session.grid(), before));
    const LoggerGrid& grid = session.grid();
    FUZZ_CHECK(grid.columns.empty() || grid.cells.size() == LoggerGrid::kRows - 1);
    for (const auto& row : grid.cells) FUZZ_CHECK(row.size() == grid.columns.size());
    if (downloading && session.recording() == Recording::kOff) {
      checkDownload(far, downloadFrom, firstRecord, path, session);
      downloading = false;
    }
  }
  if (downloading) checkDownload(far, downloadFrom, firstRecord, path, session);
  return 0;
}
