// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/ValueLists.h"

class QComboBox;
class QAbstractButton;

namespace flowdesk {

// Table-driven screens: each screen describes its controls with tables of
// rows and hands them to the operations below, which move values between the
// controls and the variables the rows point at (fields of the DeviceImage or
// of AppSettings, which outlive the screen). A control is found by its object
// name inside the window the first time a row names it, and kept for the
// window's life; a row whose control is missing is skipped with a warning
// that names the window and the control (a test checks every screen's names
// against its .ui file, so this should never be seen).

struct LabelBinding {
  const char* control;
  BilingualText text;
};

// The controls of fields, lists and texts are named when the rows are built
// from a table of fields (the edit's name made from the field's id).
struct TextBinding {
  std::string control;
  std::string* variable;
  std::size_t maxLength;  // characters, not bytes
};

// Serves numeric edits and, with an integer format, whole-number edits.
struct FieldBinding {
  std::string control;
  float* variable;
  const char* format;  // printf-style, "" for the adaptive precision
  double min;
  double max;
};

struct ComboBinding {
  std::string control;
  std::int32_t* variable;  // the selected index
  int count;               // N: how many items of the list the control offers; 0: all
  const ValueList* list;   // bilingual or not, as the list says

  // N as the operations use it: `count`, or the list's own when 0.
  int items() const { return (count > 0 || list == nullptr) ? count : list->count(); }
};

struct CheckBinding {
  const char* control;
  std::uint8_t* variable;  // 0 or 1
  BilingualText label;
};

// Every row of one screen, declared once where the screen is built (the rows
// point at variables that live as long as the screen), with designated
// initializers for the kinds it has. The screen hands the parts to the
// operations below; tests hand the whole to the .ui check.
struct BindingRows {
  std::vector<LabelBinding> labels{};
  std::vector<TextBinding> texts{};
  std::vector<FieldBinding> fields{};
  std::vector<ComboBinding> combos{};
  std::vector<CheckBinding> checks{};
};

// The object names the rows bind, in row order, each once.
std::vector<std::string> boundControls(const BindingRows& rows);

// How many drop-down lists, and how many check boxes, one screen binds
// through a limited pool.
inline constexpr int kBindingPoolCapacity = 50;
// A list item is cut to this many characters.
inline constexpr int kMaxListItemChars = 99;

// The wrappers a screen binds its lists or check boxes through. A limited
// pool takes at most kBindingPoolCapacity distinct controls; a screen that
// brings its own pool may make it unlimited. Binding the same control again
// (a refill after a language change) takes no new place.
class BindingPool {
 public:
  static constexpr int kUnlimited = -1;
  explicit BindingPool(int capacity = kBindingPoolCapacity) : capacity_(capacity) {}

  // False when the pool is full and the control is not in it yet.
  bool attach(const QWidget* control);
  int size() const { return static_cast<int>(controls_.size()); }
  void clear() { controls_.clear(); }

 private:
  int capacity_;
  std::vector<const QWidget*> controls_;
};

// The text a control shows, whatever its kind (label, edit, button, group).
void setControlText(QWidget* control, const QString& text);
QString controlText(const QWidget* control);

void setLabels(QWidget& window, std::span<const LabelBinding> rows, Language language);

void showTexts(QWidget& window, std::span<const TextBinding> rows);
// Cuts each text to its maximum length, stores it, shows the texts again.
void readTexts(QWidget& window, std::span<const TextBinding> rows);

// Clamps each variable in place, then shows it with its format and the
// regional decimal separator.
void showNumbers(QWidget& window, std::span<const FieldBinding> rows);
// Reads each control's leading number ("," and "." both the decimal point;
// no number gives 0) and stores it, then shows the numbers again, which
// clamps them. A control that still shows its variable's text leaves the
// variable as it is, so reading a page changes only what was typed.
void readNumbers(QWidget& window, std::span<const FieldBinding> rows);
void showWholeNumbers(QWidget& window, std::span<const FieldBinding> rows);
// The same for whole numbers.
void readWholeNumbers(QWidget& window, std::span<const FieldBinding> rows);

// Fills each list with its first N items in the language (stopping at an
// empty item), resets a variable outside the list to 0 and selects it. With
// no pool the window's own limited pool is used; when it is full, an error
// box "Taille ComboBox Trop faible" is shown and filling stops.
void fillLists(QWidget& window, std::span<const ComboBinding> rows, Language language,
               BindingPool* pool = nullptr);
void selectLists(QWidget& window, std::span<const ComboBinding> rows);
// Stores each list's selected index. A list with nothing selected leaves
// its variable as it is rather than storing -1.
void readLists(QWidget& window, std::span<const ComboBinding> rows);
// Shows, in plain text controls, the item each variable selects, or "*****".
void showListTexts(QWidget& window, std::span<const ComboBinding> rows, Language language);

// Sets each check box's label in the language and its state from the
// variable. Through a full pool: the error box "Taille Button Trop faible".
void setChecks(QWidget& window, std::span<const CheckBinding> rows, Language language,
               BindingPool* pool = nullptr);
void readChecks(QWidget& window, std::span<const CheckBinding> rows);
void selectChecks(QWidget& window, std::span<const CheckBinding> rows);

}  // namespace flowdesk
