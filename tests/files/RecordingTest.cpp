// SPDX-License-Identifier: GPL-3.0-or-later
// What the measurement and echo screens share of recording and playback:
// SAVEDISK, each record and ARRETDISK on the recording and its two buttons,
// and HOME, PGU, PGD and END on the record played back.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "base/BilingualText.h"
#include "files/Recording.h"

namespace flowdesk {
namespace {

using B = RecordingControl;

// One run through the steps, each from where the step before it left off.
TEST(Recording, SaveDiskRecordsUntilArretDiskOrAFailedRecord) {
  enum class Step { kStart, kRecord, kFailingRecord, kStop };
  struct Case {
    Step step;
    bool done;  // start and stop: accepted; a record: written (or nothing to do)
    Recording state;
    int count;
    std::string written;  // what the step asked of the file
    bool saveDisk, arretDisk;
  };
  const Case cases[] = {
      {Step::kRecord, true, Recording::kOff, 0, "", true, false},
      {Step::kStop, false, Recording::kOff, 0, "", true, false},
      {Step::kStart, true, Recording::kArmed, 0, "", false, true},
      {Step::kStart, false, Recording::kArmed, 0, "", false, true},
      {Step::kRecord, true, Recording::kAppending, 1, "make a", false, true},
      {Step::kRecord, true, Recording::kAppending, 2, "append a", false, true},
      {Step::kFailingRecord, false, Recording::kOff, 2, "append a", false, false},
      {Step::kRecord, true, Recording::kOff, 2, "", false, false},
      {Step::kStart, true, Recording::kArmed, 0, "", false, true},
      {Step::kFailingRecord, false, Recording::kOff, 0, "make b", false, false},
      {Step::kStart, true, Recording::kArmed, 0, "", false, true},
      {Step::kRecord, true, Recording::kAppending, 1, "make c", false, true},
      {Step::kStop, true, Recording::kOff, 1, "", false, false},
  };
  RecordingFile recording;
  RecordingControls buttons;
  buttons.show(B::kSaveDisk, true);
  const char* names[] = {"a", "b", "c"};
  int started = 0;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    std::string written;
    const auto writer = [&](const char* what, bool fails) {
      return [&written, what, fails](const std::string& path) {
        written = std::string(what) + " " + path;
        return fails ? FileResult::failure(FileStatus::kWriteFailed, path) : FileResult{};
      };
    };
    bool done = false;
    switch (c.step) {
      case Step::kStart:
        done = recording.start(names[started], buttons);
        started += done ? 1 : 0;
        break;
      case Step::kRecord:
      case Step::kFailingRecord: {
        const bool fails = c.step == Step::kFailingRecord;
        done = recording.write(writer("make", fails), writer("append", fails), buttons).ok();
        break;
      }
      case Step::kStop:
        done = recording.stop(buttons);
        break;
    }
    EXPECT_EQ(done, c.done);
    EXPECT_EQ(recording.state(), c.state);
    EXPECT_EQ(recording.count(), c.count);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(buttons.shown(B::kSaveDisk), c.saveDisk);
    EXPECT_EQ(buttons.shown(B::kArretDisk), c.arretDisk);
  }
  EXPECT_EQ(recording.recordText(kEnglish), "Record n\xC2\xB0 1");
}

TEST(Recording, PlaybackButtonsShowWhereTheyLead) {
  struct Case {
    long long records, current;
    B pressed;
    bool moved;
    long long after;
    const char* shown;  // PGD, PGU, HOME, END after the press
  };
  const Case cases[] = {
      {0, 0, B::kPgd, false, 0, "0000"}, {1, 0, B::kEnd, false, 0, "0000"},
      {3, 0, B::kPgd, true, 1, "1111"},  {3, 0, B::kPgu, false, 0, "1001"},
      {3, 1, B::kPgd, true, 2, "0110"},  {3, 2, B::kHome, true, 0, "1001"},
      {3, 0, B::kEnd, true, 2, "0110"},  {3, 1, B::kPrint, false, 1, "1111"},
      {3, 2, B::kPgu, true, 1, "1111"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.records) + " " + std::to_string(c.current));
    PlaybackPosition position = PlaybackPosition::start(c.records);
    position.current = c.current;
    RecordingControls buttons;
    buttons.show(B::kPrint, true);
    position.showButtons(buttons);
    EXPECT_EQ(position.navigate(c.pressed, buttons), c.moved);
    EXPECT_EQ(position.current, c.after);
    position.showButtons(buttons);
    std::string shown;
    for (B b : {B::kPgd, B::kPgu, B::kHome, B::kEnd}) shown += buttons.shown(b) ? '1' : '0';
    EXPECT_EQ(shown, c.shown);
  }
}

}  // namespace
}  // namespace flowdesk
