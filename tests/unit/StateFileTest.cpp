// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "unit/StateFile.h"

namespace flowdesk::unit {
namespace {

StoredBlocks sample() {
  StoredBlocks b;
  for (int n = 0; n < kMaxConfigs; ++n) {
    for (int i = 0; i < kConfigBytes; ++i) b.configs[n][i] = static_cast<std::uint8_t>(n * 31 + i);
  }
  b.factory.fill(0xA5);
  b.maker.fill(0x00);
  b.maker[11] = 0xFF;
  b.logger[2] = 1;
  return b;
}

TEST(StateFile, RoundTripsEveryBlock) {
  const StoredBlocks b = sample();
  StoredBlocks back{};
  std::string error;
  ASSERT_TRUE(parseState(formatState(b), back, error)) << error;
  EXPECT_EQ(back, b);
}

TEST(StateFile, BrokenFilesAreRefusedWholeAndSayWhere) {
  struct Case {
    std::string text;
    const char* mentions;
  };
  const std::string goodMaker = "maker 0102030405060708090a0b0c\n";
  const Case cases[] = {
      {goodMaker + "maker 0102\n", "line 2: expected 24 hexadecimal digits"},
      {goodMaker + "maker 0102030405060708090a0b0g\n", "line 2: expected 24"},
      {"config 18 00\n", "line 1: configuration number must be 0 to 17"},
      {"config x 00\n", "configuration number"},
      {"# note\n\nclock 000000\n", "line 3: unknown block \"clock\""},
      {"logger 000000000000000000000000 extra\n", "line 1: expected 24"},
  };
  for (const Case& c : cases) {
    StoredBlocks b = sample();
    const StoredBlocks before = b;
    std::string error;
    EXPECT_FALSE(parseState(c.text, b, error)) << c.text;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    EXPECT_EQ(b, before) << "a refused file changes nothing";
  }
  // Only the blocks a file names change; CRLF line ends are accepted.
  StoredBlocks b = sample();
  std::string error;
  ASSERT_TRUE(parseState("maker 0102030405060708090A0B0C\r\n", b, error)) << error;
  EXPECT_EQ(b.maker[0], 1);
  EXPECT_EQ(b.maker[11], 12);
  EXPECT_EQ(b.factory, sample().factory);
}

TEST(StateFile, WritesAtomicallyAndReadsBack) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("flowdesk-unit-state-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "unit.state").string();
  std::string error, text;
  bool missing = false;
  ASSERT_TRUE(readTextFile(path, text, missing, error)) << error;
  EXPECT_TRUE(missing);
  ASSERT_TRUE(writeFileAtomically(path, "first\n", error)) << error;
  ASSERT_TRUE(writeFileAtomically(path, "second\n", error)) << error;
  ASSERT_TRUE(readTextFile(path, text, missing, error)) << error;
  EXPECT_FALSE(missing);
  EXPECT_EQ(text, "second\n");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_FALSE(writeFileAtomically((dir / "no" / "such" / "dir").string(), "x", error));
  EXPECT_FALSE(error.empty());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace flowdesk::unit
