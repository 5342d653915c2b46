// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "files/Recording.h"
#include "link/JbusMaster.h"
#include "link/PortFailure.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"

namespace flowdesk {

class AppContext;

// The controls of the logger viewer that come and go: all those of a
// recording screen.
using LoggerControl = RecordingControl;
inline constexpr std::size_t kLoggerControls = kRecordingControls;

// What a navigation press asks for.
enum class LoggerNavigation { kPgd, kPgu, kHome, kEnd, kGo };

enum class LoggerAlign { kLeft, kCentre, kRight };

struct LoggerColumn {
  std::string title;
  std::string widthSample;  // the column is made wide enough for this text
  LoggerAlign align = LoggerAlign::kLeft;
};

// The grid: a title row, then one row per record of the page. Empty until the
// record layout is known.
struct LoggerGrid {
  static constexpr int kRows = 27;  // title row included
  static constexpr int kFixedColumns = 3;
  std::vector<LoggerColumn> columns;
  std::vector<std::vector<std::string>> cells;  // kRows - 1 rows of columns.size() texts
};

// Everything of the viewer that is not the grid.
struct LoggerScreen : RecordingControls {
  std::string title;        // "Logger"
  std::string topLine;      // the file in file mode; in unit mode, why the last fetch failed
  std::string filledLabel;  // unit mode only
  std::string filledValue;
  std::string totalLabel;
  std::string totalValue;
  std::string recordField;  // the number the record-number field shows
  bool gridVisible = true;
  bool progress = false;  // the "please wait" window is wanted
};

// What the download window shows.
struct LoggerDownloadView {
  std::string path;
  long long recordsDone = 0;
  long long recordsToDo = 0;
  long long progressMax = 0;
  long long progressPosition = 0;
  std::string info;       // the first record of the last answer
  std::string remaining;  // time left, hours:minutes:seconds
  // While the unit does not answer: "Communication Failure" with the reason
  // beside it, and the fetches that failed in a row; both clear at the next
  // answer.
  std::string failure;
  int failedFetches = 0;
};

// What a timer tick did.
enum class LoggerTick {
  kNothing,         // no timer work: file mode, closed, or a tick inside a tick
  kFetchFailed,     // the unit did not answer; the next tick asks again
  kLoading,         // rows were added, the page is not complete yet
  kPageShown,       // the page is complete; the timer stops
  kDownloading,     // records were stored; the download goes on
  kDownloadEnded,   // the logger's data ended; the saved page is loaded again
  kDownloadFailed,  // the file could not be written: downloadResult(); the download ended
};

// The logger viewer without its window: pages of records from the unit
// (fetched by the timer, function 4) or from a logger file, the navigation of
// both, and the download of the unit's records into a logger file. The dialog
// runs the timer at timerMs(), forwards presses and draws screen(), grid()
// and download().
class LoggerViewerSession {
 public:
  static constexpr int kRowsPerPage = LoggerGrid::kRows - 1;
  static constexpr int kTimerStopped = flowdesk::kTimerStopped;
  static constexpr int kStartMs = 0;  // the first tick of a page at once
  static constexpr int kTickMs = 1;   // then ticks until the page is complete
  // After a fetch that failed: a device that vanished fails at once, and
  // asking again every millisecond would only burn the processor.
  static constexpr int kRetryMs = 500;

  LoggerViewerSession(JbusMaster& master, Language language, RegionalSettings regional);
  LoggerViewerSession(AppContext& app, RegionalSettings regional);

  // Unit mode: reads the model word (a logger must be fitted), the logger
  // size and the records filled; false when any of it fails (the screen
  // closes without a word, unless the port did not open). On success the
  // timer starts.
  bool openUnit();
  // After openUnit failed: why the port did not open, in words; empty when
  // the unit answered without a logger or stayed silent.
  std::string openFailureText(Language language) const;
  // The session's last exchange with the unit (openUnit's reads, then the
  // fetches): why the last failure happened, for a caller that reports it.
  const LinkResult& lastRead() const { return lastRead_; }
  // File mode: the header and the first page. A file that cannot be read
  // leaves the session closed.
  FileResult openFile(const std::string& path);
  // Ends a download and stops the timer; the file keeps what was written.
  void close();

