// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"

namespace flowdesk {

// Where a recording stands: off; armed by SAVEDISK, the file not made yet;
// appending, the first record having made the file.
enum class Recording { kOff, kArmed, kAppending };

// The controls that come and go on the screens that record what they show
// or download, and play their files back, in the order each numbers them:
// the echo screen has the first seven picture buttons, the measurement
// screen TABLEUR too, and the logger viewer all of them.
enum class RecordingControl : std::size_t {
  kSaveDisk,
  kArretDisk,
  kPgd,
  kPgu,
  kPrint,
  kHome,
  kEnd,
  kTableur,
  kRecordField,  // the logger viewer's record-number field
  kGo,           // its "Go Enr."
  kHelp,         // its "Aide ETAT"
};
inline constexpr std::size_t kRecordingControls = 11;

// Which of them a screen shows.
struct RecordingControls {
  std::array<bool, kRecordingControls> visible{};

  bool shown(RecordingControl b) const { return visible[static_cast<std::size_t>(b)]; }
  void show(RecordingControl b, bool on) { visible[static_cast<std::size_t>(b)] = on; }
};

// A recording of one record per good poll or picture, for the screens that
// record what they show (measurement, echo): SAVEDISK arms it, the first
// record makes the file, the later ones are appended, and ARRETDISK, or a
// record that cannot be written, ends it, the records written before staying
// in the file. Each step shows or hides the screen's SAVEDISK and ARRETDISK
// as it goes.
class RecordingFile {
 public:
  using Write = std::function<FileResult(const std::string& path)>;

  bool canStart() const { return state_ == Recording::kOff; }
  // SAVEDISK once the file is named: ARRETDISK takes SAVEDISK's place.
  // False while a recording runs.
  bool start(const std::string& path, RecordingControls& buttons);
  // ARRETDISK: it goes, SAVEDISK staying hidden until the screen shows it
  // again. False when no recording runs.
  bool stop(RecordingControls& buttons);

  // One record: `makeFile` for the first, `append` for the later ones;
  // nothing while off. A record that fails ends the recording as ARRETDISK
  // would.
  FileResult write(const Write& makeFile, const Write& append, RecordingControls& buttons);
  // "Enregistrement N°" and the number of the last record.
  std::string recordText(Language language) const;

  Recording state() const { return state_; }
  bool on() const { return state_ != Recording::kOff; }
  int count() const { return count_; }
  const std::string& path() const { return path_; }

 private:
  Recording state_ = Recording::kOff;
  int count_ = 0;
  std::string path_;
};

// Where a file played back stands: record `current` shown of records 0 to
// `last` (-1 for a file without records).
struct PlaybackPosition {
  long long current = 0;
  long long last = -1;

  // The first record of a file of `records` records.
  static PlaybackPosition start(long long records) { return {0, records - 1}; }
  // HOME, PGU, PGD and END, shown where they lead somewhere else.
  void showButtons(RecordingControls& buttons) const;
  // HOME, PGD, PGU or END pressed, only while shown: the record it leads to
  // becomes current. False for any other button.
  bool navigate(RecordingControl button, const RecordingControls& buttons);
};

}  // namespace flowdesk
