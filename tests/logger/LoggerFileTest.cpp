// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

// `count` records of `size` bytes, record k filled with k + 1; the records
// listed in `emptyAt` carry the empty mark.
Bytes answerData(std::size_t size, int count, std::vector<int> emptyAt = {}) {
  Bytes data;
  for (int k = 0; k < count; ++k) {
    Bytes rec(size, static_cast<std::uint8_t>(k + 1));
    for (int e : emptyAt) {
      if (e == k) rec[3] = kEmptyRecordDay;
    }
    data.insert(data.end(), rec.begin(), rec.end());
  }
  return data;
}

TEST(LoggerFile, HeaderWordGivesTheKind) {
  TempDir dir;
  ASSERT_TRUE(createLoggerFile(dir.file("4.log"), 31).ok());
  ASSERT_TRUE(createLoggerFile(dir.file("9.log"), 62).ok());
  EXPECT_EQ(fileBytes(dir.file("4.log")), (Bytes{0x22, 0x00}));
  EXPECT_EQ(fileBytes(dir.file("9.log")), (Bytes{0x41, 0x00}));
}

TEST(LoggerFile, AnswersAreStoredRecordByRecordUpToTheEmptyMark) {
  struct Case {
    const char* name;
    std::size_t size;
    int asked;
    Bytes data;
    int expected;
  };
  const std::vector<Case> cases = {
      {"whole answer of 8", 31, 8, answerData(31, 8), 8},
      {"third record empty", 31, 8, answerData(31, 8, {2}), 2},
      {"first record empty", 62, 4, answerData(62, 4, {0}), 0},
      {"answer shorter than asked", 62, 4, answerData(62, 3), 3},
      {"half a record at the end", 31, 2, Bytes(45, 1), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.file("d.log");
    ASSERT_TRUE(createLoggerFile(path, c.size).ok());
    int written = -1;
    ASSERT_TRUE(appendLoggerRecords(path, 9, c.size, c.data, c.asked, written).ok());
    EXPECT_EQ(written, c.expected);
    const Bytes bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 2 + static_cast<std::size_t>(c.expected) * (c.size + 3));
    LoggerFileReader reader;
    ASSERT_TRUE(reader.open(path).ok());
    EXPECT_EQ(reader.info().recordCount, c.expected);
    for (int k = 0; k < c.expected; ++k) {
      Bytes stored;
      ASSERT_TRUE(reader.readStoredRecord(k, stored).ok());
      // Shaped as a one-record function-4 answer without CRC.
      EXPECT_EQ(stored[0], 9);
      EXPECT_EQ(stored[1], 4);
      EXPECT_EQ(stored[2], c.size);
      auto rec = loggerRecordBytes(stored);
      EXPECT_EQ(Bytes(rec.begin(), rec.end()),
                Bytes(c.data.begin() + static_cast<long>(k * c.size),
                      c.data.begin() + static_cast<long>((k + 1) * c.size)));
    }
  }
}

TEST(LoggerFile, LaterAnswersAppend) {
  TempDir dir;
  const std::string path = dir.file("a.log");
  ASSERT_TRUE(createLoggerFile(path, 31).ok());
  int written = 0;
  ASSERT_TRUE(appendLoggerRecords(path, 1, 31, answerData(31, 8), 8, written).ok());
  ASSERT_TRUE(appendLoggerRecords(path, 1, 31, answerData(31, 8, {5}), 8, written).ok());
  EXPECT_EQ(written, 5);
  Bytes bytes = fileBytes(path);
  EXPECT_EQ(bytes.size(), 2u + 13 * 34);
  bytes.push_back(0);  // a partial record is ignored by readers
  putFile(path, bytes);
  LoggerFileReader reader;
  ASSERT_TRUE(reader.open(path).ok());
  EXPECT_EQ(reader.info().recordCount, 13);
  EXPECT_EQ(reader.info().recordSize(), 31u);
}

