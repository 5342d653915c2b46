// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string_view>

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
      {PrintPart::kWhole, 1650 - 468, true, true, true},
      // one eighth down: 3300 x 0.125 = 412.5, truncated
      {PrintPart::kFirst, 412, true, true, false},
      // the middle of the page
      {PrintPart::kSecond, 1650, false, false, true},
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
  const PrintGeometry g = computePrintGeometry(worked(PrintPart::kWhole));
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
  // 20 / 2 - 3 / 2 = 9, where (20 - 3) / 2 would give 8.
  PrintGeometryInput in;
  in.clientWidth = 3;
  in.clientHeight = 3;
  in.screenDpiX = in.screenDpiY = in.printerDpiX = in.printerDpiY = 300;
  in.pageWidth = 20;
  in.pageHeight = 20;
  const PrintGeometry g = computePrintGeometry(in);
  EXPECT_FALSE(g.shrunk);
  EXPECT_EQ(g.left, 9);
  EXPECT_EQ(g.top, 9);
}

TEST(PrintGeometry, AScreenTooLargeForItsPlaceIsScaledDownWhole) {
  const struct Case {
    const char* what;
    int w, h;
    PrintPart part;
    bool shrunk;
    int width, height, top;
  } cases[] = {
      // the logger viewer, 980 x 640: 3062 wide enlarged, on 2400
      {"logger viewer", 980, 640, PrintPart::kWhole, true, 2392, 1562, 1650 - 781},
      // the plot window, 1100 x 680
      {"plot", 1100, 680, PrintPart::kWhole, true, 2392, 1478, 1650 - 739},
      // exactly the page's width with its frame: kept
      {"as wide as the page", 2392, 300, PrintPart::kWhole, false, 2392, 300, 1500},
      // tall: below the header, and as far from the page's foot
      {"tall", 300, 3300, PrintPart::kWhole, true, 261, 2872, 1650 - 1436},
      // a configuration page, 640 x 420: the first half ends where the
      // second starts, both frames between them
      {"first half", 640, 420, PrintPart::kFirst, true, 1873, 1229, 412},
      {"second half", 640, 420, PrintPart::kSecond, false, 2000, 1312, 1650},
      {"second half, tall", 400, 600, PrintPart::kSecond, true, 1097, 1646, 1650},
      // the worked example fits each place: the rule as it is
      {"worked", 400, 300, PrintPart::kFirst, false, 1250, 937, 412},
  };
  for (const Case& c : cases) {
    PrintGeometryInput in = worked(c.part);
    in.clientWidth = c.w;
    in.clientHeight = c.h;
    if (std::string_view(c.what) == "as wide as the page") {
      in.screenDpiX = in.screenDpiY = 300;  // one to one
    }
    const PrintGeometry g = computePrintGeometry(in);
    EXPECT_EQ(g.shrunk, c.shrunk) << c.what;
    EXPECT_EQ(g.width, c.width) << c.what;
    EXPECT_EQ(g.height, c.height) << c.what;
    EXPECT_EQ(g.top, c.top) << c.what;
    // Whole, both directions alike: the picture keeps its shape.
    EXPECT_NEAR(double(g.width) / g.height, double(c.w) / c.h, 0.002) << c.what;
    EXPECT_DOUBLE_EQ(g.scaleX, g.scaleY) << c.what;
    // The frame stays on the paper, and the header clear of the picture.
    EXPECT_GE(g.frames[3].left, 0) << c.what;
    EXPECT_LE(g.frames[3].right, kPageW) << c.what;
    EXPECT_LE(g.frames[3].bottom, kPageH) << c.what;
    if (c.part != PrintPart::kSecond) {
      EXPECT_LE(g.dateLine.y + g.headerFontPixels, g.frames[3].top) << c.what;
      EXPECT_LE(g.nameLine.y + g.headerFontPixels, g.dateLine.y) << c.what;
    }
    if (c.part == PrintPart::kFirst) {
      EXPECT_LT(g.frames[3].bottom, kPageH / 2 - 4) << c.what;
    }
  }
}

TEST(PrintGeometry, PrinterResolutionLimitAndPartNumbers) {
  const struct {
    int in, out;
  } dpis[] = {{1200, 300}, {600, 300}, {301, 300}, {300, 300}, {150, 150}, {72, 72}};
  for (const auto& d : dpis) EXPECT_EQ(limitPrinterDpi(d.in), d.out) << d.in;

  const struct {
    int in;
    PrintPart out;
  } parts[] = {{0, PrintPart::kWhole},
               {1, PrintPart::kFirst},
               {2, PrintPart::kSecond},
               {3, PrintPart::kWhole},
               {-1, PrintPart::kWhole}};
  for (const auto& p : parts) EXPECT_EQ(printPartFrom(p.in), p.out) << p.in;
}

}  // namespace
}  // namespace flowdesk
