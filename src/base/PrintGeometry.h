// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>

namespace flowdesk {

// Where a screen's picture lands on the printed page. Pure arithmetic, so the
// page layout can be checked without a printer: the Qt printing code asks this
// for every number it draws with.

// Printers are driven at no more than this resolution in each direction; the
// picture is enlarged from screen pixels, so finer dots only cost spool size.
inline constexpr int kMaxPrinterDpi = 300;

// A print request is a job of its own (0), the first half of a two-screen
// sheet (1) or its second half (2).
enum class PrintPart { kWhole = 0, kFirst = 1, kSecond = 2 };

// Any other number is treated as a job of its own, so a stray value never
// leaves a document open or draws on a page nobody started.
PrintPart printPartFrom(int part);

int limitPrinterDpi(int dpi);

struct PrintGeometryInput {
  int clientWidth = 0;  // the window's client area in screen pixels
  int clientHeight = 0;
  int screenDpiX = 96;
  int screenDpiY = 96;
  int printerDpiX = kMaxPrinterDpi;  // already limited by limitPrinterDpi
  int printerDpiY = kMaxPrinterDpi;
  int pageWidth = 0;  // printable page in printer pixels
  int pageHeight = 0;
  PrintPart part = PrintPart::kWhole;
};

// Outline from (left, top) to (right, bottom), both corners included as a
// rectangle outline is drawn.
struct PrintFrame {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PrintFrame&) const = default;
};

struct PrintPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PrintPoint&) const = default;
};

struct PrintGeometry {
  // Never below 1 for a screen that fits its place on the page: the picture
  // is enlarged to the printer's resolution. A screen that would not fit
  // (wider than the page, or taller than its place) is scaled down whole,
  // both directions alike, until it does; `shrunk` says so.
  double scaleX = 1;
  double scaleY = 1;
  bool shrunk = false;
  int width = 0;  // printed size in printer pixels
  int height = 0;
  int left = 0;  // top-left corner of the picture on the page
  int top = 0;
  std::array<PrintFrame, 4> frames{};  // 1 to 4 pixels outside the picture
  PrintPoint dateLine;                 // top-left of the date and time line
  PrintPoint nameLine;                 // top-left of the program's name
  int headerFontPixels = 0;            // 10 points at the printer's vertical dpi
  bool drawsHeader = true;             // the second half shares the first's header
  bool startsDocument = true;          // the second half draws on the open page
  bool endsDocument = true;            // the first half leaves the page open
};

// The room a picture has on the page, frame included: within the page's
// width, below the header of a sheet's first picture, and for each half of a
// two-screen sheet, its own half, so the second never covers the first.
struct PrintPlace {
  int width = 0;
  int height = 0;
};
PrintPlace printPlace(const PrintGeometryInput& in, int headerFontPixels);

PrintGeometry computePrintGeometry(const PrintGeometryInput& in);

}  // namespace flowdesk
