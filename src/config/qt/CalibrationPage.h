#pragma once
#include <QWidget>
#include <initializer_list>
#include <span>
#include <vector>

#include "base/qt/Bindings.h"
#include "config/ConfigurationFields.h"

namespace flowdesk {

// The binding rows of a page's edits and lists, taken from the core's field
// tables so that a format, range or list is written in one place only.
// `controls` names the page's controls in the table's order; a table longer
// than the names (or the reverse) binds only the common part, which the
// pages' tests would notice as a missing row.
std::vector<FieldBinding> fieldRows(std::span<const char* const> controls,
                                    const std::vector<EditField>& edits);
std::vector<ComboBinding> comboRows(std::span<const char* const> controls,
                                    const std::vector<ListField>& lists);

// What the three pages of the calibration sheet share: Enter and Escape
// never reach the sheet (it would close, and an edit would store its value
// early); an edit stores its value when the focus leaves it.
class CalibrationPage : public QWidget {
  Q_OBJECT
 public:
  explicit CalibrationPage(QWidget* parent = nullptr);

  // The page became the visible tab.
  virtual void activate() = 0;

 protected:
  // Call once the page's controls exist.
  void watchControls();
  // The focus left one of the page's edits.
  virtual void editLeft() {}
  // Shows or hides the named controls of the page.
  void setShown(std::initializer_list<const char*> controls, bool shown);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// Whether a key press is one the pages keep from the sheet.
bool isSwallowedKey(int key);

}  // namespace flowdesk
