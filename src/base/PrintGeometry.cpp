// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/PrintGeometry.h"

#include <algorithm>
#include <cmath>

namespace flowdesk {

namespace {

// The larger resolution over the smaller. A resolution that is unknown (0 or
// less) gives no enlargement rather than a division by zero.
double scaleFactor(int screenDpi, int printerDpi) {
  if (screenDpi <= 0 || printerDpi <= 0) return 1.0;
  const double hi = screenDpi > printerDpi ? screenDpi : printerDpi;
  const double lo = screenDpi > printerDpi ? printerDpi : screenDpi;
  return hi / lo;
}

int scaled(int pixels, double factor) {
  if (pixels <= 0) return 0;
  // A product that is a whole number in exact arithmetic (a picture fitted
  // to its place) must not lose a pixel to rounding below it.
  return static_cast<int>(std::trunc(pixels * factor + 1e-6));
}

// The frame's four outlines around the picture, on each side.
constexpr int kFrameWidth = 4;

// The top of a picture that has the header above it: the name line at a
// quarter of it and the date line at half of it each need a line's height
// (a little more than the font's pixel size) before what follows.
int headerRoom(int headerFontPixels) {
  return 5 * headerFontPixels;
}

int topOf(PrintPart part, int pageHeight, int height) {
  switch (part) {
    case PrintPart::kFirst:
      return static_cast<int>(pageHeight * 0.125);
    case PrintPart::kSecond:
      return static_cast<int>(pageHeight * 0.5);
    case PrintPart::kWhole:
      break;
  }
  // Each half is truncated on its own, as integer division does.
  return pageHeight / 2 - height / 2;
}

}  // namespace

PrintPart printPartFrom(int part) {
  switch (part) {
    case 1:
      return PrintPart::kFirst;
    case 2:
      return PrintPart::kSecond;
    default:
      return PrintPart::kWhole;
  }
}

int limitPrinterDpi(int dpi) {
  return dpi > kMaxPrinterDpi ? kMaxPrinterDpi : dpi;
}

PrintPlace printPlace(const PrintGeometryInput& in, int headerFontPixels) {
  PrintPlace place;
  const int frames = 2 * kFrameWidth;
  place.width = in.pageWidth - frames;
  switch (in.part) {
    case PrintPart::kWhole:
      // Centred, so the header's room is kept below the picture as well.
      place.height = in.pageHeight - 2 * headerRoom(headerFontPixels) - frames;
      break;
    case PrintPart::kFirst:
      // Down to where the second half starts, both frames between them.
      place.height = in.pageHeight / 2 - topOf(in.part, in.pageHeight, 0) - frames - 1;
      break;
    case PrintPart::kSecond:
      place.height = in.pageHeight - topOf(in.part, in.pageHeight, 0) - kFrameWidth;
      break;
  }
  // A page too short for the header's room still takes the picture whole.
  if (place.height <= 0) place.height = in.pageHeight - frames;
  return place;
}

PrintGeometry computePrintGeometry(const PrintGeometryInput& in) {
  PrintGeometry g;
  g.scaleX = scaleFactor(in.screenDpiX, in.printerDpiX);
  g.scaleY = scaleFactor(in.screenDpiY, in.printerDpiY);
  g.width = scaled(in.clientWidth, g.scaleX);
  g.height = scaled(in.clientHeight, g.scaleY);
  // 10 points at the vertical resolution, rounded to the nearest pixel.
  const int dpiY = in.printerDpiY > 0 ? in.printerDpiY : kMaxPrinterDpi;
  g.headerFontPixels = (10 * dpiY + 36) / 72;

  // Enlarged to the printer's resolution, a wide screen (the logger viewer,
  // the plot) runs off the paper: it is scaled down whole instead, so that
  // nothing of it is cut. An unknown page size leaves the picture as it is.
  const PrintPlace place = printPlace(in, g.headerFontPixels);
  if (in.pageWidth > 0 && in.pageHeight > 0 && place.width > 0 && place.height > 0 &&
      (g.width > place.width || g.height > place.height)) {
    const double fit = std::min(static_cast<double>(place.width) / g.width,
                                static_cast<double>(place.height) / g.height);
    g.scaleX *= fit;
    g.scaleY *= fit;
    g.width = std::min(place.width, scaled(in.clientWidth, g.scaleX));
    g.height = std::min(place.height, scaled(in.clientHeight, g.scaleY));
    g.shrunk = true;
  }

  g.left = in.pageWidth / 2 - g.width / 2;
  g.top = topOf(in.part, in.pageHeight, g.height);

  for (int k = 1; k <= 4; ++k) {
    g.frames[k - 1] = {g.left - k, g.top - k, g.left + g.width + k, g.top + g.height + k};
  }

  g.dateLine = {g.left, g.top / 2};
  g.nameLine = {g.left, g.top / 4};

  g.drawsHeader = in.part != PrintPart::kSecond;
  g.startsDocument = in.part != PrintPart::kSecond;
  g.endsDocument = in.part != PrintPart::kFirst;
  return g;
}

}  // namespace flowdesk
