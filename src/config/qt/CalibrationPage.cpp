// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/CalibrationPage.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "config/ConfigurationSession.h"

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

void CalibrationPage::bindRows(const BindingRows& rows, Language language, QLabel* caption,
                               const std::string& filePath) {
  rows_ = &rows;
  setLabels(*this, rows.labels, language);
  fillLists(*this, rows.combos, language);
  caption->setText(QString::fromStdString(filePath));
  for (const ComboBinding& row : rows.combos) {
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
  if (rows_ == nullptr) return;
  showNumbers(*this, rows_->fields);
  selectLists(*this, rows_->combos);
  applyVisibility();
  if (printMode) printTimer_.start();
}

void CalibrationPage::editLeft() {
  if (rows_ == nullptr) return;
  readNumbers(*this, rows_->fields);
  applyVisibility();
}

void CalibrationPage::listChosen() {
  readLists(*this, rows_->combos);
  applyVisibility();
}

void CalibrationPage::setShown(std::initializer_list<const char*> controls, bool shown) {
  for (const char* name : controls) {
    if (QWidget* control = findChild<QWidget*>(QString::fromLatin1(name))) {
      control->setVisible(shown);
    }
  }
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
