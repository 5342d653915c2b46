// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "files/PlotData.h"
#include "files/PlotSession.h"
#include "link/qt/Screen.h"

class QChart;

namespace Ui {
class PlotDialog;
}

namespace flowdesk {

class AppContext;
class PlotChart;

// The plot window: a measurement or logger file's records as curves over
// time, with zoom, pan, a cursor on the nearest record, the choice of the
// series, export as PNG or SVG and PRINT. The session holds the series, the
// view and the thinning; the window draws them with Qt Charts. The kind of
// file is the source's business, so one window serves both kinds.
class PlotDialog : public Screen {
  Q_OBJECT
 public:
  PlotDialog(AppContext& context, std::unique_ptr<PlotSource> source, QWidget* parent = nullptr);
  ~PlotDialog() override;

  // GRAPH and Open: the window on the file, run until closed.
  static void run(AppContext& context, const std::string& path, std::unique_ptr<PlotSource> source,
                  QWidget* parent);

  static std::vector<std::string> boundControls();

  PlotSession& session() { return session_; }
  QChart* chart() const;

  // The presses, as the controls run them.
  void setSeriesShown(std::size_t series, bool shown);
  void zoom(double centre, double factor);
  void zoomTo(double from, double to);
  void pan(double seconds);
  void wholeView();
  void hover(double time);
  void exportImage();
  // What is shown, at the size it is shown, into `path` (PNG or SVG by its
  // extension); false after telling why.
  bool exportTo(const std::string& path);
  void print();

  // Draws the session's view again.
  void refresh();

 protected:
  bool load() override;
  // Escape brings the whole view back wherever the focus is (the series
  // list, a button), and never closes the window.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::unique_ptr<PlotSource> source_;
  std::unique_ptr<Ui::PlotDialog> ui_;
  PlotSession session_;
  std::unique_ptr<PlotChart> drawer_;
  int columns_ = 0;       // the plot area's width the lines were last thinned to
  bool filling_ = false;  // the series list is being filled: its changes are not presses
};

}  // namespace flowdesk
