// SPDX-License-Identifier: GPL-3.0-or-later
#include "echo/EchoFile.h"

#include <algorithm>
#include <span>

namespace flowdesk {

FileResult EchoFileReader::open(const std::string& path) {
  info_ = {};
  FileResult r = file_.open(path);
  if (!r.ok()) return r;
  if (file_.size() < 2) {
    return FileResult::sizeFault(FileStatus::kShorterThanHeader, path, 2, file_.size());
  }
  std::array<std::uint8_t, 2> header{};
  r = file_.readAt(0, header);
  if (!r.ok()) return r;
  EchoFileInfo info;
  info.recordSize = static_cast<std::uint16_t>(header[0] | (header[1] << 8));
  if (info.recordSize == 0) return FileResult::failure(FileStatus::kZeroRecordSize, path);
  if (info.recordSize < kEchoImageBytes) {
    return FileResult::sizeFault(FileStatus::kRecordTooSmall, path, info.recordSize,
                                 kEchoImageBytes);
  }
  info.recordCount = (file_.size() - 2) / info.recordSize;
  info_ = info;
  return {};
}

FileResult EchoFileReader::readImage(long long index, EchoImage& out) const {
  if (index < 0 || index >= info_.recordCount) {
    return FileResult::sizeFault(FileStatus::kNoSuchRecord, file_.path(), index + 1,
                                 info_.recordCount);
  }
  out.fill(0);
  const std::size_t n = std::min<std::size_t>(info_.recordSize, out.size());
  return file_.readAt(2 + index * info_.recordSize, std::span<std::uint8_t>(out.data(), n));
}

FileResult startEchoFile(const std::string& path, const EchoImage& image) {
  Bytes bytes;
  putLe16(bytes, static_cast<std::uint16_t>(kEchoImageBytes));
  putBytes(bytes, image);
  return createRecording(path, bytes);
}

FileResult appendEchoImage(const std::string& path, const EchoImage& image) {
  return appendRecording(path, image);
}

bool echoPixel(const EchoImage& image, int x, int y) {
  if (x < 0 || x >= 128 || y < 0 || y >= 64) return false;
  const std::uint8_t column = image[static_cast<std::size_t>((y / 8) * 128 + x)];
  return (column >> (y % 8)) & 1;
}

}  // namespace flowdesk
