// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/qt/core/ReportPdf.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <memory>
#include <span>
#include <variant>

#include "base/Texts.h"
#include "base/qt/core/RuntimeFolder.h"
#include "echo/EchoSession.h"

namespace flowdesk {
namespace {

// Fonts need a GUI application; the command line has none and opens no
// display, so one is made off screen for the run.
void ensureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  ensurePrivateRuntimeFolder();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "flowdesk";
  static char* argv[] = {name, nullptr};
  static const std::unique_ptr<QGuiApplication> application =
      std::make_unique<QGuiApplication>(argc, argv);
}

QString q(const std::string& s) {
  return QString::fromStdString(s);
}

enum class Style { kTitle, kVerdict, kHeading, kHead, kBody, kSmall };

struct TextItem {
  QRectF rect;
  QString text;
  Style style;
  int flags;
};
struct FillItem {
  QRectF rect;
  QColor colour;
};
struct EchoItem {
  QRectF rect;
  EchoImage image;
};
using Item = std::variant<TextItem, FillItem, EchoItem>;
using Page = std::vector<Item>;

class Layout {
 public:
  Layout(QPdfWriter& writer, const ReportDocument& d) : writer_(writer), doc_(d) {
    const double dpmm = writer.resolution() / 25.4;
    mm_ = dpmm;
    const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
    width_ = paint.width();
    height_ = paint.height();
  }

  std::vector<Page> pages(const std::vector<ChordEcho>& echoes) {
    newPage();
    for (const ReportSection& t : doc_.tables) table(t);
    if (!echoes.empty()) pictures(echoes);
    return pages_;
  }

  QFont font(Style s) const {
    QFont f(QStringLiteral("DejaVu Sans"));
    switch (s) {
      case Style::kTitle:
        f.setPointSizeF(16);
        f.setBold(true);
        break;
      case Style::kVerdict:
        f.setPointSizeF(14);
        f.setBold(true);
        break;
      case Style::kHeading:
        f.setPointSizeF(11);
        f.setBold(true);
        break;
      case Style::kHead:
        f.setPointSizeF(7.5);
        f.setBold(true);
        break;
      case Style::kBody:
        f.setPointSizeF(7.5);
        break;
      case Style::kSmall:
        f.setPointSizeF(7);
        break;
    }
    return f;
  }

 private:
  double lineHeight(Style s) const { return QFontMetricsF(font(s), &writer_).height() * 1.25; }
  double textWidth(Style s, const QString& t) const {
    return QFontMetricsF(font(s), &writer_).horizontalAdvance(t);
  }
  void text(double x, double y, double w, double h, const QString& t, Style s,
            int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    pages_.back().push_back(TextItem{QRectF(x, y, w, h), t, s, flags});
  }

  void newPage() {
    pages_.emplace_back();
    y_ = 0;
    const double h = lineHeight(Style::kTitle);
    text(0, y_, width_ * 0.65, h, q(doc_.title), Style::kTitle);
    pages_.back().push_back(FillItem{QRectF(width_ * 0.65, y_, width_ * 0.35, h),
                                     doc_.pass ? QColor(200, 235, 200) : QColor(245, 200, 200)});
    text(width_ * 0.65, y_, width_ * 0.35, h, q(doc_.verdict), Style::kVerdict, Qt::AlignCenter);
    y_ += h + mm_;
    for (const std::string& line : doc_.headerLines) {
      text(0, y_, width_, lineHeight(Style::kSmall), q(line), Style::kSmall);
      y_ += lineHeight(Style::kSmall);
    }
    y_ += 3 * mm_;
    bottom_ = height_ - lineHeight(Style::kSmall) - 2 * mm_;  // the footer's room
  }

  void ensureRoom(double h) {
    if (y_ + h > bottom_) newPage();
  }

  // Column widths: each column as wide as its widest text, the whole spread
  // or shrunk to the page's width.
  std::vector<double> columnWidths(const ReportSection& t, std::size_t columns) const {
    std::vector<double> w(columns, 0);
    const double pad = 2 * mm_;
    for (std::size_t c = 0; c < columns && c < t.columns.size(); ++c)
      w[c] = std::max(w[c], textWidth(Style::kHead, q(t.columns[c])) + pad);
    for (const auto& row : t.rows)
      for (std::size_t c = 0; c < columns && c < row.size(); ++c)
        w[c] = std::max(w[c], textWidth(Style::kBody, q(row[c])) + pad);
    double total = 0;
    for (double x : w) total += x;
    if (total > 0) {
      const double scale = total > width_ ? width_ / total : std::min(1.6, width_ / total);
      for (double& x : w) x *= scale;
    }
    return w;
  }

