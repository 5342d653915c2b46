// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/qt/PictureButton.h"
#include "config/ConfigurationSession.h"
#include "link/qt/Screen.h"

class QDialogButtonBox;
class QKeyEvent;
class QTabWidget;

namespace flowdesk {

class AppContext;
class SelectConfigurationPage;
class MeasurementPointPage;
class InputsOutputsPage;

// The calibration sheet: one configuration of the unit (or of a calibration
// file) on three tabs, configuration management,
// measurement point and inputs/outputs. It opens on the measurement point.
// The sheet has no OK or Cancel of its own: it ends by a successful
// TRANSFERT or by its close box, and Enter and Escape never close it.
class CalibrationSheet : public Screen {
  Q_OBJECT
 public:
  explicit CalibrationSheet(AppContext& context, QWidget* parent = nullptr);
  ~CalibrationSheet() override;

  ConfigurationSession& session() { return session_; }
  QTabWidget& tabs() { return *tabs_; }
  SelectConfigurationPage* selectionPage() { return selection_; }
  MeasurementPointPage* measurementPointPage() { return point_; }
  InputsOutputsPage* inputsOutputsPage() { return io_; }

  // A shortcut of the sheet, from whichever page is shown; false when the
  // selection page does not offer its button.
  bool pressShortcut(PictureRole role);

  enum Tab { kSelectionTab = 0, kMeasurementPointTab = 1, kInputsOutputsTab = 2 };

 protected:
  // Reads the unit or the file and builds the pages; false (after saying
  // why) when there is nothing to show.
  bool load() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void tabShown(int index);
  // PRINT: the measurement point page then the inputs/outputs page on one
  // sheet, from whichever page is shown.
  void printPages();

  ConfigurationSession session_;
  QTabWidget* tabs_;
  QDialogButtonBox* buttons_;
  SelectConfigurationPage* selection_ = nullptr;
  MeasurementPointPage* point_ = nullptr;
  InputsOutputsPage* io_ = nullptr;
};

}  // namespace flowdesk
