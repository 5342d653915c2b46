// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QKeySequence>
#include <QPixmap>
#include <QPushButton>
#include <QString>

#include "base/BilingualText.h"

namespace flowdesk {

// The roles a picture button plays; its caption names its artwork.
enum class PictureRole {
  kPrint,
  kSaveDisk,
  kArretDisk,
  kTableur,
  kCompare,
  kTransfert,
  kHome,
  kPgd,
  kPgu,
  kEnd,
  kGraph
};

// Where Ctrl+T goes: the viewers use it for TABLEUR, the configuration
// screens for TRANSFERT. A screen never has both.
enum class ShortcutContext { kViewer, kConfiguration };

// Everything a role brings wherever it is used, written once: a screen
// names only the roles it has and what their presses do.
struct PictureRoleRow {
  PictureRole role;
  // The object name of its button in every .ui ("buttonPrint").
  const char* control;
  // Its caption, the button's text, which names its three pictures
  // ("PRINT": PRINTU, PRINTD, PRINTF).
  const char* caption;
  // What its tooltip says it does.
  const BilingualText* action;
  // Its key on a viewer and on a configuration screen (0: none there).
  int viewerKey;
  int configurationKey;
  // Its press never talks to the unit nor changes what a screen's session
  // is doing (printing, opening a window of its own): it may act at once
  // even while the screen's exchange is running.
  bool actsDuringExchange;
};

// The row of a role.
const PictureRoleRow& pictureRole(PictureRole role);

// "PRINT", "SAVEDISK" ... the upper-case caption of a role.
inline const char* pictureCaption(PictureRole role) {
  return pictureRole(role).caption;
}

// The keyboard shortcut of a role on a screen of that context; empty when
// the role has none there.
QKeySequence pictureShortcut(PictureRole role, ShortcutContext context);

// What the button's tooltip says: its action in the language, then its
// shortcut in that context in brackets when it has one ("Print (Ctrl+P)").
QString pictureToolTip(PictureRole role, ShortcutContext context, Language language);

// A push button drawn from three pictures named after its caption with the
// suffix U (up), D (down) and F (focused): PRINTU, PRINTD, PRINTF. The
// caption is the button's text, so a .ui file promotes a QPushButton whose
// text is "PRINT". Without its pictures the button shows the caption as
// text, so it stays usable.
class PictureButton : public QPushButton {
  Q_OBJECT
 public:
  explicit PictureButton(QWidget* parent = nullptr);
  PictureButton(const QString& caption, QWidget* parent);
  PictureButton(PictureRole role, ShortcutContext context, QWidget* parent);

  // The role's tooltip in the language and, unless `withShortcut` is false
  // (the keys are another widget's), its shortcut.
  void setRole(PictureRole role, ShortcutContext context, Language language,
               bool withShortcut = true);

  // The state whose picture is drawn now: 'U', 'D' or 'F'.
  char pictureState() const;
  // True when the three pictures of the caption were found.
  bool hasArtwork() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // A shortcut clicks at once, every time: a plain button animates its
  // click for 100 ms and drops the shortcuts pressed meanwhile.
  bool event(QEvent* event) override;

 private:
  void loadArtwork() const;

  mutable QString loadedFor_;
  mutable QPixmap up_;
  mutable QPixmap down_;
  mutable QPixmap focused_;
};

}  // namespace flowdesk
