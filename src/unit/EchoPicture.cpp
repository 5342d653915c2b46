// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/EchoPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace flowdesk::unit {

namespace {

struct Glyph {
  char c;
  std::uint8_t rows[5];  // 3 bits each, bit 2 = left column
};

constexpr Glyph kFont[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'P', {6, 5, 6, 4, 4}}, {'Z', {7, 1, 2, 4, 7}},
    {'N', {5, 7, 7, 7, 5}}, {'C', {3, 4, 4, 4, 3}}, {'G', {3, 4, 5, 5, 3}}, {'d', {1, 1, 3, 5, 3}},
    {'B', {6, 5, 6, 5, 6}}, {'T', {7, 2, 2, 2, 2}}, {'u', {0, 0, 5, 5, 3}}, {'s', {0, 3, 6, 1, 6}},
    {'=', {0, 7, 0, 7, 0}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}}, {'E', {7, 4, 6, 4, 7}},
    {'O', {7, 5, 5, 5, 7}}, {'F', {7, 4, 6, 4, 4}}, {'H', {5, 5, 7, 5, 5}}, {'/', {1, 1, 2, 4, 4}},
    {'V', {5, 5, 5, 5, 2}}, {'+', {0, 2, 7, 2, 0}},
};

const Glyph* glyph(char c) {
  for (const Glyph& g : kFont) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

constexpr int kPlotTop = 8;
constexpr int kPlotBottom = 55;
constexpr int kAxisY = 56;

}  // namespace

void EchoCanvas::set(int x, int y) {
  if (x < 0 || x >= kEchoWidth || y < 0 || y >= kEchoHeight) return;
  image_[(y / 8) * kEchoWidth + x] |= static_cast<std::uint8_t>(1u << (y % 8));
}

bool EchoCanvas::get(int x, int y) const {
  if (x < 0 || x >= kEchoWidth || y < 0 || y >= kEchoHeight) return false;
  return (image_[(y / 8) * kEchoWidth + x] >> (y % 8)) & 1u;
}

void EchoCanvas::line(int x0, int y0, int x1, int y1) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    set(x0, y0);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

int EchoCanvas::text(int x, int y, std::string_view s) {
  for (char c : s) {
    if (const Glyph* g = glyph(c)) {
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
          if (g->rows[row] & (4 >> col)) set(x + col, y + row);
        }
      }
    }
    x += 4;
  }
  return x;
}

EchoImage renderEcho(int code, const Snapshot& s, double jitter) {
  EchoCanvas canvas;
  const int chord = code > 0 ? (code - 1) / 4 : -1;
  const int kind = code > 0 ? (code - 1) % 4 : 0;
  if (code <= 0 || code > 24 || chord >= s.chords) {
    canvas.text(48, 29, "ECHO OFF");
    canvas.line(40, 26, 87, 26);
    canvas.line(40, 36, 87, 36);
    return canvas.image();
  }
  const ChordValues& v = s.chord[chord];
  static constexpr const char* kPrefix[4] = {"P", "Z", "NC", "NC"};
  char title[40];
  std::snprintf(title, sizeof title, "%s%d G%ddB T%.1fus", kPrefix[kind], chord + 1, v.gain,
                v.transit);
  canvas.text(0, 0, title);

  // Time window of the plot, in µs: wide around the echo for P, narrow for Z
  // and the correlation screens, so each kind has its own scale.
  const double halfWindow = kind == 0 ? 40.0 : 10.0;
  const double start = std::floor((v.transit - halfWindow) / 10.0) * 10.0;
  const double usPerPixel = 2 * halfWindow / kEchoWidth;

  // Scale: axis, a tick every 16 pixels, a label every 32.
  canvas.line(0, kAxisY, kEchoWidth - 1, kAxisY);
  for (int x = 0; x < kEchoWidth; x += 16) {
    canvas.line(x, kAxisY + 1, x, kAxisY + 2);
    if (x % 32 == 0) {
      char label[12];
      std::snprintf(label, sizeof label, "%d",
                    static_cast<int>(std::lround(start + x * usPerPixel)));
      canvas.text(std::min(x, kEchoWidth - 13), kAxisY + 3, label);
    }
  }

  const double centre = (v.transit - start) / usPerPixel + jitter * 1.5;
  const double width = kind == 0 ? 6.0 + chord : 18.0 + 2 * chord;  // envelope, pixels
  const double period = kind == 0 ? 2.5 : 7.0;                      // carrier, pixels
  const double amplitude = std::clamp(1.0 - (v.gain - 40) / 80.0, 0.3, 1.0);
  const int mid = (kPlotTop + kPlotBottom) / 2;
  const int halfHeight = (kPlotBottom - kPlotTop) / 2;
  int prevY = -1;
  for (int x = 0; x < kEchoWidth; ++x) {
    const double d = (x - centre) / width;
    const double envelope = amplitude * std::exp(-d * d);
    // A little background noise so the base line is not a ruler.
    const double hiss = 0.03 * std::sin(x * 1.7 + jitter * 5.0) * std::cos(x * 0.61);
    int y;
    if (kind < 2) {
      const double carrier = std::sin(2 * std::numbers::pi * (x - centre) / period);
      y = mid - static_cast<int>(std::lround((envelope * carrier + hiss) * halfHeight));
    } else {
      // Correlation screens: the envelope rises from the bottom of the plot.
      const double value = std::max(0.0, envelope + std::fabs(hiss));
      y = kPlotBottom - static_cast<int>(std::lround(value * (kPlotBottom - kPlotTop)));
    }
    y = std::clamp(y, kPlotTop, kPlotBottom);
    if (prevY >= 0) {
      canvas.line(x - 1, prevY, x, y);
    } else {
      canvas.set(x, y);
    }
    prevY = y;
  }
  if (kind == 3) {
    // The second correlation screen shows its detection threshold, dashed.
    const int threshold = kPlotBottom - (kPlotBottom - kPlotTop) / 3;
    for (int x = 0; x < kEchoWidth; x += 4) canvas.line(x, threshold, x + 1, threshold);
  }
  // Marker under the detected echo.
  const int mx = std::clamp(static_cast<int>(std::lround(centre)), 0, kEchoWidth - 1);
  canvas.line(mx, kAxisY - 3, mx, kAxisY - 1);
  return canvas.image();
}

}  // namespace flowdesk::unit
