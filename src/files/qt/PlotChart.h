// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QSize>
#include <QString>
#include <vector>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "files/PlotSession.h"

class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace flowdesk {

// Draws a plot session on a Qt Charts chart: the time axis at the bottom in
// the regional formats, one value axis per series in the series' colour,
// alternately left and right, and each series as line pieces broken at its
// gaps. The session decides what to draw; the chart only follows it, reusing
// its line objects from one zoom step to the next so that a step costs the
// points alone.
class PlotChart {
 public:
  // `chart` is not owned (a chart view or a scene holds it).
  PlotChart(QChart& chart, const PlotSession& session, Language language,
            const RegionalSettings& regional);

  // Draws the session's view for a plot area `columns` pixels wide.
  void refresh(int columns);
  QColor colour(std::size_t series) const;

 private:
  struct Drawn {
    QValueAxis* axis = nullptr;
    std::vector<QLineSeries*> pieces;
  };
  QLineSeries* piece(std::size_t series, std::size_t index);

  QChart& chart_;
  const PlotSession& session_;
  RegionalSettings regional_;
  QDateTimeAxis* timeAxis_ = nullptr;
  std::vector<Drawn> drawn_;
};

// The time axis' label format in the regional order and separators: the
// date and the time, with the seconds on a view shorter than a day.
QString plotTimeFormat(const RegionalSettings& regional, double spanSeconds);

// A value axis' label format with as many decimals as the step between two
// of its `ticks` over `span` needs, and no more: 48250, 7.7, 1575.2.
QString plotTightLabelFormat(double span, int ticks);

// The session's view rendered off screen at `size` into a PNG or SVG file
// (by the extension of `path`, PNG when it has neither), as the plot window
// and flowdesk-cli plot write it, with `title` above the chart
// (plotImageTitle). The file is replaced whole or not at all
// (writeFileAtomic): only a regular file, keeping its permissions. Needs a
// QApplication.
FileResult writePlotImage(const PlotSession& session, Language language,
                          const RegionalSettings& regional, const std::string& path, QSize size,
                          const QString& title);

}  // namespace flowdesk
