// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "echo/EchoFile.h"
#include "files/Recording.h"
#include "link/DeviceImage.h"
#include "link/FieldMap.h"
#include "link/JbusMaster.h"
#include "link/PortFailure.h"

namespace flowdesk {

class AppContext;

// One entry of the "Ecran" list: its text ("P1", "Z1", "NC1" ...) and the
// code the echo command sends for it.
struct EchoScreenEntry {
  std::string text;
  int code = 0;
  bool operator==(const EchoScreenEntry&) const = default;
};
inline constexpr std::size_t kMaxEchoScreens = 24;

// The echo screens of a unit with `chords` chords in use: per chord, the two
// or four kinds of echo screen it draws.
std::vector<EchoScreenEntry> echoScreenList(int chords, bool twoKinds);
// The same from block S1 as decoded (chord count, and the kind selector).
std::vector<EchoScreenEntry> echoScreenList(const MeasurementRegion& s1);

// The seven picture buttons of the echo screen: the first seven controls of
// a recording screen, up to TABLEUR.
using EchoButton = RecordingControl;
inline constexpr std::size_t kEchoButtons = 7;
static_assert(static_cast<std::size_t>(RecordingControl::kTableur) == kEchoButtons);

// Everything of the screen but the picture.
struct EchoScreen : RecordingControls {
  std::string title;            // "Visu Echo", then the plain title, with the failure after it
  std::string topLine;          // the file recorded or played back
  std::string secondLine;       // record number, or record counts in playback
  int progress = 0;             // the progress bar: parts read, 0 to 5
  bool progressWindow = false;  // the "please wait" window is up
};

// What a timer tick did.
enum class EchoTick {
  kNothing,       // not open, or the previous tick still talks to the unit
  kStep,          // the echo command was sent, or a part was read
  kFailed,        // the exchange failed: the title says so, the step is tried again
  kImage,         // a whole picture arrived (and was recorded when recording)
  kRecordFailed,  // the picture could not be written, or a record not read: fileResult()
  kRecordShown,   // a stored picture is shown; the timer stops
  kClosed,        // the echo screen was stopped: the dialog ends now
};

// The echo screen without its window. Live, it asks the unit for one echo
// screen and reads the picture in five parts, one exchange per tick, and can
// record the pictures; on a file, it shows the recorded pictures one by one.
// The dialog runs its timer at timerMs(), forwards ticks, choices and
// presses, and draws screen() and image().
class EchoSession {
 public:
  static constexpr int kLiveTimerMs = 500;
  static constexpr int kPlaybackTimerMs = 100;
  static constexpr int kNavigationTimerMs = 1;
  static constexpr int kParts = 5;
  // The stop is the one write that must get through: while the unit shows
  // an echo screen its measurement stays stopped.
  static constexpr int kStopAttempts = 3;

  EchoSession(JbusMaster& master, DeviceImage& image, Language language);
  explicit EchoSession(AppContext& app);

  // Live: reads block S1 for the list of screens; -1 when the unit does not
  // answer (the dialog is not to open). The first screen is chosen.
  int openLive();
  // After openLive failed, for the message box: why the port did not open,
  // else that communication failed.
  std::string openFailureText(Language language) const;
  // The session's last exchange with the unit: why the last failure
  // happened, for a caller that reports it.
  const LinkResult& lastRead() const { return lastRead_; }
  // On an echo file; a file that cannot be read leaves the session closed.
  FileResult openPlayback(const std::string& path);

  // The operator chose another entry of the list: the next tick starts over.
  void choose(int index);
  // The close box. True when the dialog may end now (playback, or not open);
  // live, the echo screen is stopped first at the next tick (kClosed).
  bool requestClose();

  EchoTick tick();

  // SAVEDISK once the file is chosen: the next whole picture starts the file.
  bool canStartRecording() const { return live_ && recording_.canStart(); }
  bool startRecording(const std::string& path);
  // ARRETDISK.
  bool stopRecording();

  // HOME, PGD, PGU, END in playback, only while the button is shown.
  bool navigate(EchoButton button);

  bool isOpen() const { return live_ || playback_; }
  bool isLive() const { return live_; }
  bool isPlayback() const { return playback_; }
  bool busy() const { return busy_; }
  int step() const { return step_; }
  bool closeRequested() const { return closeRequested_; }
  // After kClosed: the stop was not acknowledged after kStopAttempts tries,
  // so the unit may still be showing its echo screen (stopFailedText).
  bool stopFailed() const { return stopFailed_; }
  Recording recording() const { return recording_.state(); }
  int recordCount() const { return recording_.count(); }
  const std::string& recordingPath() const { return recording_.path(); }
  long long currentRecord() const { return position_.current; }
  long long lastRecord() const { return position_.last; }
  const EchoFileInfo& fileInfo() const { return reader_.info(); }

  const std::vector<EchoScreenEntry>& screens() const { return screens_; }
  int chosen() const { return chosen_; }
  int chosenCode() const;

  Language language() const { return language_; }
  void setLanguage(Language language) { language_ = language; }
  int timerMs() const { return timerMs_; }
  const EchoScreen& screen() const { return screen_; }
  // The last whole picture (live), or the record shown (playback).
  const EchoImage& image() const { return image_; }
  const FileResult& fileResult() const { return fileResult_; }

 private:
  void reset();
  void show(EchoButton b, bool on) { screen_.show(b, on); }
  void hideButtons() { screen_.visible = {}; }
  void updateButtons();
  // Each keeps its result in lastRead_; true when it went.
  bool writeEchoCommand(int code);
  bool readPart(int part);
  EchoTick liveTick();
  EchoTick playbackTick();
  EchoTick failed();
  EchoTick wholeImage();

  JbusMaster& master_;
  LinkResult lastRead_;
  DeviceImage& deviceImage_;
  Language language_;

  bool live_ = false;
  bool playback_ = false;
  bool busy_ = false;
  int step_ = 0;
  bool restart_ = false;
  bool firstTick_ = false;
  bool closeRequested_ = false;
  bool stopFailed_ = false;
  RecordingFile recording_;
  // No other program talks to the unit between the pictures of a recording.
  PortHold recordingHold_;

  std::vector<EchoScreenEntry> screens_;
  int chosen_ = 0;

  EchoFileReader reader_;
  PlaybackPosition position_;

  int timerMs_ = kTimerStopped;
  EchoScreen screen_;
  EchoImage image_{};
  EchoImage incoming_{};  // the picture being read, part by part
  FileResult fileResult_;
};

// What the operator is told when the echo screen could not be stopped: the
// unit may still show it, its measurement stopped, and how to end it.
std::string stopFailedText(Language language);

// One black rectangle of a painted picture, in pixels of the picture area.
struct EchoCell {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const EchoCell&) const = default;
};
// The grey the picture area is filled with first (red, green and blue).
inline constexpr int kEchoBackgroundGrey = 192;

// The dark pixels of a picture painted on an area of width x height pixels:
// each of the 128 columns is width / 128 wide and each of the eight bands
// height / 8 high (integer division), the band shared out between its eight
// pixels by eighths, so the bands always fill their height exactly.
std::vector<EchoCell> echoCells(const EchoImage& image, int width, int height);

}  // namespace flowdesk
