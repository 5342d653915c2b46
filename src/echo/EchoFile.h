// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/BinaryFile.h"
#include "link/Blocks.h"

namespace flowdesk {

// Echo file (".ech"): a little-endian record size (1024), then one record per
// picture: the unit's 128 x 64 display, eight bands of 128 bytes, each byte a
// column of 8 pixels (least significant bit at the top).
using EchoImage = std::array<std::uint8_t, kEchoImageBytes>;

struct EchoFileInfo {
  std::uint16_t recordSize = 0;
  long long recordCount = 0;  // whole records
};

class EchoFileReader {
 public:
  // Refuses a file shorter than its header word, a record size of 0 and one
  // smaller than a picture (a size of 1 would make every byte a picture).
  FileResult open(const std::string& path);
  const EchoFileInfo& info() const { return info_; }
  // A record into a picture: a larger record gives its first 1024 bytes.
  FileResult readImage(long long index, EchoImage& out) const;

 private:
  ReadOnlyFile file_;
  EchoFileInfo info_;
};

// The first picture of a recording: creates (or replaces) the file.
FileResult startEchoFile(const std::string& path, const EchoImage& image);
// Every later picture, appended.
FileResult appendEchoImage(const std::string& path, const EchoImage& image);

// Whether pixel (x, y) of the picture is dark; x 0..127 from the left, y
// 0..63 from the top.
bool echoPixel(const EchoImage& image, int x, int y);

}  // namespace flowdesk
