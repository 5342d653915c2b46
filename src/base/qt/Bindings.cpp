// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/Bindings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <algorithm>

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/core/SystemRegionalSettings.h"

namespace flowdesk {

namespace {

// A full pool is the screen's own fault, shown as a critical box over it.
void poolFull(QWidget& window, const BilingualText& text, Language language) {
  userInterface().message(&window, UserInterface::Icon::kCritical, QString(),
                          QString::fromUtf8(text.text(language)));
}

QString fromUtf8(const std::string& s) {
  return QString::fromStdString(s);
}

// What the operations keep for a window as long as it lives: its pools when
// the screen brings none, so each screen starts with empty ones, and the
// controls the rows named, each found by its name once.
class WindowBindings : public QObject {
 public:
  explicit WindowBindings(QWidget* window) : QObject(window) {}
  BindingPool combos;
  BindingPool buttons;
  QHash<QString, QPointer<QWidget>> controls;
};

constexpr const char* kBindingsProperty = "flowdeskBindings";

WindowBindings& windowBindings(QWidget& window) {
  auto* kept = dynamic_cast<WindowBindings*>(window.property(kBindingsProperty).value<QObject*>());
  if (kept == nullptr) {
    kept = new WindowBindings(&window);
    window.setProperty(kBindingsProperty, QVariant::fromValue<QObject*>(kept));
  }
  return *kept;
}

template <typename W = QWidget>
W* control(QWidget& window, const char* name) {
  if (name == nullptr) return nullptr;
  const QString key = QString::fromLatin1(name);
  QPointer<QWidget>& known = windowBindings(window).controls[key];
  if (W* found = qobject_cast<W*>(known.data())) return found;
  W* found = window.findChild<W*>(key);
  known = found;
  if (found == nullptr) {
    // A renamed control in the .ui would otherwise just stop working.
    const QString owner = window.objectName().isEmpty()
                              ? QString::fromLatin1(window.metaObject()->className())
                              : window.objectName();
    qWarning("%s: no %s named \"%s\" to bind", qPrintable(owner), W::staticMetaObject.className(),
             name);
  }
  return found;
}

template <typename W = QWidget>
W* control(QWidget& window, const std::string& name) {
  return control<W>(window, name.c_str());
}

}  // namespace

bool BindingPool::attach(const QWidget* control) {
  if (std::find(controls_.begin(), controls_.end(), control) != controls_.end()) return true;
  if (capacity_ != kUnlimited && size() >= capacity_) return false;
  controls_.push_back(control);
  return true;
}

void setControlText(QWidget* c, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(c)) {
    label->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
    edit->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
    group->setTitle(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(c)) {
    plain->setPlainText(text);
  } else if (auto* rich = qobject_cast<QTextEdit*>(c)) {
    rich->setPlainText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(c); combo && combo->isEditable()) {
    combo->setEditText(text);
  } else if (c != nullptr && c->isWindow()) {
    c->setWindowTitle(text);
  }
}

QString controlText(const QWidget* c) {
  if (auto* label = qobject_cast<const QLabel*>(c)) return label->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(c)) return edit->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(c)) return button->text();
  if (auto* group = qobject_cast<const QGroupBox*>(c)) return group->title();
  if (auto* plain = qobject_cast<const QPlainTextEdit*>(c)) return plain->toPlainText();
  if (auto* rich = qobject_cast<const QTextEdit*>(c)) return rich->toPlainText();
  if (auto* combo = qobject_cast<const QComboBox*>(c)) return combo->currentText();
  if (c != nullptr && c->isWindow()) return c->windowTitle();
  return QString();
}

void setLabels(QWidget& window, std::span<const LabelBinding> rows, Language language) {
  for (const LabelBinding& row : rows) {
    if (QWidget* c = control(window, row.control)) {
      setControlText(c, QString::fromUtf8(row.text.text(language)));
    }
  }
}

void showTexts(QWidget& window, std::span<const TextBinding> rows) {
  for (const TextBinding& row : rows) {
    QWidget* c = control(window, row.control);
    if (c != nullptr && row.variable != nullptr) setControlText(c, fromUtf8(*row.variable));
  }
}

void readTexts(QWidget& window, std::span<const TextBinding> rows) {
  for (const TextBinding& row : rows) {
    QWidget* c = control(window, row.control);
    if (c == nullptr || row.variable == nullptr) continue;
    *row.variable = cutText(controlText(c).toStdString(), row.maxLength);
  }
  showTexts(window, rows);
}

void showNumbers(QWidget& window, std::span<const FieldBinding> rows) {
  const std::string separator = systemRegionalSettings().decimalSeparator;
  for (const FieldBinding& row : rows) {
    if (row.variable == nullptr) continue;
    // Clamped even when the control is missing: the variable must be valid.
    const std::string text =
        showNumber(*row.variable, row.min, row.max, row.format ? row.format : "", separator);
    if (QWidget* c = control(window, row.control)) setControlText(c, fromUtf8(text));
  }
}

