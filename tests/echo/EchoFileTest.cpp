// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "echo/EchoFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

EchoImage picture(std::uint8_t seed) {
  EchoImage image{};
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(seed + i * 7);
  return image;
}

TEST(EchoFile, RecordingAppendsOnePicturePerRecord) {
  TempDir dir;
  const std::string path = dir.file("e.ech");
  ASSERT_TRUE(startEchoFile(path, picture(0)).ok());
  for (std::uint8_t k = 1; k < 5; ++k) ASSERT_TRUE(appendEchoImage(path, picture(k)).ok());
  const Bytes bytes = fileBytes(path);
  ASSERT_EQ(bytes.size(), 2u + 5 * 1024);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[1], 0x04);
  EchoFileReader reader;
  ASSERT_TRUE(reader.open(path).ok());
  EXPECT_EQ(reader.info().recordCount, 5);
  for (int k = 0; k < 5; ++k) {
    EchoImage image{};
    ASSERT_TRUE(reader.readImage(k, image).ok());
    EXPECT_EQ(image, picture(static_cast<std::uint8_t>(k)));
  }
  EchoImage image{};
  EXPECT_EQ(reader.readImage(5, image).status, FileStatus::kNoSuchRecord);
}

TEST(EchoFile, RecordSizeFromTheHeader) {
  struct Case {
    std::uint16_t size;
    int records;
  };
  for (Case c : {Case{2000, 2}, Case{1024, 3}}) {
    SCOPED_TRACE(c.size);
    Bytes bytes{static_cast<std::uint8_t>(c.size & 0xFF), static_cast<std::uint8_t>(c.size >> 8)};
    for (int r = 0; r < c.records; ++r)
      bytes.insert(bytes.end(), c.size, static_cast<std::uint8_t>(r + 1));
    bytes.push_back(0xEE);  // a partial record at the end is ignored
    TempDir dir;
    putFile(dir.file("s.ech"), bytes);
    EchoFileReader reader;
    ASSERT_TRUE(reader.open(dir.file("s.ech")).ok());
    EXPECT_EQ(reader.info().recordCount, c.records);
    EchoImage image;
    image.fill(0x55);
    ASSERT_TRUE(reader.readImage(c.records - 1, image).ok());
    // A larger record gives its first 1024 bytes.
    for (std::size_t i = 0; i < image.size(); ++i) ASSERT_EQ(image[i], c.records) << i;
  }
}

TEST(EchoFile, BrokenHeadersAreRefused) {
  TempDir dir;
  struct Case {
    Bytes bytes;
    FileStatus expected;
  };
  // A record smaller than a picture would read the file out of step with
  // its pictures: a size of 1 makes every byte one.
  const Bytes pages(2048, 0x5A);
  auto sized = [&](std::uint16_t size) {
    Bytes b{static_cast<std::uint8_t>(size & 0xFF), static_cast<std::uint8_t>(size >> 8)};
    b.insert(b.end(), pages.begin(), pages.end());
    return b;
  };
  for (const Case& c :
       {Case{{}, FileStatus::kShorterThanHeader}, Case{{4}, FileStatus::kShorterThanHeader},
        Case{{0, 0, 1, 2, 3}, FileStatus::kZeroRecordSize},
        Case{sized(1), FileStatus::kRecordTooSmall}, Case{sized(100), FileStatus::kRecordTooSmall},
        Case{sized(1023), FileStatus::kRecordTooSmall}, Case{sized(1024), FileStatus::kOk}}) {
    putFile(dir.file("b.ech"), c.bytes);
    EchoFileReader reader;
    const FileResult r = reader.open(dir.file("b.ech"));
    EXPECT_EQ(r.status, c.expected) << r.message();
    if (c.expected == FileStatus::kRecordTooSmall) {
      EXPECT_NE(r.message(kEnglish).find(", at least 1024)"), std::string::npos)
          << r.message(kEnglish);
    }
  }
}

TEST(EchoFile, PixelsOfThePicture) {
  EchoImage image{};
  image[0] = 0x01;        // top left
  image[1023] = 0x80;     // bottom right
  image[128 + 5] = 0x04;  // band 1, column 5, third pixel: y = 8 + 2
  int dark = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) dark += echoPixel(image, x, y);
  }
  EXPECT_EQ(dark, 3);
  EXPECT_TRUE(echoPixel(image, 0, 0));
  EXPECT_TRUE(echoPixel(image, 127, 63));
  EXPECT_TRUE(echoPixel(image, 5, 10));
  EXPECT_FALSE(echoPixel(image, 128, 0));
  EXPECT_FALSE(echoPixel(image, -1, 0));
}

}  // namespace
}  // namespace flowdesk
