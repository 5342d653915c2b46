// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/ProgressWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "base/Texts.h"
#include "base/qt/Resources.h"
#include "ui_ProgressWindow.h"

namespace flowdesk {

QPoint progressPlacement(const QRect& opener, const QSize& window, const QRect& desktop) {
  constexpr int kGap = 8;
  const auto inside = [&desktop](QRect r) {
    r.moveLeft(std::clamp(r.left(), desktop.left(),
                          std::max(desktop.left(), desktop.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), desktop.top(),
                         std::max(desktop.top(), desktop.bottom() - r.height() + 1)));
    return r;
  };
  const QRect candidates[] = {
      QRect(QPoint(opener.right() + 1 + kGap, opener.top()), window),
      QRect(QPoint(opener.left() - kGap - window.width(), opener.top()), window),
      QRect(QPoint(opener.left(), opener.bottom() + 1 + kGap), window),
      QRect(QPoint(opener.left(), opener.top() - kGap - window.height()), window),
  };
  for (const QRect& c : candidates) {
    const QRect placed = inside(c);
    if (!placed.intersects(opener)) return placed.topLeft();
  }
  // The opener fills the desktop: the corner farthest from its centre.
  const QPoint centre = opener.center();
  QRect corner(QPoint(), window);
  if (centre.x() < desktop.center().x()) {
    corner.moveRight(desktop.right());
  } else {
    corner.moveLeft(desktop.left());
  }
  if (centre.y() < desktop.center().y()) {
    corner.moveBottom(desktop.bottom());
  } else {
    corner.moveTop(desktop.top());
  }
  return inside(corner).topLeft();
}

ProgressWindow::ProgressWindow(Language language, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::ProgressWindow>()) {
  ui_->setupUi(this);
  setAttribute(Qt::WA_ShowWithoutActivating);
  ui_->labelPleaseWait->setText(QString::fromUtf8(kTxtPleaseWait.text(language)));
  QFont infoFont(QStringLiteral("Sans Serif"));
  infoFont.setPixelSize(10);
  ui_->labelInfo->setFont(infoFont);
  ui_->labelInfo->clear();
  ui_->picture->setPixmap(resourcePicture(QStringLiteral("hourglass.svg")));

  adjustSize();
  setFixedSize(size());
  const QWidget* opener = parent != nullptr ? parent->window() : nullptr;
  const QScreen* screen = opener != nullptr && opener->screen() != nullptr
                              ? opener->screen()
                              : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect desktop = screen->availableGeometry();
    if (opener != nullptr && opener->isVisible()) {
      move(progressPlacement(opener->frameGeometry(), frameGeometry().size(), desktop));
    } else {
      QRect area = geometry();
      area.moveCenter(desktop.center());
      move(area.topLeft());
    }
  }
  show();
  repaint();
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::setInfo(const QString& text) {
  ui_->labelInfo->setText(text);
  ui_->labelInfo->repaint();
}

QString ProgressWindow::info() const {
  return ui_->labelInfo->text();
}

QString ProgressWindow::pleaseWaitText() const {
  return ui_->labelPleaseWait->text();
}

}  // namespace flowdesk
