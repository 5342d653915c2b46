#include <gtest/gtest.h>

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
    return r.status == FileStatus::WriteFailed ? 0 : 1;
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

TEST(AtomicWrite, MissingFolderIsReportedWithThePath) {
  TempDir dir;
  const std::string path = dir.file("no/such/folder/x.nvd");
  const FileResult r = writeFileAtomic(path, Bytes(20, 0));
  EXPECT_EQ(r.status, FileStatus::CannotCreate);
  EXPECT_NE(r.message(1).find(path), std::string::npos);
  EXPECT_NE(r.message(0).find("Impossible de créer"), std::string::npos);
}

}  // namespace
}  // namespace flowdesk
