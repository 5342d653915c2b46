#include "base/qt/ProgressWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include "base/Texts.h"
#include "base/qt/Resources.h"
#include "ui_ProgressWindow.h"

namespace flowdesk {

ProgressWindow::ProgressWindow(int language, QWidget* parent)
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
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = geometry();
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
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
