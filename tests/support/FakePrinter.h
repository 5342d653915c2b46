// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one stand-in for the printer: a page in memory that the job draws on,
// and a log of what the job did. The test keeps the PrintJob; each print
// opens a FakePrinter on it (printerFor).
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>

#include "base/qt/WindowPrinter.h"

namespace flowdesk::testing {

struct PrintJob {
  PrintJob() = default;
  explicit PrintJob(QImage paper, int dotsPerInch = 300)
      : page(std::move(paper)), dpi(dotsPerInch) {}

  QImage page;  // the paper, sized by the test; a null page takes no drawing
  int dpi = 300;
  bool refuseStart = false;  // begin() fails, as a printer that takes no job
  QStringList calls;         // "begin <document> <orientation>", "end"
  // Called as the document starts, before anything is drawn.
  std::function<void(const QString& document)> onBegin;
};

class FakePrinter : public PrintTarget {
 public:
  explicit FakePrinter(PrintJob& job) : job_(job) {}
  bool begin(const QString& document, int orientation) override {
    job_.calls << QStringLiteral("begin %1 %2").arg(document).arg(orientation);
    if (job_.onBegin) job_.onBegin(document);
    if (job_.refuseStart) return false;
    job_.page.fill(Qt::white);
    return painter_.begin(&job_.page);
  }
  QPainter& painter() override { return painter_; }
  QSize pageSize() const override { return job_.page.size(); }
  int dpiX() const override { return job_.dpi; }
  int dpiY() const override { return job_.dpi; }
  void end() override {
    job_.calls << QStringLiteral("end");
    if (painter_.isActive()) painter_.end();
  }

 private:
  PrintJob& job_;
  QPainter painter_;
};

inline std::unique_ptr<PrintTarget> printerFor(PrintJob& job) {
  return std::make_unique<FakePrinter>(job);
}

}  // namespace flowdesk::testing
