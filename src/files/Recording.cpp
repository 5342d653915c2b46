// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Recording.h"

namespace flowdesk {

bool RecordingFile::start(const std::string& path) {
  if (!canStart()) return false;
  path_ = path;
  state_ = Recording::Armed;
  count_ = 0;
  return true;
}

bool RecordingFile::stop() {
  if (!on()) return false;
  state_ = Recording::Off;
  return true;
}

FileResult RecordingFile::write(const Write& makeFile, const Write& append) {
  if (!on()) return {};
  const bool first = state_ == Recording::Armed;
  FileResult written = first ? makeFile(path_) : append(path_);
  if (!written.ok()) {
    // Every later record would fail the same way.
    state_ = Recording::Off;
    return written;
  }
  state_ = Recording::Appending;
  count_ = first ? 1 : count_ + 1;
  return written;
}

}  // namespace flowdesk
