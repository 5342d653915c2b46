// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "files/FileKinds.h"
#include "files/qt/KindPrompts.h"
#include "link/qt/Screen.h"

namespace flowdesk {

// What the measurement and echo screens share: a session that polls the
// unit live and records on request, or plays a file back, and the picture
// buttons the session names by its own enum `Button` (kSaveDisk,
// kArretDisk, kPrint and the playback moves). The session decides what is
// shown and what a press does; the screen forwards the presses and says
// what failed.
template <typename Session, typename Button>
class RecordingScreen : public Screen {
 public:
  // The buttons' actions, as a press or its shortcut runs them.
  void saveDisk() {
    if (!session_.screen().shown(Button::kSaveDisk) || !session_.canStartRecording()) return;
    const std::optional<std::string> path = askSavePath(this, context_, kind_.file);
    if (!path) return;
    session_.startRecording(*path);
    drawScreen();
  }
  void arretDisk() {
    if (session_.stopRecording()) drawScreen();
  }
  void navigate(Button b) {
    if (session_.navigate(b)) runTimer(session_.timerMs());
  }
  virtual void print() = 0;
  virtual void tableur() {}

  // A picture button's action by the session's name for it.
  void press(Button b) {
    switch (roleOf(b)) {
      case PictureRole::kSaveDisk:
        return saveDisk();
      case PictureRole::kArretDisk:
        return arretDisk();
      case PictureRole::kPrint:
        return print();
      case PictureRole::kTableur:
        return tableur();
      default:
        return navigate(b);
    }
  }

  const Session& session() const { return session_; }
  PictureButton* button(Button b) const { return picture(roleOf(b)); }

 protected:
  struct Kind {
    std::span<const PictureRole> roles;  // the role of each `Button`, in its order
    FileKind file;                       // what SAVEDISK records
    BilingualText caption;               // of the box that says a file failed
  };

  template <typename... SessionArgs>
  RecordingScreen(AppContext& context, QWidget* parent, const Kind& kind, SessionArgs&&... args)
      : Screen(context, parent), session_(std::forward<SessionArgs>(args)...), kind_(kind) {}

  // Binds the session's buttons and the screen's `own`, all hidden until
  // drawn. Recording is a flag the tick reads after its exchange, and its
  // prompt needs nothing from the unit: SAVEDISK and ARRETDISK act at once.
  void bindButtons(std::initializer_list<PictureRow> own = {}) {
    std::vector<PictureRow> rows;
    for (std::size_t i = 0; i < kind_.roles.size(); ++i) {
      const PictureRole role = kind_.roles[i];
      const bool atOnce = role == PictureRole::kSaveDisk || role == PictureRole::kArretDisk;
      rows.push_back({role, [this, b = static_cast<Button>(i)] { press(b); }, atOnce});
    }
    rows.insert(rows.end(), own);
    bindPictures(rows, ShortcutContext::kViewer);
    for (const PictureRow& row : rows) showPicture(row.role, false);
  }
  // The session's buttons, shown as its screen says.
  void showButtons() {
    for (std::size_t i = 0; i < kind_.roles.size(); ++i) {
      showPicture(kind_.roles[i], session_.screen().shown(static_cast<Button>(i)));
    }
  }
  void showFileFailure() {
    const Language language = session_.language();
    userInterface().message(this, UserInterface::Icon::kCritical,
                            QString::fromUtf8(kind_.caption.text(language)),
                            QString::fromStdString(session_.fileResult().message(language)));
  }
  virtual void drawScreen() = 0;

  Session session_;

 private:
  PictureRole roleOf(Button b) const { return kind_.roles[static_cast<std::size_t>(b)]; }

  Kind kind_;
};

}  // namespace flowdesk
