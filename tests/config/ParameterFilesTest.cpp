// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using testing::fileBytes;
using testing::putFile;
using testing::TempDir;

Bytes repeat(std::initializer_list<std::uint8_t> pattern, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), pattern);
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// New files of defaults, byte for byte as the register tables give them.
TEST(ParameterFiles, NewFactoryFileHoldsTheTableDefaults) {
  const Bytes expected = concat({
      {0x44, 0x00},                          // length 68
      {0, 0, 0x00, 0x00, 0, 1, 1},           // polarity, function, DeltaT, ER2, Jbus 1, inversion 1
      {0x00, 0x00, 0x5A, 0x0A},              // simulated flow 90 (9.0), ripple 10
      {0x00, 0x00, 0, 5, 0x00, 0x00, 0, 5},  // SP1 angle, T0, freq 5; SP2 the same
      repeat({0x20}, 12),                    // SP1 and SP2 texts: blanks
      {0, 0, 0, 0},                          // reserved
      {0x00, 0x00, 4},                       // reference flow 0, unit 4
      repeat({0x03, 0xE8}, 11),              // eleven factors 1.000
      {0, 0, 0x0A, 0, 0x32, 0, 0, 0},        // backlight .. resume delay, reserved
  });
  ASSERT_EQ(expected.size(), 70u);
  EXPECT_EQ(factoryFileBytes(defaultFactoryFile()), expected);
}

