// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"
#include "logger/LoggerViewerSession.h"

namespace Ui {
class LoggerDownloadWindow;
}

namespace flowdesk {

// The window shown while the logger downloads into a file: the file, the
// time left, the records done and to do, the last record fetched and a
// progress bar. It has no button of its own: ARRETDISK on the viewer stops.
class LoggerDownloadWindow : public QDialog {
  Q_OBJECT
 public:
  LoggerDownloadWindow(Language language, QWidget* parent);
  ~LoggerDownloadWindow() override;

  void draw(const LoggerDownloadView& view);

 protected:
  // Escape and the window's close box leave the download running.
  void reject() override {}

 private:
  std::unique_ptr<Ui::LoggerDownloadWindow> ui_;
};

}  // namespace flowdesk
