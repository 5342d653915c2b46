// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/qt/LoggerDownloadWindow.h"

#include <algorithm>
#include <limits>

#include "base/Texts.h"
#include "ui_LoggerDownloadWindow.h"

namespace flowdesk {

namespace {

int barValue(long long n) {
  return static_cast<int>(std::clamp<long long>(n, 0, std::numeric_limits<int>::max()));
}

}  // namespace

LoggerDownloadWindow::LoggerDownloadWindow(Language language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::LoggerDownloadWindow>()) {
  ui_->setupUi(this);
  setModal(false);
  setWindowTitle(QString::fromUtf8(kTxtLogger.text(language)));
  ui_->labelRemaining->setText(QString::fromUtf8(kTxtTimeRemaining.text(language)));
  ui_->buttonCancel->hide();
}

LoggerDownloadWindow::~LoggerDownloadWindow() = default;

void LoggerDownloadWindow::draw(const LoggerDownloadView& view) {
  ui_->labelFileName->setText(QString::fromStdString(view.path));
  ui_->valueRemaining->setText(QString::fromStdString(view.remaining));
  ui_->valueRecordsDone->setText(QString::number(view.recordsDone));
  ui_->valueRecordsToDo->setText(view.recordsToDo > 0 ? QString::number(view.recordsToDo)
                                                      : QString());
  ui_->labelInfo->setText(QString::fromStdString(view.info));
  ui_->labelFailure->setVisible(view.failedFetches > 0);
  ui_->labelFailure->setText(view.failedFetches > 0
                                 ? QString::fromStdString(view.failure) +
                                       QStringLiteral(" (%1)").arg(view.failedFetches)
                                 : QString());
  ui_->progressBar->setRange(0, std::max(1, barValue(view.progressMax)));
  ui_->progressBar->setValue(
      std::min(barValue(view.progressPosition), ui_->progressBar->maximum()));
}

}  // namespace flowdesk
