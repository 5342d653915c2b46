// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/WindowPrinter.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>
#include <optional>

#include "base/Texts.h"
#include "base/qt/ProgressWindow.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtNoDefaultPrinter{"Aucune imprimante par défaut : rien n'a été imprimé",
                                             "No default printer: nothing was printed"};
constexpr BilingualText kTxtPrintNotStarted{"L'impression n'a pas pu commencer",
                                            "The print job could not start"};

class PrinterTarget : public PrintTarget {
 public:
  explicit PrinterTarget(const QPrinterInfo& info) : printer_(info, QPrinter::HighResolution) {}

  bool begin(const QString& documentName, int orientation) override {
    printer_.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer_.setResolution(limitPrinterDpi(printer_.resolution()));
    printer_.setDocName(documentName);
    return painter_.begin(&printer_);
  }
  QPainter& painter() override { return painter_; }
  QSize pageSize() const override {
    return printer_.pageLayout().paintRectPixels(printer_.resolution()).size();
  }
  int dpiX() const override { return printer_.logicalDpiX(); }
  int dpiY() const override { return printer_.logicalDpiY(); }
  void end() override {
    if (painter_.isActive()) painter_.end();
  }

 private:
  QPrinter printer_;
  QPainter painter_;
};

void defaultShowError(QWidget* window, const QString& message) {
  QMessageBox::warning(window, QString(), message);
}

// The open job of a two-part sheet, between its part 1 and its part 2.
std::unique_ptr<PrintTarget>& pendingJob() {
  static std::unique_ptr<PrintTarget> job;
  return job;
}

void showError(QWidget* window, const BilingualText& text) {
  const auto& env = printEnvironment();
  const QString message = QString::fromUtf8(text.text(env.language ? env.language() : kFrench));
  if (env.showError) {
    env.showError(window, message);
  } else {
    defaultShowError(window, message);
  }
}

void drawHeader(QPainter& painter, const PrintGeometry& g, int printDate) {
  const auto& env = printEnvironment();
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  font.setPixelSize(g.headerFontPixels);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const int ascent = QFontMetrics(font, painter.device()).ascent();
  if (printDate == 1) {
    const QDateTime now = env.now ? env.now() : QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    const std::string line = formatDateTime(d.day(), d.month(), d.year(), t.hour(), t.minute(),
                                            t.second(), env.regional);
    painter.drawText(g.dateLine.x, g.dateLine.y + ascent, QString::fromStdString(line));
  }
  painter.drawText(g.nameLine.x, g.nameLine.y + ascent, QString::fromStdString(env.internalName));
}

}  // namespace

std::unique_ptr<PrintTarget> openDefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return nullptr;
  return std::make_unique<PrinterTarget>(info);
}

PrintEnvironment& printEnvironment() {
  static PrintEnvironment env;
  return env;
}

void setPrintEnvironment(PrintEnvironment environment) {
  printEnvironment() = std::move(environment);
}

QString printOutcomeNote(PrintOutcome outcome, Language language) {
  switch (outcome) {
    case PrintOutcome::kPrinted:
      return QString();
    case PrintOutcome::kNoDefaultPrinter:
      return QString::fromUtf8(kTxtNoDefaultPrinter.text(language));
    case PrintOutcome::kCannotStart:
      return QString::fromUtf8(kTxtPrintNotStarted.text(language));
  }
  return QString();
}

bool printJobPending() {
  return pendingJob() != nullptr;
}

void finishPendingPrint() {
  if (auto& job = pendingJob()) {
    job->end();
    job.reset();
  }
}

PrintOutcome printWindow(QWidget* window, const QString& documentName, int printDate,
                         int orientation, int part) {
  if (window == nullptr) return PrintOutcome::kCannotStart;
  auto& env = printEnvironment();
  PrintPart which = printPartFrom(part);

  // 1. The client area as it is on the screen now, without the text cursor
  // of the edit being typed in (which stores its value as the focus leaves).
  const QPointer<QWidget> focused = window->focusWidget();
  if (focused) focused->clearFocus();
  const QPixmap snapshot = window->grab();
  if (focused) focused->setFocus(Qt::OtherFocusReason);
  if (snapshot.isNull() && window->width() > 0 && window->height() > 0) {
    showError(window, kTxtPrinterError);
  }

  // A new job must not draw on a sheet whose second half never came.
  if (which != PrintPart::kSecond) finishPendingPrint();

  std::unique_ptr<PrintTarget> job;
  const bool continuing = which == PrintPart::kSecond && pendingJob() != nullptr;
  if (continuing) {
    job = std::move(pendingJob());
  } else {
    // 2. The default printer, without a dialog.
    job = env.openPrinter ? env.openPrinter() : nullptr;
    if (!job) return PrintOutcome::kNoDefaultPrinter;
  }

  std::optional<ProgressWindow> progress;
  if (env.showProgress) progress.emplace(env.language ? env.language() : kFrench, window);

  const bool alone = which == PrintPart::kSecond && !continuing;
  if (!continuing) {
    if (!job->begin(documentName, orientation)) {
      job->end();
      return PrintOutcome::kCannotStart;
    }
  }

  PrintGeometryInput in;
  in.clientWidth = window->width();
  in.clientHeight = window->height();
  in.screenDpiX = window->logicalDpiX();
  in.screenDpiY = window->logicalDpiY();
  in.printerDpiX = job->dpiX();
  in.printerDpiY = job->dpiY();
  in.pageWidth = job->pageSize().width();
  in.pageHeight = job->pageSize().height();
  in.part = which;
  PrintGeometry g = computePrintGeometry(in);
  if (alone) {
    // A second half on a sheet of its own still gets its header and ends it.
    g.drawsHeader = true;
    g.endsDocument = true;
  }

  QPainter& painter = job->painter();
  // 3. The picture enlarged by whole printer pixels, as a blit would. The
  // geometry counts in the window's device-independent pixels; the snapshot
  // of a scaled screen (200 %) holds more pixels than that, so it is drawn by
  // its pixels, one printer pixel each, never by its own pixel ratio, which
  // would print it a quarter of its size. Scaled down (a screen wider than
  // the page), pixels are averaged: dropping every other one would tear the
  // text and lose the thin lines of a plot.
  QImage enlarged;
  if (!snapshot.isNull() && g.width > 0 && g.height > 0) {
    const QImage picture = snapshot.toImage();
    const bool reducing = picture.width() > g.width || picture.height() > g.height;
    enlarged = picture.scaled(g.width, g.height, Qt::IgnoreAspectRatio,
                              reducing ? Qt::SmoothTransformation : Qt::FastTransformation);
    if (enlarged.isNull()) {
      showError(window, kTxtStretchFailed);
    } else {
      enlarged.setDevicePixelRatio(1);
    }
  }

  // 4. The frame: four outlines 1 to 4 pixels outside the picture.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  for (const PrintFrame& f : g.frames) {
    // The outline covers left..right-1 and top..bottom-1, as a rectangle
    // outline on a printer does.
    painter.drawRect(f.left, f.top, f.right - 1 - f.left, f.bottom - 1 - f.top);
  }
  if (!enlarged.isNull()) painter.drawImage(QRect(g.left, g.top, g.width, g.height), enlarged);

  if (g.drawsHeader) drawHeader(painter, g, printDate);

  if (g.endsDocument) {
    job->end();
  } else {
    pendingJob() = std::move(job);
  }
  return PrintOutcome::kPrinted;
}

}  // namespace flowdesk
