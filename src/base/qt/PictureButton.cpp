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

constexpr int key(Qt::Key k, Qt::KeyboardModifier m = Qt::NoModifier) {
  return QKeyCombination(m, k).toCombined();
}

constexpr int kCtrlP = key(Qt::Key_P, Qt::ControlModifier);
constexpr int kCtrlS = key(Qt::Key_S, Qt::ControlModifier);
constexpr int kCtrlT = key(Qt::Key_T, Qt::ControlModifier);
constexpr int kCtrlG = key(Qt::Key_G, Qt::ControlModifier);

using R = PictureRole;

// {role, object name, caption, tooltip, viewer key, configuration key, acts during an exchange}
constexpr PictureRoleRow kRoles[] = {
    {R::kPrint, "buttonPrint", "PRINT", &kTxtTipPrint, kCtrlP, kCtrlP, true},
    {R::kSaveDisk, "buttonSaveDisk", "SAVEDISK", &kTxtTipSaveDisk, kCtrlS, kCtrlS, false},
    {R::kArretDisk, "buttonArretDisk", "ARRETDISK", &kTxtTipArretDisk, 0, 0, false},
    {R::kTableur, "buttonTableur", "TABLEUR", &kTxtTipTableur, kCtrlT, 0, true},
    {R::kCompare, "buttonCompare", "COMPARE", &kTxtTipCompare, 0, 0, false},
    {R::kTransfert, "buttonTransfert", "TRANSFERT", &kTxtTipTransfert, 0, kCtrlT, false},
    {R::kHome, "buttonHome", "HOME", &kTxtTipHome, key(Qt::Key_Home), key(Qt::Key_Home), false},
    {R::kPgd, "buttonPgd", "PGD", &kTxtTipPgd, key(Qt::Key_PageDown), key(Qt::Key_PageDown), false},
    {R::kPgu, "buttonPgu", "PGU", &kTxtTipPgu, key(Qt::Key_PageUp), key(Qt::Key_PageUp), false},
    {R::kEnd, "buttonEnd", "END", &kTxtTipEnd, key(Qt::Key_End), key(Qt::Key_End), false},
    {R::kGraph, "buttonGraph", "GRAPH", &kTxtTipGraph, kCtrlG, kCtrlG, true},
};

}  // namespace

const PictureRoleRow& pictureRole(PictureRole role) {
  for (const PictureRoleRow& r : kRoles) {
    if (r.role == role) return r;
  }
  return kRoles[0];
}

QKeySequence pictureShortcut(PictureRole role, ShortcutContext context) {
  const PictureRoleRow& r = pictureRole(role);
  const int combined = context == ShortcutContext::kViewer ? r.viewerKey : r.configurationKey;
  return combined == 0 ? QKeySequence() : QKeySequence(QKeyCombination::fromCombined(combined));
}

QString pictureToolTip(PictureRole role, ShortcutContext context, Language language) {
  const QString action = QString::fromUtf8(pictureRole(role).action->text(language));
  const QKeySequence shortcut = pictureShortcut(role, context);
  if (shortcut.isEmpty()) return action;
  return QStringLiteral("%1 (%2)").arg(action, shortcut.toString(QKeySequence::NativeText));
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
  setObjectName(QString::fromLatin1(pictureRole(role).control));
  // setShortcut after setText: the text has no '&', so nothing overrides it.
  setShortcut(pictureShortcut(role, context));
}

void PictureButton::setRole(PictureRole role, ShortcutContext context, Language language,
                            bool withShortcut) {
  if (withShortcut) setShortcut(pictureShortcut(role, context));
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
