// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are not what they seem: show reads a recording as it prints
// it, never the whole file first; compare says when a file holds less than
// a block and does not end as a clean comparison.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/FileShow.h"
#include "cli/InProcessCli.h"
#include "cli/MemoryUnitRig.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "echo/EchoFile.h"
#include "logger/LoggerFile.h"
#include "support/Processes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::TempDir;

// Output that calls `lineDone` with each line as soon as it is complete.
class LineWatcher : public std::streambuf {
 public:
  std::string text;
  std::function<void(const std::string&)> lineDone;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    text.push_back(traits_type::to_char_type(c));
    if (text.back() == '\n' && lineDone) {
      const std::size_t start = text.rfind('\n', text.size() - 2);
      lineDone(text.substr(start == std::string::npos ? 0 : start + 1));
    }
    return c;
  }
};

// Writes a recording of `records` records of the kind.
using RecordingWriter = std::function<bool(const std::string& path, int records)>;

bool writeLogger(const std::string& path, int records) {
  if (!createLoggerFile(path, kLoggerRecordSize4).ok()) return false;
  int written = 0;
  const Bytes data(static_cast<std::size_t>(records) * kLoggerRecordSize4, 1);
  return appendLoggerRecords(path, 1, kLoggerRecordSize4, data, records, written).ok() &&
         written == records;
}

bool writeEcho(const std::string& path, int records) {
  if (!startEchoFile(path, EchoImage{}).ok()) return false;
  for (int i = 1; i < records; ++i) {
    if (!appendEchoImage(path, EchoImage{}).ok()) return false;
  }
  return true;
}

// The file is cut back to its first record as soon as the first record's
// line has been printed: a show that reads as it prints has printed that
// line and then fails on the second record; one that read everything before
// printing would show all three.
TEST(ShowLargeFiles, RecordsArePrintedAsTheyAreRead) {
  const struct Case {
    const char* name;
    RecordingWriter write;
  } cases[] = {{"r.log", writeLogger}, {"r.ech", writeEcho}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.file(c.name);
    const std::string one = dir.file(std::string("one-") + c.name);
    ASSERT_TRUE(c.write(one, 1));
    ASSERT_TRUE(c.write(path, 3));
    const auto cut = std::filesystem::file_size(one);

    LineWatcher watcher;
    watcher.lineDone = [&](const std::string& line) {
      if (line.starts_with("1  ")) std::filesystem::resize_file(path, cut);
    };
    std::ostream out(&watcher);
    const FileResult r = showFile(path, kEnglish, {}, out);
    EXPECT_EQ(r.status, FileStatus::kShorterThanData) << r.message();
    EXPECT_NE(watcher.text.find("\n1  "), std::string::npos) << watcher.text;
    EXPECT_EQ(watcher.text.find("\n2  "), std::string::npos) << watcher.text;
  }
}

// compare against the in-process unit.
struct CompareRig : testing::MemoryUnitRig {
  testing::InProcessCli cli;
  CompareRig() {
    cli.clock = &clock;
    cli.portOpener = [this](int port, long baud, char parity, int dataBits, int stopBits) {
      return openMemoryPort(line, port, baud, parity, dataBits, stopBits);
    };
  }
};

// A file that holds less than a block (a length word of 0 or 1 included) is
// compared over the defaults, as it is shown; the command says so, names
// the fields that took their defaults, puts the same in the report and ends
// with status 1. A whole block is a clean comparison.
TEST(CompareShortFiles, AreSaidAndEndWithStatusOne) {
  const struct Case {
    const char* name;
    std::size_t bytes;
    int status;
    std::string note;   // in the error line and at the end of the report
    std::string field;  // one of the fields named
  } cases[] = {
      {"zero.eta", 0, 1, "The file holds only 0 of a configuration's 124 bytes", "Q Max"},
      {"one.eta", 1, 1, "The file holds only 1 of a configuration's 124 bytes", "Q Max"},
      {"most.eta", 123, 1, "The file holds only 123 of a configuration's 124 bytes", ""},
      {"whole.eta", kConfigurationBytes, 0, "", ""},
      {"zero.rus", 0, 1, "The file holds only 0 of the block's 68 bytes", "Contrast"},
      {"one.rus", 1, 1, "The file holds only 1 of the block's 68 bytes", "Contrast"},
      {"whole.rus", kFactoryBytes, 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompareRig rig;
    const std::string path = rig.cli.file(c.name);
    const bool factory = std::string(c.name).ends_with(".rus");
    if (factory) {
      ASSERT_TRUE(writeFactoryFile(path, FactoryFile{Bytes(c.bytes, 0)}).ok());
    } else {
      CalibrationFile file;
      file.block.assign(c.bytes, 0);
      ASSERT_TRUE(writeCalibrationFile(path, file).ok());
    }
    std::vector<std::string> args{"--lang", "en", "compare", path};
    if (factory) args.insert(args.begin(), "--factory");
    EXPECT_EQ(rig.cli.run(args), c.status) << rig.cli.err;
    const std::string report = rig.cli.file("Deviation.prn");
    EXPECT_EQ(rig.cli.out, report + "\n");
    const std::string written = testing::wholeFile(report);
    if (c.note.empty()) {
      EXPECT_EQ(rig.cli.err, "");
      EXPECT_EQ(written.find("holds only"), std::string::npos) << written;
      continue;
    }
    EXPECT_EQ(rig.cli.errLines(), 1) << rig.cli.err;
    EXPECT_TRUE(rig.cli.err.starts_with("flowdesk-cli: " + path + ": " + c.note)) << rig.cli.err;
    const std::size_t note = written.find("\n\n" + c.note);
    ASSERT_NE(note, std::string::npos) << written;
    EXPECT_EQ(written.find('\n', note + 2), written.size() - 1) << "the report's last line";
    if (!c.field.empty()) {
      EXPECT_NE(rig.cli.err.find(c.field), std::string::npos) << rig.cli.err;
      EXPECT_NE(written.find(c.field, note), std::string::npos) << written;
    }
  }
}

}  // namespace
}  // namespace flowdesk