  LoggerTick tick();

  // PGD, PGU, HOME, END and Go (with the text of the record-number field).
  // True when the page changed hands: shown at once in file mode, reloaded
  // by the timer in unit mode.
  bool navigate(LoggerNavigation nav, std::string_view recordField = {});

  // SAVEDISK once the file is named.
  bool canStartDownload() const;
  bool startDownload(const std::string& path);
  // ARRETDISK or a stop message; false when no download runs.
  bool stopDownload();

  void setLanguage(Language language) { language_ = language; }
  Language language() const { return language_; }

  bool isOpen() const { return unitMode_ || fileMode_; }
  bool isUnitMode() const { return unitMode_; }
  bool isFileMode() const { return fileMode_; }
  int timerMs() const { return timerMs_; }
  int page() const { return page_; }
  int row() const { return row_; }
  int recordsPerRequest() const { return recordsPerRequest_; }
  std::size_t recordSize() const { return recordSize_; }
  int slotCount() const { return slotCount_; }
  long long recordsFilled() const { return recordsFilled_; }
  long long loggerSize() const { return loggerSize_; }
  Recording recording() const { return recordState_; }
  long long recordsDownloaded() const { return recordsDownloaded_; }
  const std::string& filePath() const { return filePath_; }

  const LoggerScreen& screen() const { return screen_; }
  const LoggerGrid& grid() const { return grid_; }
  const LoggerDownloadView& download() const { return download_; }
  const FileResult& fileResult() const { return fileResult_; }
  const FileResult& downloadResult() const { return downloadResult_; }

  // The last page index for the records filled.
  int lastPage() const;

 private:
  void reset();
  void show(LoggerControl c, bool on) { screen_.show(c, on); }
  void layOut(std::size_t recordSize);
  void clearRows();
  void fillRow(int gridRow, long long index, std::span<const std::uint8_t> record);
  int fillRows(std::span<const std::uint8_t> data, int count);
  void showFilePage();
  void reload(bool withProgress);
  void readFilled();
  void pageComplete();
  LoggerTick unitTick();
  LoggerTick downloadStep(std::uint8_t address, std::span<const std::uint8_t> data, int count);
  void endDownload();

  JbusMaster& master_;
  LinkResult lastRead_;  // the last exchange with the unit, and why it failed
  Language language_;
  RegionalSettings regional_;

  bool unitMode_ = false;
  bool fileMode_ = false;
  bool busy_ = false;
  bool firstTick_ = true;
  int timerMs_ = kTimerStopped;
  int page_ = 0;
  int row_ = 0;
  int recordsPerRequest_ = 1;
  std::size_t recordSize_ = 0;
  int slotCount_ = 0;
  bool gridBuilt_ = false;
  bool pageStarted_ = false;
  long long recordsFilled_ = 0;
  long long loggerSize_ = 0;

  LoggerFileReader reader_;
  std::string filePath_;

  Recording recordState_ = Recording::kOff;
  long long nextRecord_ = 0;
  long long firstRecord_ = 0;
  long long recordsToGo_ = 0;
  std::int64_t startTick_ = 0;
  int savedPage_ = 0;
  long long recordsDownloaded_ = 0;
  std::string downloadPath_;
  // No other program talks to the unit between the fetches of a download.
  PortHold downloadHold_;

  LoggerScreen screen_;
  LoggerGrid grid_;
  LoggerDownloadView download_;
  FileResult fileResult_;
  FileResult downloadResult_;
};

// The record-number field read as the viewer reads it: a decimal integer,
// text that is not a number counting as 0.
long long recordFieldNumber(std::string_view text);

// `text` padded with blanks to `width` characters (not bytes), on the left
// (right-aligned) or on the right.
std::string padded(std::string_view text, std::size_t width, bool alignRight);

// The download window's information line for a decoded record.
std::string downloadInfoLine(const LoggerRecordTexts& t);

// The grid's tooltip when its parameter columns do not all fit the window.
std::string gridScrollsText(Language language);

}  // namespace flowdesk
