#include "base/PrintGeometry.h"

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
  return static_cast<int>(std::trunc(pixels * factor));
}

}  // namespace

PrintPart printPartFrom(int part) {
  switch (part) {
    case 1:
      return PrintPart::First;
    case 2:
      return PrintPart::Second;
    default:
      return PrintPart::Whole;
  }
}

int limitPrinterDpi(int dpi) {
  return dpi > kMaxPrinterDpi ? kMaxPrinterDpi : dpi;
}

PrintGeometry computePrintGeometry(const PrintGeometryInput& in) {
  PrintGeometry g;
  g.scaleX = scaleFactor(in.screenDpiX, in.printerDpiX);
  g.scaleY = scaleFactor(in.screenDpiY, in.printerDpiY);
  g.width = scaled(in.clientWidth, g.scaleX);
  g.height = scaled(in.clientHeight, g.scaleY);

  // Each half is truncated on its own, as integer division does.
  g.left = in.pageWidth / 2 - g.width / 2;
  switch (in.part) {
    case PrintPart::Whole:
      g.top = in.pageHeight / 2 - g.height / 2;
      break;
    case PrintPart::First:
      g.top = static_cast<int>(in.pageHeight * 0.125);
      break;
    case PrintPart::Second:
      g.top = static_cast<int>(in.pageHeight * 0.5);
      break;
  }

  for (int k = 1; k <= 4; ++k) {
    g.frames[k - 1] = {g.left - k, g.top - k, g.left + g.width + k, g.top + g.height + k};
  }

  g.dateLine = {g.left, g.top / 2};
  g.nameLine = {g.left, g.top / 4};
  // 10 points at the vertical resolution, rounded to the nearest pixel.
  const int dpiY = in.printerDpiY > 0 ? in.printerDpiY : kMaxPrinterDpi;
  g.headerFontPixels = (10 * dpiY + 36) / 72;

  g.drawsHeader = in.part != PrintPart::Second;
  g.startsDocument = in.part != PrintPart::Second;
  g.endsDocument = in.part != PrintPart::First;
  return g;
}

}  // namespace flowdesk
