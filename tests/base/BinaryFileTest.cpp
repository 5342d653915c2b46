// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

// A write that fails half way (here: the file size limit, as a full disk
// would) must leave the previous file whole and no temporary file behind.
TEST(AtomicWrite, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.file("keep.eta");
  const Bytes old(436, 0x5A);
  putFile(path, old);
  const int status = testing::runWithFileSizeLimit(100, [&] {
    const FileResult r = writeFileAtomic(path, Bytes(436, 0x11));
    return r.status == FileStatus::kWriteFailed ? 0 : 1;
  });
  EXPECT_EQ(status, 0) << "the write must report its failure";
  EXPECT_EQ(fileBytes(path), old);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.eta"});
}

TEST(AtomicWrite, SuccessfulWriteReplacesTheFileAndLeavesNothingElse) {
  TempDir dir;
  const std::string path = dir.file("new.rus");
  putFile(path, Bytes(3, 1));
  ASSERT_TRUE(writeFileAtomic(path, Bytes(70, 2)).ok());
  EXPECT_EQ(fileBytes(path), Bytes(70, 2));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"new.rus"});
}

// A save killed half way leaves its hidden twin behind. The next write of
// the same file removes such twins, and nothing that is not surely one: the
// exact name, a plain file, unchanged for a while and held by no writer.
TEST(AtomicWrite, StaleTwinsOfTheFileGoAtItsNextWrite) {
  enum Shape { kFile, kLockedFile, kFolder, kLink };
  struct Case {
    const char* name;
    Shape shape;
    bool old;
    bool removed;
  };
  const Case cases[] = {
      {".keep.eta.Ab3xYz", kFile, true, true},
      {".keep.eta.000000", kFile, true, true},
      {".keep.eta.fresh1", kFile, false, true},        // unlocked: its writer is gone
      {".keep.eta.locked", kLockedFile, true, false},  // its writer is still at it
      {".keep.eta.Ab3xY", kFile, true, false},         // not what mkstemp makes
      {".keep.eta.Ab3xYzz", kFile, true, false},
      {".keep.eta.Ab-xYz", kFile, true, false},
      {".keep.etaxAb3xYz", kFile, true, false},
      {"keep.eta.Ab3xYz", kFile, true, false},    // not hidden
      {".other.eta.Ab3xYz", kFile, true, false},  // another file's
      {".keep.eta.folder", kFolder, true, false},
      {".keep.eta.link12", kLink, true, false},
  };
  TempDir dir;
  const std::string path = dir.file("keep.eta");
  putFile(path, Bytes(436, 1));
  const std::time_t hourAgo = std::time(nullptr) - 3600;
  const timespec oldTimes[2] = {{hourAgo, 0}, {hourAgo, 0}};
  std::vector<int> held;
  std::vector<std::string> expected{"keep.eta"};
  for (const Case& c : cases) {
    const std::string entry = dir.file(c.name);
    if (c.shape == kFolder) {
      ASSERT_EQ(::mkdir(entry.c_str(), 0700), 0);
    } else if (c.shape == kLink) {
      ASSERT_EQ(::symlink(path.c_str(), entry.c_str()), 0);
    } else {
      putFile(entry, {});
    }
    if (c.shape == kLockedFile) {
      held.push_back(::open(entry.c_str(), O_RDONLY | O_CLOEXEC));
      ASSERT_EQ(::flock(held.back(), LOCK_EX | LOCK_NB), 0);
    }
    if (c.old) {
      ASSERT_EQ(::utimensat(AT_FDCWD, entry.c_str(), oldTimes, AT_SYMLINK_NOFOLLOW), 0);
    }
    if (!c.removed) expected.push_back(c.name);
  }
  ASSERT_TRUE(writeFileAtomic(path, Bytes(436, 2)).ok());
  for (int fd : held) ::close(fd);
  std::vector<std::string> entries = dir.entries();
  std::sort(entries.begin(), entries.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(fileBytes(path), Bytes(436, 2));
}

// Whatever a path names, a reader opens only a regular file, without
// waiting for a FIFO's writer, and reads a file whole only up to the size
// its kind allows.
TEST(ReadingFiles, OnlyRegularFilesOfAPossibleSize) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.eta");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string sparse = dir.file("huge.csp540");
  const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 2LL << 30), 0);
  ::close(fd);
  const std::string atLimit = dir.file("page.rus");
  putFile(atLimit, Bytes(4096, 1));
  struct Case {
    const char* name;
    std::string path;
    FileStatus whole;   // readWholeFile with a limit of 4096
    FileStatus opened;  // ReadOnlyFile, which reads records on demand
    std::string english, french;
  };
  const Case cases[] = {
      {"FIFO", fifo, FileStatus::kNotRegularFile, FileStatus::kNotRegularFile,
       "Not a regular file " + fifo, "Pas un fichier ordinaire " + fifo},
      {"device", "/dev/null", FileStatus::kNotRegularFile, FileStatus::kNotRegularFile,
       "Not a regular file /dev/null", "Pas un fichier ordinaire /dev/null"},
      {"folder", dir.path(), FileStatus::kCannotOpen, FileStatus::kCannotOpen,
       "Cannot open the file " + dir.path(), "Impossible d'ouvrir le fichier " + dir.path()},
      {"2 GiB, sparse", sparse, FileStatus::kFileTooLarge, FileStatus::kOk,
       "File too large for its kind " + sparse + " (2147483648 bytes, at most 4096)",
       "Fichier trop grand pour son type " + sparse + " (2147483648 octets, maximum 4096)"},
      {"at the limit", atLimit, FileStatus::kOk, FileStatus::kOk, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes{9};
    const FileResult r = readWholeFile(c.path, bytes, 4096);
    EXPECT_EQ(r.status, c.whole);
    EXPECT_EQ(bytes.size(), r.ok() ? 4096u : 0u) << "nothing read of a refused file";
    if (!r.ok()) {
      EXPECT_EQ(r.message(kEnglish).rfind(c.english, 0), 0u) << r.message(kEnglish);
      EXPECT_EQ(r.message(kFrench).rfind(c.french, 0), 0u) << r.message(kFrench);
    }
    ReadOnlyFile file;
    EXPECT_EQ(file.open(c.path).status, c.opened);
  }
}