TEST(ParameterFiles, NewMakerAndSpecialProbeFiles) {
  EXPECT_EQ(makerFileBytes(defaultMakerFile()),
            (Bytes{0x0C, 0x00, 0x04, 0x00, 0x01, 0x5E, 0x00, 0x01, 0x00, 0x00,
                   0x2A, 0xF8, 0xD6, 0xD8, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
  // "SP N°1" is six Windows-1252 bytes, the degree sign one of them.
  EXPECT_EQ(specialProbeFileBytes(defaultSpecialProbe()),
            (Bytes{'S', 'P', ' ', 'N', 0xB0, '1', 0, 0, 0, 0}));
}

TEST(ParameterFiles, NewCalibrationFileCarriesTheCatalogueAndTheDefaults) {
  IdentificationCache id;
  id.probes[0] = {"SP No 1", 0};
  id.probes[6] = {"T210", 6022};
  id.probes[29] = {"LongName9", -2};  // cut to 8 bytes; the word as two's complement
  id.FSp1 = 3;
  id.FSp2 = 4;
  id.T0Sp1 = 123;
  id.T0Sp2 = -1;
  id.Unit = 5;  // not part of the file
  const Bytes bytes = calibrationFileBytes(defaultCalibrationFile(id));
  ASSERT_EQ(bytes.size(), 436u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x36, 0x01, 0x7C, 0x00}));
  EXPECT_EQ(Bytes(bytes.begin() + 4, bytes.begin() + 14),
            (Bytes{'S', 'P', ' ', 'N', 'o', ' ', '1', 0, 0x00, 0x00}));
  EXPECT_EQ(Bytes(bytes.begin() + 64, bytes.begin() + 74),
            (Bytes{'T', '2', '1', '0', 0, 0, 0, 0, 0x86, 0x17}));
  EXPECT_EQ(Bytes(bytes.begin() + 294, bytes.begin() + 304),
            (Bytes{'L', 'o', 'n', 'g', 'N', 'a', 'm', 'e', 0xFE, 0xFF}));
  EXPECT_EQ(Bytes(bytes.begin() + 304, bytes.begin() + 312),
            (Bytes{3, 0, 4, 0, 123, 0, 0xFF, 0xFF}));
  // A few configuration defaults: mounting 1, one chord pair, diameter 26.1,
  // flow unit 4, KH 1.055, C0 1500, probe 2.
  const Bytes block(bytes.begin() + 312, bytes.end());
  EXPECT_EQ(block[0], 1);
  EXPECT_EQ(block[1], 1);
  EXPECT_EQ(Bytes(block.begin() + 3, block.begin() + 6), (Bytes{0x00, 0x01, 0x05}));
  EXPECT_EQ(block[6], 4);
  EXPECT_EQ(Bytes(block.begin() + 8, block.begin() + 10), (Bytes{0x04, 0x1F}));
  EXPECT_EQ(Bytes(block.begin() + 18, block.begin() + 20), (Bytes{0x05, 0xDC}));
  EXPECT_EQ(block[48], 2);
}

TEST(ParameterFiles, EveryKindRoundTripsThroughItsFile) {
  TempDir dir;
  CalibrationFile eta = defaultCalibrationFile({});
  eta.identification.probes[3] = {"Sondé", 4550};
  eta.identification.T0Sp2 = 255;
  eta.block[100] = 0xAB;
  ASSERT_TRUE(writeCalibrationFile(dir.file("a.eta"), eta).ok());
  CalibrationFile etaBack;
  ASSERT_TRUE(readCalibrationFile(dir.file("a.eta"), etaBack).ok());
  EXPECT_EQ(etaBack.block, eta.block);
  EXPECT_EQ(etaBack.identification.probes, eta.identification.probes);
  EXPECT_EQ(etaBack.identification.T0Sp2, 255);

  FactoryFile rus = defaultFactoryFile();
  rus.block[5] = 7;
  ASSERT_TRUE(writeFactoryFile(dir.file("a.rus"), rus).ok());
  FactoryFile rusBack;
  ASSERT_TRUE(readFactoryFile(dir.file("a.rus"), rusBack).ok());
  EXPECT_EQ(rusBack.block, rus.block);

  // The maker file's second part is carried through whatever it holds.
  MakerFile nvd = defaultMakerFile();
  nvd.extra = {9, 8, 7, 6, 5, 4};
  ASSERT_TRUE(writeMakerFile(dir.file("a.nvd"), nvd).ok());
  MakerFile nvdBack;
  ASSERT_TRUE(readMakerFile(dir.file("a.nvd"), nvdBack).ok());
  EXPECT_EQ(nvdBack.block, nvd.block);
  EXPECT_EQ(nvdBack.extra, nvd.extra);

  SpecialProbe sp{"Probe2", 45.5f, 7, 12.3f};
  ASSERT_TRUE(writeSpecialProbeFile(dir.file("a.csp540"), sp).ok());
  SpecialProbe spBack;
  ASSERT_TRUE(readSpecialProbeFile(dir.file("a.csp540"), spBack).ok());
  EXPECT_EQ(spBack, sp);
  EXPECT_EQ(fileBytes(dir.file("a.csp540")),
            (Bytes{'P', 'r', 'o', 'b', 'e', '2', 0x11, 0xC6, 7, 123}));
}

// Every header fault a reader must refuse, the short blocks it accepts, and
// the sizes past which a file is not read at all.
TEST(ParameterFiles, ReadersRefuseBrokenHeaders) {
  struct Case {
    const char* name;
    std::string extension;
    Bytes bytes;
    FileStatus expected;
  };
  const Bytes etaHeader = concat({{0x36, 0x01, 0x7C, 0x00}, Bytes(308, 0)});
  const std::vector<Case> cases = {
      {"empty eta", "eta", {}, FileStatus::kShorterThanHeader},
      {"eta cut in its catalogue", "eta", Bytes(200, 0), FileStatus::kShorterThanHeader},
      {"eta L above 124", "eta", concat({{0x36, 0x01, 0x7D, 0x00}, Bytes(308 + 125, 0)}),
       FileStatus::kLengthTooLarge},
      {"eta L 0xFFFF", "eta", concat({{0x36, 0x01, 0xFF, 0xFF}, Bytes(308, 0)}),
       FileStatus::kLengthTooLarge},
      {"eta block cut", "eta", concat({etaHeader, Bytes(123, 0)}), FileStatus::kShorterThanData},
      {"eta whole", "eta", concat({etaHeader, Bytes(124, 0)}), FileStatus::kOk},
      {"eta shorter block", "eta", concat({{0x36, 0x01, 0x0A, 0x00}, Bytes(308 + 10, 1)}),
       FileStatus::kOk},
      {"empty rus", "rus", {}, FileStatus::kShorterThanHeader},
      {"rus one byte", "rus", {0x44}, FileStatus::kShorterThanHeader},
      {"rus L 69", "rus", concat({{0x45, 0x00}, Bytes(69, 0)}), FileStatus::kLengthTooLarge},
      {"rus block cut", "rus", concat({{0x44, 0x00}, Bytes(67, 0)}), FileStatus::kShorterThanData},
      {"rus L 0", "rus", {0x00, 0x00}, FileStatus::kOk},
      {"nvd header cut", "nvd", {0x0C, 0x00, 0x04}, FileStatus::kShorterThanHeader},
      {"nvd L1 13", "nvd", concat({{0x0D, 0x00, 0x00, 0x00}, Bytes(13, 0)}),
       FileStatus::kLengthTooLarge},
      {"nvd second part cut", "nvd", concat({{0x0C, 0x00, 0x64, 0x00}, Bytes(16, 0)}),
       FileStatus::kShorterThanData},
      {"csp540 nine bytes", "csp540", Bytes(9, 0), FileStatus::kTooShort},
      {"csp540 longer", "csp540", Bytes(12, 0), FileStatus::kOk},
      // A little slack past the largest file of a kind, then nothing.
      {"eta with a tail", "eta", concat({etaHeader, Bytes(124, 0), Bytes(4096 - 436, 7)}),
       FileStatus::kOk},
      {"eta past 4 KiB", "eta", concat({etaHeader, Bytes(124, 0), Bytes(4097 - 436, 7)}),
       FileStatus::kFileTooLarge},
      {"rus past 4 KiB", "rus", concat({{0x44, 0x00}, Bytes(4095, 0)}), FileStatus::kFileTooLarge},
      {"nvd second part 0xFFFF", "nvd", concat({{0x0C, 0x00, 0xFF, 0xFF}, Bytes(12 + 0xFFFF, 0)}),
       FileStatus::kOk},
      {"nvd past 68 KiB", "nvd", concat({{0x0C, 0x00, 0x04, 0x00}, Bytes(69629, 0)}),
       FileStatus::kFileTooLarge},
      {"csp540 past 4 KiB", "csp540", Bytes(4097, 0), FileStatus::kFileTooLarge},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file(std::string("f.") + c.extension);
    putFile(path, c.bytes);
    FileResult r;
    if (c.extension == "eta") {
      CalibrationFile f;
      r = readCalibrationFile(path, f);
      if (r.ok()) {
        EXPECT_LE(f.block.size(), kConfigurationBytes);
      }
    } else if (c.extension == "rus") {
      FactoryFile f;
      r = readFactoryFile(path, f);
      if (r.ok()) {
        EXPECT_LE(f.block.size(), kFactoryBytes);
      }
    } else if (c.extension == "nvd") {
      MakerFile f;
      r = readMakerFile(path, f);
    } else {
      SpecialProbe f;
      r = readSpecialProbeFile(path, f);
    }
    EXPECT_EQ(r.status, c.expected) << r.message();
    if (!r.ok()) {
      EXPECT_NE(r.message().find(path), std::string::npos) << "the message names the file";
    }
  }
}

TEST(SpecialProbeFile, ScaledFieldsAsTheUnitEncodesThem) {
  struct Case {
    float angle;
    float t0;
    std::uint8_t angleHigh, angleLow, t0Byte;
  };
  const Case cases[] = {
      {45.50f, 12.3f, 0x11, 0xC6, 123},  // 4550
      {12.345f, 2.39f, 0x04, 0xD3, 23},  // angle rounded to 1235, T0 truncated to 23
      {0.0f, 0.7f, 0x00, 0x00, 7},       // 0.7 x 10 must not become 6
      {90.0f, 25.5f, 0x23, 0x28, 255},
      {-5.0f, -1.0f, 0x00, 0x00, 0},    // below range: held at 0, not wrapped
      {700.0f, 99.0f, 0xFF, 0xFF, 255}  // above what the bytes hold: held at the top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    const Bytes bytes = specialProbeFileBytes({"x", c.angle, 0, c.t0});
    EXPECT_EQ(bytes[6], c.angleHigh);
    EXPECT_EQ(bytes[7], c.angleLow);
    EXPECT_EQ(bytes[9], c.t0Byte);
  }
}

TEST(SpecialProbeFile, EveryStoredByteReadsAndWritesBackUnchanged) {
  for (int b = 0; b <= 255; ++b) {
    SpecialProbe p;
    ASSERT_TRUE(
        parseSpecialProbeFile(Bytes{'a', 0, 0, 0, 0, 0, 0x12, 0x34, static_cast<std::uint8_t>(b),
                                    static_cast<std::uint8_t>(b)},
                              "x", p)
            .ok());
    const Bytes back = specialProbeFileBytes(p);
    EXPECT_EQ(back[9], b) << "T0 byte " << b;
    EXPECT_EQ(back[8], b) << "frequency " << b;
  }
  for (int word = 0; word <= 9000; ++word) {
    SpecialProbe p;
    parseSpecialProbeFile(Bytes{'a', 0, 0, 0, 0, 0, static_cast<std::uint8_t>(word >> 8),
                                static_cast<std::uint8_t>(word & 0xFF), 0, 0},
                          "x", p);
    const Bytes back = specialProbeFileBytes(p);
    ASSERT_EQ((back[6] << 8) | back[7], word);
  }
}

TEST(SpecialProbeFile, NamesAreSixWindows1252Bytes) {
  struct Case {
    std::string name;
    Bytes bytes;
  };
  const Case cases[] = {
      {"ABCDEFGH", {'A', 'B', 'C', 'D', 'E', 'F'}},  // eight letters keep their first six
      {"SP", {'S', 'P', 0, 0, 0, 0}},
      {"é€x", {0xE9, 0x80, 'x', 0, 0, 0}},
      {"éΩx", {0xE9, '?', 'x', 0, 0, 0}},  // no byte for omega
      {"", {0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const Bytes bytes = specialProbeFileBytes({c.name, 0, 0, 0});
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), c.bytes) << c.name;
  }
  SpecialProbe p;
  ASSERT_TRUE(parseSpecialProbeFile(Bytes{'S', 'P', ' ', 'N', 0xB0, '1', 0, 0, 0, 0}, "x", p).ok());
  EXPECT_EQ(p.name, "SP N°1");
}

}  // namespace
}  // namespace flowdesk
