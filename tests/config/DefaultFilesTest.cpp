// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/CalibrationFile.h"
#include "config/DefaultFiles.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::TempDir;

// Each kind's default file, read back by the reader of its kind: what File >
// New and `flowdesk-cli new` both hand to the screens and the unit.
TEST(DefaultFiles, EachDefaultKindWritesAFileItsReaderAccepts) {
  AppSettings settings;
  settings.probes[2] = {"Mine", 4550};
  settings.FSp1 = 3;
  settings.T0Sp2 = 77;
  settings.Unit = 5;  // the unit code is no part of any file

  const struct {
    FileKind kind;
    std::size_t size;
    Bytes expected;
    std::function<FileResult(const std::string& path)> readBack;
  } cases[] = {
      {FileKind::kCalibration, 436, calibrationFileBytes(defaultCalibrationFile(settings)),
       [&](const std::string& path) {
         CalibrationFile f;
         FileResult r = readCalibrationFile(path, f);
         // the file carries this installation's catalogue and words
         EXPECT_EQ(f.identification.probes, settings.probes);
         EXPECT_EQ(f.identification.FSp1, 3);
         EXPECT_EQ(f.identification.T0Sp2, 77);
         EXPECT_EQ(f.block, defaultCalibrationFile({}).block);
         return r;
       }},
      {FileKind::kFactorySettings, 70, factoryFileBytes(defaultFactoryFile()),
       [](const std::string& path) {
         FactoryFile f;
         FileResult r = readFactoryFile(path, f);
         EXPECT_EQ(f.block, defaultFactoryFile().block);
         return r;
       }},
      {FileKind::kMakerSettings, 20, makerFileBytes(defaultMakerFile()),
       [](const std::string& path) {
         MakerFile f;
         FileResult r = readMakerFile(path, f);
         EXPECT_EQ(f.block, defaultMakerFile().block);
         EXPECT_EQ(f.extra, defaultMakerFile().extra);
         return r;
       }},
      {FileKind::kSpecialProbe, 10, specialProbeFileBytes(defaultSpecialProbe()),
       [](const std::string& path) {
         SpecialProbe p;
         FileResult r = readSpecialProbeFile(path, p);
         EXPECT_EQ(p, defaultSpecialProbe());
         return r;
       }},
  };
  for (const auto& c : cases) {
    const char* extension = fileKindInfo(c.kind).extension;
    TempDir dir;
    // No extension of its own: the path is taken exactly as given.
    const std::string path = dir.file("made by new");
    const FileResult written = writeDefaultFile(c.kind, path, settings);
    ASSERT_TRUE(written.ok()) << extension << ": " << written.message();
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"made by new"}) << extension;
    EXPECT_EQ(fileBytes(path).size(), c.size) << extension;
    EXPECT_EQ(fileBytes(path), c.expected) << extension;
    const FileResult read = c.readBack(path);
    EXPECT_TRUE(read.ok()) << extension << ": " << read.message();
  }
}

// The kinds that are recorded, not made from defaults, write nothing; the
// flag the New commands and the CLI go by agrees with the writer.
TEST(DefaultFiles, OnlyTheKindsWithDefaultsAreWritten) {
  for (const FileKindInfo& kind : fileKinds()) {
    TempDir dir;
    const std::string path = dir.file(std::string("a.") + kind.extension);
    const FileResult r = writeDefaultFile(kind.kind, path, AppSettings{});
    EXPECT_EQ(r.ok(), kind.newFromDefaults) << kind.extension;
    EXPECT_EQ(dir.entries().size(), kind.newFromDefaults ? 1u : 0u) << kind.extension;
    if (!kind.newFromDefaults) {
      EXPECT_EQ(r.status, FileStatus::kUnknownKind) << kind.extension;
      EXPECT_EQ(r.path, path);
    }
  }
}

// A folder that cannot take the file: the writer's own failure, naming the
// path, and nothing left behind.
TEST(DefaultFiles, AFolderThatIsNotThereFailsWithThePath) {
  TempDir dir;
  const std::string path = dir.file("missing/a.eta");
  const FileResult r = writeDefaultFile(FileKind::kCalibration, path, AppSettings{});
  EXPECT_EQ(r.status, FileStatus::kCannotCreate);
  EXPECT_EQ(r.path, path);
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace flowdesk
