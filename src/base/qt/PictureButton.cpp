// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/PictureButton.h"

#include <QEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyleOptionButton>

#include "base/Texts.h"
#include "base/qt/Resources.h"

namespace flowdesk {

namespace {

constexpr QSize kButtonSize{48, 36};

QPixmap artwork(const QString& caption, char state) {
  ensureResources();
  return QPixmap(QStringLiteral(":/buttons/%1%2.svg").arg(caption).arg(QChar(state)));
}

}  // namespace

namespace {

// One row per role: the caption its artwork is named after, its shortcut on
// each kind of screen (0: none), what its tooltip names, and whether it may
// act during an exchange.
struct RoleRow {
  PictureRole role;
  const char* caption;
  int viewerKey;
  int configurationKey;
  const BilingualText* action;
  bool duringExchange;
};

constexpr int key(Qt::Key k, Qt::KeyboardModifier m = Qt::NoModifier) {
  return QKeyCombination(m, k).toCombined();
}

constexpr RoleRow kRoles[] = {
    {PictureRole::Print, "PRINT", key(Qt::Key_P, Qt::ControlModifier),
     key(Qt::Key_P, Qt::ControlModifier), &kTxtTipPrint, true},
    {PictureRole::SaveDisk, "SAVEDISK", key(Qt::Key_S, Qt::ControlModifier),
     key(Qt::Key_S, Qt::ControlModifier), &kTxtTipSaveDisk, false},
    {PictureRole::ArretDisk, "ARRETDISK", 0, 0, &kTxtTipArretDisk, false},
    {PictureRole::Tableur, "TABLEUR", key(Qt::Key_T, Qt::ControlModifier), 0, &kTxtTipTableur,
     true},
    {PictureRole::Compare, "COMPARE", 0, 0, &kTxtTipCompare, false},
    {PictureRole::Transfert, "TRANSFERT", 0, key(Qt::Key_T, Qt::ControlModifier), &kTxtTipTransfert,
     false},
    {PictureRole::Home, "HOME", key(Qt::Key_Home), key(Qt::Key_Home), &kTxtTipHome, false},
    {PictureRole::Pgd, "PGD", key(Qt::Key_PageDown), key(Qt::Key_PageDown), &kTxtTipPgd, false},
    {PictureRole::Pgu, "PGU", key(Qt::Key_PageUp), key(Qt::Key_PageUp), &kTxtTipPgu, false},
    {PictureRole::End, "END", key(Qt::Key_End), key(Qt::Key_End), &kTxtTipEnd, false},
    {PictureRole::Graph, "GRAPH", key(Qt::Key_G, Qt::ControlModifier),
     key(Qt::Key_G, Qt::ControlModifier), &kTxtTipGraph, true},
};

const RoleRow& row(PictureRole role) {
  for (const RoleRow& r : kRoles) {
    if (r.role == role) return r;
  }
  return kRoles[0];
}

}  // namespace

const char* pictureCaption(PictureRole role) {
  return row(role).caption;
}

QKeySequence pictureShortcut(PictureRole role, ShortcutContext context) {
  const RoleRow& r = row(role);
  const int combined = context == ShortcutContext::Viewer ? r.viewerKey : r.configurationKey;
  return combined == 0 ? QKeySequence() : QKeySequence(QKeyCombination::fromCombined(combined));
}

QString pictureToolTip(PictureRole role, ShortcutContext context, Language language) {
  const QString action = QString::fromUtf8(row(role).action->text(language));
  const QKeySequence shortcut = pictureShortcut(role, context);
  if (shortcut.isEmpty()) return action;
  return QStringLiteral("%1 (%2)").arg(action, shortcut.toString(QKeySequence::NativeText));
}

bool pictureActsDuringExchange(PictureRole role) {
  return row(role).duringExchange;
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

void PictureButton::setRole(PictureRole role, ShortcutContext context, Language language) {
  setShortcut(pictureShortcut(role, context));
  setToolTip(pictureToolTip(role, context, language));
}

bool PictureButton::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
    click();
    return true;
  }
  return QPushButton::event(event);
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
