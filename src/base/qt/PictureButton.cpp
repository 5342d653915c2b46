#include "base/qt/PictureButton.h"

#include <QPainter>
#include <QStyleOptionButton>

#include "base/qt/Resources.h"

namespace flowdesk {

namespace {

constexpr QSize kButtonSize{48, 36};

QPixmap artwork(const QString& caption, char state) {
  ensureResources();
  return QPixmap(QStringLiteral(":/buttons/%1%2.svg").arg(caption).arg(QChar(state)));
}

}  // namespace

const char* pictureCaption(PictureRole role) {
  switch (role) {
    case PictureRole::Print:
      return "PRINT";
    case PictureRole::SaveDisk:
      return "SAVEDISK";
    case PictureRole::ArretDisk:
      return "ARRETDISK";
    case PictureRole::Tableur:
      return "TABLEUR";
    case PictureRole::Compare:
      return "COMPARE";
    case PictureRole::Transfert:
      return "TRANSFERT";
    case PictureRole::Home:
      return "HOME";
    case PictureRole::Pgd:
      return "PGD";
    case PictureRole::Pgu:
      return "PGU";
    case PictureRole::End:
      return "END";
    case PictureRole::Graph:
      return "GRAPH";
  }
  return "";
}

QKeySequence pictureShortcut(PictureRole role, ShortcutContext context) {
  switch (role) {
    case PictureRole::Print:
      return QKeySequence(Qt::CTRL | Qt::Key_P);
    case PictureRole::SaveDisk:
      return QKeySequence(Qt::CTRL | Qt::Key_S);
    case PictureRole::Tableur:
      return context == ShortcutContext::Viewer ? QKeySequence(Qt::CTRL | Qt::Key_T)
                                                : QKeySequence();
    case PictureRole::Transfert:
      return context == ShortcutContext::Configuration ? QKeySequence(Qt::CTRL | Qt::Key_T)
                                                       : QKeySequence();
    case PictureRole::Graph:
      return QKeySequence(Qt::CTRL | Qt::Key_G);
    case PictureRole::Home:
      return QKeySequence(Qt::Key_Home);
    case PictureRole::End:
      return QKeySequence(Qt::Key_End);
    case PictureRole::Pgd:
      return QKeySequence(Qt::Key_PageDown);
    case PictureRole::Pgu:
      return QKeySequence(Qt::Key_PageUp);
    case PictureRole::ArretDisk:
    case PictureRole::Compare:
      return QKeySequence();
  }
  return QKeySequence();
}

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  setFocusPolicy(Qt::StrongFocus);
  // A hidden button keeps its room: the others stay where the hand expects
  // them (a second click on PGD must not land on PGU), and what sits beside
  // the row does not jump.
  QSizePolicy policy = sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  setSizePolicy(policy);
}

PictureButton::PictureButton(const QString& caption, QWidget* parent) : PictureButton(parent) {
  setText(caption);
}

PictureButton::PictureButton(PictureRole role, ShortcutContext context, QWidget* parent)
    : PictureButton(QString::fromLatin1(pictureCaption(role)), parent) {
  setObjectName(QString::fromLatin1(pictureCaption(role)));
  // setShortcut after setText: the text has no '&', so nothing overrides it.
  setShortcut(pictureShortcut(role, context));
}

void PictureButton::loadArtwork() const {
  if (loadedFor_ == text() && !loadedFor_.isNull()) return;
  loadedFor_ = text();
  up_ = artwork(loadedFor_, 'U');
  down_ = artwork(loadedFor_, 'D');
  focused_ = artwork(loadedFor_, 'F');
}

bool PictureButton::hasArtwork() const {
  loadArtwork();
  return !up_.isNull() && !down_.isNull() && !focused_.isNull();
}

char PictureButton::pictureState() const {
  if (isDown() || isChecked()) return 'D';
  if (hasFocus()) return 'F';
  return 'U';
}

QSize PictureButton::sizeHint() const {
  loadArtwork();
  if (!up_.isNull()) return up_.size();
  return QPushButton::sizeHint().expandedTo(kButtonSize);
}

QSize PictureButton::minimumSizeHint() const {
  return sizeHint();
}

void PictureButton::paintEvent(QPaintEvent* event) {
  if (!hasArtwork()) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!isEnabled()) painter.setOpacity(0.4);
  const char state = pictureState();
  const QPixmap& picture = state == 'D' ? down_ : state == 'F' ? focused_ : up_;
  painter.drawPixmap(rect(), picture);
}

}  // namespace flowdesk