// A file replaced keeps the permissions its owner gave it, a new one gets
// the umask's; a name that leads to anything but a regular file is refused
// and left as it was, with no twin beside it.
TEST(AtomicWrite, AReplacedFileKeepsItsModeAndOnlyRegularFilesAreReplaced) {
  enum Shape { kNone, kFile, kFifo, kFolder };
  struct Case {
    const char* name;
    Shape shape;
    mode_t before;
    FileStatus status;
    mode_t after;
  };
  const Case cases[] = {
      {"new.prn", kNone, 0, FileStatus::kOk, 0644},
      {"private.prn", kFile, 0600, FileStatus::kOk, 0600},
      {"group.eta", kFile, 0640, FileStatus::kOk, 0640},
      {"read-only.rus", kFile, 0444, FileStatus::kOk, 0444},
      {"fifo.svg", kFifo, 0600, FileStatus::kNotRegularFile, 0},
      {"folder.png", kFolder, 0700, FileStatus::kNotRegularFile, 0},
  };
  const mode_t mask = ::umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.file(c.name);
    if (c.shape == kFile) putFile(path, Bytes(3, 1));
    if (c.shape == kFifo) {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    if (c.shape == kFolder) {
      ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    }
    if (c.shape != kNone) {
      ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
    }
    struct stat was {};
    ::lstat(path.c_str(), &was);
    const FileResult r = writeFileAtomic(path, Bytes(20, 2));
    EXPECT_EQ(r.status, c.status) << r.message();
    EXPECT_EQ(dir.entries(), std::vector<std::string>{c.name}) << "no twin left";
    struct stat now {};
    ASSERT_EQ(::lstat(path.c_str(), &now), 0);
    if (r.ok()) {
      EXPECT_TRUE(S_ISREG(now.st_mode));
      EXPECT_EQ(now.st_mode & 07777, c.after);
      EXPECT_EQ(fileBytes(path), Bytes(20, 2));
    } else {
      EXPECT_EQ(now.st_mode, was.st_mode) << "left as it was";
      EXPECT_NE(r.message(kEnglish).find("Not a regular file " + path), std::string::npos);
    }
  }
  ::umask(mask);
}

TEST(AtomicWrite, MissingFolderIsReportedWithThePath) {
  TempDir dir;
  const std::string path = dir.file("no/such/folder/x.nvd");
  const FileResult r = writeFileAtomic(path, Bytes(20, 0));
  EXPECT_EQ(r.status, FileStatus::kCannotCreate);
  EXPECT_NE(r.message(kEnglish).find(path), std::string::npos);
  EXPECT_NE(r.message(kFrench).find("Impossible de créer"), std::string::npos);
}

}  // namespace
}  // namespace flowdesk
