// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QTimer>
#include <QWidget>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "base/BilingualText.h"
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
// of fields also share how their rows are shown, read and printed.
class CalibrationPage : public QWidget {
  Q_OBJECT
 public:
  CalibrationPage(AppContext& context, ConfigurationSession& session, QWidget* parent);

  // The page became the visible tab. A page of fields shows its rows again.
  virtual void activate();

 protected:
  AppContext& context_;
  ConfigurationSession& session_;

  // Call once the page's controls exist.
  void watchControls();
  // For a page of fields, once its controls exist: labels and lists filled
  // from `rows` (which must outlive the page), the file shown in `caption`
  // (empty on the unit),
  // every list change and every edit left read back and followed by
  // applyVisibility(), and the controls watched.
  void bindRows(const BindingRows& rows, Language language, QLabel* caption,
                const std::string& filePath);
  // The page of fields became visible: every row shown again, the rules
  // applied, and in print mode the page printed once it has been drawn.
  void showRows(bool printMode);
  // The focus left one of the page's edits.
  virtual void editLeft();
  // Shows only the controls that apply to the values now in the image.
  virtual void applyVisibility() {}
  // Prints the page as its part of the sheet's print job.
  virtual void printPage() {}
  // Shows or hides the named controls of the page.
  void setShown(std::initializer_list<const char*> controls, bool shown);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void listChosen();

  const BindingRows* rows_ = nullptr;
  QTimer printTimer_;
};

// Whether a key press is one the pages keep from the sheet.
bool isSwallowedKey(int key);

}  // namespace flowdesk
