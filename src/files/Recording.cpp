// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Recording.h"

#include "base/Texts.h"
#include "files/PlaybackNavigation.h"

namespace flowdesk {

bool RecordingFile::start(const std::string& path, RecordingControls& buttons) {
  if (!canStart()) return false;
  path_ = path;
  state_ = Recording::kArmed;
  count_ = 0;
  buttons.show(RecordingControl::kSaveDisk, false);
  buttons.show(RecordingControl::kArretDisk, true);
  return true;
}

bool RecordingFile::stop(RecordingControls& buttons) {
  if (!on()) return false;
  state_ = Recording::kOff;
  buttons.show(RecordingControl::kArretDisk, false);
  return true;
}

FileResult RecordingFile::write(const Write& makeFile, const Write& append,
                                RecordingControls& buttons) {
  if (!on()) return {};
  const bool first = state_ == Recording::kArmed;
  FileResult written = first ? makeFile(path_) : append(path_);
  if (!written.ok()) {
    // Every later record would fail the same way.
    stop(buttons);
    return written;
  }
  state_ = Recording::kAppending;
  count_ = first ? 1 : count_ + 1;
  return written;
}

std::string RecordingFile::recordText(Language language) const {
  return textWithNumbers(kTxtRecordNo.text(language), {count_});
}

void PlaybackPosition::showButtons(RecordingControls& buttons) const {
  for (RecordingControl b : {RecordingControl::kPgd, RecordingControl::kPgu,
                             RecordingControl::kHome, RecordingControl::kEnd}) {
    buttons.show(b, last >= 0);
  }
  if (current <= 0) {
    buttons.show(RecordingControl::kPgu, false);
    buttons.show(RecordingControl::kHome, false);
  }
  if (current >= last) {
    buttons.show(RecordingControl::kPgd, false);
    buttons.show(RecordingControl::kEnd, false);
  }
}

bool PlaybackPosition::navigate(RecordingControl button, const RecordingControls& buttons) {
  if (!buttons.shown(button)) return false;
  const std::optional<long long> record = playbackRecord(button, current, last);
  if (!record) return false;
  current = *record;
  return true;
}

}  // namespace flowdesk
