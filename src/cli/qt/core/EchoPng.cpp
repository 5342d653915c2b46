// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/qt/core/EchoPng.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <span>

#include "echo/EchoSession.h"

namespace flowdesk {

FileResult writeEchoPng(const std::string& path, const EchoImage& image) {
  QImage png(128, 64, QImage::Format_RGB32);
  png.fill(qRgb(kEchoBackgroundGrey, kEchoBackgroundGrey, kEchoBackgroundGrey));
  for (const EchoCell& c : echoCells(image, png.width(), png.height())) {
    for (int y = c.y; y < c.y + c.height; ++y) {
      for (int x = c.x; x < c.x + c.width; ++x) png.setPixel(x, y, qRgb(0, 0, 0));
    }
  }
  // Encoded in memory, then written as every file is, so that a failure
  // has the same clear message and never leaves half a file.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!png.save(&buffer, "PNG")) return FileResult::failure(FileStatus::kWriteFailed, path);
  return writeFileAtomic(
      path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size())));
}

}  // namespace flowdesk