void readNumbers(QWidget& window, std::span<const FieldBinding> rows) {
  const std::string separator = systemRegionalSettings().decimalSeparator;
  for (const FieldBinding& row : rows) {
    QWidget* c = control(window, row.control);
    if (c == nullptr || row.variable == nullptr) continue;
    if (const auto typed = readShownNumber(controlText(c).toStdString(), *row.variable, row.min,
                                           row.max, row.format ? row.format : "", separator)) {
      *row.variable = *typed;
    }
  }
  showNumbers(window, rows);
}

void showWholeNumbers(QWidget& window, std::span<const FieldBinding> rows) {
  for (const FieldBinding& row : rows) {
    if (row.variable == nullptr) continue;
    const std::string text =
        showWholeNumber(*row.variable, row.min, row.max, row.format ? row.format : "");
    if (QWidget* c = control(window, row.control)) setControlText(c, fromUtf8(text));
  }
}

void readWholeNumbers(QWidget& window, std::span<const FieldBinding> rows) {
  for (const FieldBinding& row : rows) {
    QWidget* c = control(window, row.control);
    if (c == nullptr || row.variable == nullptr) continue;
    if (const auto typed = readShownWholeNumber(controlText(c).toStdString(), *row.variable,
                                                row.min, row.max, row.format ? row.format : "")) {
      *row.variable = *typed;
    }
  }
  showWholeNumbers(window, rows);
}

void fillLists(QWidget& window, std::span<const ComboBinding> rows, Language language,
               BindingPool* pool) {
  BindingPool& used = pool != nullptr ? *pool : windowBindings(window).combos;
  for (const ComboBinding& row : rows) {
    auto* combo = control<QComboBox>(window, row.control);
    if (combo == nullptr || row.variable == nullptr || row.list == nullptr) continue;
    if (!used.attach(combo)) {
      poolFull(window, kTxtComboPoolFull, language);
      return;
    }
    const QSignalBlocker quiet(combo);  // filling is not an operator's choice
    combo->clear();
    for (const std::string& item : fillItems(*row.list, row.items(), language)) {
      combo->addItem(QString::fromStdString(item).left(kMaxListItemChars));
    }
    *row.variable = fillSelection(*row.variable, row.items());
    // An index inside N but past an empty item selects nothing; readLists
    // then keeps the variable instead of storing -1.
    combo->setCurrentIndex(*row.variable < combo->count() ? *row.variable : -1);
  }
}

void selectLists(QWidget& window, std::span<const ComboBinding> rows) {
  for (const ComboBinding& row : rows) {
    auto* combo = control<QComboBox>(window, row.control);
    if (combo == nullptr || row.variable == nullptr) continue;
    const QSignalBlocker quiet(combo);
    const int index = *row.variable;
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
  }
}

void readLists(QWidget& window, std::span<const ComboBinding> rows) {
  for (const ComboBinding& row : rows) {
    auto* combo = control<QComboBox>(window, row.control);
    if (combo == nullptr || row.variable == nullptr) continue;
    if (combo->currentIndex() >= 0) *row.variable = combo->currentIndex();
  }
}

void showListTexts(QWidget& window, std::span<const ComboBinding> rows, Language language) {
  for (const ComboBinding& row : rows) {
    QWidget* c = control(window, row.control);
    if (c == nullptr || row.variable == nullptr || row.list == nullptr) continue;
    setControlText(c, fromUtf8(listText(*row.list, row.items(), *row.variable, language)));
  }
}

void setChecks(QWidget& window, std::span<const CheckBinding> rows, Language language,
               BindingPool* pool) {
  BindingPool& used = pool != nullptr ? *pool : windowBindings(window).buttons;
  for (const CheckBinding& row : rows) {
    auto* box = control<QAbstractButton>(window, row.control);
    if (box == nullptr || row.variable == nullptr) continue;
    if (!used.attach(box)) {
      poolFull(window, kTxtButtonPoolFull, language);
      return;
    }
    box->setText(QString::fromUtf8(row.label.text(language)));
    const QSignalBlocker quiet(box);
    box->setChecked(*row.variable != 0);
  }
}

void readChecks(QWidget& window, std::span<const CheckBinding> rows) {
  for (const CheckBinding& row : rows) {
    auto* box = control<QAbstractButton>(window, row.control);
    if (box == nullptr || row.variable == nullptr) continue;
    *row.variable = box->isChecked() ? 1 : 0;
  }
}

void selectChecks(QWidget& window, std::span<const CheckBinding> rows) {
  for (const CheckBinding& row : rows) {
    auto* box = control<QAbstractButton>(window, row.control);
    if (box == nullptr || row.variable == nullptr) continue;
    const QSignalBlocker quiet(box);
    box->setChecked(*row.variable != 0);
  }
}

std::vector<std::string> boundControls(const BindingRows& rows) {
  std::vector<std::string> names;
  const auto add = [&names](const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(name);
    }
  };
  for (const auto& row : rows.labels) add(row.control);
  for (const auto& row : rows.texts) add(row.control);
  for (const auto& row : rows.fields) add(row.control);
  for (const auto& row : rows.combos) add(row.control);
  for (const auto& row : rows.checks) add(row.control);
  return names;
}

}  // namespace flowdesk
