// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/CalibrationPage.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "config/ConfigurationSession.h"
#include "link/AppContext.h"

namespace flowdesk {

std::string editControl(std::string_view id) {
  return "edit" + std::string(id);
}

std::vector<FieldBinding> fieldRows(const std::vector<EditField>& edits) {
  std::vector<FieldBinding> rows;
  for (const EditField& e : edits) {
    rows.push_back({editControl(e.id), e.variable, e.format, e.min, e.max});
  }
  return rows;
}

std::vector<ComboBinding> comboRows(const std::vector<ListField>& lists) {
  std::vector<ComboBinding> rows;
  for (const ListField& l : lists) {
    rows.push_back({"combo" + std::string(l.id), l.variable, l.count, l.list});
  }
  return rows;
}

bool isSwallowedKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

CalibrationPage::CalibrationPage(AppContext& context, ConfigurationSession& session,
                                 QWidget* parent)
    : QWidget(parent), context_(context), session_(session) {}

void CalibrationPage::activate() {
  showRows(session_.PrintMode);
}

void CalibrationPage::watchControls() {
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

namespace {

// Printing waits until the page just shown has been drawn.
constexpr int kPrintDelayMs = 100;

}  // namespace

void CalibrationPage::bindRows(QLabel* caption, const char* printJob, int printPart) {
  bound_ = true;
  printJob_ = printJob;
  printPart_ = printPart;
  const Language language = context_.settings.language();
  setLabels(*this, rows_.labels, language);
  fillLists(*this, rows_.combos, language);
  caption->setText(QString::fromStdString(session_.fromFile() ? session_.filePath() : ""));
  for (const ComboBinding& row : rows_.combos) {
    if (auto* combo = findChild<QComboBox*>(QString::fromStdString(row.control))) {
      connect(combo, &QComboBox::activated, this, &CalibrationPage::listChosen);
    }
  }
  printTimer_.setSingleShot(true);
  printTimer_.setInterval(kPrintDelayMs);
  connect(&printTimer_, &QTimer::timeout, this, &CalibrationPage::printPage);
  watchControls();
}

void CalibrationPage::showRows(bool printMode) {
  if (!bound_) return;
  showNumbers(*this, rows_.fields);
  selectLists(*this, rows_.combos);
  applyVisibility();
  if (printMode) printTimer_.start();
}

void CalibrationPage::editLeft() {
  if (!bound_) return;
  readNumbers(*this, rows_.fields);
  applyVisibility();
}

void CalibrationPage::listChosen() {
  readLists(*this, rows_.combos);
  applyVisibility();
}

void CalibrationPage::printPage() {
  const Language language = context_.settings.language();
  const PrintOutcome outcome = printWindow(this, QString::fromLatin1(printJob_), 1, 1, printPart_);
  const bool ok = outcome == PrintOutcome::kPrinted;
  // The last part ends the print job, and so does a part that did not print.
  if (!ok || printPart_ == kLastPrintPart) session_.PrintMode = false;
  if (!ok) {
    userInterface().message(this, UserInterface::Icon::kWarning,
                            QString::fromUtf8(kTxtCalibration.text(language)),
                            printOutcomeNote(outcome, language));
  }
  emit printed(ok);
}

void CalibrationPage::setShown(std::initializer_list<QWidget*> controls, bool shown) {
  for (QWidget* control : controls) control->setVisible(shown);
}

bool CalibrationPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isSwallowedKey(static_cast<QKeyEvent*>(event)->key())) {
    // Kept from the edit too: a line edit would report Enter as the end of
    // editing and store the value before the focus leaves.
    return true;
  }
  if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched) != nullptr) {
    editLeft();
  }
  return QWidget::eventFilter(watched, event);
}

void CalibrationPage::keyPressEvent(QKeyEvent* event) {
  if (isSwallowedKey(event->key())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace flowdesk
