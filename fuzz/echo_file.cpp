// SPDX-License-Identifier: GPL-3.0-or-later
// The echo recording reader (".ech") on arbitrary files: the header, every
// picture read and drawn pixel by pixel, and the whole file shown.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "FuzzSupport.h"
#include "cli/FileShow.h"
#include "echo/EchoFile.h"

using namespace flowdesk;

namespace {

constexpr long long kPicturesDrawn = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::writeScratch("input.ech", data, size);
  EchoFileReader reader;
  const FileResult opened = reader.open(path);

  // The file shown whole as `flowdesk-cli show` does (on files of a few
  // records: its cost grows with the count).
  std::ostringstream shown;
  if (!opened.ok() || reader.info().recordCount <= kPicturesDrawn) {
    const FileResult show =
        showFile(path, languageOf(static_cast<int>(size & 1)), RegionalSettings{}, shown);
    FUZZ_CHECK(show.status == opened.status);
  }
  if (!opened.ok()) {
    FUZZ_CHECK(!opened.message(kFrench).empty() && !opened.message(kEnglish).empty());
    FUZZ_CHECK(shown.str().empty());
    return 0;
  }

  const EchoFileInfo& info = reader.info();
  FUZZ_CHECK(info.recordSize >= kEchoImageBytes);
  FUZZ_CHECK(2 + info.recordCount * info.recordSize <= static_cast<long long>(size));
  for (long long i = 0; i < info.recordCount && i < kPicturesDrawn; ++i) {
    EchoImage image;
    image.fill(0xA5);
    FUZZ_CHECK(reader.readImage(i, image).ok());
    int dark = 0;
    for (int y = -1; y <= 64; ++y) {
      for (int x = -1; x <= 128; ++x) dark += echoPixel(image, x, y) ? 1 : 0;
    }
    FUZZ_CHECK(dark <= 128 * 64);
  }
  EchoImage none;
  FUZZ_CHECK(reader.readImage(info.recordCount, none).status == FileStatus::kNoSuchRecord);
  return 0;
}
