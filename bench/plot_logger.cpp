// SPDX-License-Identifier: GPL-3.0-or-later
// FLOWDESK_BENCH_QT
// The plot of a full logger: a 9-parameter logger file of RECORDS records
// (default 65,535, the most a logger counts, one a minute) read into the
// plot's session, drawn with Qt Charts and rendered to a 1600 x 900 image,
// as the plot window and flowdesk-cli plot do; then zoom steps of the wheel
// (a fifth in, then out again), each drawn and rendered again.
// Goals: opening and the first image under 1 s; a zoom step under 33 ms
// (30 frames a second). Runs offscreen unless told otherwise.
// Usage: bench_plot_logger [RECORDS]
#include <QApplication>
#include <QChart>
#include <QElapsedTimer>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "files/PlotSession.h"
#include "files/qt/PlotChart.h"
#include "logger/LoggerPlot.h"
#include "logger/LoggerRecord.h"

namespace {

constexpr QSize kImage{1600, 900};
constexpr int kZoomSteps = 40;

void put32(flowdesk::Bytes& r, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) r[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// One record a minute from 2020-01-01; a flow with a daily wave and noise,
// eight real parameters after it.
bool writeLogger(const std::string& path, long records) {
  using flowdesk::kLoggerRecordSize9;
  flowdesk::Bytes bytes{static_cast<std::uint8_t>(kLoggerRecordSize9 + 3), 0};
  bytes.reserve(2 + static_cast<std::size_t>(records) * (kLoggerRecordSize9 + 3));
  std::srand(7);
  for (long k = 0; k < records; ++k) {
    const long minutes = k;
    const long day = minutes / 1440;
    flowdesk::Bytes r(kLoggerRecordSize9, 0);
    r[0] = 1;
    r[1] = static_cast<std::uint8_t>(0x40 | (1 + (day / 28) % 12));
    r[2] = static_cast<std::uint8_t>(20 + day / 336);
    r[3] = static_cast<std::uint8_t>(1 + day % 28);
    r[4] = static_cast<std::uint8_t>((minutes / 60) % 24);
    r[5] = static_cast<std::uint8_t>(minutes % 60);
    const double wave = std::sin(static_cast<double>(k) * 2 * M_PI / 1440);
    put32(r, 8,
          std::bit_cast<std::uint32_t>(
              static_cast<float>(100 + 40 * wave + (std::rand() % 100) / 10.0)));
    for (int s = 0; s < 8; ++s) {
      const std::size_t at = flowdesk::kLoggerSlotOffset + flowdesk::kLoggerSlotSize * s;
      r[at] = static_cast<std::uint8_t>(8 + s);
      put32(r, at + 1, std::bit_cast<std::uint32_t>(static_cast<float>(s + wave * (s + 1))));
      r[at + 5] = 50;
    }
    bytes.push_back(1);
    bytes.push_back(4);
    bytes.push_back(static_cast<std::uint8_t>(kLoggerRecordSize9));
    bytes.insert(bytes.end(), r.begin(), r.end());
  }
  return flowdesk::writeFileAtomic(path, bytes).ok();
}

double ms(const QElapsedTimer& t) {
  return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void render(QGraphicsScene& scene, QImage& image) {
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area(QPointF(0, 0), QSizeF(kImage));
  scene.render(&painter, area, area);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const long records = argc > 1 ? std::atol(argv[1]) : 65535;
  const std::string folder = flowdesk::bench::scratchFolder("flowdesk-plot");
  const std::string path = folder + "/month.log";
  if (folder.empty() || !writeLogger(path, records)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 2;
  }

  QElapsedTimer total;
  total.start();
  QElapsedTimer step;
  step.start();
  flowdesk::PlotData data;
  if (!flowdesk::LoggerPlotSource().read(path, flowdesk::kEnglish, data).ok()) return 2;
  const double readMs = ms(step);
  step.restart();
  flowdesk::PlotSession session;
  session.setData(std::move(data));
  const double sessionMs = ms(step);
  step.restart();
  QGraphicsScene scene;
  auto* chart = new QChart;
  scene.addItem(chart);
  chart->resize(kImage);
  flowdesk::PlotChart drawer(*chart, session, flowdesk::kEnglish, flowdesk::RegionalSettings{});
  drawer.refresh(kImage.width());
  chart->layout()->activate();
  const int columns = static_cast<int>(chart->plotArea().width());
  drawer.refresh(columns);
  chart->layout()->activate();
  const double chartMs = ms(step);
  step.restart();
  QImage image(kImage, QImage::Format_ARGB32_Premultiplied);
  render(scene, image);
  const double renderMs = ms(step);
  const double openMs = ms(total);

  std::vector<double> zooms;
  std::vector<double> draws;
  const flowdesk::PlotRange whole = session.whole();
  for (int i = 0; i < kZoomSteps; ++i) {
    QElapsedTimer z;
    z.start();
    const double centre = whole.from + whole.span() * 0.37;
    session.zoom(centre, i < kZoomSteps / 2 ? 0.8 : 1.25);
    drawer.refresh(columns);
    chart->layout()->activate();
    draws.push_back(ms(z));
    render(scene, image);
    zooms.push_back(ms(z));
  }
  std::sort(zooms.begin(), zooms.end());
  const double median = zooms[zooms.size() / 2];
  const double worst = zooms.back();
  std::sort(draws.begin(), draws.end());

  std::printf("records %ld, series %zu, plot area %d px\n", records, session.data().series.size(),
              columns);
  std::printf("read %.1f ms, session %.1f ms, chart %.1f ms, render %.1f ms\n", readMs, sessionMs,
              chartMs, renderMs);
  std::printf("open and render 1600 x 900: %.1f ms (goal < 1000 ms): %s\n", openMs,
              openMs < 1000 ? "met" : "NOT met");
  std::printf("zoom step: lines and axes median %.1f ms, the rest rendering\n",
              draws[draws.size() / 2]);
  std::printf("zoom step, drawn and rendered: median %.1f ms, worst %.1f ms (goal < 33 ms): %s\n",
              median, worst, median < 33 ? "met" : "NOT met");
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
