// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "link/Crc16.h"
#include "measure/MeasurementFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

// A function-3 answer of `data` with its CRC, as the unit sends it.
Bytes answer(const Bytes& data) {
  Bytes f(3 + data.size());
  f[0] = 1;
  f[1] = 3;
  f[2] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.begin() + 3);
  std::uint16_t crc = crc16(f.data(), static_cast<std::uint16_t>(f.size()));
  f.push_back(crc & 0xFF);
  f.push_back(crc >> 8);
  return f;
}

// A record whose frames carry a recognisable fill byte per block.
MeasurementRecord record(std::uint8_t fill) {
  MeasurementRecord r;
  const std::size_t dataSizes[] = {6, 66, 174, 104};
  for (std::size_t f = 0; f < kFrameCount; ++f) {
    r.frames[f] = answer(Bytes(dataSizes[f], static_cast<std::uint8_t>(fill + f)));
  }
  return r;
}

TEST(MeasurementFile, OneRecordFileLayout) {
  TempDir dir;
  IdentificationCache id;
  id.probes[1] = {"T216", 6022};
  id.FSp1 = 2;
  id.T0Sp2 = 15;
  ASSERT_TRUE(startMeasurementFile(dir.file("m.mes"), id, record(0x10)).ok());
  const Bytes bytes = fileBytes(dir.file("m.mes"));
  ASSERT_EQ(bytes.size(), 688u);  // 318 + 370
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 10),
            (Bytes{0x34, 0x01, 11, 0, 71, 0, 179, 0, 109, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 20, bytes.begin() + 30),
            (Bytes{'T', '2', '1', '6', 0, 0, 0, 0, 0x86, 0x17}));
  EXPECT_EQ(Bytes(bytes.begin() + 310, bytes.begin() + 318), (Bytes{2, 0, 0, 0, 0, 0, 15, 0}));
  // Frames in the order S2, S1, M1, M2, each whole.
  EXPECT_EQ(Bytes(bytes.begin() + 318, bytes.begin() + 329), record(0x10).frames[kFrameS2]);
  EXPECT_EQ(Bytes(bytes.end() - 109, bytes.end()), record(0x10).frames[kFrameM2]);
}

TEST(MeasurementFile, AppendedRecordsReadBackInOrder) {
  TempDir dir;
  const std::string path = dir.file("m.mes");
  ASSERT_TRUE(startMeasurementFile(path, {}, record(0x10)).ok());
  ASSERT_TRUE(appendMeasurementRecord(path, record(0x20)).ok());
  ASSERT_TRUE(appendMeasurementRecord(path, record(0x30)).ok());
  // A record cut short at the end (a crash while writing) is not a record.
  Bytes bytes = fileBytes(path);
  bytes.insert(bytes.end(), 200, 0xEE);
  putFile(path, bytes);

  MeasurementFileReader reader;
  ASSERT_TRUE(reader.open(path).ok());
  EXPECT_EQ(reader.info().recordCount, 3);
  EXPECT_EQ(reader.info().dataOffset, 318);
  EXPECT_EQ(reader.info().recordSize, 370u);
  for (int i = 0; i < 3; ++i) {
    MeasurementRecord r;
    ASSERT_TRUE(reader.readRecord(i, r).ok());
    EXPECT_EQ(r.frames, record(static_cast<std::uint8_t>(0x10 * (i + 1))).frames);
  }
  MeasurementRecord r;
  EXPECT_EQ(reader.readRecord(3, r).status, FileStatus::kNoSuchRecord);
  EXPECT_EQ(reader.readRecord(-1, r).status, FileStatus::kNoSuchRecord);
}

TEST(MeasurementFile, SizesComeFromTheHeader) {
  // A longer header part (H 310) and a longer S1 frame (73): the reader must
  // use them, not the sizes it would write.
  Bytes bytes{0x36, 0x01, 11, 0, 73, 0, 179, 0, 109, 0};
  Bytes header(310, 0);
  header[0] = 'A';
  header[300] = 9;  // FSp1
  bytes.insert(bytes.end(), header.begin(), header.end());
  for (int rec = 0; rec < 2; ++rec) {
    for (int size : {11, 73, 179, 109}) {
      bytes.insert(bytes.end(), static_cast<std::size_t>(size),
                   static_cast<std::uint8_t>(rec * 16 + size % 16));
    }
  }
  TempDir dir;
  putFile(dir.file("h.mes"), bytes);
  MeasurementFileReader reader;
  ASSERT_TRUE(reader.open(dir.file("h.mes")).ok());
  EXPECT_EQ(reader.info().dataOffset, 320);
  EXPECT_EQ(reader.info().recordSize, 372u);
  EXPECT_EQ(reader.info().recordCount, 2);
  EXPECT_EQ(reader.info().identification.probes[0].name, "A");
  EXPECT_EQ(reader.info().identification.FSp1, 9);
  MeasurementRecord r;
  ASSERT_TRUE(reader.readRecord(1, r).ok());
  EXPECT_EQ(r.frames[kFrameS1], Bytes(73, 16 + 73 % 16));
  EXPECT_EQ(r.frames[kFrameM2], Bytes(109, 16 + 109 % 16));
}

