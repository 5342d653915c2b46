// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/IdentificationCache.h"
#include "base/RegionalFormat.h"
#include "files/Recording.h"
#include "link/Blocks.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"
#include "link/JbusMaster.h"
#include "measure/MeasurementDisplay.h"
#include "measure/MeasurementFile.h"

namespace flowdesk {

class AppContext;

// The eight picture buttons of the measurement screen: the first eight
// controls of a recording screen.
using MeasurementButton = RecordingControl;
inline constexpr std::size_t kMeasurementButtons = 8;
static_assert(static_cast<std::size_t>(RecordingControl::kTableur) + 1 == kMeasurementButtons);

// The parts of the screen that are not the measurement itself: title, the
// two status lines and which buttons are shown.
struct MeasurementScreen : RecordingControls {
  std::string title;       // "Mesure" | "Measurement"
  std::string topLine;     // connection state, or the file recorded or played back
  std::string secondLine;  // communication failure, record number, record counts
};

// What a timer tick did.
enum class MeasurementTick {
  kNothing,       // not open, a tick while the previous one still waits for the unit, or a
                  // poll cut short for the operator (see setCutShort)
  kPollFailed,    // the unit did not answer; the screen keeps its values
  kRefreshed,     // a live poll was shown (and recorded when recording)
  kRecordFailed,  // a recording could not be written, or a record not read: fileResult()
  kRecordShown,   // a stored record was shown; the timer stops
};

// The measurement screen without its window: live polling of the four
// measurement blocks with recording, or playback of a measurement file, and
// the display refresh of both. The dialog forwards its timer ticks and
// button presses, runs its timer at timerMs(), and draws screen() and
// display(); the save prompt and the messages are the dialog's.
class MeasurementSession {
 public:
  static constexpr int kTimerMs = 100;          // the polling and playback timer
  static constexpr int kNavigationTimerMs = 1;  // a navigation shows its record at once
  // A fresh screen builds its chord grid at the first refresh whatever the
  // count: no unit has 7 chords.
  static constexpr int kChordsShownAtOpen = 7;

  // `identification` is the program's cache: recordings carry it in their
  // header, and playback replaces it with the file's.
  MeasurementSession(JbusMaster& master, DeviceImage& image, IdentificationCache& identification,
                     Language language, RegionalSettings regional);
  MeasurementSession(AppContext& app, RegionalSettings regional);

  // Live mode: waits for the first answer, polling at kTimerMs.
  void openLive();
  // Playback mode: reads the header (the file's probe catalogue and special
  // probe words replace the program's) and shows record 0 at the first tick.
  // A file that cannot be read leaves the session closed.
  FileResult openPlayback(const std::string& path);
  void close();

  MeasurementTick tick();

  // The four blocks in the poll order: S1 and S2 only while the re-read flag
  // is up; the first read that fails ends the poll with -1. Each block read
  // is decoded into the image and its raw answer kept. A poll cut short
  // between two blocks returns kPollCutShort and shows nothing of it.
  int poll();
  static constexpr int kPollCutShort = 1;
  // The last block read: why a poll failed, for a caller that reports it
  // (the screen's second line already says it).
  const LinkResult& lastRead() const { return lastRead_; }

  // Asked between two block reads of a live poll: true ends the poll there,
  // unshown and uncounted, so that what the operator pressed during it (a
  // close above all) waits for one block, not for the whole poll.
  void setCutShort(std::function<bool()> wanted) { cutShort_ = std::move(wanted); }

  // SAVEDISK once the file is chosen: arms the recording (live, idle only).
  bool canStartRecording() const { return live_ && recording_.canStart(); }
  bool startRecording(const std::string& path);
  // ARRETDISK: ends the recording; SAVEDISK comes back after the next good poll.
  bool stopRecording();

  // HOME, PGD, PGU, END in playback: only while the button is shown. True
  // when the record changed hands to the timer (timerMs() is then
  // kNavigationTimerMs).
  bool navigate(MeasurementButton button);

  void setLanguage(Language language) { language_ = language; }
  Language language() const { return language_; }

  bool isOpen() const { return live_ || playback_; }
  bool isLive() const { return live_; }
  bool isPlayback() const { return playback_; }
  bool busy() const { return busy_; }
  std::uint16_t rereadStatic() const { return rereadStatic_; }
  Recording recording() const { return recording_.state(); }
  int recordCount() const { return recording_.count(); }
  const std::string& recordingPath() const { return recording_.path(); }
  int chordsShown() const { return chordsShown_; }
  // Playback position, zero-based; lastRecord is -1 for a file without records.
  long long currentRecord() const { return position_.current; }
  long long lastRecord() const { return position_.last; }
  long long dataOffset() const { return reader_.info().dataOffset; }
  std::size_t recordSize() const { return reader_.info().recordSize; }
  const MeasurementFileInfo& fileInfo() const { return reader_.info(); }
  // The last answer of each block, whole, in record order (S2, S1, M1, M2).
  const MeasurementRecord& frames() const { return frames_; }

  // The period the screen's timer runs at now; 0 when it is stopped.
  int timerMs() const { return timerMs_; }
  const MeasurementScreen& screen() const { return screen_; }
  // The last refresh; what the screen shows below its status lines.
  const MeasurementDisplay& display() const { return display_; }
  bool hasDisplay() const { return hasDisplay_; }
  // Why the last tick gave kRecordFailed, or openPlayback failed.
  const FileResult& fileResult() const { return fileResult_; }

 private:
  void reset();
  void show(MeasurementButton b, bool on) { screen_.show(b, on); }
  int readBlock(const RegisterBlock& block, MeasurementFrame frame);
  bool cutShort() const { return cutShort_ && cutShort_(); }
  std::function<bool()> cutShort_;
  MeasurementTick liveTick();
  MeasurementTick playbackTick();
  void refresh();

  JbusMaster& master_;
  DeviceImage& image_;
  MeasurementMaps maps_{image_};
  IdentificationCache& identification_;
  Language language_;
  RegionalSettings regional_;

  bool live_ = false;
  bool playback_ = false;
  bool busy_ = false;
  std::uint16_t rereadStatic_ = 0;
  int chordsShown_ = kChordsShownAtOpen;
  RecordingFile recording_;
  // No other program talks to the unit between the polls of a recording.
  PortHold recordingHold_;
  MeasurementRecord frames_;

  MeasurementFileReader reader_;
  std::string playbackPath_;
  PlaybackPosition position_;

  int timerMs_ = kTimerStopped;
  MeasurementScreen screen_;
  MeasurementDisplay display_;
  bool hasDisplay_ = false;
  FileResult fileResult_;
  LinkResult lastRead_;
};

// "Nbre d'Enregistrements=%d  N° d'Enregistrement=%d" with the record total
// and the record number (from 1).
std::string recordCountsText(long long total, long long number, Language language);

}  // namespace flowdesk
