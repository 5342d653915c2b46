// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

#include "base/BinaryFile.h"

namespace flowdesk {

// Where a recording stands: off; armed by SAVEDISK, the file not made yet;
// appending, the first record having made the file.
enum class Recording { Off, Armed, Appending };

// A recording of one record per good poll or picture, for the screens that
// record what they show (measurement, echo): the first record makes the
// file, the later ones are appended, and a record that cannot be written
// ends the recording, the records written before staying in the file.
class RecordingFile {
 public:
  using Write = std::function<FileResult(const std::string& path)>;

  bool canStart() const { return state_ == Recording::Off; }
  // SAVEDISK once the file is named; false while a recording runs.
  bool start(const std::string& path);
  // ARRETDISK; false when no recording runs.
  bool stop();

  // One record: `makeFile` for the first, `append` for the later ones.
  FileResult write(const Write& makeFile, const Write& append);

  Recording state() const { return state_; }
  bool on() const { return state_ != Recording::Off; }
  int count() const { return count_; }
  const std::string& path() const { return path_; }

 private:
  Recording state_ = Recording::Off;
  int count_ = 0;
  std::string path_;
};

}  // namespace flowdesk
