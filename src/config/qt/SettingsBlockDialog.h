// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <memory>

#include "base/qt/Bindings.h"
#include "config/SettingsBlockSession.h"
#include "files/FileKinds.h"
#include "link/qt/Screen.h"

class QLabel;

namespace flowdesk {

class AppContext;

// What the factory and maker dialogs share: one block of the unit (or of a
// file) on one dialog, every edit and list read
// back whenever an edit is left or a list chosen, and the picture buttons
// PRINT, TRANSFERT and SAVEDISK. The session does the work; the dialog
// forwards and draws.
class SettingsBlockDialog : public Screen {
  Q_OBJECT
 public:
  ~SettingsBlockDialog() override;

  const BindingRows& bindings() const { return rows_; }

  // The buttons, as a press or its shortcut runs them.
  void transfert();
  void print();
  void saveDisk();

  // Every field read back into the image, then the screen's rules.
  void fieldsLeft();

 protected:
  // What differs between the screens.
  struct Kind {
    BilingualText title;       // window title, message captions
    const char* printName;     // the print job's name
    FileKind file;             // SAVEDISK and COMPARE prompts
    BilingualText uploadStep;  // progress text of TRANSFERT
  };
  SettingsBlockDialog(AppContext& context, std::unique_ptr<SettingsBlockSession> session,
                      const Kind& kind, QWidget* parent);

  // Once the controls exist: the rows (which point into the image), the
  // line that names the file shown, the picture buttons (COMPARE only where
  // `compare` is given), and the watch on edits and lists.
  void bindControls(BindingRows rows, QLabel* caption, std::function<void()> compare = {});
  // Reads the unit or the file and shows it; false (after saying why) when
  // there is nothing to show.
  bool load() override;
  // Shows or hides, enables or disables what depends on the values shown.
  virtual void applyRules() = 0;
  // After a successful load, before the rules first run.
  virtual void loaded() {}

  bool eventFilter(QObject* watched, QEvent* event) override;

  std::unique_ptr<SettingsBlockSession> session_;

 private:
  Kind kind_;
  BindingRows rows_;
  QLabel* caption_ = nullptr;
};

}  // namespace flowdesk