TEST(LoggerFile, BrokenHeadersAreRefused) {
  struct Case {
    const char* name;
    Bytes bytes;
    FileStatus expected;
  };
  const std::vector<Case> cases = {
      {"empty", {}, FileStatus::kShorterThanHeader},
      {"one byte", {0x22}, FileStatus::kShorterThanHeader},
      {"record size 0", {0x00, 0x00, 1, 2, 3}, FileStatus::kZeroRecordSize},
      {"record larger than the reply buffer", {0x01, 0x02, 0, 0}, FileStatus::kRecordTooLarge},
      // Each stored record carries its size in one byte: 3 + 255 at most.
      {"record of 512", {0x00, 0x02, 0, 0}, FileStatus::kRecordTooLarge},
      {"record of 259", {0x03, 0x01, 0, 0}, FileStatus::kRecordTooLarge},
      {"record of 258", {0x02, 0x01, 0, 0}, FileStatus::kOk},
      {"record size 1", {0x01, 0x00, 1, 2, 3}, FileStatus::kRecordTooSmall},
      {"prefix alone", {0x03, 0x00, 1, 2, 3}, FileStatus::kRecordTooSmall},
      {"prefix and 12 bytes", {0x0F, 0x00, 1, 2, 3}, FileStatus::kRecordTooSmall},
      {"prefix and the fixed part", {0x10, 0x00}, FileStatus::kOk},
      {"header only", {0x41, 0x00}, FileStatus::kOk},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    putFile(dir.file("b.log"), c.bytes);
    LoggerFileReader reader;
    EXPECT_EQ(reader.open(dir.file("b.log")).status, c.expected);
  }
  int written = 0;
  EXPECT_EQ(createLoggerFile(dir.file("z.log"), 0).status, FileStatus::kZeroRecordSize);
  EXPECT_EQ(appendLoggerRecords(dir.file("b.log"), 1, 300, Bytes(300, 1), 1, written).status,
            FileStatus::kRecordTooLarge);
}

// A logger fills at most kMaxLoggerRecords records: a file of more is
// refused from its size alone, before a record is read (a sparse file of
// gigabytes would otherwise be read and shown record by record).
TEST(LoggerFile, AFileLargerThanAnyLoggerIsRefusedAtOnce) {
  struct Case {
    const char* name;
    std::uint16_t stored;
    long long size;
    FileStatus expected;
  };
  const long long full4 = 2 + kMaxLoggerRecords * 34;
  const long long full9 = 2 + kMaxLoggerRecords * 65;
  const Case cases[] = {
      {"a full logger of 4 parameters", 34, full4, FileStatus::kOk},
      {"a full logger of 9 parameters", 65, full9, FileStatus::kOk},
      {"past the last 4 KiB of 4 parameters", 34, loggerFileLimit(34) + 1,
       FileStatus::kFileTooLarge},
      {"as large as the largest of 9, of 4 parameters", 34, full9, FileStatus::kFileTooLarge},
      {"2 GiB", 34, 2LL << 30, FileStatus::kFileTooLarge},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file("big.log");
    putFile(path, {static_cast<std::uint8_t>(c.stored), 0});
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(c.size));
    LoggerFileReader reader;
    const FileResult r = reader.open(path);
    EXPECT_EQ(r.status, c.expected) << r.message();
    if (r.ok()) {
      EXPECT_EQ(reader.info().recordCount, kMaxLoggerRecords);
    }
  }
}

TEST(LoggerFile, MissingFileIsReported) {
  TempDir dir;
  int written = 0;
  FileResult r = appendLoggerRecords(dir.file("none.log"), 1, 31, answerData(31, 1), 1, written);
  EXPECT_EQ(r.status, FileStatus::kCannotOpen);
  EXPECT_EQ(written, 0);
  LoggerFileReader reader;
  EXPECT_EQ(reader.open(dir.file("none.log")).status, FileStatus::kCannotOpen);
  EXPECT_EQ(reader.open(dir.path()).status, FileStatus::kCannotOpen);  // a folder is no file
}

}  // namespace
}  // namespace flowdesk
