// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "base/BilingualText.h"

class QDialog;
class QWidget;

namespace flowdesk {

// What a file dialog is asked to do.
struct FileDialogRequest {
  enum class Mode { kOpen, kSave };
  Mode mode = Mode::kOpen;
  QString folder;                // initial folder; empty = the current directory
  QStringList filters;           // Qt name filters, the first one selected
  bool confirmOverwrite = true;  // Save: ask before replacing the name as typed
  bool executablesOnly = false;  // Open: list folders and executable files only
};

// A "please wait" display for work that takes a while; it disappears when
// destroyed.
class ProgressDisplay {
 public:
  virtual ~ProgressDisplay() = default;
  // The step now running, drawn at once.
  virtual void setInfo(const QString& text) = 0;
};

// Everything a screen asks of the person in front of it goes through here:
// messages, yes/no questions, file dialogs, progress, and other dialogs run
// modally. The program uses real windows; a test puts one fake in place of
// all of them and answers without a user.
class UserInterface {
 public:
  // Question: a message that announces something the person may want to
  // act on (a comparison's report), still answered with OK alone.
  enum class Icon { kInformation, kWarning, kCritical, kQuestion };

  virtual ~UserInterface() = default;

  virtual void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) = 0;
  // True for "yes".
  virtual bool question(QWidget* parent, const QString& caption, const QString& text) = 0;
  // The chosen full path, or an empty text when the operator cancelled.
  virtual QString chooseFile(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual std::unique_ptr<ProgressDisplay> progress(QWidget* parent, Language language) = 0;
  // Runs another dialog modally (a screen, a confirmation, About) and returns
  // its result (QDialog::Accepted or Rejected).
  virtual int runDialog(QDialog& dialog) = 0;
};

// The one in use: real windows unless a test installed its own.
UserInterface& userInterface();

// Puts `replacement` in use (nullptr: the real windows again) and returns the
// previous one. The caller keeps ownership.
UserInterface* setUserInterface(UserInterface* replacement);

}  // namespace flowdesk