TEST(MeasurementFile, BrokenHeadersAreRefused) {
  struct Case {
    const char* name;
    Bytes bytes;
    FileStatus expected;
  };
  auto head = [](std::uint16_t h, std::uint16_t s2, std::uint16_t s1, std::uint16_t m1,
                 std::uint16_t m2, std::size_t rest) {
    Bytes v;
    for (std::uint16_t w : {h, s2, s1, m1, m2}) {
      v.push_back(w & 0xFF);
      v.push_back(w >> 8);
    }
    v.insert(v.end(), rest, 0);
    return v;
  };
  const std::vector<Case> cases = {
      {"empty", {}, FileStatus::kShorterThanHeader},
      {"nine bytes", Bytes(9, 0), FileStatus::kShorterThanHeader},
      {"header part beyond the file", head(308, 11, 71, 179, 109, 200),
       FileStatus::kShorterThanHeader},
      {"record size 0", head(308, 0, 0, 0, 0, 308), FileStatus::kZeroRecordSize},
      {"one frame of no bytes", head(308, 11, 71, 0, 109, 308 + 191), FileStatus::kZeroRecordSize},
      {"frame larger than the reply buffer", head(308, 11, 600, 179, 109, 308),
       FileStatus::kRecordTooLarge},
      {"H 0xFFFF", head(0xFFFF, 11, 71, 179, 109, 400), FileStatus::kShorterThanHeader},
      {"no record yet", head(308, 11, 71, 179, 109, 308), FileStatus::kOk},
      // An H that cannot hold the catalogue would read it as records.
      {"H 0", head(0, 11, 71, 179, 109, 308 + 370), FileStatus::kHeaderTooSmall},
      {"H 1", head(1, 11, 71, 179, 109, 308 + 370), FileStatus::kHeaderTooSmall},
      {"H 2", head(2, 11, 71, 179, 109, 308 + 370), FileStatus::kHeaderTooSmall},
      {"H 307", head(307, 11, 71, 179, 109, 308 + 370), FileStatus::kHeaderTooSmall},
      {"frame shorter than an answer", head(308, 11, 4, 179, 109, 308 + 370),
       FileStatus::kRecordTooSmall},
      {"frames of one byte", head(308, 1, 1, 1, 1, 308 + 370), FileStatus::kRecordTooSmall},
      {"smallest answers", head(308, 5, 5, 5, 5, 308), FileStatus::kOk},
      {"largest frames", head(308, 512, 512, 512, 512, 308), FileStatus::kOk},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    putFile(dir.file("b.mes"), c.bytes);
    MeasurementFileReader reader;
    FileResult r = reader.open(dir.file("b.mes"));
    EXPECT_EQ(r.status, c.expected) << r.message();
    if (!r.ok()) {
      EXPECT_NE(r.message().find(dir.file("b.mes")), std::string::npos) << r.message();
    }
    if (r.status == FileStatus::kHeaderTooSmall) {
      EXPECT_NE(r.message(kEnglish).find("Header length too small"), std::string::npos)
          << r.message(kEnglish);
      EXPECT_NE(r.message(kFrench).find(", minimum 308)"), std::string::npos) << r.message(kFrench);
    }
    if (r.ok()) {
      EXPECT_EQ(reader.info().recordCount, 0);
    }
  }
}

TEST(MeasurementFile, RecordOfTheWrongShapeIsNotWritten) {
  TempDir dir;
  MeasurementRecord bad = record(1);
  bad.frames[kFrameM1].pop_back();
  EXPECT_EQ(startMeasurementFile(dir.file("x.mes"), {}, bad).status, FileStatus::kRecordMismatch);
  EXPECT_TRUE(dir.entries().empty());
  ASSERT_TRUE(startMeasurementFile(dir.file("x.mes"), {}, record(1)).ok());
  EXPECT_EQ(appendMeasurementRecord(dir.file("x.mes"), bad).status, FileStatus::kRecordMismatch);
  EXPECT_EQ(fileBytes(dir.file("x.mes")).size(), 688u);
}

TEST(MeasurementFile, FailedAppendLeavesNoHalfRecord) {
  TempDir dir;
  const std::string path = dir.file("r.mes");
  ASSERT_TRUE(startMeasurementFile(path, {}, record(1)).ok());
  const int status = testing::runWithFileSizeLimit(800, [&] {
    return appendMeasurementRecord(path, record(2)).status == FileStatus::kWriteFailed ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(fileBytes(path).size(), 688u);
}

TEST(MeasurementFile, RecordDecodesIntoTheImageAndShortFramesStopEarly) {
  MeasurementRecord r = record(0);
  // M1 data: re-read flag 1, flow 1.5 (3F C0 00 00), velocity 0.25 (3E 80 00 00).
  Bytes m1(174, 0);
  m1[1] = 1;
  m1[2] = 0x3F;
  m1[3] = 0xC0;
  m1[6] = 0x3E;
  m1[7] = 0x80;
  r.frames[kFrameM1] = answer(m1);
  // M2 data: re-read flag 0 (decoded last, it wins), chord 1 gain 42 dB.
  Bytes m2(104, 0);
  m2[2] = 42;
  r.frames[kFrameM2] = answer(m2);
  DeviceImage image;
  decodeMeasurementRecord(r, image);
  EXPECT_FLOAT_EQ(image.measurement.flow, 1.5f);
  EXPECT_FLOAT_EQ(image.measurement.velocity, 0.25f);
  EXPECT_EQ(image.measurement.rereadFlag, 0);
  EXPECT_FLOAT_EQ(image.measurement.chords[0].gain, 42.0f);

  // An M1 frame that holds only the re-read flag and the flow leaves the
  // velocity as it was instead of decoding bytes the file never had.
  MeasurementRecord shortRecord = r;
  shortRecord.frames[kFrameM1].resize(3 + 6);
  shortRecord.frames[kFrameM1][5] = 0x40;  // flow 2.0 (40 00 00 00)
  shortRecord.frames[kFrameM1][6] = 0x00;
  image.measurement.velocity = 7.0f;
  decodeMeasurementRecord(shortRecord, image);
  EXPECT_FLOAT_EQ(image.measurement.flow, 2.0f);
  EXPECT_FLOAT_EQ(image.measurement.velocity, 7.0f);
}

}  // namespace
}  // namespace flowdesk
