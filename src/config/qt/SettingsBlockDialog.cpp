#include "config/qt/SettingsBlockDialog.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "base/Texts.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"

namespace flowdesk {

namespace {

constexpr struct {
  const char* name;
  PictureRole role;
} kButtons[] = {{"buttonPrint", PictureRole::Print},
                {"buttonCompare", PictureRole::Compare},
                {"buttonTransfert", PictureRole::Transfert},
                {"buttonSaveDisk", PictureRole::SaveDisk}};

}  // namespace

SettingsBlockDialog::SettingsBlockDialog(AppContext& context,
                                         std::unique_ptr<SettingsBlockSession> session,
                                         const Kind& kind, QWidget* parent)
    : QDialog(parent), context_(context), session_(std::move(session)), kind_(kind) {}

SettingsBlockDialog::~SettingsBlockDialog() = default;

QString SettingsBlockDialog::text(const BilingualText& t) const {
  return QString::fromUtf8(t.text(context_.settings.Language));
}

QPushButton* SettingsBlockDialog::button(const char* name) const {
  return findChild<QPushButton*>(QString::fromLatin1(name));
}

QLabel* SettingsBlockDialog::caption() const {
  return findChild<QLabel*>(QStringLiteral("labelCaption"));
}

void SettingsBlockDialog::bindControls(BindingRows rows) {
  rows_ = std::move(rows);
  setWindowTitle(text(kind_.title));
  for (const auto& b : kButtons) {
    if (QPushButton* pressed = button(b.name)) {
      pressed->setShortcut(pictureShortcut(b.role, ShortcutContext::Configuration));
      // Enter in an edit must not press a button: it would write, print or
      // save before the value typed is read back.
      pressed->setAutoDefault(false);
      pressed->setDefault(false);
    }
  }
  if (QPushButton* b = button("buttonPrint")) {
    connect(b, &QPushButton::clicked, this, &SettingsBlockDialog::print);
  }
  if (QPushButton* b = button("buttonTransfert")) {
    connect(b, &QPushButton::clicked, this, &SettingsBlockDialog::transfert);
  }
  if (QPushButton* b = button("buttonSaveDisk")) {
    connect(b, &QPushButton::clicked, this, &SettingsBlockDialog::saveDisk);
  }
  for (const ComboBinding& row : rows_.combos) {
    if (auto* combo = findChild<QComboBox*>(QString::fromLatin1(row.control))) {
      connect(combo, &QComboBox::activated, this, &SettingsBlockDialog::fieldsLeft);
    }
  }
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);
}

bool SettingsBlockDialog::load() {
  const int language = context_.settings.Language;
  SettingsOpenOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = context_.OpenedFromFile ? session_->openFile(context_.CurrentFilePath)
                                      : session_->openUnit();
  }
  if (!outcome.ok) {
    userInterface().message(this, UserInterface::Icon::Critical, text(kind_.title),
                            QString::fromStdString(settingsOpenText(outcome, language)));
    return false;
  }
  caption()->setText(QString::fromStdString(session_->fromFile() ? session_->filePath() : ""));
  setLabels(*this, rows_.labels, language);
  fillLists(*this, rows_.combos, language);
  showNumbers(*this, rows_.fields);
  showTexts(*this, rows_.texts);
  loaded();
  applyRules();
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
  return QDialog::eventFilter(watched, event);
}

void SettingsBlockDialog::transfert() {
  fieldsLeft();
  const int language = context_.settings.Language;
  if (!userInterface().question(this, text(kTxtUploadCaption), text(kTxtUploadToUnit))) return;
  int result = -1;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    progress->setInfo(text(kind_.uploadStep));
    result = session_->upload();
  }
  if (result != 0) {
    userInterface().message(this, UserInterface::Icon::Critical, text(kTxtUploadCaption),
                            text(kTxtUploadFailure));
    return;
  }
  accept();
}

void SettingsBlockDialog::print() {
  fieldsLeft();
  std::vector<QPushButton*> hidden;
  for (const auto& b : kButtons) {
    QPushButton* shown = button(b.name);
    if (shown != nullptr && !shown->isHidden()) {
      shown->hide();
      hidden.push_back(shown);
    }
  }
  const PrintOutcome outcome = printWindow(this, QString::fromLatin1(kind_.printName), 1, 1, 0);
  for (QPushButton* b : hidden) b->show();
  if (outcome != PrintOutcome::Printed) {
    userInterface().message(this, UserInterface::Icon::Warning, text(kind_.title),
                            printOutcomeNote(outcome, context_.settings.Language));
  }
}

void SettingsBlockDialog::saveDisk() {
  fieldsLeft();
  const int language = context_.settings.Language;
  if (!saveFilePrompt(this, {context_.settings.LastPathName, context_.CurrentFilePath},
                      kind_.fileDescription, kind_.extension, language)) {
    return;
  }
  const FileResult saved = session_->save(context_.CurrentFilePath);
  if (!saved.ok()) {
    userInterface().message(this, UserInterface::Icon::Critical, text(kind_.fileDescription),
                            QString::fromStdString(saved.message(language)));
    return;
  }
  caption()->setText(QString::fromStdString(context_.CurrentFilePath));
}

}  // namespace flowdesk