  void head(const ReportSection& t, const std::vector<double>& widths, bool continued) {
    const double h = lineHeight(Style::kHeading);
    QString title = q(t.title);
    if (continued) title += QStringLiteral(" (…)");
    text(0, y_, width_, h, title, Style::kHeading);
    y_ += h;
    if (t.columns.empty()) return;
    const double rh = lineHeight(Style::kHead);
    double x = 0;
    double total = 0;
    for (double w : widths) total += w;
    pages_.back().push_back(FillItem{QRectF(0, y_, total, rh), QColor(225, 225, 225)});
    for (std::size_t c = 0; c < widths.size(); ++c) {
      text(x + mm_, y_, widths[c] - 2 * mm_, rh, c < t.columns.size() ? q(t.columns[c]) : "",
           Style::kHead, c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
      x += widths[c];
    }
    y_ += rh;
  }

  void table(const ReportSection& t) {
    std::size_t columns = t.columns.size();
    for (const auto& row : t.rows) columns = std::max(columns, row.size());
    const std::vector<double> widths = columnWidths(t, columns);
    const double rh = lineHeight(Style::kBody);
    // A table starts on a new page rather than leave its title alone at the
    // foot of one.
    ensureRoom(lineHeight(Style::kHeading) + lineHeight(Style::kHead) + 2 * rh);
    head(t, widths, false);
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
      if (y_ + rh > bottom_) {
        newPage();
        head(t, widths, true);
      }
      double x = 0;
      if (r < t.failedRows.size() && t.failedRows[r]) {
        double total = 0;
        for (double w : widths) total += w;
        pages_.back().push_back(FillItem{QRectF(0, y_, total, rh), QColor(250, 215, 215)});
      }
      for (std::size_t c = 0; c < widths.size(); ++c) {
        const QString cell = c < t.rows[r].size() ? q(t.rows[r][c]) : QString();
        text(x + mm_, y_, widths[c] - 2 * mm_, rh, cell, Style::kBody,
             c == 0 || t.columns.empty() ? Qt::AlignLeft | Qt::AlignVCenter
                                         : Qt::AlignRight | Qt::AlignVCenter);
        x += widths[c];
      }
      y_ += rh;
    }
    if (!t.note.empty()) {
      ensureRoom(rh);
      text(0, y_, width_, rh, q(t.note), Style::kBody);
      y_ += rh;
    }
    y_ += 4 * mm_;
  }

  void pictures(const std::vector<ChordEcho>& echoes) {
    const double w = (width_ - 10 * mm_) / 2;
    const double h = w / 2;  // the display's 128 x 64
    const double captionH = lineHeight(Style::kBody);
    ensureRoom(lineHeight(Style::kHeading) + h + captionH);
    text(0, y_, width_, lineHeight(Style::kHeading), q(doc_.echoTitle), Style::kHeading);
    y_ += lineHeight(Style::kHeading);
    for (std::size_t i = 0; i < echoes.size(); ++i) {
      const bool left = i % 2 == 0;
      if (left) ensureRoom(h + captionH + 2 * mm_);
      const double x = left ? 0 : w + 10 * mm_;
      const QString caption = i < doc_.echoCaptions.size() ? q(doc_.echoCaptions[i]) : QString();
      text(x, y_, w, captionH, caption, Style::kBody);
      if (echoes[i].image) {
        pages_.back().push_back(EchoItem{QRectF(x, y_ + captionH, w, h), *echoes[i].image});
      } else {
        pages_.back().push_back(FillItem{QRectF(x, y_ + captionH, w, h), QColor(240, 240, 240)});
        text(x, y_ + captionH, w, h, QStringLiteral("-"), Style::kHeading, Qt::AlignCenter);
      }
      if (!left || i + 1 == echoes.size()) y_ += captionH + h + 3 * mm_;
    }
  }

  QPdfWriter& writer_;
  const ReportDocument& doc_;
  double mm_ = 1;                  // device units in a millimetre
  double width_ = 0, height_ = 0;  // the printable area
  double y_ = 0, bottom_ = 0;      // where the next item goes, and the footer's top
  std::vector<Page> pages_;
};

void paintEcho(QPainter& p, const QRectF& r, const EchoImage& image) {
  p.fillRect(r, QColor(kEchoBackgroundGrey, kEchoBackgroundGrey, kEchoBackgroundGrey));
  const double sx = r.width() / 128.0;
  const double sy = r.height() / 64.0;
  for (const EchoCell& c : echoCells(image, 128, 64))
    p.fillRect(QRectF(r.x() + c.x * sx, r.y() + c.y * sy, c.width * sx, c.height * sy), Qt::black);
}

}  // namespace

std::vector<std::uint8_t> reportPdfBytes(const ReportDocument& document,
                                         const std::vector<ChordEcho>& echoes) {
  ensureGuiApplication();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setTitle(QString::fromStdString(document.title));
    writer.setCreator(QStringLiteral("flowdesk"));
    Layout layout(writer, document);
    const std::vector<Page> pages = layout.pages(echoes);
    QPainter painter(&writer);
    const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
    for (std::size_t n = 0; n < pages.size(); ++n) {
      if (n > 0) writer.newPage();
      for (const Item& item : pages[n]) {
        if (const auto* t = std::get_if<TextItem>(&item)) {
          painter.setFont(layout.font(t->style));
          painter.setPen(Qt::black);
          painter.drawText(t->rect, t->flags, t->text);
        } else if (const auto* f = std::get_if<FillItem>(&item)) {
          painter.fillRect(f->rect, f->colour);
        } else if (const auto* e = std::get_if<EchoItem>(&item)) {
          paintEcho(painter, e->rect, e->image);
        }
      }
      painter.setFont(layout.font(Style::kSmall));
      const QString foot = QString::fromStdString(textWithNumbers(
          document.pageOf, {static_cast<long long>(n + 1), static_cast<long long>(pages.size())}));
      const double footH = QFontMetricsF(layout.font(Style::kSmall), &writer).height() * 1.25;
      painter.drawText(QRectF(0, paint.height() - footH, paint.width(), footH),
                       Qt::AlignHCenter | Qt::AlignBottom, foot);
    }
  }
  return {bytes.begin(), bytes.end()};
}

FileResult writeReportPdf(const std::string& path, const ReportDocument& document,
                          const std::vector<ChordEcho>& echoes) {
  const std::vector<std::uint8_t> bytes = reportPdfBytes(document, echoes);
  if (bytes.empty()) return FileResult::failure(FileStatus::kWriteFailed, path);
  return writeFileAtomic(path, std::span<const std::uint8_t>(bytes));
}

}  // namespace flowdesk
