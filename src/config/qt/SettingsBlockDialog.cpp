// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/SettingsBlockDialog.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "files/qt/KindPrompts.h"
#include "link/AppContext.h"

namespace flowdesk {

SettingsBlockDialog::SettingsBlockDialog(AppContext& context,
                                         std::unique_ptr<SettingsBlockSession> session,
                                         const Kind& kind, QWidget* parent)
    : Screen(context, parent), session_(std::move(session)), kind_(kind) {}

SettingsBlockDialog::~SettingsBlockDialog() = default;

void SettingsBlockDialog::bindControls(BindingRows rows, QLabel* caption,
                                       std::function<void()> compare) {
  rows_ = std::move(rows);
  caption_ = caption;
  setWindowTitle(text(kind_.title));
  const auto press = [this](void (SettingsBlockDialog::*action)()) {
    return [this, action] { (this->*action)(); };
  };
  bindPictures({{PictureRole::kPrint, press(&SettingsBlockDialog::print)},
                {PictureRole::kTransfert, press(&SettingsBlockDialog::transfert)},
                {PictureRole::kSaveDisk, press(&SettingsBlockDialog::saveDisk)}},
               ShortcutContext::kConfiguration);
  if (compare) {
    bindPictures({{PictureRole::kCompare, std::move(compare)}}, ShortcutContext::kConfiguration);
  }
  for (const ComboBinding& row : rows_.combos) {
    if (auto* combo = findChild<QComboBox*>(QString::fromStdString(row.control))) {
      connect(combo, &QComboBox::activated, this, &SettingsBlockDialog::fieldsLeft);
    }
  }
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);
}

bool SettingsBlockDialog::load() {
  SettingsOpenOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    outcome = talk([&] {
      return source().fromFile() ? session_->openFile(source().filePath) : session_->openUnit();
    });
  }
  if (!outcome.ok) {
    tell(Tone::kFailure, kind_.title, settingsOpenText(outcome, language()));
    return false;
  }
  caption_->setText(QString::fromStdString(session_->fromFile() ? session_->filePath() : ""));
  setLabels(*this, rows_.labels, language());
  fillLists(*this, rows_.combos, language());
  showNumbers(*this, rows_.fields);
  showTexts(*this, rows_.texts);
  loaded();
  applyRules();
  watchEdits(this, kind_.title);
  // A short block is shown, and said to be one.
  if (const std::string note = settingsOpenText(outcome, language()); !note.empty()) {
    tell(Tone::kInformation, kind_.title, note);
  }
  return true;
}

void SettingsBlockDialog::fieldsLeft() {
  readNumbers(*this, rows_.fields);
  readTexts(*this, rows_.texts);
  readLists(*this, rows_.combos);
  applyRules();
}

bool SettingsBlockDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched) != nullptr) {
    fieldsLeft();
  }
  return Screen::eventFilter(watched, event);
}

void SettingsBlockDialog::transfert() {
  fieldsLeft();
  if (const FileResult refused = session_->uploadRefusal(); !refused.ok()) {
    tell(Tone::kFailure, kTxtUploadCaption, refused.message(language()));
    return;
  }
  if (!ask(kTxtUploadCaption, kTxtUploadToUnit)) return;
  SettingsUploadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    progress->setInfo(text(kind_.uploadStep));
    outcome = talk([this] { return session_->upload(); });
  }
  if (!outcome.ok) {
    tell(Tone::kFailure, kTxtUploadCaption, settingsUploadText(outcome, kind_.title, language()));
    return;
  }
  accept();
}

void SettingsBlockDialog::print() {
  fieldsLeft();
  const QString note = printScreen(kind_.printName, true);
  if (!note.isEmpty()) tell(Tone::kWarning, kind_.title, note.toStdString());
}

void SettingsBlockDialog::saveDisk() {
  fieldsLeft();
  const std::optional<std::string> path = askSavePath(this, context_, kind_.file);
  if (!path) return;
  const FileResult saved = session_->save(*path);
  if (!saved.ok()) {
    tell(Tone::kFailure, fileKindInfo(kind_.file).description, saved.message(language()));
    return;
  }
  editsKept();
  caption_->setText(QString::fromStdString(*path));
}

}  // namespace flowdesk
