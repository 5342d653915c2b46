// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "base/qt/Bindings.h"
#include "base/qt/UserInterface.h"
#include "link/qt/Screen.h"
#include "logger/LoggerViewerSession.h"

namespace Ui {
class LoggerViewerDialog;
}

class QTableView;

namespace flowdesk {

class AppContext;
class LoggerDownloadWindow;
class StatusHelpWindow;

// The logger viewer: the unit's logger records a page at a time (fetched by
// the timer), or a logger file's; from the unit it also downloads the records
// into a logger file. The session does all of it; the dialog runs the timer,
// forwards the presses and draws the grid, the counters, the download window
// and the "please wait" window the session asks for.
class LoggerViewerDialog : public Screen {
  Q_OBJECT
 public:
  LoggerViewerDialog(AppContext& context, QWidget* parent = nullptr);
  ~LoggerViewerDialog() override;

  const BindingRows& bindings() const { return rows_; }

  // The controls' actions, as a press or its shortcut runs them.
  void saveDisk();
  void arretDisk();
  void navigate(LoggerNavigation nav);
  void print();
  void tableur();
  // GRAPH: the file shown, as curves.
  void graph();
  void help();
  // A picture button's action by the session's name for it.
  void press(LoggerControl control);

  const LoggerViewerSession& session() const { return session_; }
  QWidget* control(LoggerControl c) const;
  LoggerDownloadWindow* downloadWindow() const;
  StatusHelpWindow* helpWindow() const;
  void tick() override;

 public slots:
  // The stop message: ends a running download.
  void stopDownload() { arretDisk(); }

 protected:
  // False when the screen is not to be run: no logger, the unit did not
  // answer (nothing said), or the file could not be read (the operator was
  // told why).
  bool load() override;
  bool readyToClose() override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void drawScreen();
  void drawGrid();
  void layOutGrid();
  void placeFrozenColumns();
  void fitGrid();
  void closeDownloadWindow();

  LoggerViewerSession session_;
  const BindingRows rows_;
  std::unique_ptr<Ui::LoggerViewerDialog> ui_;
  QTableView* frozen_ = nullptr;  // the first columns, kept in view over the grid
  std::vector<std::string> laidOutTitles_;
  std::unique_ptr<ProgressDisplay> progress_;
  QPointer<LoggerDownloadWindow> download_;
  QPointer<StatusHelpWindow> help_;
};

}  // namespace flowdesk
