// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt/PlotChart.h"

#include <QBuffer>
#include <QByteArray>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <span>
#include <string_view>

#include "base/Texts.h"

namespace flowdesk {

namespace {

// Colours told apart on screen and on paper alike.
constexpr QRgb kColours[] = {0x1f5fb4, 0xc0392b, 0x2e8b57, 0x8e44ad, 0xd35400,
                             0x16a085, 0x7f8c8d, 0xb7950b, 0x34495e};

constexpr int kTimeTicks = 6;
constexpr std::size_t kRoomyAxes = 4;
constexpr double kSecondsPerDay = 86400.0;

bool endsWithSvg(const std::string& path) {
  constexpr std::string_view kSvg = ".svg";
  if (path.size() < kSvg.size()) return false;
  for (std::size_t i = 0; i < kSvg.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[path.size() - kSvg.size() + i]);
    if (std::tolower(c) != kSvg[i]) return false;
  }
  return true;
}

QString text(const BilingualText& t, Language language) {
  return QString::fromUtf8(t.text(language));
}

QString dateFormat(const RegionalSettings& r) {
  const QString sep = QString::fromStdString(r.dateSeparator);
  switch (r.dateOrder) {
    case RegionalSettings::kMonthFirst:
      return QStringLiteral("MM") + sep + QStringLiteral("dd") + sep + QStringLiteral("yyyy");
    case RegionalSettings::kYearFirst:
      return QStringLiteral("yyyy") + sep + QStringLiteral("MM") + sep + QStringLiteral("dd");
    default:
      return QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy");
  }
}

}  // namespace

QString plotTimeFormat(const RegionalSettings& regional, double spanSeconds) {
  const QString sep = QString::fromStdString(regional.timeSeparator);
  QString time = regional.clock24 ? QStringLiteral("HH") : QStringLiteral("hh");
  time += sep + QStringLiteral("mm");
  if (spanSeconds < kSecondsPerDay) time += sep + QStringLiteral("ss");
  if (!regional.clock24) time += QStringLiteral(" AP");
  // The date stays on a view within a day: an exported image or a printout
  // zoomed to an hour must still say which day it is.
  return dateFormat(regional) + QLatin1Char(' ') + time;
}

