// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTimer>
#include <QWidget>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "base/qt/Bindings.h"
#include "config/ConfigurationFields.h"

class QLabel;

namespace flowdesk {

class AppContext;
class ConfigurationSession;

// The binding rows of a page's edits and lists, taken from the core's field
// tables so that a format, range or list is written in one place only. Each
// control is the one named after its field's id ("edit" + id, "combo" + id),
// whatever the field's place in its table.
std::vector<FieldBinding> fieldRows(const std::vector<EditField>& edits);
std::vector<ComboBinding> comboRows(const std::vector<ListField>& lists);
// The control of a field's id: editControl("Length1") is "editLength1".
std::string editControl(std::string_view id);

// What the three pages of the calibration sheet share: Enter and Escape
// never reach the sheet (it would close, and an edit would store its value
// early); an edit stores its value when the focus leaves it. The two pages
// of fields also share how their rows are shown, read and printed: each is
// one part of the sheet's print job.
class CalibrationPage : public QWidget {
  Q_OBJECT
 public:
  CalibrationPage(AppContext& context, ConfigurationSession& session, QWidget* parent);

  // The page became the visible tab. A page of fields shows its rows again.
  virtual void activate();

  const BindingRows& bindings() const { return rows_; }

  // The inputs/outputs page prints the last part of the sheet.
  static constexpr int kLastPrintPart = 2;

 signals:
  // The page printed itself as its part of the sheet's print job (false:
  // nothing reached a printer).
  void printed(bool ok);

 protected:
  AppContext& context_;
  ConfigurationSession& session_;
  // The page's rows, pointing at variables that outlive the page.
  BindingRows rows_;

  // Call once the page's controls exist.
  void watchControls();
  // For a page of fields, once its controls exist and rows_ is filled:
  // labels and lists filled, the file shown in `caption` (empty on the
  // unit), every list change and every edit left read back and followed by
  // applyVisibility(), and the controls watched. The page prints as part
  // `printPart` of the sheet under `printJob`.
  void bindRows(QLabel* caption, const char* printJob, int printPart);
  // The page of fields became visible: every row shown again, the rules
  // applied, and in print mode the page printed once it has been drawn.
  void showRows(bool printMode);
  // The focus left one of the page's edits.
  virtual void editLeft();
  // Shows only the controls that apply to the values now in the image.
  virtual void applyVisibility() {}
  // Prints the page as its part of the sheet's print job.
  void printPage();
  static void setShown(std::initializer_list<QWidget*> controls, bool shown);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void listChosen();

  bool bound_ = false;  // a page of fields
  const char* printJob_ = "";
  int printPart_ = 0;
  QTimer printTimer_;
};

// Whether a key press is one the pages keep from the sheet.
bool isSwallowedKey(int key);

}  // namespace flowdesk
