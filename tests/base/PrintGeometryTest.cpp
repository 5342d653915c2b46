#include <gtest/gtest.h>

#include "base/PrintGeometry.h"

namespace flowdesk {
namespace {

// A4 portrait at 300 dpi, printable area of a typical laser printer.
constexpr int kPageW = 2400;
constexpr int kPageH = 3300;

PrintGeometryInput worked(PrintPart part) {
  PrintGeometryInput in;
  in.clientWidth = 400;
  in.clientHeight = 300;
  in.screenDpiX = 96;
  in.screenDpiY = 96;
  in.printerDpiX = limitPrinterDpi(600);
  in.printerDpiY = limitPrinterDpi(600);
  in.pageWidth = kPageW;
  in.pageHeight = kPageH;
  in.part = part;
  return in;
}

TEST(PrintGeometry, WorkedExamplePlacesEachPart) {
  const struct {
    PrintPart part;
    int top;
    bool header, starts, ends;
  } cases[] = {
      // centred: 1650 - 937 / 2
      {PrintPart::Whole, 1650 - 468, true, true, true},
      // one eighth down: 3300 x 0.125 = 412.5, truncated
      {PrintPart::First, 412, true, true, false},
      // the middle of the page
      {PrintPart::Second, 1650, false, false, true},
  };
  for (const auto& c : cases) {
    const PrintGeometry g = computePrintGeometry(worked(c.part));
    const int part = static_cast<int>(c.part);
    EXPECT_DOUBLE_EQ(g.scaleX, 3.125) << part;
    EXPECT_EQ(g.width, 1250) << part;
    EXPECT_EQ(g.height, 937) << part;
    EXPECT_EQ(g.left, 1200 - 625) << part;
    EXPECT_EQ(g.top, c.top) << part;
    EXPECT_EQ(g.dateLine, (PrintPoint{575, c.top / 2})) << part;
    EXPECT_EQ(g.nameLine, (PrintPoint{575, c.top / 4})) << part;
    EXPECT_EQ(g.drawsHeader, c.header) << part;
    EXPECT_EQ(g.startsDocument, c.starts) << part;
    EXPECT_EQ(g.endsDocument, c.ends) << part;
    EXPECT_EQ(g.headerFontPixels, 42) << part;  // 10 pt at 300 dpi = 41.7
  }
}

TEST(PrintGeometry, FrameIsFourPixelsThickOutsideThePicture) {
  const PrintGeometry g = computePrintGeometry(worked(PrintPart::Whole));
  const int x = g.left, y = g.top;
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(g.frames[k - 1], (PrintFrame{x - k, y - k, x + 1250 + k, y + 937 + k})) << k;
  }
}

TEST(PrintGeometry, ScaleUsesLargerOverSmallerResolution) {
  const struct {
    int screenX, screenY, printerX, printerY, w, h;
    double sx, sy;
    int outW, outH;
  } cases[] = {
      {96, 96, 300, 300, 400, 300, 3.125, 3.125, 1250, 937},
      // anisotropic printer: each axis on its own
      {96, 96, 300, 150, 400, 300, 3.125, 1.5625, 1250, 468},
      // a screen finer than the printer still only enlarges
      {192, 192, 150, 150, 100, 100, 1.28, 1.28, 128, 128},
      // equal resolutions: one to one
      {300, 300, 300, 300, 77, 33, 1.0, 1.0, 77, 33},
      // unknown resolutions do not divide by zero
      {0, 96, 300, 0, 10, 10, 1.0, 1.0, 10, 10},
      // an empty or negative client area prints nothing
      {96, 96, 300, 300, 0, -5, 3.125, 3.125, 0, 0},
  };
  for (const auto& c : cases) {
    PrintGeometryInput in;
    in.clientWidth = c.w;
    in.clientHeight = c.h;
    in.screenDpiX = c.screenX;
    in.screenDpiY = c.screenY;
    in.printerDpiX = c.printerX;
    in.printerDpiY = c.printerY;
    in.pageWidth = kPageW;
    in.pageHeight = kPageH;
    const PrintGeometry g = computePrintGeometry(in);
    EXPECT_DOUBLE_EQ(g.scaleX, c.sx) << c.screenX << "/" << c.printerX;
    EXPECT_DOUBLE_EQ(g.scaleY, c.sy) << c.screenY << "/" << c.printerY;
    EXPECT_EQ(g.width, c.outW) << c.w;
    EXPECT_EQ(g.height, c.outH) << c.h;
  }
}

TEST(PrintGeometry, CentringTruncatesEachHalfOnItsOwn) {
  // 10 / 2 - 3 / 2 = 4, where (10 - 3) / 2 would give 3.
  PrintGeometryInput in;
  in.clientWidth = 3;
  in.clientHeight = 3;
  in.screenDpiX = in.screenDpiY = in.printerDpiX = in.printerDpiY = 300;
  in.pageWidth = 10;
  in.pageHeight = 10;
  const PrintGeometry g = computePrintGeometry(in);
  EXPECT_EQ(g.left, 4);
  EXPECT_EQ(g.top, 4);
}

TEST(PrintGeometry, PrinterResolutionLimitAndPartNumbers) {
  const struct {
    int in, out;
  } dpis[] = {{1200, 300}, {600, 300}, {301, 300}, {300, 300}, {150, 150}, {72, 72}};
  for (const auto& d : dpis) EXPECT_EQ(limitPrinterDpi(d.in), d.out) << d.in;

  const struct {
    int in;
    PrintPart out;
  } parts[] = {{0, PrintPart::Whole},
               {1, PrintPart::First},
               {2, PrintPart::Second},
               {3, PrintPart::Whole},
               {-1, PrintPart::Whole}};
  for (const auto& p : parts) EXPECT_EQ(printPartFrom(p.in), p.out) << p.in;
}

}  // namespace
}  // namespace flowdesk