PlotChart::PlotChart(QChart& chart, const PlotSession& session, Language language,
                     const RegionalSettings& regional)
    : chart_(chart), session_(session), regional_(regional) {
  chart_.setAnimationOptions(QChart::NoAnimation);
  // Axis labels with the desktop's decimal separator, as every other number.
  chart_.setLocale(QLocale());
  chart_.setLocalizeNumbers(true);
  chart_.legend()->setAlignment(Qt::AlignBottom);
  timeAxis_ = new QDateTimeAxis(&chart_);
  timeAxis_->setTitleText(text(kTxtPlotDateTime, language));
  timeAxis_->setTickCount(kTimeTicks);
  chart_.addAxis(timeAxis_, Qt::AlignBottom);

  const std::vector<PlotSeries>& series = session_.data().series;
  drawn_.resize(series.size());
  for (std::size_t s = 0; s < series.size(); ++s) {
    auto* axis = new QValueAxis(&chart_);
    axis->setTitleText(QString::fromStdString(plotAxisTitle(series[s])));
    const QColor c = colour(s);
    axis->setLinePenColor(c);
    axis->setLabelsColor(c);
    axis->setTitleBrush(c);
    axis->setGridLineVisible(s == 0);
    chart_.addAxis(axis, s % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
    drawn_[s].axis = axis;
  }
}

QColor PlotChart::colour(std::size_t series) const {
  return QColor(kColours[series % std::size(kColours)]);
}

QLineSeries* PlotChart::piece(std::size_t s, std::size_t index) {
  Drawn& d = drawn_[s];
  while (d.pieces.size() <= index) {
    auto* line = new QLineSeries(&chart_);
    QPen pen(colour(s));
    // A hairline: a wider pen goes through the general stroker, which
    // takes three times as long to draw a month of records.
    pen.setWidthF(1);
    pen.setCosmetic(true);
    line->setPen(pen);
    line->setColor(colour(s));
    line->setMarkerSize(4);
    if (d.pieces.empty()) line->setName(QString::fromStdString(session_.data().series[s].name));
    chart_.addSeries(line);
    line->attachAxis(timeAxis_);
    line->attachAxis(d.axis);
    // One legend entry per series, however many pieces its gaps make.
    if (!d.pieces.empty()) {
      for (QLegendMarker* m : chart_.legend()->markers(line)) m->setVisible(false);
    }
    d.pieces.push_back(line);
  }
  return d.pieces[index];
}

void PlotChart::refresh(int columns) {
  const PlotRange view = session_.view();
  const std::vector<PlotLine> lines = session_.lines(columns);
  // Qt Charts lays out every line again, stroke and all, whenever one of
  // its axes moves: emptied first, the lines cost nothing to lay out while
  // the axes move, and each is laid out once, when it gets its points.
  for (Drawn& d : drawn_) {
    for (QLineSeries* piece : d.pieces) {
      if (piece->count() > 0) piece->clear();
    }
  }
  const QString format = plotTimeFormat(regional_, view.span());
  timeAxis_->setFormat(format);
  // As many dates as fit side by side: long ones overlap on a narrow plot.
  const QFontMetrics metrics(timeAxis_->labelsFont());
  const int label = metrics.horizontalAdvance(QDateTime::currentDateTime().toString(format));
  timeAxis_->setTickCount(std::clamp(columns / std::max(1, label + label / 2) + 1, 2, kTimeTicks));
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(view.from * 1000)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(view.to * 1000)));
  // Many axes side by side leave each little room: short labels without the
  // titles are read whole where long ones would be cut to "1...". The
  // colours and the legend, which then gives the units, say which is which.
  const bool crowded = lines.size() > kRoomyAxes;
  for (const PlotLine& line : lines) {
    QValueAxis* axis = drawn_[line.series].axis;
    const double low = line.low;
    const double high = line.high;
    const double margin = high > low ? (high - low) * 0.05 : std::max(std::fabs(low) * 0.05, 1.0);
    axis->setLabelFormat(
        crowded ? plotTightLabelFormat((high - low) + 2 * margin, axis->tickCount()) : QString());
    axis->setTitleVisible(!crowded);
    axis->setRange(low - margin, high + margin);
  }

  std::vector<std::size_t> used(drawn_.size(), 0);
  std::vector<bool> hasLine(drawn_.size(), false);
  QList<QPointF> points;
  for (const PlotLine& line : lines) {
    const std::size_t s = line.series;
    hasLine[s] = true;
    for (const std::vector<PlotPoint>& p : line.pieces) {
      QLineSeries* series = piece(s, used[s]++);
      points.clear();
      points.reserve(static_cast<qsizetype>(p.size()));
      for (const PlotPoint& point : p) points.append(QPointF(point.time * 1000, point.value));
      series->setPointsVisible(p.size() == 1);
      series->replace(points);
      series->setVisible(true);
    }
  }
  for (std::size_t s = 0; s < drawn_.size(); ++s) {
    Drawn& d = drawn_[s];
    const bool shown = session_.shown(s);
    d.axis->setVisible(shown && hasLine[s]);
    // The first piece keeps the legend entry of a shown series, even empty.
    if (d.pieces.empty() && shown) piece(s, 0);
    if (!d.pieces.empty()) {
      const PlotSeries& series = session_.data().series[s];
      d.pieces.front()->setName(
          QString::fromStdString(crowded ? plotAxisTitle(series) : series.name));
    }
    for (std::size_t k = used[s]; k < d.pieces.size(); ++k) {
      d.pieces[k]->setVisible(k == 0 && shown);
    }
  }
}

QString plotTightLabelFormat(double span, int ticks) {
  const double step = span / std::max(1, ticks - 1);
  const int decimals = step > 0 && std::isfinite(step)
                           ? std::clamp(-static_cast<int>(std::floor(std::log10(step))), 0, 6)
                           : 0;
  return QStringLiteral("%.%1f").arg(decimals);
}

FileResult writePlotImage(const PlotSession& session, Language language,
                          const RegionalSettings& regional, const std::string& path, QSize size,
                          const QString& title) {
  QGraphicsScene scene;
  auto* chart = new QChart;
  scene.addItem(chart);  // the scene owns the chart from here
  chart->resize(size);
  // An image goes where the window's title bar does not: it names its file
  // and its dates itself.
  chart->setTitle(title.toHtmlEscaped());
  PlotChart drawer(*chart, session, language, regional);
  // Lay the axes out first so that the lines are thinned to the plot area.
  drawer.refresh(size.width());
  chart->layout()->activate();
  drawer.refresh(std::max(1, static_cast<int>(chart->plotArea().width())));
  chart->layout()->activate();

  // The picture is made in memory and written as every file is, through a
  // twin that takes the name only once it is whole: a full disk or a kill
  // half way leaves the previous picture, and the name is used as the bytes
  // it was given, never read back from a QString.
  const QRectF area(QPointF(0, 0), QSizeF(size));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (endsWithSvg(path)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(area);
    svg.setTitle(title.isEmpty() ? text(kTxtPlotTitle, language) : title);
    QPainter painter;
    if (!painter.begin(&svg)) return FileResult::failure(FileStatus::kWriteFailed, path);
    scene.render(&painter, area, area);
    painter.end();
  } else {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      scene.render(&painter, area, area);
    }
    if (!image.save(&buffer, "PNG")) return FileResult::failure(FileStatus::kWriteFailed, path);
  }
  buffer.close();
  return writeFileAtomic(
      path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                          static_cast<std::size_t>(bytes.size())));
}

}  // namespace flowdesk
